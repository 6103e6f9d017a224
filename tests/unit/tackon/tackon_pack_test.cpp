// tackon's commands run in-process on generated files: packing, --info and --extract, the
// refusals of bad input, and --replace.
#include <gtest/gtest.h>


#include "sample_files.h"
#include "sample_player.h"

namespace {

void ExpectExtracted(const std::filesystem::path& file, bool present, const Bytes& original) {
    ASSERT_EQ(present, std::filesystem::exists(file)) << file;
    if (present) {
        EXPECT_EQ(original, ReadBytes(file)) << file;
    }
}

class TackonPack : public ::testing::Test {
protected:
    ScratchFolder folder;
    Bytes player, animation, message, logo, wave, midi;

    void SetUp() override {
        player = SamplePlayer(3000);
        animation = SampleGif(400, 1);
        message = SampleEmf(64);
        logo = SampleGif(77, 200);
        wave = SampleWave(300);
        midi = SampleMidi();
        WriteBytes(folder / "player.exe", player);
        WriteBytes(folder / "a.gif", animation);
        WriteBytes(folder / "m.emf", message);
        WriteBytes(folder / "l.gif", logo);
        WriteBytes(folder / "s.wav", wave);
        WriteBytes(folder / "s.mid", midi);
    }

    std::vector<std::string> Base(const std::string& output) {
        return {"--player", folder / "player.exe", "--animation", folder / "a.gif", "-o", folder / output};
    }

    // The error is one line that mentions `mentions`, and the output folder gained nothing.
    // Command lines that cannot be used exit with 2.
    void ExpectRefused(std::vector<std::string> args, const std::string& mentions, int status = 1) {
        std::vector<std::string> before = folder.Names();
        ToolRun run = Tackon(args);
        EXPECT_EQ(status, run.status) << mentions;
        EXPECT_NE(std::string::npos, run.err.find(mentions)) << run.err;
        EXPECT_EQ(0u, run.err.rfind("tackon: ", 0)) << run.err;
        EXPECT_EQ(run.err.size() - 1, run.err.find('\n')) << run.err;
        EXPECT_EQ(before, folder.Names()) << mentions;
    }
};

TEST_F(TackonPack, EveryCombinationRoundTripsThroughInfoAndExtract) {
    // Bits: message, logo, caption; sound none / WAV / MIDI.
    for (int combo = 0; combo < 8 * 3; ++combo) {
        bool withMessage = combo & 1, withLogo = combo & 2, withCaption = combo & 4;
        int sound = combo / 8;
        SCOPED_TRACE("combination " + std::to_string(combo));
        std::string show = "show" + std::to_string(combo) + ".exe";
        std::vector<std::string> args = Base(show);
        const std::string caption = "Caption for combination " + std::to_string(combo);
        if (withMessage) args.insert(args.end(), {"--message", folder / "m.emf"});
        if (withLogo) args.insert(args.end(), {"--logo", folder / "l.gif"});
        if (withCaption) args.insert(args.end(), {"--caption", caption});
        if (sound == 1) args.insert(args.end(), {"--sound", folder / "s.wav"});
        if (sound == 2) args.insert(args.end(), {"--sound", folder / "s.mid"});
        ToolRun pack = Tackon(args);
        ASSERT_EQ(0, pack.status) << pack.err;

        Bytes package = ReadBytes(folder / show);
        size_t expected = player.size() + animation.size() + (withMessage ? message.size() : 0) +
                          (withLogo ? logo.size() : 0) + (withCaption ? caption.size() : 0) +
                          (sound == 1 ? wave.size() : sound == 2 ? midi.size() : 0) + 152;
        // Zero bytes after the player, counted in the trailer, round the show up to 8 bytes.
        ASSERT_EQ((expected + 7) / 8 * 8, package.size());
        EXPECT_TRUE(std::equal(player.begin(), player.end(), package.begin()));
        size_t t = package.size() - 152;
        EXPECT_EQ(package.size() - expected, Le32At(package, t + 4));
        EXPECT_EQ(withMessage ? 1u : 0u, Le32At(package, t + 88));
        EXPECT_EQ(sound ? 1u : 0u, Le32At(package, t + 100));
        EXPECT_EQ(sound == 1 ? 4u : sound == 2 ? 3u : 0u, Le32At(package, t + 104));
        EXPECT_EQ(withLogo ? 1u : 0u, Le32At(package, t + 112));

        ToolRun info = Tackon({"--info", folder / show});
        EXPECT_EQ(0, info.status) << info.out << info.err;
        EXPECT_NE(std::string::npos, info.out.find("the player accepts this package")) << info.out;
        EXPECT_NE(std::string::npos, info.out.find("size " + std::to_string(animation.size())));

        std::string out = "out" + std::to_string(combo);
        ToolRun extract = Tackon({"--extract", folder / show, folder / out});
        ASSERT_EQ(0, extract.status) << extract.err;
        std::filesystem::path dir = folder.path / out;
        const Bytes captionBytes(caption.begin(), caption.end());
        ExpectExtracted(dir / "animation.gif", true, animation);
        ExpectExtracted(dir / "message.emf", withMessage, message);
        ExpectExtracted(dir / "logo.gif", withLogo, logo);
        ExpectExtracted(dir / "caption.txt", withCaption, captionBytes);
        ExpectExtracted(dir / "sound.wav", sound == 1, wave);
        ExpectExtracted(dir / "sound.mid", sound == 2, midi);
    }
}

TEST_F(TackonPack, TrailerHoldsWhatTheOptionsSay) {
    std::vector<std::string> args = Base("show.exe");
    args.insert(args.end(), {"--start", "top-left", "--end", "8", "--about", "--colour", "#102030",
                             "--font", "Courier New,-30,bold,italic", "--caption", "Hi"});
    ASSERT_EQ(0, Tackon(args).status);
    Bytes package = ReadBytes(folder / "show.exe");
    size_t t = package.size() - 152;
    EXPECT_EQ(Bytes({'K', 'V', 'Z', 0}), Bytes(package.begin() + t, package.begin() + t + 4));
    EXPECT_LT(Le32At(package, t + 4), 8u);                    // the padding after the player
    EXPECT_EQ(2u, Le32At(package, t + 8));
    EXPECT_EQ('H', package[t - 2]);
    EXPECT_EQ(0x00302010u, Le32At(package, t + 12));
    EXPECT_EQ(uint32_t(-30), Le32At(package, t + 16));        // font height
    EXPECT_EQ(700u, Le32At(package, t + 16 + 16));            // weight
    EXPECT_EQ(1, package[t + 16 + 20]);                       // italic
    EXPECT_EQ("Courier New", std::string(reinterpret_cast<const char*>(&package[t + 16 + 28])));
    EXPECT_EQ(1u, Le32At(package, t + 76));
    EXPECT_EQ(2u, Le32At(package, t + 80));
    EXPECT_EQ(animation.size(), Le32At(package, t + 84));
    EXPECT_EQ(1u, Le32At(package, t + 124));
    EXPECT_EQ(8u, Le32At(package, t + 128));
    EXPECT_EQ(1u, Le32At(package, t + 132));
    EXPECT_EQ(20u, Le32At(package, t + 136));
    EXPECT_EQ(220u, Le32At(package, t + 148));

    // Defaults: random cells, no About dialog, black Arial -24 regular.
    ASSERT_EQ(0, Tackon(Base("plain.exe")).status);
    Bytes plain = ReadBytes(folder / "plain.exe");
    t = plain.size() - 152;
    EXPECT_EQ(0u, Le32At(plain, t + 8));
    EXPECT_EQ(0u, Le32At(plain, t + 12));
    EXPECT_EQ(uint32_t(-24), Le32At(plain, t + 16));
    EXPECT_EQ(400u, Le32At(plain, t + 32));
    EXPECT_EQ("Arial", std::string(reinterpret_cast<const char*>(&plain[t + 44])));
    EXPECT_EQ(9u, Le32At(plain, t + 124));
    EXPECT_EQ(9u, Le32At(plain, t + 128));
    EXPECT_EQ(0u, Le32At(plain, t + 132));
}

TEST_F(TackonPack, BadInputIsRefusedWithoutOutput) {
    WriteBytes(folder / "not.gif", SampleWave(10));
    Bytes notEmf = SampleEmf(0);
    notEmf[40] = 'X';
    WriteBytes(folder / "not.emf", notEmf);
    WriteBytes(folder / "not.snd", SampleGif(0, 0));
    WriteBytes(folder / "long.txt", Bytes(256, 'x'));
    std::string caption256(256, 'c');

    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = Base("show.exe");
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };
    ExpectRefused({"--player", folder / "missing.exe", "--animation", folder / "a.gif", "-o",
                   folder / "show.exe"},
                  "missing.exe");
    ExpectRefused({"--player", folder / "player.exe", "--animation", folder / "missing.gif", "-o",
                   folder / "show.exe"},
                  "missing.gif");
    ExpectRefused(with({"--sound", folder / "missing.wav"}), "missing.wav");
    ExpectRefused(with({"--caption-file", folder / "missing.txt"}), "missing.txt");
    ExpectRefused({"--player", folder / "player.exe", "--animation", folder / "not.gif", "-o",
                   folder / "show.exe"},
                  "not a GIF");
    ExpectRefused(with({"--logo", folder / "not.gif"}), "logo");
    ExpectRefused(with({"--message", folder / "not.emf"}), "not an enhanced metafile");
    ExpectRefused(with({"--message", folder / "a.gif"}), "not an enhanced metafile");
    ExpectRefused(with({"--sound", folder / "not.snd"}), "neither a WAV");
    ExpectRefused(with({"--caption", caption256}), "256 bytes");
    ExpectRefused(with({"--caption-file", folder / "long.txt"}), "256 bytes");
    ExpectRefused(with({"--caption", std::string("a\0b", 3)}), "zero byte");
    ExpectRefused(with({"--start", "somewhere"}), "unknown cell 'somewhere'", 2);
    ExpectRefused(with({"--font", std::string(32, 'F') + ",-24"}), "font face", 2);
    ExpectRefused(with({"--font", "Arial,big"}), "font height", 2);
    ExpectRefused(with({"--colour", "#12345"}), "bad colour", 2);
    ExpectRefused({"--player", folder / "player.exe", "--animation", folder / "a.gif", "-o",
                   folder / "no-such-folder/show.exe"},
                  "cannot create");

    // A failed run leaves an existing output as it was.
    WriteBytes(folder / "show.exe", Bytes{1, 2, 3});
    EXPECT_EQ(1, Tackon(with({"--logo", folder / "not.gif"})).status);
    EXPECT_EQ(Bytes({1, 2, 3}), ReadBytes(folder / "show.exe"));
}

TEST_F(TackonPack, PackagedPlayerIsRefusedUnlessReplaced) {
    std::vector<std::string> first = Base("first.exe");
    first.insert(first.end(), {"--sound", folder / "s.wav", "--caption", "old", "--about"});
    ASSERT_EQ(0, Tackon(first).status);

    std::vector<std::string> second = {"--player", folder / "first.exe", "--animation", folder / "l.gif",
                                       "--message", folder / "m.emf", "-o", folder / "second.exe"};
    ExpectRefused(second, "already carries a package");

    second.push_back("--replace");
    ASSERT_EQ(0, Tackon(second).status);
    std::vector<std::string> fromBare = {"--player", folder / "player.exe", "--animation", folder / "l.gif",
                                         "--message", folder / "m.emf", "-o", folder / "bare.exe"};
    ASSERT_EQ(0, Tackon(fromBare).status);
    EXPECT_EQ(ReadBytes(folder / "bare.exe"), ReadBytes(folder / "second.exe"));

    // Repacking a package in place.
    std::vector<std::string> inPlace = {"--player", folder / "first.exe", "--animation", folder / "l.gif",
                                        "--message", folder / "m.emf", "--replace", "-o", folder / "first.exe"};
    ASSERT_EQ(0, Tackon(inPlace).status);
    EXPECT_EQ(ReadBytes(folder / "bare.exe"), ReadBytes(folder / "first.exe"));
}

TEST_F(TackonPack, InfoAndExtractRefuseWhatThePlayerRefuses) {
    // A file without a trailer gets one line and no field values.
    WriteBytes(folder / "tiny.exe", Bytes(152, 'K'));
    for (const char* name : {"player.exe", "tiny.exe"}) {
        ToolRun bare = Tackon({"--info", folder / name});
        EXPECT_EQ(1, bare.status);
        EXPECT_EQ("no Reelbox package: the file does not end with a trailer\n", bare.out) << name;
    }

    // A trailer whose animation reaches before the start of the file.
    ASSERT_EQ(0, Tackon(Base("show.exe")).status);
    Bytes package = ReadBytes(folder / "show.exe");
    size_t sizeField = package.size() - 152 + 84;
    uint32_t tooLong = uint32_t(package.size());
    for (int i = 0; i < 4; ++i)
        package[sizeField + i] = uint8_t(tooLong >> (8 * i));
    WriteBytes(folder / "broken.exe", package);
    ToolRun broken = Tackon({"--info", folder / "broken.exe"});
    EXPECT_EQ(1, broken.status);
    EXPECT_NE(std::string::npos, broken.out.find("before the start")) << broken.out;

    ToolRun extract = Tackon({"--extract", folder / "broken.exe", folder / "out"});
    EXPECT_EQ(1, extract.status);
    EXPECT_FALSE(std::filesystem::exists(folder.path / "out"));

    ToolRun missing = Tackon({"--info", folder / "nothing.exe"});
    EXPECT_EQ(1, missing.status);
    EXPECT_NE(std::string::npos, missing.err.find("nothing.exe"));
}

}  // namespace
