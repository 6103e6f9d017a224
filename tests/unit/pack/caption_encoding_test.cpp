// Caption conversion: the generated code-page tables against the C library's own converter,
// the choice of charset by text, and the refusals.
#include <gtest/gtest.h>

#include <string>

#include "pack/caption_encoding.h"
#include "pack/pack_api.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

std::string Encoded(const std::string& utf8, int charset, int* chosen) {
    std::string bytes, error;
    EXPECT_TRUE(EncodeCaption(utf8, charset, &bytes, chosen, &error)) << utf8 << ": " << error;
    return bytes;
}

std::string Refusal(const std::string& utf8, int charset) {
    std::string bytes, error;
    int chosen = -1;
    EXPECT_FALSE(EncodeCaption(utf8, charset, &bytes, &chosen, &error)) << utf8;
    return error;
}

#ifndef _WIN32
// glibc's converter, an independent reading of the same code pages: every code a table
// defines must decode there to the same character. Catches a shifted or mislabelled table.
TEST(CaptionEncoding, TablesAgreeWithTheCLibrary) {
    const char* kGlibcNames[] = {"CP1252", "CP1250", "CP1251", "CP1253", "CP1254",
                                 "CP1257", "CP1255", "CP1256", "CP1258", "CP874",
                                 "CP932",  "CP949",  "CP936",  "CP950"};
    for (int t = 0; t < kCodePageTableCount; ++t) {
        const CodePageTable& table = kCodePageTables[t];
        iconv_t converter = iconv_open("UTF-8", kGlibcNames[t]);
        ASSERT_NE(iconv_t(-1), converter) << kGlibcNames[t];
        int compared = 0, differing = 0;
        std::string firstDifference;
        auto compare = [&](const std::string& code) {
            int readAs = 0;
            std::string ours = DecodeCaption(code, table.charset, &readAs);
            char out[16];
            char* in = const_cast<char*>(code.data());
            size_t inLeft = code.size(), outLeft = sizeof out;
            char* outAt = out;
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
            size_t result = iconv(converter, &in, &inLeft, &outAt, &outLeft);
            // 1255 and 1258 hold a letter back for a combining mark that may follow.
            if (result != size_t(-1))
                result = iconv(converter, nullptr, nullptr, &outAt, &outLeft);
            std::string theirs = result == size_t(-1) ? "" : std::string(out, outAt);
            ++compared;
            if (ours != theirs && ++differing == 1)
                firstDifference = "code " + std::to_string(uint8_t(code[0])) + "," +
                                  std::to_string(code.size() > 1 ? uint8_t(code[1]) : 0);
        };
        for (int b = 0x80; b < 0x100; ++b)
            if (table.high[b - 0x80] != 0 && table.high[b - 0x80] != kLeadByte)
                compare(std::string(1, char(b)));
        for (int i = 0; i < table.leadCount; ++i)
            for (int trail = 0; trail < kTrailCount; ++trail)
                if (table.trails[i * kTrailCount + trail] != 0)
                    compare(std::string{char(table.leads[i]), char(0x40 + trail)});
        iconv_close(converter);
        // The vendors' tables differ in a few codes (compatibility duplicates, the euro
        // sign's place, 950's extensions); a shifted table would differ in nearly all.
        EXPECT_LT(differing * 50, compared) << table.codePage << ": " << differing << " of "
                                             << compared << " differ, first " << firstDifference;
        EXPECT_GT(compared, 60) << table.codePage;
    }
}
#endif

TEST(CaptionEncoding, ChoosesTheFirstCharsetThatHoldsTheText) {
    struct Case { const char* text; int charset; const char* bytes; };
    const Case kCases[] = {
        {"Joyeux anniversaire, Zo\xC3\xA9 !", 0, "Joyeux anniversaire, Zo\xE9 !"},
        {"Wszystkiego najlepszego, \xC5\x81ucjo!", 238, "Wszystkiego najlepszego, \xA3ucjo!"},
        {"\xD0\xA1 \xD0\xB4\xD0\xBD\xD1\x91\xD0\xBC", 204, "\xD1 \xE4\xED\xB8\xEC"},   // С днём
        {"\xCE\xA7\xCF\x81\xCF\x8C\xCE\xBD\xCE\xB9\xCE\xB1", 161, "\xD7\xF1\xFC\xED\xE9\xE1"},
        {"\xE3\x81\x8A\xE8\xAA\x95\xE7\x94\x9F\xE6\x97\xA5", 128, "\x82\xA8\x92\x61\x90\xB6\x93\xFA"},
        {"\xE7\x94\x9F\xE6\x97\xA5\xE5\xBF\xAB\xE4\xB9\x90", 134, "\xC9\xFA\xC8\xD5\xBF\xEC\xC0\xD6"},
        {"\xEC\x83\x9D\xEC\x9D\xBC", 129, "\xBB\xFD\xC0\xCF"},                          // 생일
        // Han text that 936 cannot hold (with a macron) falls to 950.
        {"\xE7\x94\x9F\xE6\x97\xA5\xE5\xBF\xAB\xE6\xA8\x82\xC2\xAF", 136,
         "\xA5\xCD\xA4\xE9\xA7\xD6\xBC\xD6\xA1\xC2"},
    };
    for (const Case& c : kCases) {
        int chosen = -2;
        EXPECT_EQ(c.bytes, Encoded(c.text, kCharsetAuto, &chosen)) << c.text;
        EXPECT_EQ(c.charset, chosen) << c.text;
        int readAs = -1;
        EXPECT_EQ(c.text, DecodeCaption(c.bytes, c.charset, &readAs));
        EXPECT_EQ(c.charset, readAs);
    }
    // A named charset is used even when an earlier one would hold the text.
    int chosen = -2;
    EXPECT_EQ("caf\xE9", Encoded("caf\xC3\xA9", 238, &chosen));
    EXPECT_EQ(238, chosen);
    // Older shows store DEFAULT_CHARSET; their bytes read as 1252.
    int readAs = -1;
    EXPECT_EQ("Zo\xC3\xA9\xE2\x82\xAC", DecodeCaption("Zo\xE9\x80", kCharsetDefault, &readAs));
    EXPECT_EQ(kCharsetWestern, readAs);
}

TEST(CaptionEncoding, RefusesWhatNoCodePageHoldsNamingTheCharacter) {
    // Greek and Cyrillic share no single-byte code page.
    EXPECT_NE(std::string::npos, Refusal("\xCE\xB1\xCE\xB2 \xD0\xB4", kCharsetAuto).find("U+0434"));
    EXPECT_NE(std::string::npos, Refusal("\xF0\x9F\x8E\x82", kCharsetAuto).find("U+1F382"));
    const std::string named = Refusal("\xD0\xB4", 0);
    EXPECT_NE(std::string::npos, named.find("U+0434")) << named;
    EXPECT_NE(std::string::npos, named.find("1252")) << named;
    for (const char* malformed : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "a\xFF"})
        EXPECT_NE(std::string::npos, Refusal(malformed, kCharsetAuto).find("UTF-8")) << malformed;

    // The 255-byte limit counts the converted bytes: 200 Cyrillic letters fit (400 bytes of
    // UTF-8), 128 Han characters (256 bytes in 936) do not.
    ReelboxPacker* packer = ReelboxPackCreate();
    std::string cyrillic, han;
    for (int i = 0; i < 200; ++i)
        cyrillic += "\xD0\xB4";
    for (int i = 0; i < 128; ++i)
        han += "\xE7\x94\x9F";
    EXPECT_EQ(1, ReelboxPackSetCaption(packer, cyrillic.c_str(), REELBOX_PACK_CHARSET_AUTO));
    EXPECT_EQ(204, ReelboxPackCaptionCharset(packer));
    EXPECT_EQ(0, ReelboxPackSetCaption(packer, han.c_str(), REELBOX_PACK_CHARSET_AUTO));
    EXPECT_NE(std::string::npos, std::string(ReelboxPackError(packer)).find("256 bytes"));
    ReelboxPackFree(packer);
}

TEST(CaptionEncoding, CharsetsAreFoundByNameCodePageOrNumber) {
    EXPECT_EQ(204, ReelboxPackCharsetFromName("RUSSIAN_CHARSET"));
    EXPECT_EQ(204, ReelboxPackCharsetFromName("cp1251"));
    EXPECT_EQ(204, ReelboxPackCharsetFromName("204"));
    EXPECT_EQ(238, ReelboxPackCharsetFromName("EastEurope"));
    EXPECT_EQ(128, ReelboxPackCharsetFromName("932"));
    EXPECT_EQ(0, ReelboxPackCharsetFromName("ansi"));
    EXPECT_EQ(-1, ReelboxPackCharsetFromName("1"));
    EXPECT_EQ(-1, ReelboxPackCharsetFromName("klingon"));
    EXPECT_STREQ("Cyrillic (1251)", ReelboxPackCharsetName(204));
}

}  // namespace
