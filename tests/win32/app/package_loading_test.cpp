// LoadPackageFrom, the extraction into hidden temporary files and DeleteTempFiles, on real
// files under Wine. Each test points TMP at a folder of its own, so the names and the
// leftovers it sees are its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "startup/show_settings.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Filled(size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t(seed + i * 7 + (i >> 8));
    return bytes;
}

struct PackageParts {
    Bytes player = Filled(1000, 'M');
    Bytes animation = Filled(300, 1);
    Bytes message, logo, sound, caption;
    uint32_t soundType = kSoundTypeWave;
    PackageTrailerRecord trailer = {};
};

PackageTrailerRecord BasicTrailer() {
    PackageTrailerRecord t = {};
    std::memcpy(t.signature, "KVZ", 4);
    t.startPlacement = 1;
    t.endPlacement = 8;
    return t;
}

void Append(Bytes* file, const Bytes& part) {
    file->insert(file->end(), part.begin(), part.end());
}

void SetEntry(PayloadEntry* entry, const Bytes& payload, uint32_t type) {
    entry->present = payload.empty() ? 0 : 1;
    entry->type = type;
    entry->size = uint32_t(payload.size());
}

Bytes BuildPackage(PackageParts parts) {
    PackageTrailerRecord& t = parts.trailer;
    SetEntry(&t.animation, parts.animation, 2);
    SetEntry(&t.message, parts.message, 0);
    SetEntry(&t.logo, parts.logo, 0);
    SetEntry(&t.sound, parts.sound, parts.soundType);
    t.captionLength = uint32_t(parts.caption.size());
    Bytes file = parts.player;
    for (const Bytes* part : {&parts.animation, &parts.message, &parts.logo, &parts.sound, &parts.caption})
        Append(&file, *part);
    uint8_t bytes[kTrailerSize];
    EncodeTrailer(t, bytes);
    file.insert(file.end(), bytes, bytes + kTrailerSize);
    return file;
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

Bytes ReadFileBytes(const std::string& path) {
    Bytes bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return bytes;
}

class PackageLoading : public ::testing::Test {
protected:
    std::string work;      // holds the package files
    std::string temp;      // the temporary folder the player extracts into
    ShowSettings settings = {};

    // The process's own temporary folder, read once before any test redirects TMP.
    static const std::string& BaseFolder() {
        static const std::string base = [] {
            char path[MAX_PATH];
            GetTempPathA(sizeof path, path);
            return std::string(path);
        }();
        return base;
    }

    void SetUp() override {
        const std::string& base = BaseFolder();
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        work = base + "reelbox-test-" + name + "\\";
        temp = work + "temp\\";
        CreateDirectoryA(work.c_str(), nullptr);
        CreateDirectoryA(temp.c_str(), nullptr);
        EmptyFolder(temp);
        SetEnvironmentVariableA("TMP", temp.c_str());
        SetEnvironmentVariableA("TEMP", temp.c_str());
    }

    void TearDown() override {
        DeleteTempFiles(&settings);
        EmptyFolder(temp);
        RemoveDirectoryA(temp.c_str());
        DeleteFileA((work + "show.exe").c_str());
        RemoveDirectoryA(work.c_str());
    }

    static void EmptyFolder(const std::string& folder) {
        for (const std::string& name : ListFolder(folder)) {
            std::string path = folder + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileA(path.c_str()))
                RemoveDirectoryA(path.c_str());
        }
    }

    static std::vector<std::string> ListFolder(const std::string& folder) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
                names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }

    bool Load(const Bytes& package) {
        std::string path = work + "show.exe";
        WriteFileBytes(path, package);
        settings = {};
        return LoadPackageFrom(std::wstring(path.begin(), path.end()).c_str(), &settings);
    }

    void ExpectHiddenCopy(const char* name, const Bytes& payload) {
        std::string path = temp + name;
        DWORD attributes = GetFileAttributesA(path.c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << name << " was not created";
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN) << name << " is not hidden";
        EXPECT_EQ(ReadFileBytes(path), payload) << name << " differs from its payload";
    }
};

TEST_F(PackageLoading, AnimationOnlyPackageOfTheWorkedExample) {
    PackageParts parts;
    parts.animation = Filled(67298, 3);
    parts.trailer = BasicTrailer();
    parts.trailer.startPlacement = 9;
    parts.trailer.endPlacement = 9;
    parts.trailer.captionColour = 0xDEADBEEF;
    parts.trailer.showAbout = 2;   // only exactly 1 asks for the About dialog
    std::memset(parts.trailer.captionFont, 0xAB, kFontRecordSize);
    int rect[4] = {20, 20, 220, 220};
    std::memcpy(parts.trailer.captionRect, rect, sizeof rect);
    Bytes package = BuildPackage(parts);
    ASSERT_EQ(package.size(), parts.player.size() + 67450);

    ASSERT_TRUE(Load(package));
    EXPECT_STREQ(settings.CaptionText, "");
    EXPECT_LE(settings.StartPlacement, 8u);
    EXPECT_LE(settings.EndPlacement, 8u);
    EXPECT_FALSE(settings.AboutFlag);
    EXPECT_EQ(settings.CaptionFont.lfFaceName[LF_FACESIZE - 1], '\0') << "face name must be terminated";
    EXPECT_EQ(ListFolder(temp), std::vector<std::string>{"Tempani0.gif"});
    ExpectHiddenCopy("Tempani0.gif", parts.animation);
    EXPECT_EQ(settings.MessageFile, nullptr);
    EXPECT_EQ(settings.SoundFile, nullptr);

    DeleteTempFiles(&settings);
    EXPECT_TRUE(ListFolder(temp).empty());
    EXPECT_EQ(settings.AnimationFile, nullptr);
    DeleteTempFiles(&settings);  // a second call finds nothing to delete or release
    EXPECT_EQ(settings.AnimationFile, nullptr);
}

TEST_F(PackageLoading, EveryPayloadIsExtractedByteForByteUnderItsKindName) {
    PackageParts parts;
    parts.message = Filled(500, 9);
    parts.logo = Filled(700, 11);
    parts.sound = Filled(900, 13);
    parts.caption = Bytes{'H', 'e', 'l', 'l', 'o'};
    parts.trailer = BasicTrailer();
    parts.trailer.showAbout = 1;
    ASSERT_TRUE(Load(BuildPackage(parts)));
    std::vector<std::string> expected = {"Tempani0.gif", "Templogo0.gif", "Tempmsg0.emf", "Tempsnd0.wav"};
    EXPECT_EQ(ListFolder(temp), expected);
    ExpectHiddenCopy("Tempani0.gif", parts.animation);
    ExpectHiddenCopy("Tempmsg0.emf", parts.message);
    ExpectHiddenCopy("Templogo0.gif", parts.logo);
    ExpectHiddenCopy("Tempsnd0.wav", parts.sound);
    EXPECT_STREQ(settings.CaptionText, "Hello");
    EXPECT_EQ(settings.StartPlacement, 1u);
    EXPECT_EQ(settings.EndPlacement, 8u);
    EXPECT_TRUE(settings.AboutFlag);
    EXPECT_EQ(settings.SoundType, kSoundTypeWave);
    DeleteTempFiles(&settings);
    EXPECT_TRUE(ListFolder(temp).empty());
}

TEST_F(PackageLoading, NonWaveSoundTypesAreWrittenAsMidi) {
    for (uint32_t type : {0u, 3u, 5u}) {
        PackageParts parts;
        parts.sound = Filled(64, 5);
        parts.soundType = type;
        parts.trailer = BasicTrailer();
        ASSERT_TRUE(Load(BuildPackage(parts))) << "type " << type;
        ExpectHiddenCopy("Tempsnd0.mid", parts.sound);
        EXPECT_EQ(settings.SoundType, type);
        DeleteTempFiles(&settings);
    }
}

TEST_F(PackageLoading, NamesCountPastLeftoversOfTheirOwnKind) {
    for (int n = 0; n < 5; ++n)
        WriteFileBytes(temp + "Tempani" + std::to_string(n) + ".gif", Bytes{1});
    PackageParts parts;
    parts.sound = Filled(10, 1);
    parts.trailer = BasicTrailer();
    ASSERT_TRUE(Load(BuildPackage(parts)));
    ExpectHiddenCopy("Tempani5.gif", parts.animation);
    ExpectHiddenCopy("Tempsnd0.wav", parts.sound);
    DeleteTempFiles(&settings);
    EXPECT_EQ(ListFolder(temp).size(), 5u) << "only the show's own files are deleted";
}

TEST_F(PackageLoading, LongCaptionKeepsItsFirst255BytesAndPayloadsStayInPlace) {
    PackageParts parts;
    parts.logo = Filled(100, 21);
    parts.caption.assign(300, 'c');
    parts.caption[254] = 'X';
    parts.caption[255] = 'Y';
    parts.trailer = BasicTrailer();
    ASSERT_TRUE(Load(BuildPackage(parts)));
    EXPECT_EQ(std::strlen(settings.CaptionText), 255u);
    EXPECT_EQ(settings.CaptionText[254], 'X');
    ExpectHiddenCopy("Templogo0.gif", parts.logo);
    ExpectHiddenCopy("Tempani0.gif", parts.animation);
}

TEST_F(PackageLoading, MalformedPackagesAreRefusedWithoutTemporaryFiles) {
    PackageParts good;
    good.trailer = BasicTrailer();
    Bytes package = BuildPackage(good);

    Bytes truncated(package.begin(), package.end() - 10);
    Bytes wrongCase = package;
    wrongCase[package.size() - kTrailerSize + 1] = 'v';
    Bytes tooSmall(package.end() - kTrailerSize, package.end());
    Bytes noAnimation = package;
    std::memset(&noAnimation[package.size() - kTrailerSize + kOffsetAnimation], 0, 4);
    Bytes pastStart = package;
    uint8_t* size = &pastStart[package.size() - kTrailerSize + kOffsetAnimation + 8];
    size[0] = size[1] = size[2] = 0xFF;  // 16 MiB: reaches before the start of the file
    Bytes wrapping = package;
    uint8_t* captionLength = &wrapping[package.size() - kTrailerSize + kOffsetCaptionLength];
    std::memset(captionLength, 0xFF, 4);

    for (const Bytes* bad : {&truncated, &wrongCase, &tooSmall, &noAnimation, &pastStart, &wrapping}) {
        EXPECT_FALSE(Load(*bad));
        EXPECT_TRUE(ListFolder(temp).empty());
        EXPECT_EQ(settings.AnimationFile, nullptr);
    }
}

TEST_F(PackageLoading, FailedExtractionLeavesNothingBehind) {
    // Other files hold every number the player tries for the animation (a hundred), so its
    // copy cannot be made after the sound, logo and message have been written.
    std::vector<std::string> others;
    for (int n = 0; n < 100; ++n) {
        others.push_back("Tempani" + std::to_string(n) + ".gif");
        WriteFileBytes(temp + others.back(), Bytes{1});
    }
    std::sort(others.begin(), others.end());
    PackageParts parts;
    parts.message = Filled(50, 1);
    parts.logo = Filled(50, 2);
    parts.sound = Filled(50, 3);
    parts.trailer = BasicTrailer();
    EXPECT_FALSE(Load(BuildPackage(parts)));
    EXPECT_EQ(ListFolder(temp), others);
}

TEST_F(PackageLoading, TemporaryPathTooLongForItsBufferFailsTheLoad) {
    // The folder's path fits the 260-byte buffer, but no file name inside it does.
    std::string deep = temp + std::string(255 - temp.size(), 'd') + "\\";
    SetEnvironmentVariableA("TMP", deep.c_str());
    SetEnvironmentVariableA("TEMP", deep.c_str());
    PackageParts parts;
    parts.trailer = BasicTrailer();
    EXPECT_FALSE(Load(BuildPackage(parts)));
    EXPECT_EQ(settings.AnimationFile, nullptr);
}

TEST_F(PackageLoading, EmptyPresentPayloadGivesAnEmptyFile) {
    PackageParts parts;
    parts.trailer = BasicTrailer();
    Bytes package = BuildPackage(parts);
    // Mark a message of size 0 as present: it occupies no bytes.
    package[package.size() - kTrailerSize + kOffsetMessage] = 1;
    ASSERT_TRUE(Load(package));
    ExpectHiddenCopy("Tempmsg0.emf", Bytes{});
}

TEST(RandomInRange, StaysWithinItsBounds) {
    bool seen[9] = {};
    for (int i = 0; i < 2000; ++i) {
        int value = RandomInRange(0, 8);
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 8);
        seen[value] = true;
    }
    for (bool s : seen)
        EXPECT_TRUE(s);
}

}  // namespace
