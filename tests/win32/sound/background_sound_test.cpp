// The background sound in this process under Wine: which device each kind opens, that it is
// playing, that StopSound closes it exactly once, and the "Error" box of every failure.
//
// MessageBoxA would block the test, so a watcher thread answers every "Error" box of this
// process with OK and records what it saw: caption, text, buttons and owner.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "sound/background_sound.h"

namespace {

// ---- Sound files ---------------------------------------------------------------------

void PutLe(std::string* out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out->push_back(char((value >> (8 * i)) & 0xFF));
}

void PutBe(std::string* out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out->push_back(char((value >> (8 * i)) & 0xFF));
}

// A 16-bit mono PCM RIFF WAVE file at 22050 Hz with `data` as its samples.
std::string WaveFile(const std::string& data) {
    const uint32_t rate = 22050, bits = 16;
    std::string wav = "RIFF";
    PutLe(&wav, uint32_t(4 + 8 + 16 + 8 + data.size()), 4);
    wav += "WAVEfmt ";
    PutLe(&wav, 16, 4);
    PutLe(&wav, WAVE_FORMAT_PCM, 2);
    PutLe(&wav, 1, 2);   // mono
    PutLe(&wav, rate, 4);
    PutLe(&wav, rate * bits / 8, 4);
    PutLe(&wav, bits / 8, 2);
    PutLe(&wav, bits, 2);
    wav += "data";
    PutLe(&wav, uint32_t(data.size()), 4);
    return wav + data;
}

// 16-bit PCM sine of 440 Hz at half scale.
std::string ToneWave(double seconds) {
    std::string samples;
    int count = int(22050 * seconds);
    for (int i = 0; i < count; ++i)
        PutLe(&samples, uint32_t(int16_t(16000 * std::sin(2 * 3.14159265358979 * 440 * i / 22050))), 2);
    return WaveFile(samples);
}

// One track of one note: note on, a quarter later note off, end of track.
std::string MidiFile() {
    std::string track = std::string("\x00\x90\x3C\x64", 4) + std::string("\x60\x80\x3C\x40", 4) +
                        std::string("\x00\xFF\x2F\x00", 4);
    std::string midi = "MThd";
    PutBe(&midi, 6, 4);
    PutBe(&midi, 0, 2);    // format 0
    PutBe(&midi, 1, 2);    // one track
    PutBe(&midi, 96, 2);   // ticks per quarter note
    midi += "MTrk";
    PutBe(&midi, uint32_t(track.size()), 4);
    return midi + track;
}

std::string WriteTempFile(const char* name, const std::string& bytes) {
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    EXPECT_EQ(written, bytes.size());
    return path;
}

// The temporary folder's ASCII path in the wide form the player passes.
std::wstring Wide(const std::string& path) {
    return std::wstring(path.begin(), path.end());
}

// ---- Error boxes ----------------------------------------------------------------------

struct SeenBox {
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;
    HWND owner = nullptr;
};

BOOL CALLBACK CollectControl(HWND child, LPARAM lParam) {
    SeenBox* box = reinterpret_cast<SeenBox*>(lParam);
    char className[64] = "";
    char text[1024] = "";
    GetClassNameA(child, className, sizeof className);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(className, "Button") == 0 && IsWindowVisible(child))
        box->buttons.push_back(text);
    else if (lstrcmpiA(className, "Static") == 0 && text[0] != '\0')
        box->text = text;
    return TRUE;
}

// Answers every visible top-level window of this process titled "Error" with OK.
class ErrorBoxWatcher {
public:
    ErrorBoxWatcher() : thread_([this] { Run(); }) {}
    ~ErrorBoxWatcher() {
        stop_ = true;
        thread_.join();
    }
    std::vector<SeenBox> Boxes() {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }

private:
    static BOOL CALLBACK FindBox(HWND window, LPARAM lParam) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char title[64] = "";
        GetWindowTextA(window, title, sizeof title);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
            lstrcmpA(title, "Error") == 0) {
            *reinterpret_cast<HWND*>(lParam) = window;
            return FALSE;
        }
        return TRUE;
    }

    void Run() {
        while (!stop_) {
            HWND box = nullptr;
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
            if (!box) {
                Sleep(5);
                continue;
            }
            SeenBox seen;
            char caption[64] = "";
            GetWindowTextA(box, caption, sizeof caption);
            seen.caption = caption;
            seen.owner = GetWindow(box, GW_OWNER);
            EnumChildWindows(box, CollectControl, reinterpret_cast<LPARAM>(&seen));
            {
                std::lock_guard<std::mutex> lock(mutex_);
                boxes_.push_back(seen);
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            // The same box must not be counted twice while it closes.
            for (int waited = 0; IsWindow(box) && waited < 2000; waited += 5) Sleep(5);
        }
    }

    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<SeenBox> boxes_;
    std::thread thread_;
};

std::string PlatformText(DWORD code) {
    char text[256] = "";
    if (!mciGetErrorStringA(code, text, sizeof text)) return "(no text)";
    return text;
}

// The box every media error must produce: no owner, caption "Error", one OK button.
void ExpectOneErrorBox(const std::vector<SeenBox>& boxes, const std::string& text) {
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(boxes[0].owner, nullptr);
}

// The MCI device type of an open device, or 0 when the id names no open device.
DWORD DeviceType(MCIDEVICEID device) {
    MCI_GETDEVCAPS_PARMS caps = {};
    caps.dwItem = MCI_GETDEVCAPS_DEVICE_TYPE;
    if (mciSendCommandA(device, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM, DWORD_PTR(&caps)) != 0)
        return 0;
    return caps.dwReturn;
}

DWORD DeviceMode(MCIDEVICEID device) {
    MCI_STATUS_PARMS status = {};
    status.dwItem = MCI_STATUS_MODE;
    if (mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM, DWORD_PTR(&status)) != 0) return 0;
    return DWORD(status.dwReturn);
}

class BackgroundSoundTest : public ::testing::Test {
protected:
    // Whatever a failed test left open is closed.
    void TearDown() override { StopSound(); }
};

// ---- Playing and stopping ---------------------------------------------------------------

TEST_F(BackgroundSoundTest, WaveOpensWaveaudioPlaysAndStopsOnce) {
    std::string wav = WriteTempFile("sound_test_tone.wav", ToneWave(3.0));
    ErrorBoxWatcher watcher;
    ASSERT_EQ(StartSound(kSoundWave, Wide(wav).c_str()), 0u);
    MCIDEVICEID device = SoundDeviceInUse();
    ASSERT_NE(device, 0u);
    EXPECT_EQ(DeviceType(device), DWORD(MCI_DEVTYPE_WAVEFORM_AUDIO));
    EXPECT_EQ(DeviceMode(device), DWORD(MCI_MODE_PLAY)) << "StartSound must not wait for the end";

    EXPECT_EQ(StopSound(), 1);
    EXPECT_EQ(SoundDeviceInUse(), 0u);
    EXPECT_EQ(DeviceType(device), 0u) << "the device is still open after StopSound";
    EXPECT_EQ(StopSound(), 1) << "a second StopSound has nothing to close";
    EXPECT_TRUE(watcher.Boxes().empty());
    DeleteFileA(wav.c_str());
}

TEST_F(BackgroundSoundTest, MidiOpensTheSequencer) {
    std::string midi = WriteTempFile("sound_test_note.mid", MidiFile());
    ErrorBoxWatcher watcher;
    ASSERT_EQ(StartSound(kSoundMidi, Wide(midi).c_str()), 0u);
    MCIDEVICEID device = SoundDeviceInUse();
    ASSERT_NE(device, 0u);
    EXPECT_EQ(DeviceType(device), DWORD(MCI_DEVTYPE_SEQUENCER));

    EXPECT_EQ(StopSound(), 1);
    EXPECT_EQ(SoundDeviceInUse(), 0u);
    EXPECT_EQ(DeviceType(device), 0u);
    EXPECT_EQ(StopSound(), 1);
    EXPECT_TRUE(watcher.Boxes().empty());
    DeleteFileA(midi.c_str());
}

TEST_F(BackgroundSoundTest, WithoutSoundStopSoundDoesNothing) {
    ErrorBoxWatcher watcher;
    EXPECT_EQ(StopSound(), 1);
    EXPECT_EQ(SoundDeviceInUse(), 0u);
    EXPECT_TRUE(watcher.Boxes().empty());
}

// ---- Failures -----------------------------------------------------------------------------

struct Refusal {
    const char* name;
    SoundKind kind;
    std::string bytes;   // empty: the file does not exist
};

void PrintTo(const Refusal& refusal, std::ostream* out) {
    *out << refusal.name;
}

class SoundRefusalTest : public BackgroundSoundTest,
                         public ::testing::WithParamInterface<Refusal> {};

// Each refusal shows one box with the platform's text for the code StartSound answers,
// leaves no device open, and the StopSound at the end of the show shows nothing more.
TEST_P(SoundRefusalTest, OneErrorBoxAndNoDeviceLeftOpen) {
    const Refusal& refusal = GetParam();
    std::string path;
    if (refusal.bytes.empty()) {
        char folder[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, folder);
        path = std::string(folder) + "sound_test_missing.wav";
        DeleteFileA(path.c_str());
    } else {
        path = WriteTempFile("sound_test_refused.snd", refusal.bytes);
    }
    ErrorBoxWatcher watcher;
    DWORD code = StartSound(refusal.kind, Wide(path).c_str());
    std::printf("%s: StartSound answered %lu \"%s\"\n", refusal.name, (unsigned long)code,
                PlatformText(code).c_str());
    EXPECT_NE(code, 0u);
    EXPECT_EQ(SoundDeviceInUse(), 0u);
    ExpectOneErrorBox(watcher.Boxes(), PlatformText(code));
    EXPECT_EQ(StopSound(), 1);
    EXPECT_EQ(watcher.Boxes().size(), 1u) << "StopSound showed a box";
    DeleteFileA(path.c_str());
}

const Refusal kRefusals[] = {
    {"WaveOnTheSequencer", kSoundMidi, ToneWave(0.5)},
    {"MidiOnWaveaudio", kSoundWave, MidiFile()},
    {"CorruptWave", kSoundWave, std::string("RIFF\x10\x00\x00\x00WAVEjunk\x99\x98", 18)},
    {"CorruptMidi", kSoundMidi, std::string("MThd\xFF\xFF\xFF\xFFjunk", 12)},
    {"MissingFile", kSoundWave, ""},
    {"MissingMidiFile", kSoundMidi, ""},
};

INSTANTIATE_TEST_SUITE_P(Files, SoundRefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<Refusal>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(BackgroundSoundTest, ReportShowsThePlatformTextOrTheFallback) {
    {
        ErrorBoxWatcher watcher;
        ReportMciError(0);
        ReportMciError(MCIERR_FILE_NOT_FOUND);
        ExpectOneErrorBox(watcher.Boxes(), PlatformText(MCIERR_FILE_NOT_FOUND));
        EXPECT_NE(PlatformText(MCIERR_FILE_NOT_FOUND), "(no text)");
    }
    // A code below the media error range has no text of its own.
    ErrorBoxWatcher watcher;
    ReportMciError(1);
    ExpectOneErrorBox(watcher.Boxes(), "Unknown Error");
}

}  // namespace
