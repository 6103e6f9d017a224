// libFuzzer entry point: the package trailer and the location of the payloads, the code the
// player's start-up and tackon's --info and --extract share. The input is a whole package
// file. Besides the sanitizers' checks (every located payload byte is read from the input,
// so a span outside the file is caught), an accepted package must lay out exactly as the
// format says: animation, message, logo, sound and caption back to back, ending where the
// trailer begins. Decoding and encoding the trailer and its font record give back the same
// bytes; every verdict has its text, and placement codes resolve into the grid. The first
// eight bytes also serve as the size of a much larger file with the same trailer, so sizes
// beyond 4 GiB are located too (without reading). The trailer is also looked for as in a
// signed show, before a certificate table the PE security directory names.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "package/package_layout.h"
#include "package/trailer_location.h"

namespace {

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

// Follows the spans in file order; answers where the last one ends.
uint64_t CheckSpan(const PayloadSpan& span, uint64_t cursor) {
    if (!span.present) {
        Require(span.size == 0);
        return cursor;
    }
    Require(span.offset == cursor);
    return cursor + span.size;
}

void CheckLayout(uint64_t fileSize, const PackageTrailerRecord& trailer,
                 const PackagePayloads& p) {
    Require(fileSize > kTrailerSize && SignatureMatches(trailer) && trailer.animation.present);
    Require(p.animation.present && p.animation.offset <= p.captionOffset);
    uint64_t cursor = p.animation.offset;
    for (const PayloadSpan* span : {&p.animation, &p.message, &p.logo, &p.sound})
        cursor = CheckSpan(*span, cursor);
    Require(cursor == p.captionOffset);
    Require(p.captionOffset + trailer.captionLength == fileSize - kTrailerSize);
    Require(p.captionCopyLength <= kMaxCaptionLength &&
            p.captionCopyLength <= trailer.captionLength);
}

__attribute__((no_sanitize("coverage"))) uint32_t Touch(const uint8_t* data,
                                                         const PayloadSpan& span) {
    if (!span.present || span.size == 0)
        return 0;
    return data[span.offset] + data[span.offset + span.size - 1];
}

void CheckRoundTrips(const uint8_t* tail, const PackageTrailerRecord& trailer) {
    uint8_t again[kTrailerSize];
    EncodeTrailer(trailer, again);
    Require(std::memcmp(again, tail, kTrailerSize) == 0);
    FontRecord font;
    uint8_t fontBytes[kFontRecordSize];
    DecodeFontRecord(trailer.captionFont, &font);
    EncodeFontRecord(font, fontBytes);
    Require(std::memcmp(fontBytes, trailer.captionFont, kFontRecordSize) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kTrailerSize)
        return 0;
    const uint8_t* tail = data + size - kTrailerSize;
    PackageTrailerRecord trailer;
    DecodeTrailer(tail, &trailer);
    CheckRoundTrips(tail, trailer);

    PackagePayloads payloads = {};
    const PackageVerdict verdict = LocatePayloads(size, trailer, &payloads);
    const char* text = PackageVerdictText(verdict);
    Require(text && text[0] && std::strcmp(text, "unknown") != 0);
    for (uint32_t code : {trailer.startPlacement, trailer.endPlacement}) {
        const uint32_t placed = ResolvePlacement(code, [](int lo, int hi) { return (lo + hi) / 2; });
        Require(code == kRandomPlacement ? placed <= 8 : placed == code);
    }
    if (verdict == kPackageAccepted) {
        CheckLayout(size, trailer, payloads);
        volatile uint32_t sum = 0;
        for (const PayloadSpan* span :
             {&payloads.animation, &payloads.message, &payloads.logo, &payloads.sound})
            sum = sum + Touch(data, *span);
        if (trailer.captionLength)
            sum = sum + data[payloads.captionOffset + trailer.captionLength - 1];
    }

    // Signed or not, a trailer found lies inside the input, and one at the end is the one
    // read above.
    const TrailerLocation location = LocateTrailer(data, size);
    if (location.place != kTrailerNotFound) {
        Require(location.packageEnd > kTrailerSize && location.packageEnd <= size);
        PackageTrailerRecord found;
        DecodeTrailer(data + location.packageEnd - kTrailerSize, &found);
        Require(SignatureMatches(found));
        Require((location.place == kTrailerAtEnd) == (location.packageEnd == size));
    }

    uint64_t largeSize = 0;
    std::memcpy(&largeSize, data, sizeof largeSize);
    PackagePayloads large = {};
    if (LocatePayloads(largeSize, trailer, &large) == kPackageAccepted)
        CheckLayout(largeSize, trailer, large);
    return 0;
}
