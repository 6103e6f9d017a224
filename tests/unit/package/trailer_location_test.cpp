// Where the trailer is found in unsigned and signed shows, and the signed files that are
// refused. The signed files are made here as a signing tool makes them: zero padding to a
// multiple of 8, a certificate table appended, the security directory pointed at it.
#include "package/trailer_location.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bytes/little_endian.h"
#include "package/package_layout.h"

namespace {

constexpr uint32_t kPeOffset = 0x80;
constexpr uint32_t kDirectoryEntry = kPeOffset + 24 + 112 + 8 * 4;   // PE32+, directory 4

// A PE32+ header followed by extra player bytes and a package of a 40-byte animation.
std::vector<uint8_t> UnsignedShow(size_t extraPlayerBytes) {
    std::vector<uint8_t> file(512, 0);
    file[0] = 'M';
    file[1] = 'Z';
    WriteLe32(&file[0x3C], kPeOffset);
    std::memcpy(&file[kPeOffset], "PE\0\0", 4);
    file[kPeOffset + 4 + 16] = 240;               // SizeOfOptionalHeader
    file[kPeOffset + 24] = 0x0B;                  // magic 0x20B
    file[kPeOffset + 25] = 0x02;
    WriteLe32(&file[kPeOffset + 24 + 108], 16);   // NumberOfRvaAndSizes
    file.resize(file.size() + extraPlayerBytes + 40, 0x47);
    PackageTrailerRecord trailer;
    std::memset(&trailer, 0, sizeof trailer);
    std::memcpy(trailer.signature, "KVZ", 4);
    trailer.animation = {1, 2, 40};
    trailer.captionRect[3] = 220;                 // ends in zero bytes, as written shows do
    file.resize(file.size() + kTrailerSize);
    EncodeTrailer(trailer, &file[file.size() - kTrailerSize]);
    return file;
}

std::vector<uint8_t> Signed(std::vector<uint8_t> file) {
    file.resize((file.size() + 7) / 8 * 8, 0);
    WriteLe32(&file[kDirectoryEntry], uint32_t(file.size()));
    WriteLe32(&file[kDirectoryEntry + 4], 1456);
    file.resize(file.size() + 1456, 0x30);
    return file;
}

TEST(TrailerLocation, SignedShowsAreReadBeforeTheirTableWhateverThePadding) {
    for (size_t extra = 0; extra < 8; ++extra) {
        SCOPED_TRACE(extra);
        const std::vector<uint8_t> plain = UnsignedShow(extra);
        TrailerLocation at = LocateTrailer(plain.data(), plain.size());
        EXPECT_EQ(kTrailerAtEnd, at.place);
        EXPECT_EQ(plain.size(), at.packageEnd);

        const std::vector<uint8_t> signedShow = Signed(plain);
        at = LocateTrailer(signedShow.data(), signedShow.size());
        EXPECT_EQ(kTrailerBeforeCertificates, at.place);
        EXPECT_EQ(plain.size(), at.packageEnd);
    }
}

struct Lie {
    const char* name;
    void (*apply)(std::vector<uint8_t>* file);
};

TEST(TrailerLocation, SignedFilesThatDoNotHoldTogetherAreRefused) {
    const Lie lies[] = {
        {"table past the end", [](std::vector<uint8_t>* f) { WriteLe32(&(*f)[kDirectoryEntry], uint32_t(f->size())); }},
        {"table size wraps", [](std::vector<uint8_t>* f) { WriteLe32(&(*f)[kDirectoryEntry + 4], 0xFFFFFFF0u); }},
        {"no table", [](std::vector<uint8_t>* f) { std::memset(&(*f)[kDirectoryEntry], 0, 8); }},
        {"bytes after the table", [](std::vector<uint8_t>* f) { f->push_back(0); }},
        {"padding not zero", [](std::vector<uint8_t>* f) { (*f)[ReadLe32(&(*f)[kDirectoryEntry]) - 1] = 1; }},
        {"eight bytes of padding",
         [](std::vector<uint8_t>* f) {
             const uint32_t table = ReadLe32(&(*f)[kDirectoryEntry]);
             f->insert(f->begin() + table, 8, 0);
             WriteLe32(&(*f)[kDirectoryEntry], table + 8);
         }},
        {"no PE header", [](std::vector<uint8_t>* f) { (*f)[0] = 'X'; }},
        {"directory beyond the optional header", [](std::vector<uint8_t>* f) { (*f)[kPeOffset + 4 + 16] = 140; }},
    };
    for (const Lie& lie : lies) {
        std::vector<uint8_t> file = Signed(UnsignedShow(3));   // five bytes of padding
        lie.apply(&file);
        EXPECT_EQ(kTrailerNotFound, LocateTrailer(file.data(), file.size()).place) << lie.name;
    }
}

}  // namespace
