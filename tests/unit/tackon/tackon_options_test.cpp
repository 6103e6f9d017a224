// tackon's option values and command-line rules.
#include <gtest/gtest.h>

#include <cstring>

#include "arguments.h"
#include "option_values.h"
#include "payload_checks.h"
#include "sample_files.h"

namespace {

TEST(TackonOptions, CellsByNameAndNumber) {
    const char* names[] = {"centre", "top-left", "middle-left", "bottom-left", "top-centre",
                           "bottom-centre", "top-right", "middle-right", "bottom-right", "random"};
    for (uint32_t i = 0; i < 10; ++i) {
        uint32_t byName = 99, byNumber = 99;
        EXPECT_TRUE(ParsePlacement(names[i], &byName));
        EXPECT_TRUE(ParsePlacement(std::to_string(i), &byNumber));
        EXPECT_EQ(i, byName);
        EXPECT_EQ(i, byNumber);
        EXPECT_STREQ(names[i], PlacementName(i));
    }
    uint32_t code;
    for (const char* bad : {"", "10", "-1", "center", "Centre", "top left", "01", "9x"})
        EXPECT_FALSE(ParsePlacement(bad, &code)) << bad;
}

TEST(TackonOptions, ColourBecomesAColorref) {
    uint32_t colour = 0;
    ASSERT_TRUE(ParseColour("#FF8000", &colour));
    EXPECT_EQ(0x000080FFu, colour);
    ASSERT_TRUE(ParseColour("#0a0B0c", &colour));
    EXPECT_EQ(0x000C0B0Au, colour);
    for (const char* bad : {"", "FF8000", "#FF800", "#FF80000", "#GG8000", "red", "# FF800"})
        EXPECT_FALSE(ParseColour(bad, &colour)) << bad;
}

TEST(TackonOptions, FontSpecFillsTheFontRecord) {
    FontRecord font;
    std::string error;
    ASSERT_TRUE(ParseFontSpec("Times New Roman, -30 ,italic,bold", &font, &error)) << error;
    EXPECT_STREQ("Times New Roman", font.faceName);
    EXPECT_EQ(-30, font.height);
    EXPECT_EQ(700, font.weight);
    EXPECT_EQ(1, font.italic);

    ASSERT_TRUE(ParseFontSpec("Arial,12", &font, &error));
    EXPECT_EQ(12, font.height);
    EXPECT_EQ(400, font.weight);
    EXPECT_EQ(0, font.italic);

    std::string longest(31, 'F');
    ASSERT_TRUE(ParseFontSpec(longest + ",-24", &font, &error));
    EXPECT_EQ(0, font.faceName[31]);   // the terminator still fits
    EXPECT_FALSE(ParseFontSpec(longest + "F,-24", &font, &error));
    EXPECT_NE(std::string::npos, error.find("32 bytes"));

    for (const char* bad : {"Arial", ",-24", "Arial,", "Arial,0", "Arial,abc", "Arial,-24x",
                            "Arial,1001", "Arial,-1001", "Arial,-24,heavy", "Arial,-24,bold,bold",
                            "Arial,-24,bold,italic,bold"}) {
        error.clear();
        EXPECT_FALSE(ParseFontSpec(bad, &font, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(TackonOptions, PayloadHeadersAreRecognised) {
    EXPECT_TRUE(LooksLikeGif(SampleGif(0, 0)));
    Bytes gif87 = SampleGif(0, 0);
    gif87[4] = '7';
    EXPECT_TRUE(LooksLikeGif(gif87));
    EXPECT_FALSE(LooksLikeGif(Bytes{'G', 'I', 'F', '8', '9'}));
    gif87[4] = '8';
    EXPECT_FALSE(LooksLikeGif(gif87));

    Bytes emf = SampleEmf(0);
    EXPECT_TRUE(LooksLikeEnhancedMetafile(emf));
    EXPECT_FALSE(LooksLikeEnhancedMetafile(Bytes(emf.begin(), emf.begin() + 43)));
    Bytes wrongRecord = emf;
    wrongRecord[0] = 2;
    EXPECT_FALSE(LooksLikeEnhancedMetafile(wrongRecord));
    Bytes wrongSignature = emf;
    wrongSignature[41] = 'e';
    EXPECT_FALSE(LooksLikeEnhancedMetafile(wrongSignature));

    EXPECT_EQ(kSoundWave, DetectSoundKind(SampleWave(4)));
    EXPECT_EQ(kSoundMidi, DetectSoundKind(SampleMidi()));
    Bytes avi = SampleWave(4);
    std::memcpy(avi.data() + 8, "AVI ", 4);
    EXPECT_EQ(kSoundUnknown, DetectSoundKind(avi));
    EXPECT_EQ(kSoundUnknown, DetectSoundKind(Bytes{'R', 'I', 'F', 'F'}));
}

TEST(TackonArguments, DefaultsAndCommands) {
    TackonCommand command;
    std::string error;
    ASSERT_TRUE(ParseArguments({"--player", "p", "--animation=a", "-o", "s"}, &command, &error));
    EXPECT_EQ(kModePack, command.mode);
    EXPECT_EQ("a", command.pack.animation);
    EXPECT_EQ(9u, command.pack.startPlacement);
    EXPECT_EQ(9u, command.pack.endPlacement);
    EXPECT_EQ(0u, command.pack.colour);
    EXPECT_STREQ("Arial", command.pack.font.faceName);
    EXPECT_EQ(-24, command.pack.font.height);
    EXPECT_FALSE(command.pack.about || command.pack.replace || command.pack.captionGiven);

    ASSERT_TRUE(ParseArguments({"--extract", "show.exe", "dir"}, &command, &error));
    EXPECT_EQ(kModeExtract, command.mode);
    EXPECT_EQ("dir", command.extractFolder);
    ASSERT_TRUE(ParseArguments({"--info", "show.exe"}, &command, &error));
    EXPECT_EQ(kModeInfo, command.mode);
    ASSERT_TRUE(ParseArguments({"--info", "show.exe", "--help"}, &command, &error));
    EXPECT_EQ(kModeHelp, command.mode);
}

TEST(TackonArguments, CommandLineMistakesAreNamed) {
    struct Case {
        std::vector<std::string> args;
        const char* mentions;
    } cases[] = {
        {{}, "nothing to do"},
        {{"--animation", "a", "-o", "s"}, "--player"},
        {{"--player", "p", "-o", "s"}, "--animation"},
        {{"--player", "p", "--animation", "a"}, "-o"},
        {{"--player", "p", "--animation", "a", "-o", "s", "--start", "middle"}, "'middle'"},
        {{"--player", "p", "--animation", "a", "-o", "s", "--end", "10"}, "'10'"},
        {{"--player", "p", "--animation", "a", "-o", "s", "--colour", "blue"}, "'blue'"},
        {{"--player", "p", "--animation", "a", "-o", "s", "--caption", "x", "--caption-file", "f"},
         "--caption-file"},
        {{"--player", "p", "--player", "q", "--animation", "a", "-o", "s"}, "twice"},
        {{"--player", "p", "--animation", "a", "-o", "s", "--output", "t"}, "twice"},
        {{"--player", "p", "--animation", "a", "-o", "s", "--bogus"}, "'--bogus'"},
        {{"--player", "p", "--animation", "a", "-o"}, "needs a value"},
        {{"--player", "p", "--animation", "a", "-o", "s", "stray"}, "'stray'"},
        {{"--about=yes", "--player", "p", "--animation", "a", "-o", "s"}, "takes no value"},
        {{"--info", "show.exe", "--about"}, "no other options"},
        {{"--extract", "show.exe"}, "--extract"},
    };
    for (const Case& c : cases) {
        TackonCommand command;
        std::string error;
        EXPECT_FALSE(ParseArguments(c.args, &command, &error)) << c.mentions;
        EXPECT_NE(std::string::npos, error.find(c.mentions)) << error;
        EXPECT_EQ(std::string::npos, error.find('\n')) << error;
    }
}

}  // namespace
