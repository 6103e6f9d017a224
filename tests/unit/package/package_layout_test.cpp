// The package trailer's byte layout and the rules by which the player accepts a package
// and locates its payloads.
#include "package/package_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

PackageTrailerRecord ValidTrailer(uint32_t animationSize) {
    PackageTrailerRecord t;
    std::memset(&t, 0, sizeof t);
    std::memcpy(t.signature, "KVZ", 4);
    t.animation = {1, 2, animationSize};
    t.startPlacement = 9;
    t.endPlacement = 9;
    return t;
}

PackageVerdict Locate(uint64_t fileSize, const PackageTrailerRecord& t, PackagePayloads* p) {
    std::memset(p, 0xCD, sizeof *p);
    return LocatePayloads(fileSize, t, p);
}

TEST(PackageTrailer, FieldsSitAtTheirOffsetsLittleEndian) {
    PackageTrailerRecord t = ValidTrailer(0x01020304);
    t.reserved = 0xAABBCCDD;
    t.captionLength = 17;
    t.captionColour = 0x00302010;
    t.message = {5, 1, 0x11223344};
    t.sound = {6, 4, 77};
    t.logo = {7, 2, 88};
    t.startPlacement = 3;
    t.endPlacement = 8;
    t.showAbout = 1;
    int32_t rect[4] = {20, 20, 220, -220};
    std::memcpy(t.captionRect, rect, sizeof rect);
    for (uint32_t i = 0; i < kFontRecordSize; ++i)
        t.captionFont[i] = uint8_t(i + 100);

    uint8_t bytes[kTrailerSize];
    std::memset(bytes, 0xEE, sizeof bytes);
    EncodeTrailer(t, bytes);
    EXPECT_EQ(0, std::memcmp(bytes, "KVZ\0", 4));
    EXPECT_EQ(0xAABBCCDDu, Le32(bytes + 4));
    EXPECT_EQ(17u, Le32(bytes + 8));
    EXPECT_EQ(0x10, bytes[12]);
    EXPECT_EQ(0x00302010u, Le32(bytes + 12));
    EXPECT_EQ(100, bytes[16]);
    EXPECT_EQ(159, bytes[75]);
    EXPECT_EQ(1u, Le32(bytes + 76));
    EXPECT_EQ(2u, Le32(bytes + 80));
    EXPECT_EQ(0x04, bytes[84]);
    EXPECT_EQ(0x01020304u, Le32(bytes + 84));
    EXPECT_EQ(0x11223344u, Le32(bytes + 96));
    EXPECT_EQ(6u, Le32(bytes + 100));
    EXPECT_EQ(4u, Le32(bytes + 104));
    EXPECT_EQ(77u, Le32(bytes + 108));
    EXPECT_EQ(7u, Le32(bytes + 112));
    EXPECT_EQ(88u, Le32(bytes + 120));
    EXPECT_EQ(3u, Le32(bytes + 124));
    EXPECT_EQ(8u, Le32(bytes + 128));
    EXPECT_EQ(1u, Le32(bytes + 132));
    EXPECT_EQ(20u, Le32(bytes + 136));
    EXPECT_EQ(220u, Le32(bytes + 144));
    EXPECT_EQ(uint32_t(-220), Le32(bytes + 148));

    PackageTrailerRecord back;
    DecodeTrailer(bytes, &back);
    uint8_t again[kTrailerSize];
    EncodeTrailer(back, again);
    EXPECT_EQ(0, std::memcmp(bytes, again, kTrailerSize));
    EXPECT_EQ(-220, back.captionRect[3]);
}

TEST(PackageRules, SignatureComparesThreeLettersExactly) {
    PackagePayloads p;
    PackageTrailerRecord t = ValidTrailer(10);
    for (const char* good : {"KVZ\0", "KVZX", "KVZ\xFF"}) {
        std::memcpy(t.signature, good, 4);
        EXPECT_EQ(kPackageAccepted, Locate(1000, t, &p)) << good;
    }
    for (const char* bad : {"kvz\0", "KvZ\0", "KVz\0", "KVY\0", "AVZ\0", "\0KVZ"}) {
        std::memcpy(t.signature, bad, 4);
        EXPECT_EQ(kPackageBadSignature, Locate(1000, t, &p)) << bad;
    }
}

TEST(PackageRules, AnyNonZeroPresentFlagCountsForEveryEntry) {
    PackagePayloads p;
    PackageTrailerRecord t = ValidTrailer(10);
    t.animation.present = 0;
    EXPECT_EQ(kPackageNoAnimation, Locate(1000, t, &p));
    for (uint32_t flag : {1u, 2u, 0xFFFFFFFFu}) {
        t.animation.present = flag;
        t.message = {flag, 0, 20};
        t.logo = {flag, 0, 30};
        t.sound = {flag, 3, 40};
        ASSERT_EQ(kPackageAccepted, Locate(1000, t, &p)) << flag;
        // 1000 - 152 = 848: sound 808, logo 778, message 758, animation 748.
        EXPECT_EQ(808u, p.sound.offset);
        EXPECT_EQ(778u, p.logo.offset);
        EXPECT_EQ(758u, p.message.offset);
        EXPECT_EQ(748u, p.animation.offset);
        EXPECT_TRUE(p.sound.present && p.logo.present && p.message.present);
    }
}

TEST(PackageRules, SizesOfAbsentEntriesAreIgnored) {
    PackagePayloads p;
    PackageTrailerRecord t = ValidTrailer(100);
    t.captionLength = 5;
    t.sound = {0, 4, 5000};
    t.message = {0, 1, 0xFFFFFFFF};
    t.logo = {1, 2, 50};
    ASSERT_EQ(kPackageAccepted, Locate(1000, t, &p));
    EXPECT_EQ(843u, p.captionOffset);
    EXPECT_EQ(793u, p.logo.offset);   // directly before the caption
    EXPECT_EQ(50u, p.logo.size);
    EXPECT_FALSE(p.sound.present);
    EXPECT_FALSE(p.message.present);
    EXPECT_EQ(693u, p.animation.offset);
}

TEST(PackageRules, CaptionIsCutTo255ButLocatedWithTheStoredLength) {
    PackagePayloads p;
    PackageTrailerRecord t = ValidTrailer(100);
    t.captionLength = 255;
    ASSERT_EQ(kPackageAccepted, Locate(2000, t, &p));
    EXPECT_EQ(255u, p.captionCopyLength);
    EXPECT_EQ(2000u - 152 - 255, p.captionOffset);
    EXPECT_EQ(2000u - 152 - 255 - 100, p.animation.offset);

    t.captionLength = 300;
    ASSERT_EQ(kPackageAccepted, Locate(2000, t, &p));
    EXPECT_EQ(255u, p.captionCopyLength);
    EXPECT_EQ(2000u - 152 - 300, p.captionOffset);
    EXPECT_EQ(2000u - 152 - 300 - 100, p.animation.offset);
}

TEST(PackageRules, FilesOfTrailerSizeOrLessAreTooSmall) {
    PackagePayloads p;
    PackageTrailerRecord t = ValidTrailer(0);
    EXPECT_EQ(kPackageTooSmall, Locate(0, t, &p));
    EXPECT_EQ(kPackageTooSmall, Locate(151, t, &p));
    EXPECT_EQ(kPackageTooSmall, Locate(152, t, &p));
    t.animation.size = 1;
    ASSERT_EQ(kPackageAccepted, Locate(153, t, &p));
    EXPECT_EQ(0u, p.animation.offset);
}

TEST(PackageRules, LengthsReachingBeforeTheFileAreRefusedWithoutWrapping) {
    PackagePayloads p;
    PackageTrailerRecord t = ValidTrailer(800);
    t.captionLength = 48;
    ASSERT_EQ(kPackageAccepted, Locate(1000, t, &p));   // fills the file exactly
    EXPECT_EQ(0u, p.animation.offset);
    t.captionLength = 49;
    EXPECT_EQ(kPackageOutOfBounds, Locate(1000, t, &p));

    t = ValidTrailer(10);
    t.captionLength = 849;
    EXPECT_EQ(kPackageOutOfBounds, Locate(1000, t, &p));

    // Sizes that would wrap a 32-bit sum back into range.
    t = ValidTrailer(0xFFFFFFFF);
    t.captionLength = 0xFFFFFFFF;
    t.sound = {1, 4, 0xFFFFFFFF};
    t.logo = {1, 2, 0xFFFFFFFF};
    t.message = {1, 1, 0xFFFFFFFF};
    EXPECT_EQ(kPackageOutOfBounds, Locate(1000, t, &p));
    t.captionLength = 0;
    t.sound.size = 0xFFFFFFFF - 9;   // sound + logo is 10 in 32-bit arithmetic
    t.logo.size = 20;
    t.message.size = 0;
    t.animation.size = 0;
    EXPECT_EQ(kPackageOutOfBounds, Locate(1000, t, &p));
    t.sound.size = 10;
    t.animation.size = 0xFFFFFFFF - 29;   // 10 + 20 + this = 2^32 exactly
    EXPECT_EQ(kPackageOutOfBounds, Locate(1000, t, &p));
}

TEST(PackageRules, WorkedExampleLocatesTheAnimationBeforeTheTrailer) {
    const uint32_t gifSize = 67298;
    for (size_t playerSize : {size_t(0), size_t(1), size_t(4096), size_t(123457)}) {
        std::vector<uint8_t> file(playerSize, 0x4D);
        for (uint32_t i = 0; i < gifSize; ++i)
            file.push_back(uint8_t(i * 7 + 3));
        PackageTrailerRecord t;
        std::memset(&t, 0x5A, sizeof t);   // arbitrary colour and font bytes
        std::memcpy(t.signature, "KVZ", 4);
        t.reserved = 0;
        t.captionLength = 0;
        t.animation = {1, 2, gifSize};
        t.message = t.sound = t.logo = {0, 0, 0};
        t.startPlacement = t.endPlacement = 9;
        t.showAbout = 0;
        int32_t rect[4] = {20, 20, 220, 220};
        std::memcpy(t.captionRect, rect, sizeof rect);
        uint8_t bytes[kTrailerSize];
        EncodeTrailer(t, bytes);
        file.insert(file.end(), bytes, bytes + kTrailerSize);
        ASSERT_EQ(playerSize + 67450, file.size());

        PackageTrailerRecord read;
        DecodeTrailer(file.data() + file.size() - kTrailerSize, &read);
        PackagePayloads p;
        ASSERT_EQ(kPackageAccepted, Locate(file.size(), read, &p));
        EXPECT_EQ(0u, p.captionCopyLength);
        EXPECT_EQ(playerSize, p.animation.offset);
        EXPECT_EQ(file.size() - kTrailerSize, p.animation.offset + p.animation.size);
        EXPECT_EQ(0, std::memcmp(file.data() + p.animation.offset, file.data() + playerSize, gifSize));
        EXPECT_FALSE(p.message.present || p.logo.present || p.sound.present);
        EXPECT_EQ(0, read.showAbout);
    }
}

int DrawLowest(int lo, int) { return lo; }
int DrawHighest(int, int hi) { return hi; }

TEST(PackageRules, OnlyPlacementNineIsDrawnAndWithinTheGrid) {
    EXPECT_EQ(0u, ResolvePlacement(9, DrawLowest));
    EXPECT_EQ(8u, ResolvePlacement(9, DrawHighest));
    for (uint32_t code : {0u, 5u, 8u, 10u, 0xFFFFFFFFu})
        EXPECT_EQ(code, ResolvePlacement(code, DrawHighest));
}

}  // namespace
