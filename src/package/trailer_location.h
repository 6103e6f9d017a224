// Where the package trailer lies in a show file, signed or not, and the PE security
// directory that tells.
//
// An unsigned show ends with its trailer. Signing a show (Authenticode) appends a
// certificate table after it, first padding the file with zero bytes to a multiple of 8,
// and records the table in the PE security directory (data directory 4, whose address is
// a file offset). A file that does not end with a trailer is therefore read as signed: its
// certificate table must end at the end of the file, and the trailer must end where the
// table starts, with at most 7 zero bytes between. Anything else is no package.
// Portable: no platform headers.
#pragma once

#include <cstdint>

// A signer pads the file to this multiple before appending its certificate table.
constexpr uint32_t kCertificateAlignment = 8;

// The security directory of a PE file and where it lies in the headers.
struct SecurityDirectory {
    uint64_t checksumOffset;    // the optional header's CheckSum field
    uint64_t entryOffset;       // the directory entry: table offset, then table size
    uint32_t tableOffset;       // a file offset; 0 with tableSize 0 when the file is unsigned
    uint32_t tableSize;
};

// False when the bytes are no PE file or its optional header has no security directory.
bool ReadSecurityDirectory(const uint8_t* file, uint64_t fileSize, SecurityDirectory* directory);

enum TrailerPlace {
    kTrailerNotFound = 0,
    kTrailerAtEnd,               // the last 152 bytes are the trailer
    kTrailerBeforeCertificates,  // a signed show: the trailer ends before the certificate table
};

struct TrailerLocation {
    TrailerPlace place;
    uint64_t packageEnd;         // one past the trailer's last byte; 0 when not found
};

TrailerLocation LocateTrailer(const uint8_t* file, uint64_t fileSize);
