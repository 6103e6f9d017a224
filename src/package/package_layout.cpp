// Encoding, decoding and checking of the package trailer (see package_layout.h).
#include "package/package_layout.h"

#include <cstring>

#include "bytes/little_endian.h"

namespace {

void ReadEntry(const uint8_t* p, PayloadEntry* entry) {
    entry->present = ReadLe32(p);
    entry->type = ReadLe32(p + 4);
    entry->size = ReadLe32(p + 8);
}

void WriteEntry(uint8_t* p, const PayloadEntry& entry) {
    WriteLe32(p, entry.present);
    WriteLe32(p + 4, entry.type);
    WriteLe32(p + 8, entry.size);
}

}  // namespace

void DecodeTrailer(const uint8_t bytes[kTrailerSize], PackageTrailerRecord* t) {
    std::memcpy(t->signature, bytes + kOffsetSignature, 4);
    t->reserved = ReadLe32(bytes + kOffsetReserved);
    t->captionLength = ReadLe32(bytes + kOffsetCaptionLength);
    t->captionColour = ReadLe32(bytes + kOffsetCaptionColour);
    std::memcpy(t->captionFont, bytes + kOffsetCaptionFont, kFontRecordSize);
    ReadEntry(bytes + kOffsetAnimation, &t->animation);
    ReadEntry(bytes + kOffsetMessage, &t->message);
    ReadEntry(bytes + kOffsetSound, &t->sound);
    ReadEntry(bytes + kOffsetLogo, &t->logo);
    t->startPlacement = ReadLe32(bytes + kOffsetStartPlacement);
    t->endPlacement = ReadLe32(bytes + kOffsetEndPlacement);
    t->showAbout = int32_t(ReadLe32(bytes + kOffsetShowAbout));
    for (int i = 0; i < 4; ++i)
        t->captionRect[i] = int32_t(ReadLe32(bytes + kOffsetCaptionRect + 4 * i));
}

void EncodeTrailer(const PackageTrailerRecord& t, uint8_t bytes[kTrailerSize]) {
    std::memcpy(bytes + kOffsetSignature, t.signature, 4);
    WriteLe32(bytes + kOffsetReserved, t.reserved);
    WriteLe32(bytes + kOffsetCaptionLength, t.captionLength);
    WriteLe32(bytes + kOffsetCaptionColour, t.captionColour);
    std::memcpy(bytes + kOffsetCaptionFont, t.captionFont, kFontRecordSize);
    WriteEntry(bytes + kOffsetAnimation, t.animation);
    WriteEntry(bytes + kOffsetMessage, t.message);
    WriteEntry(bytes + kOffsetSound, t.sound);
    WriteEntry(bytes + kOffsetLogo, t.logo);
    WriteLe32(bytes + kOffsetStartPlacement, t.startPlacement);
    WriteLe32(bytes + kOffsetEndPlacement, t.endPlacement);
    WriteLe32(bytes + kOffsetShowAbout, uint32_t(t.showAbout));
    for (int i = 0; i < 4; ++i)
        WriteLe32(bytes + kOffsetCaptionRect + 4 * i, uint32_t(t.captionRect[i]));
}

void DecodeFontRecord(const uint8_t b[kFontRecordSize], FontRecord* f) {
    f->height = int32_t(ReadLe32(b));
    f->width = int32_t(ReadLe32(b + 4));
    f->escapement = int32_t(ReadLe32(b + 8));
    f->orientation = int32_t(ReadLe32(b + 12));
    f->weight = int32_t(ReadLe32(b + 16));
    f->italic = b[20];
    f->underline = b[21];
    f->strikeOut = b[22];
    f->charSet = b[23];
    f->outPrecision = b[24];
    f->clipPrecision = b[25];
    f->quality = b[26];
    f->pitchAndFamily = b[27];
    std::memcpy(f->faceName, b + 28, kFaceNameSize);
}

void EncodeFontRecord(const FontRecord& f, uint8_t b[kFontRecordSize]) {
    WriteLe32(b, uint32_t(f.height));
    WriteLe32(b + 4, uint32_t(f.width));
    WriteLe32(b + 8, uint32_t(f.escapement));
    WriteLe32(b + 12, uint32_t(f.orientation));
    WriteLe32(b + 16, uint32_t(f.weight));
    b[20] = f.italic;
    b[21] = f.underline;
    b[22] = f.strikeOut;
    b[23] = f.charSet;
    b[24] = f.outPrecision;
    b[25] = f.clipPrecision;
    b[26] = f.quality;
    b[27] = f.pitchAndFamily;
    std::memcpy(b + 28, f.faceName, kFaceNameSize);
}

bool SignatureMatches(const PackageTrailerRecord& trailer) {
    return std::memcmp(trailer.signature, "KVZ", 3) == 0;
}

namespace {

// Moves the cursor back over one payload; false when it would pass the start of the file.
bool TakeBack(uint64_t* cursor, const PayloadEntry& entry, PayloadSpan* span) {
    span->present = entry.present != 0;
    span->offset = 0;
    span->size = 0;
    if (!span->present)
        return true;
    if (entry.size > *cursor)
        return false;
    *cursor -= entry.size;
    span->offset = *cursor;
    span->size = entry.size;
    return true;
}

}  // namespace

PackageVerdict LocatePayloads(uint64_t fileSize, const PackageTrailerRecord& trailer,
                              PackagePayloads* payloads) {
    if (fileSize <= kTrailerSize)
        return kPackageTooSmall;
    if (!SignatureMatches(trailer))
        return kPackageBadSignature;
    if (trailer.animation.present == 0)
        return kPackageNoAnimation;
    uint64_t cursor = fileSize - kTrailerSize;
    if (trailer.captionLength > cursor)
        return kPackageOutOfBounds;
    cursor -= trailer.captionLength;
    payloads->captionOffset = cursor;
    payloads->captionCopyLength =
        trailer.captionLength > kMaxCaptionLength ? kMaxCaptionLength : trailer.captionLength;
    // The payloads lie in the order animation, message, logo, sound, so they are taken
    // back from the caption in the reverse order.
    if (!TakeBack(&cursor, trailer.sound, &payloads->sound) ||
        !TakeBack(&cursor, trailer.logo, &payloads->logo) ||
        !TakeBack(&cursor, trailer.message, &payloads->message) ||
        !TakeBack(&cursor, trailer.animation, &payloads->animation))
        return kPackageOutOfBounds;
    return kPackageAccepted;
}

const char* PackageVerdictText(PackageVerdict verdict) {
    switch (verdict) {
    case kPackageAccepted: return "accepted";
    case kPackageTooSmall: return "file is too small to hold a package trailer";
    case kPackageBadSignature: return "trailer signature is not \"KVZ\"";
    case kPackageNoAnimation: return "no animation is present";
    case kPackageOutOfBounds: return "payload sizes reach before the start of the file";
    }
    return "unknown";
}

uint32_t ResolvePlacement(uint32_t code, int (*drawInRange)(int lo, int hi)) {
    return code == kRandomPlacement ? uint32_t(drawInRange(0, 8)) : code;
}
