// The null sink recorder (see sound_recorder.h).
#include "sound_recorder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <mutex>
#include <utility>

#include "e2e_harness.h"

namespace e2e {

namespace {

constexpr int kBytesPerSample = 2;
constexpr int kSizePollMs = 2;

std::mutex gSizesMutex;
std::vector<std::pair<int64_t, int64_t>> gSizes;   // (NowMs, file size) while recording

int64_t FileSize(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? int64_t(info.st_size) : -1;
}

uint32_t Le32(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

// Offset of the samples of the "data" chunk. Its size field is not trusted: a recording
// that was cut short may not have it filled in, so the samples run to the end of the file.
bool FindSamples(const std::string& wav, size_t* offset, std::string* error) {
    if (wav.size() < 12 || wav.compare(0, 4, "RIFF") != 0 || wav.compare(8, 4, "WAVE") != 0) {
        *error = "the recording is not a RIFF WAVE file";
        return false;
    }
    size_t at = 12;
    while (at + 8 <= wav.size()) {
        uint32_t size = Le32(wav, at + 4);
        if (wav.compare(at, 4, "fmt ") == 0) {
            if (at + 24 > wav.size() || (Le32(wav, at + 8) & 0xFFFF) != 1 ||
                (Le32(wav, at + 8) >> 16) != 1 || Le32(wav, at + 12) != uint32_t(kRecordRate) ||
                (Le32(wav, at + 20) >> 16) != 16) {
                *error = "the recording is not 16-bit mono PCM at 22050 Hz";
                return false;
            }
        }
        if (wav.compare(at, 4, "data") == 0) {
            *offset = at + 8;
            return true;
        }
        at += 8 + size + (size & 1);
    }
    *error = "the recording has no data chunk";
    return false;
}

}  // namespace

SoundRecorder::~SoundRecorder() {
    std::string ignored;
    if (pid_ > 0) Stop(&ignored);
}

bool SoundRecorder::Start(const std::string& wavPath, std::string* error) {
    path_ = wavPath;
    std::remove(path_.c_str());
    {
        std::lock_guard<std::mutex> lock(gSizesMutex);
        gSizes.clear();
    }
    std::string log = wavPath + ".log";
    pid_t pid = fork();
    if (pid < 0) {
        *error = std::string("fork failed: ") + std::strerror(errno);
        return false;
    }
    if (pid == 0) {
        int in = open("/dev/null", O_RDONLY);
        int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in >= 0) dup2(in, 0);
        if (out >= 0) {
            dup2(out, 1);
            dup2(out, 2);
        }
        std::string rate = "--rate=" + std::to_string(kRecordRate);
        execlp("parec", "parec", "-d", "nullsink.monitor", "--file-format=wav",
               "--format=s16le", "--channels=1", rate.c_str(), "--latency-msec=10",
               path_.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    pid_ = pid;
    watching_ = true;
    watcher_ = std::thread([this] { WatchSize(); });
    // The null sink's monitor delivers samples continuously, silence included.
    if (!WaitUntil([this] { return FileSize(path_) > 1000; }, 5000)) {
        std::string ignored;
        Stop(&ignored);
        std::string output;
        ReadFileBytes(log, &output);
        *error = "parec wrote no samples within 5 s (is PULSE_SERVER set?): " + output;
        return false;
    }
    return true;
}

void SoundRecorder::WatchSize() {
    while (watching_) {
        int64_t size = FileSize(path_);
        int64_t now = NowMs();
        if (size > 0) {
            std::lock_guard<std::mutex> lock(gSizesMutex);
            gSizes.emplace_back(now, size);
        }
        SleepMs(kSizePollMs);
    }
}

bool SoundRecorder::Stop(std::string* error) {
    if (pid_ <= 0) {
        *error = "the recorder was not started";
        return false;
    }
    kill(pid_, SIGINT);
    int status = 0;
    bool ended = WaitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, 2000);
    if (!ended) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    watching_ = false;
    if (watcher_.joinable()) watcher_.join();

    std::string wav;
    size_t offset = 0;
    if (!ReadFileBytes(path_, &wav) || !FindSamples(wav, &offset, error)) {
        if (error->empty()) *error = "cannot read " + path_;
        return false;
    }
    // Every sample on disk at time t was captured by t, so the first sample was captured
    // no later than the smallest t - samples / rate over the polls.
    int64_t first = INT64_MAX;
    {
        std::lock_guard<std::mutex> lock(gSizesMutex);
        for (const auto& poll : gSizes) {
            int64_t samples = (poll.second - int64_t(offset)) / kBytesPerSample;
            if (samples <= 0) continue;
            first = std::min(first, poll.first - samples * 1000 / kRecordRate);
        }
    }
    if (first == INT64_MAX) {
        *error = "no samples were seen while recording";
        return false;
    }
    firstSampleMs_ = first;

    levels_.clear();
    const size_t windowSamples = kRecordRate * kLevelWindowMs / 1000;
    size_t count = (wav.size() - offset) / kBytesPerSample;
    for (size_t start = 0; start + windowSamples <= count; start += windowSamples) {
        double sum = 0;
        for (size_t i = start; i < start + windowSamples; ++i) {
            size_t at = offset + i * kBytesPerSample;
            int16_t sample = int16_t(uint16_t(uint8_t(wav[at])) | uint16_t(uint8_t(wav[at + 1])) << 8);
            double value = sample / 32768.0;
            sum += value * value;
        }
        levels_.push_back(std::sqrt(sum / windowSamples));
    }
    return true;
}

double SoundRecorder::RmsBetween(int64_t fromMs, int64_t toMs) const {
    int64_t first = (fromMs - firstSampleMs_) / kLevelWindowMs;
    int64_t last = (toMs - firstSampleMs_) / kLevelWindowMs;
    if (first < 0 || last > int64_t(levels_.size()) || last <= first) return -1;
    double sum = 0;
    for (int64_t i = first; i < last; ++i) sum += levels_[size_t(i)] * levels_[size_t(i)];
    return std::sqrt(sum / double(last - first));
}

int64_t SoundRecorder::FirstLouderThan(double threshold, int64_t fromMs) const {
    int64_t i = std::max<int64_t>(0, (fromMs - firstSampleMs_) / kLevelWindowMs);
    for (; i < int64_t(levels_.size()); ++i)
        if (levels_[size_t(i)] > threshold) return firstSampleMs_ + i * kLevelWindowMs;
    return -1;
}

int64_t SoundRecorder::SilentFrom(double threshold, int64_t fromMs) const {
    int64_t begin = std::max<int64_t>(0, (fromMs - firstSampleMs_) / kLevelWindowMs);
    int64_t silentFrom = int64_t(levels_.size());
    while (silentFrom > begin && levels_[size_t(silentFrom - 1)] <= threshold) --silentFrom;
    if (silentFrom == int64_t(levels_.size())) return -1;
    return firstSampleMs_ + silentFrom * kLevelWindowMs;
}

}  // namespace e2e
