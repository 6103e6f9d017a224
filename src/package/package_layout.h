// The package layout: the 152-byte PackageTrailer at the end of a package, its four
// PayloadEntry groups, the LOGFONTA-shaped font record, and the rules by which the player
// accepts a package and finds its payloads. The player and the tackon tool both use this
// one definition.
//
// Layout of a package, from the start of the file:
//   player executable | animation GIF | [message EMF] | [logo GIF] | [sound WAV/MIDI]
//   | caption text (captionLength bytes, no terminator) | PackageTrailer (152 bytes)
// The payloads are located backwards from the trailer by their sizes; an absent payload
// takes no bytes and its size is ignored. All integers are little-endian 32-bit.
// Portable: no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kTrailerSize = 152;
constexpr uint32_t kFontRecordSize = 60;
constexpr uint32_t kFaceNameSize = 32;
constexpr uint32_t kMaxCaptionLength = 255;
constexpr uint32_t kSoundTypeWave = 4;     // any other sound type is MIDI
constexpr uint32_t kRandomPlacement = 9;

// Byte offsets inside the trailer.
enum TrailerOffset : uint32_t {
    kOffsetSignature = 0,
    kOffsetReserved = 4,
    kOffsetCaptionLength = 8,
    kOffsetCaptionColour = 12,
    kOffsetCaptionFont = 16,
    kOffsetAnimation = 76,
    kOffsetMessage = 88,
    kOffsetSound = 100,
    kOffsetLogo = 112,
    kOffsetStartPlacement = 124,
    kOffsetEndPlacement = 128,
    kOffsetShowAbout = 132,
    kOffsetCaptionRect = 136,
};

struct PayloadEntry {
    uint32_t present;   // non-zero: the payload is in the file
    uint32_t type;      // read only for the sound: 4 = WAV, anything else = MIDI
    uint32_t size;
};

struct PackageTrailerRecord {
    uint8_t signature[4];        // "KVZ" and a zero byte; only the three letters are compared
    uint32_t reserved;           // not read by the player; tackon stores the zero bytes
                                 // (0..7) it put after the player
    uint32_t captionLength;
    uint32_t captionColour;      // 0x00BBGGRR
    uint8_t captionFont[kFontRecordSize];   // a LOGFONTA record, stored as it is
    PayloadEntry animation;
    PayloadEntry message;
    PayloadEntry sound;
    PayloadEntry logo;
    uint32_t startPlacement;     // PlacementCode 0..8, 9 = random
    uint32_t endPlacement;
    int32_t showAbout;           // exactly 1 shows the About dialog
    int32_t captionRect[4];      // left, top, right, bottom as the writer stored it; not drawn
};

// The font record in the LOGFONTA layout (60 bytes).
struct FontRecord {
    int32_t height, width, escapement, orientation, weight;
    uint8_t italic, underline, strikeOut, charSet;
    uint8_t outPrecision, clipPrecision, quality, pitchAndFamily;
    char faceName[kFaceNameSize];
};

// Where one payload lies in the package file.
struct PayloadSpan {
    uint64_t offset;
    uint64_t size;
    bool present;
};

struct PackagePayloads {
    PayloadSpan animation, message, logo, sound;
    uint64_t captionOffset;       // first caption byte
    uint32_t captionCopyLength;   // bytes the player keeps: min(captionLength, 255)
};

void DecodeTrailer(const uint8_t bytes[kTrailerSize], PackageTrailerRecord* trailer);
void EncodeTrailer(const PackageTrailerRecord& trailer, uint8_t bytes[kTrailerSize]);
void DecodeFontRecord(const uint8_t bytes[kFontRecordSize], FontRecord* font);
void EncodeFontRecord(const FontRecord& font, uint8_t bytes[kFontRecordSize]);

bool SignatureMatches(const PackageTrailerRecord& trailer);

// The reasons a package is refused, in the order the player checks them.
enum PackageVerdict {
    kPackageAccepted = 0,
    kPackageTooSmall,          // 152 bytes or less: no room for a trailer and a payload
    kPackageBadSignature,
    kPackageNoAnimation,
    kPackageOutOfBounds,       // the stored lengths reach before the start of the file
};

// Checks the trailer of a file of fileSize bytes and locates its payloads. Sizes are summed
// in 64 bits, so no stored value can wrap the arithmetic or reach outside the file.
PackageVerdict LocatePayloads(uint64_t fileSize, const PackageTrailerRecord& trailer,
                              PackagePayloads* payloads);
const char* PackageVerdictText(PackageVerdict verdict);

// Code 9 becomes drawInRange(0, 8); every other code passes through unchanged.
uint32_t ResolvePlacement(uint32_t code, int (*drawInRange)(int lo, int hi));
