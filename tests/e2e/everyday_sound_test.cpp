// MP3 and OGG Vorbis sounds, converted by tackon to the WAV the player's waveaudio device
// plays, heard on the test environment's PulseAudio null sink while the show runs.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "package/package_layout.h"
#include "e2e_harness.h"
#include "gif_writer.h"
#include "sound_recorder.h"

namespace e2e {
namespace {

constexpr int kWidth = 64, kHeight = 48;
constexpr double kLoud = 0.2;        // the tone's RMS is 0.35 of full scale
constexpr double kSilent = 0.001;

bool ShowWindowExists() {
    for (const TopWindow& w : ListTopWindows())
        if (w.width == kWidth && w.height == kHeight) return true;
    return false;
}

class EverydaySoundTest : public E2eTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EverydaySoundTest, CompressedSoundIsHeardWhileTheShowRuns) {
    const std::string format = GetParam();
    // A 440 Hz tone of 3 s at half of full scale, encoded by ffmpeg.
    const std::string sound = OutputPath("tone." + format);
    const std::string codec = format == "mp3" ? "libmp3lame" : "libvorbis";
    std::string command = "ffmpeg -loglevel error -y -f lavfi -i sine=frequency=440:duration=3 -af volume=4 -c:a " +
                          codec + " '" + sound + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    Bytes gif;
    PutHeader(&gif, kWidth, kHeight, true, 1);
    ImageSpec image;
    image.width = kWidth;
    image.height = kHeight;
    image.minimumCodeSize = 2;
    image.pixels.assign(kWidth * kHeight, 1);
    PutImage(&gif, image);
    gif.push_back(0x3B);
    const std::string gifPath = OutputPath("animation.gif"), show = OutputPath("show.exe");
    ASSERT_TRUE(WriteFileBytes(gifPath, std::string(gif.begin(), gif.end())));
    ASSERT_TRUE(Tackon({"--animation", gifPath, "--sound", sound, "--start", "centre", "--end",
                        "centre", "-o", show}));
    std::string package;
    ASSERT_TRUE(ReadFileBytes(show, &package));
    PackageTrailerRecord trailer;
    DecodeTrailer(reinterpret_cast<const uint8_t*>(&package[package.size() - kTrailerSize]), &trailer);
    EXPECT_EQ(trailer.sound.type, kSoundTypeWave);

    SoundRecorder recorder;
    std::string error;
    ASSERT_TRUE(recorder.Start(OutputPath("recording.wav"), &error)) << error;
    WineProcess* process = Start(show);
    ASSERT_TRUE(Within(10000, "the show's window", ShowWindowExists));
    const int64_t windowMs = NowMs();
    while (NowMs() < windowMs + 2000) SleepMs(20);   // the show plays on for 2 s
    MovePointer(5, 5);
    ASSERT_TRUE(PressKey("Escape"));
    ASSERT_TRUE(Ends(process, 10000));
    ASSERT_TRUE(recorder.Stop(&error)) << error;

    const int64_t onsetMs = recorder.FirstLouderThan(kLoud, process->startedMs);
    ASSERT_GE(onsetMs, 0) << "the " << format << " sound was never heard";
    const double during = recorder.RmsBetween(onsetMs + 100, onsetMs + 1500);
    const int64_t silentMs = recorder.SilentFrom(kSilent, onsetMs);
    std::printf("[ sound ] %s heard %lld ms after the player started, RMS %.3f over 1.4 s, silent %lld ms "
                "after the onset\n",
                format.c_str(), (long long)(onsetMs - process->startedMs), during,
                (long long)(silentMs - onsetMs));
    EXPECT_GT(during, kLoud);
}

INSTANTIATE_TEST_SUITE_P(Formats, EverydaySoundTest, ::testing::Values("mp3", "ogg"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
}  // namespace e2e
