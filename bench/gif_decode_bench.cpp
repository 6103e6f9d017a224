// Decoding speed of our GIF loader against giflib's DGifSlurp on the same in-memory files:
// a small sprite animation, a large single image and a long animation. Each run reports
// megapixels per second (pixels of all frames per load), and the program closes with the
// ratio ours / giflib per file.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "gif/gif_loader.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char* const kFiles[] = {"sprite", "large", "long"};
std::map<std::string, Bytes> Files;

struct MemoryReader {
    const Bytes* bytes;
    size_t at;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int count) {
    MemoryReader* reader = static_cast<MemoryReader*>(gif->UserData);
    size_t taken = std::min(size_t(count), reader->bytes->size() - reader->at);
    std::memcpy(out, reader->bytes->data() + reader->at, taken);
    reader->at += taken;
    return int(taken);
}

void ReleaseFrames() {
    FreeFrameList(FrameListHead);
    FrameListHead = nullptr;
}

double OurPixels(const Bytes& bytes) {
    double pixels = 0;
    GifLoadBytes(bytes.data(), bytes.size());
    for (FrameNode* node = FrameListHead; node; node = node->next)
        pixels += double(node->image->width) * node->image->height;
    ReleaseFrames();
    return pixels;
}

void DecodeOurs(benchmark::State& state, const std::string& name) {
    const Bytes& bytes = Files[name];
    for (auto _ : state) {
        int loaded = GifLoadBytes(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(loaded);
        ReleaseFrames();
    }
    state.counters["MP/s"] = benchmark::Counter(OurPixels(bytes) / 1e6 * double(state.iterations()),
                                                benchmark::Counter::kIsRate);
}

void DecodeGiflib(benchmark::State& state, const std::string& name) {
    const Bytes& bytes = Files[name];
    double pixels = 0;
    for (auto _ : state) {
        MemoryReader reader{&bytes, 0};
        int error = 0;
        GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
        if (!gif || DGifSlurp(gif) != GIF_OK) {
            state.SkipWithError("giflib could not decode the file");
            return;
        }
        pixels = 0;
        for (int i = 0; i < gif->ImageCount; ++i)
            pixels += double(gif->SavedImages[i].ImageDesc.Width) *
                      gif->SavedImages[i].ImageDesc.Height;
        DGifCloseFile(gif, &error);
    }
    state.counters["MP/s"] = benchmark::Counter(pixels / 1e6 * double(state.iterations()),
                                                benchmark::Counter::kIsRate);
}

// The console report, keeping each run's rate for the closing ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    std::map<std::string, double> rates;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto found = run.counters.find("MP/s");
            if (!run.error_occurred && found != run.counters.end())
                rates[run.benchmark_name()] = found->second.value;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    for (const char* name : kFiles) {
        std::string path = std::string(REELBOX_BENCH_GIFS) + "/" + name + ".gif";
        std::ifstream in(path, std::ios::binary);
        Files[name] = Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (Files[name].empty()) {
            std::fprintf(stderr, "missing benchmark file %s\n", path.c_str());
            return 1;
        }
        benchmark::RegisterBenchmark((std::string("ours/") + name).c_str(), DecodeOurs, name);
        benchmark::RegisterBenchmark((std::string("giflib/") + name).c_str(), DecodeGiflib, name);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;  // tabular, without colour codes
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%-8s %14s %14s %12s\n", "file", "ours MP/s", "giflib MP/s", "ours/giflib");
    // With --benchmark_repetitions the medians are compared, else the single runs.
    auto rate = [&](const std::string& name) {
        auto median = reporter.rates.find(name + "_median");
        return median != reporter.rates.end() ? median->second : reporter.rates[name];
    };
    for (const char* name : kFiles) {
        double ours = rate(std::string("ours/") + name);
        double theirs = rate(std::string("giflib/") + name);
        if (ours > 0 && theirs > 0)
            std::printf("%-8s %14.1f %14.1f %12.2f\n", name, ours, theirs, ours / theirs);
    }
    benchmark::Shutdown();
    return 0;
}
