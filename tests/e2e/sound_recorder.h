// Records what is played on the test environment's PulseAudio null sink (parec on
// nullsink.monitor, a child process ended by its PID) and measures the recording per 10 ms
// on the harness's monotonic clock, so that the sound can be placed against the show's
// events: when it started, when it fell silent, how loud it was in between.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

constexpr int kRecordRate = 22050;       // mono, signed 16 bit
constexpr int kLevelWindowMs = 10;

class SoundRecorder {
public:
    ~SoundRecorder();
    // Starts parec into wavPath and waits until samples arrive; false with a message.
    bool Start(const std::string& wavPath, std::string* error);
    // Ends parec (SIGINT, then SIGKILL after 2 s) and reads the levels; false with a message.
    bool Stop(std::string* error);

    // RMS of each 10 ms window, as a fraction of full scale; window i starts at
    // FirstSampleMs() + 10 i.
    const std::vector<double>& Levels() const { return levels_; }
    // The monotonic time (NowMs) of the first sample; an upper bound, late by at most the
    // time between two file size polls (about 2 ms) plus parec's write latency.
    int64_t FirstSampleMs() const { return firstSampleMs_; }

    // RMS over [fromMs, toMs) of the harness clock; -1 when the recording does not cover it.
    double RmsBetween(int64_t fromMs, int64_t toMs) const;
    // Start of the first window at or after fromMs whose RMS exceeds the threshold, or -1.
    int64_t FirstLouderThan(double threshold, int64_t fromMs) const;
    // Start of the first window at or after fromMs from which the RMS stays at or below the
    // threshold to the end of the recording, or -1.
    int64_t SilentFrom(double threshold, int64_t fromMs) const;
    int64_t EndMs() const { return firstSampleMs_ + int64_t(levels_.size()) * kLevelWindowMs; }

private:
    void WatchSize();

    pid_t pid_ = -1;
    std::string path_;
    std::atomic<bool> watching_{false};
    std::atomic<int64_t> firstSampleMs_{0};
    std::thread watcher_;
    std::vector<double> levels_;
};

}  // namespace e2e
