// Decoding speed of our GIF loader against giflib's DGifSlurp on the same in-memory files:
// the generated files of every size class (make_bench_gifs.sh), the shared GIF suite, and any
// files named on the command line. The machine is shared, so the two decoders take turns on
// each file in short batches of about a millisecond, timed in the thread's own CPU time: time
// spent waiting for a core counts for neither, and a change in load reaches both alike. Each
// round gives one ratio ours / giflib per file; the table shows the medians over the rounds
// and the geometric mean of the per-file medians.
//
//   reelbox_bench [--rounds N] [--batch-ms M] [more.gif ...]
//   reelbox_bench --once ours|giflib file.gif    (one load, for valgrind --tool=callgrind)
#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <time.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gif/gif_loader.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct BenchFile {
    std::string name;
    Bytes bytes;
    int frames = 0;
    double pixels = 0;  // of all frames, per load
    long batch = 1;     // loads per batch
    std::vector<double> ours, giflib, ratios;  // rates in Mpx/s and ratios, one per round
};

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

// One load with each decoder; both answer the pixels of all frames, or -1 on failure.
double LoadOurs(const Bytes& bytes, int* frames = nullptr) {
    LoadedGif gif = GifLoadBytes(bytes.data(), bytes.size());
    if (!gif.FrameListHead)
        return -1;
    double pixels = 0;
    int count = 0;
    for (FrameNode* node = gif.FrameListHead; node; node = node->next, ++count)
        pixels += double(node->image->width) * node->image->height;
    FreeLoadedGif(&gif);
    if (frames)
        *frames = count;
    return pixels;
}

double LoadGiflib(const Bytes& bytes) {
    MemoryReader reader{&bytes, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
    if (!gif)
        return -1;
    double pixels = -1;
    if (DGifSlurp(gif) == GIF_OK) {
        pixels = 0;
        for (int i = 0; i < gif->ImageCount; ++i)
            pixels += double(gif->SavedImages[i].ImageDesc.Width) *
                      gif->SavedImages[i].ImageDesc.Height;
    }
    DGifCloseFile(gif, &error);
    return pixels;
}

double ThreadSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// CPU seconds for loads loads.
double TimeLoads(double (*load)(const Bytes&), const Bytes& bytes, long loads) {
    double start = ThreadSeconds();
    for (long i = 0; i < loads; ++i)
        load(bytes);
    return ThreadSeconds() - start;
}

double OursOnce(const Bytes& bytes) {
    return LoadOurs(bytes);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool ReadFile(const std::string& path, Bytes* bytes) {
    std::ifstream in(path, std::ios::binary);
    *bytes = Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !bytes->empty();
}

// The .gif files of a folder, sorted by name; none when the folder is missing.
std::vector<std::string> GifsIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".gif") == 0)
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void AddFile(std::vector<BenchFile>* files, const std::string& name, const std::string& path) {
    BenchFile file;
    file.name = name;
    if (!ReadFile(path, &file.bytes)) {
        std::printf("%-34s cannot be read\n", name.c_str());
        return;
    }
    file.pixels = LoadOurs(file.bytes, &file.frames);
    double theirs = LoadGiflib(file.bytes);
    if (file.pixels <= 0 || theirs != file.pixels) {
        std::printf("%-34s left out: ours %.0f pixels, giflib %.0f\n", name.c_str(),
                    file.pixels, theirs);
        return;
    }
    double slower = std::max(TimeLoads(LoadGiflib, file.bytes, 3), TimeLoads(OursOnce, file.bytes, 3));
    file.batch = std::max(1L, long(0.001 / (slower / 3)));
    files->push_back(std::move(file));
}

int LoadOnce(const std::string& decoder, const std::string& path) {
    Bytes bytes;
    if (!ReadFile(path, &bytes))
        return 1;
    double pixels = decoder == "giflib" ? LoadGiflib(bytes) : LoadOurs(bytes);
    std::printf("%s: %.0f pixels\n", decoder.c_str(), pixels);
    return pixels < 0;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 7;
    double batchSeconds = 0.04;
    std::vector<std::string> extra;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--once" && i + 2 < argc)
            return LoadOnce(argv[i + 1], argv[i + 2]);
        if (arg == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--batch-ms" && i + 1 < argc)
            batchSeconds = std::max(1, std::atoi(argv[++i])) / 1000.0;
        else
            extra.push_back(arg);
    }

    std::vector<BenchFile> files;
    for (const std::string& name : GifsIn(REELBOX_BENCH_GIFS))
        AddFile(&files, name, std::string(REELBOX_BENCH_GIFS) + "/" + name);
    std::string suite = std::string(REELBOX_GIF_SUITE) + "/gifs";
    for (const std::string& name : GifsIn(suite))
        AddFile(&files, "suite/" + name, suite + "/" + name);
    for (const std::string& path : extra)
        AddFile(&files, path, path);
    if (files.empty()) {
        std::fprintf(stderr, "no benchmark files\n");
        return 1;
    }

    std::printf("%d rounds; in each, the decoders take turns on every file for %.0f ms of CPU "
                "time\n", rounds, batchSeconds * 1000);
    for (int round = 0; round < rounds; ++round) {
        for (BenchFile& file : files) {
            double ours = 0, theirs = 0;
            long loads = 0;
            // The decoder that goes first alternates, so that neither always meets a warm cache.
            for (int turn = 0; ours + theirs < batchSeconds; ++turn) {
                if ((turn + round) % 2 == 0) {
                    ours += TimeLoads(OursOnce, file.bytes, file.batch);
                    theirs += TimeLoads(LoadGiflib, file.bytes, file.batch);
                } else {
                    theirs += TimeLoads(LoadGiflib, file.bytes, file.batch);
                    ours += TimeLoads(OursOnce, file.bytes, file.batch);
                }
                loads += file.batch;
            }
            file.ours.push_back(double(loads) / ours * file.pixels / 1e6);
            file.giflib.push_back(double(loads) / theirs * file.pixels / 1e6);
            file.ratios.push_back(theirs / ours);
        }
        std::fprintf(stderr, "round %d of %d done\n", round + 1, rounds);
    }

    std::printf("\n%-34s %6s %10s %10s %10s %8s %14s\n", "file", "frames", "px/frame",
                "ours Mpx/s", "giflib", "ratio", "ratio range");
    double logSum = 0;
    double lowest = 1e9;
    std::string lowestName;
    for (const BenchFile& file : files) {
        double ratio = Median(file.ratios);
        auto range = std::minmax_element(file.ratios.begin(), file.ratios.end());
        std::printf("%-34s %6d %10.0f %10.1f %10.1f %8.2f %6.2f..%-6.2f\n", file.name.c_str(),
                    file.frames, file.pixels / file.frames, Median(file.ours),
                    Median(file.giflib), ratio, *range.first, *range.second);
        logSum += std::log(ratio);
        if (ratio < lowest) {
            lowest = ratio;
            lowestName = file.name;
        }
    }
    std::printf("\nmedian ratio ours / giflib over %d rounds; geometric mean over %zu files: "
                "%.2f; lowest: %.2f (%s)\n",
                rounds, files.size(), std::exp(logSum / double(files.size())), lowest,
                lowestName.c_str());
    return 0;
}
