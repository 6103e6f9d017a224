// Finding the trailer in signed and unsigned shows (see trailer_location.h).
#include "package/trailer_location.h"

#include "bytes/little_endian.h"
#include "package/package_layout.h"

namespace {

constexpr uint32_t kNewHeaderPointer = 0x3C;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kSecurityDirectoryIndex = 4;

bool TrailerEndsAt(const uint8_t* file, uint64_t end) {
    if (end <= kTrailerSize)
        return false;
    PackageTrailerRecord trailer;
    DecodeTrailer(file + (end - kTrailerSize), &trailer);
    return SignatureMatches(trailer);
}

}  // namespace

bool ReadSecurityDirectory(const uint8_t* file, uint64_t fileSize, SecurityDirectory* directory) {
    if (fileSize < kNewHeaderPointer + 4 || file[0] != 'M' || file[1] != 'Z')
        return false;
    const uint64_t pe = ReadLe32(file + kNewHeaderPointer);
    // Signature (4 bytes), then the 20-byte file header, then the optional header.
    if (pe + 24 + 2 > fileSize || ReadLe32(file + pe) != 0x00004550)
        return false;
    const uint64_t optional = pe + 24;
    const uint64_t optionalSize = ReadLe16(file + pe + 4 + 16);
    const uint16_t magic = ReadLe16(file + optional);
    if (magic != kMagicPe32 && magic != kMagicPe32Plus)
        return false;
    const uint64_t countAt = optional + (magic == kMagicPe32 ? 92 : 108);
    const uint64_t entryAt = countAt + 4 + 8 * kSecurityDirectoryIndex;
    if (entryAt + 8 > optional + optionalSize || entryAt + 8 > fileSize ||
        ReadLe32(file + countAt) <= kSecurityDirectoryIndex)
        return false;
    directory->checksumOffset = optional + 64;
    directory->entryOffset = entryAt;
    directory->tableOffset = ReadLe32(file + entryAt);
    directory->tableSize = ReadLe32(file + entryAt + 4);
    return true;
}

TrailerLocation LocateTrailer(const uint8_t* file, uint64_t fileSize) {
    if (TrailerEndsAt(file, fileSize))
        return {kTrailerAtEnd, fileSize};
    const TrailerLocation none = {kTrailerNotFound, 0};
    SecurityDirectory directory;
    if (!ReadSecurityDirectory(file, fileSize, &directory) || directory.tableSize == 0 ||
        uint64_t(directory.tableOffset) + directory.tableSize != fileSize)
        return none;
    // The signer's alignment padding lies between the trailer and the table: zero bytes,
    // fewer than the alignment.
    uint64_t end = directory.tableOffset;
    for (uint32_t padding = 0; padding < kCertificateAlignment && end > 0; ++padding, --end) {
        if (TrailerEndsAt(file, end))
            return {kTrailerBeforeCertificates, end};
        if (file[end - 1] != 0)
            break;
    }
    return none;
}
