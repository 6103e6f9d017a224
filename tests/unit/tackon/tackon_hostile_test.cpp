// tackon given what careless or hostile authoring hands it: outputs that name an input or a
// read-only file, paths it cannot write, damaged and oversized inputs, executables that are
// no player, animations the player would not show and text that would garble a terminal.
// Every refusal is one line, exits 1 (2 for a command line that cannot be used), and leaves
// every file in the folder as it was.
#include <algorithm>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#ifdef _WIN32
#include <windows.h>
#else
#include <sndfile.h>
#endif

#include "gif_writer.h"
#include "sample_files.h"
#include "sample_player.h"

namespace fs = std::filesystem;

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Every file's bytes and permissions, to show that nothing was touched.
std::map<std::string, std::pair<Bytes, fs::perms>> Snapshot(const fs::path& folder) {
    std::map<std::string, std::pair<Bytes, fs::perms>> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && fs::file_size(entry.path()) < 1000000)
            files[entry.path().string()] = {ReadBytes(entry.path()), entry.status().permissions()};
        else
            files[entry.path().string()] = {Bytes(), entry.status().permissions()};
    return files;
}

// A 64 x 64 animation of noise cut after 300 bytes, inside its first frame.
Bytes CutGif() {
    Bytes gif;
    PutHeader(&gif, 64, 64, true, 1);
    ImageSpec image;
    image.width = 64;
    image.height = 64;
    image.minimumCodeSize = 2;
    image.pixels = RandomPixels(64 * 64, 4, 7);
    PutImage(&gif, image);
    gif.resize(300);
    return gif;
}

class TackonHostile : public ::testing::Test {
protected:
    ScratchFolder folder;
    void SetUp() override {
        WriteBytes(folder / "player.exe", SamplePlayer(3000));
        WriteBytes(folder / "other.exe", SamplePlayer(3000, "Notepad"));
        WriteBytes(folder / "a.gif", SampleGif(0, 0));
        WriteBytes(folder / "s.wav", SampleWave(100));
        WriteBytes(folder / "caption.txt", Bytes{'H', 'i'});
        WriteBytes(folder / "empty.wav", Bytes());
        WriteBytes(folder / "zero.gif", Animation(0, 0, {0}));
        WriteBytes(folder / "wide.gif", Animation(5000, 10, {0}));
        WriteBytes(folder / "cut.gif", CutGif());
    }
    std::vector<std::string> Pack(const std::string& output, std::vector<std::string> more) {
        std::vector<std::string> args = {"--player", folder / "player.exe", "--animation", folder / "a.gif",
                                         "-o", output};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    // The run is refused with one line that mentions `mentions`, and no file changed.
    void ExpectRefused(const std::vector<std::string>& args, int status, const std::string& mentions) {
        const auto before = Snapshot(folder.path);
        const ToolRun run = Tackon(args);
        EXPECT_EQ(status, run.status) << mentions << "\n" << run.err;
        EXPECT_TRUE(Has(run.err, mentions)) << run.err;
        EXPECT_EQ(0u, run.err.rfind("tackon: ", 0)) << run.err;
        EXPECT_EQ(run.err.size() - 1, run.err.find('\n')) << run.err;
        EXPECT_TRUE(before == Snapshot(folder.path)) << mentions;
    }
};

TEST_F(TackonHostile, RefusalsLoseNothingAndSayWhyInOneLine) {
    const std::string show = folder / "show.exe";
    // Each case starts from the same files, whatever the one before did to them.
    const fs::path locked = folder.path / "locked.exe";
    auto unlock = [&] {   // Windows removes no read-only file
        std::error_code ignored;
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_write, ignored);
    };
    auto prepare = [&] {
        unlock();
        fs::remove_all(folder.path);
        fs::create_directories(folder.path / "sub");
        SetUp();
        fs::create_hard_link(folder.path / "s.wav", folder.path / "linked.wav");
        WriteBytes(folder / "locked.exe", Bytes{1, 2, 3});
        fs::permissions(folder.path / "locked.exe", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    };
    ScratchFolder large;   // made once: a sparse file is not sparse everywhere
    WriteBytes(large / "big.gif", Bytes{'G', 'I', 'F'});
    fs::resize_file(large.path / "big.gif", 300000000);
    const std::string dotted = (folder.path / "sub" / ".." / "caption.txt").string();

    const struct {
        std::vector<std::string> args;
        int status;
        std::string mentions;
    } cases[] = {
        // The output is an input, however it is spelt: the input would be lost.
        {Pack(folder / "a.gif", {}), 1, "is the --animation file"},
        {Pack(folder / "linked.wav", {"--sound", folder / "s.wav"}), 1, "is the --sound file"},
        {Pack(dotted, {"--message-colour", "#FFFFFF", "--caption-file", folder / "caption.txt"}), 1,
         "is the --caption-file file"},
        // A read-only output stays as it is, as cp would leave it.
        {Pack(folder / "locked.exe", {}), 1, "read-only"},
        // Inputs that are empty or larger than any show should be.
        {Pack(show, {"--sound", folder / "empty.wav"}), 1, "sound '" + folder / "empty.wav" + "' is empty"},
        {{"--player", folder / "player.exe", "--animation", large / "big.gif", "-o", show}, 1, "files over 250 MB"},
        // Animations the player refuses to show, and a damaged one.
        {{"--player", folder / "player.exe", "--animation", folder / "zero.gif", "-o", show}, 1,
         "a logical screen of 0 x 0; the player shows only 1 to 4096 pixels a side"},
        {{"--player", folder / "player.exe", "--animation", folder / "wide.gif", "-o", show}, 1,
         "5000 x 10"},
        {{"--player", folder / "player.exe", "--animation", folder / "cut.gif", "-o", show}, 1,
         "damaged: it ends inside frame 1"},
        {Pack(show, {"--message-image", folder / "cut.gif"}), 1, "damaged: it ends inside frame 1"},
        // A player that is no Windows program, and one that is no Reelbox player.
        {{"--player", folder / "a.gif", "--animation", folder / "a.gif", "-o", show}, 1, "not a Windows program"},
        {{"--player", folder / "other.exe", "--animation", folder / "a.gif", "-o", show}, 1,
         "not a Reelbox player"},
        // A caption character no code page holds is named as it is.
        {Pack(show, {"--caption-style", "text", "--caption", "Happy birthday \xF0\x9F\x8E\x82"}), 1, "'\xF0\x9F\x8E\x82' (U+1F382)"},
        // A font face is stored in the caption's code page, so one it lacks is refused.
        {Pack(show, {"--message-colour", "#FFFFFF", "--caption", "Hi", "--font",
                     "\xD0\xA8\xD1\x80\xD0\xB8\xD1\x84\xD1\x82,-24"}),
         1, "cannot be written in Western"},
        // Usage errors exit with 2.
        {{"--player"}, 2, "needs a value"},
        {{"--check", show, "--force"}, 2, "--force goes with --extract"},
        // A name too long for the folder: one line, at once.
        {Pack(folder / std::string(300, 'n'), {}), 1, "cannot write"},
    };
    for (const auto& c : cases) {
        prepare();
        ExpectRefused(c.args, c.status, c.mentions);
    }
    unlock();

    // -o may still name the player: the show carries it whole.
    WriteBytes(folder / "copy.exe", SamplePlayer(3000));
    ASSERT_EQ(0, Tackon({"--player", folder / "copy.exe", "--animation", folder / "a.gif", "-o", folder / "copy.exe"}).status);
}

TEST_F(TackonHostile, ExtractRefusesToReplaceFilesUnlessForced) {
    ASSERT_EQ(0, Tackon(Pack(folder / "show.exe", {"--sound", folder / "s.wav"})).status);
    fs::create_directory(folder.path / "out");
    WriteBytes(folder.path / "out" / "sound.wav", Bytes{7});
    ExpectRefused({"--extract", folder / "show.exe", folder / "out"}, 1, "sound.wav' already exists");
    EXPECT_FALSE(fs::exists(folder.path / "out" / "animation.gif"));
    const ToolRun forced = Tackon({"--extract", folder / "show.exe", folder / "out", "--force"});
    ASSERT_EQ(0, forced.status) << forced.err;
    EXPECT_EQ(ReadBytes(folder / "s.wav"), ReadBytes(folder.path / "out" / "sound.wav"));
}

TEST_F(TackonHostile, CheckAndInfoTellWhatTheShowIs) {
    static const uint8_t kGif89a[] = {'G', 'I', 'F', '8', '9', 'a'};
    // A show whose animation was given a logical screen the player refuses after packing.
    ASSERT_EQ(0, Tackon(Pack(folder / "show.exe", {})).status);
    Bytes show = ReadBytes(folder / "show.exe");
    // The animation follows the player and the zero bytes that make the show ready to sign.
    const size_t animation = size_t(std::search(show.begin() + 3000, show.end(), kGif89a, kGif89a + 6) - show.begin());
    ASSERT_LT(animation, 3008u);
    show[animation + 6] = 0;   // the logical screen's width, little-endian
    show[animation + 7] = 0;
    WriteBytes(folder / "zero.exe", show);
    const ToolRun zero = Tackon({"--check", folder / "zero.exe"});
    EXPECT_EQ(1, zero.status);
    EXPECT_TRUE(Has(zero.out, "error: animation: a logical screen of 0 x 1")) << zero.out;
    EXPECT_TRUE(Has(zero.out, "verdict: the player does not play this show")) << zero.out;

    // A package put behind some other program is not called playable; --info says which it is.
    Bytes forged = SamplePlayer(3000, "Notepad");
    forged.insert(forged.end(), show.begin() + animation, show.end());
    WriteBytes(folder / "forged.exe", forged);
    const ToolRun check = Tackon({"--check", folder / "forged.exe"});
    EXPECT_EQ(1, check.status);
    EXPECT_TRUE(Has(check.out, "error: player: a Windows program, but not a Reelbox player")) << check.out;
    EXPECT_TRUE(Has(Tackon({"--info", folder / "forged.exe"}).out, "not a Reelbox player")) ;
    EXPECT_TRUE(Has(Tackon({"--info", folder / "show.exe"}).out,
                    "player: " + std::to_string(animation) + " bytes, a Reelbox player, version 9.8.7\n"));

    // A caption with terminal escapes is printed escaped.
    ASSERT_EQ(0, Tackon(Pack(folder / "esc.exe", {"--message-colour", "#FFFFFF", "--caption",
                                                  "\x1B]0;owned\x07red"}))
                     .status);
    const ToolRun info = Tackon({"--info", folder / "esc.exe"});
    EXPECT_TRUE(Has(info.out, "caption: \"\\x1B]0;owned\\x07red\"")) << info.out;
    EXPECT_FALSE(Has(info.out, "\x1B")) << info.out;
}

TEST_F(TackonHostile, FontFaceIsStoredInTheCaptionsCodePage) {
    const std::string face = "\xD0\xA8\xD1\x80\xD0\xB8\xD1\x84\xD1\x82";   // Шрифт
    ASSERT_EQ(0, Tackon(Pack(folder / "ru.exe", {"--message-colour", "#FFFFFF", "--caption",
                                                 "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
                                                 "--font", face + ",-24"}))
                     .status);
    const Bytes show = ReadBytes(folder / "ru.exe");
    const size_t faceAt = show.size() - 152 + 16 + 28;   // the trailer's font record, its face
    EXPECT_EQ(Bytes({0xD8, 0xF0, 0xE8, 0xF4, 0xF2, 0}), Bytes(show.begin() + long(faceAt), show.begin() + long(faceAt) + 6));
}

#ifndef _WIN32   // the native decoders: libjpeg-turbo, libsndfile and the bitmap reader
TEST_F(TackonHostile, DamagedAndEndlessPicturesAndSoundsAreRefused) {
    // A photo cut short; a bitmap whose header size wraps round to the file header.
    const std::string photo = folder / "photo.jpg";
    const std::string command = "convert -size 64x64 gradient:red-blue -quality 90 '" + photo + "'";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
    Bytes jpeg = ReadBytes(photo);
    jpeg.resize(jpeg.size() * 6 / 10);
    WriteBytes(folder / "cut.jpg", jpeg);
    Bytes bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 70, 0, 0, 0, 0xF2, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 1, 0, 0, 0,
                 1, 0, 8, 0, 0, 0, 0, 0};
    bmp.resize(74, 0);
    bmp[46] = 2;   // two palette entries, which the wrapped offset would find at the file's start
    WriteBytes(folder / "wrap.bmp", bmp);

    // One hour of sound as its header states it: one second of silence in a FLAC whose
    // stream information claims an hour.
    SF_INFO info = {};
    info.samplerate = 8000;
    info.channels = 1;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* flac = sf_open((folder / "hour.flac").c_str(), SFM_WRITE, &info);
    ASSERT_NE(nullptr, flac);
    std::vector<short> silence(8000, 0);
    sf_write_short(flac, silence.data(), sf_count_t(silence.size()));
    sf_close(flac);
    Bytes hour = ReadBytes(folder / "hour.flac");
    const uint64_t frames = 3600ull * 8000;   // 36 bits after rate, channels and sample size
    hour[21] = uint8_t((hour[21] & 0xF0) | (frames >> 32 & 0x0F));
    for (int i = 0; i < 4; ++i)
        hour[22 + i] = uint8_t(frames >> (24 - 8 * i));
    WriteBytes(folder / "hour.flac", hour);
    WriteBytes(folder / "noise.flac", Bytes{'f', 'L', 'a', 'C', 1, 2, 3, 4, 5, 6, 7, 8});

    ExpectRefused(Pack(folder / "show.exe", {"--message-image", folder / "cut.jpg"}), 1, "the JPEG is damaged");
    ExpectRefused(Pack(folder / "show.exe", {"--message-image", folder / "wrap.bmp"}), 1, "shorter than its header");
    ExpectRefused(Pack(folder / "show.exe", {"--sound", folder / "hour.flac"}), 1,
                  "plays for 60 min 0 s; at most 10 minutes");
    const ToolRun noise = Tackon(Pack(folder / "show.exe", {"--sound", folder / "noise.flac"}));
    EXPECT_TRUE(Has(noise.err, "cannot be read (a damaged file")) << noise.err;
    EXPECT_FALSE(Has(noise.err, "Format not")) << noise.err;
}
#endif

#ifdef _WIN32
// tackon.exe itself, started with a UTF-16 command line as a console or a shortcut starts it:
// captions outside the ANSI code page arrive whole, and files are opened by their wide names.
TEST_F(TackonHostile, WindowsProgramTakesItsCommandLineInUtf16) {
    std::wstring program = L"Z:" + fs::u8path(REELBOX_TACKON_PROGRAM).wstring();
    for (wchar_t& c : program)
        c = c == L'/' ? L'\\' : c;
    const fs::path out = folder.path / L"\u041F\u043E\u0437\u0434\u0440\u0430\u0432\u044C Zo\u00E9";   // Поздравь Zoé
    fs::create_directory(out);
    fs::copy_file(folder.path / "a.gif", out / L"\u0430.gif");
    const struct {
        const wchar_t* caption;
        std::string stored;   // in the code page the caption's charset draws in
    } cases[] = {
        {L"\u0421 \u0434\u043D\u0451\u043C \u0440\u043E\u0436\u0434\u0435\u043D\u0438\u044F!",   // С днём рождения!
         "\xD1 \xE4\xED\xB8\xEC \xF0\xEE\xE6\xE4\xE5\xED\xE8\xFF!"},
        {L"Joyeux anniversaire, Zo\u00E9 !", "Joyeux anniversaire, Zo\xE9 !"},
    };
    for (const auto& c : cases) {
        const fs::path show = out / L"\u0448\u043E\u0443.exe";
        std::wstring command = L"\"" + program + L"\" --player \"" + (folder.path / "player.exe").wstring() +
                               L"\" --animation \"" + (out / L"\u0430.gif").wstring() +
                               L"\" --message-colour #FFFFFF --caption \"" + c.caption + L"\" -o \"" +
                               show.wstring() + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &process));
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD status = 99;
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        ASSERT_EQ(0u, status);
        const Bytes bytes = ReadBytes(show);
        const size_t trailer = bytes.size() - 152;
        const size_t length = Le32At(bytes, trailer + 8);
        EXPECT_EQ(c.stored, std::string(bytes.begin() + long(trailer - length), bytes.begin() + long(trailer)));
    }
}
#endif

}  // namespace
