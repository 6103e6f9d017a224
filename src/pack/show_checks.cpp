// The checks before sending (see show_checks.h).
#include "pack/show_checks.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "package/package_layout.h"
#include "gif/gif_loader.h"
#include "pack/message_metafile.h"

namespace {

struct GifOutline {
    bool valid;
    int images;          // image descriptors in the stream, whether the decoder loads them
};

// Counts the image descriptors by walking the blocks without decoding, so that frames the
// decoder does not load (its budgets, a truncated stream) can be told apart.
GifOutline OutlineGif(const uint8_t* bytes, size_t size) {
    GifOutline outline = {false, 0};
    if (size < 13 || std::memcmp(bytes, "GIF", 3) != 0)
        return outline;
    outline.valid = true;
    size_t at = 13;
    if (bytes[10] & 0x80)
        at += size_t(3) << ((bytes[10] & 7) + 1);
    auto skipSubBlocks = [&]() {
        while (at < size && bytes[at] != 0)
            at += size_t(bytes[at]) + 1;
        ++at;
    };
    while (at < size) {
        const uint8_t introducer = bytes[at++];
        if (introducer == 0x3B || introducer == 0)
            break;
        if (introducer == 0x21) {
            ++at;
            skipSubBlocks();
        } else if (introducer == 0x2C) {
            if (at + 9 > size)
                break;
            const uint8_t packed = bytes[at + 8];
            at += 9;
            if (packed & 0x80)
                at += size_t(3) << ((packed & 7) + 1);
            ++at;   // LZW minimum code size
            ++outline.images;
            skipSubBlocks();
        }
    }
    return outline;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

void Add(std::vector<Finding>* findings, FindingKind kind, const std::string& text) {
    findings->push_back({kind, text});
}

bool HasError(const std::vector<Finding>& findings) {
    for (const Finding& finding : findings)
        if (finding.kind == kFindingError)
            return true;
    return false;
}

}  // namespace

void CheckGif(const uint8_t* bytes, size_t size, const char* what, bool isAnimation,
              std::vector<Finding>* findings) {
    const GifOutline outline = OutlineGif(bytes, size);
    LoadedGif gif = GifLoadBytes(bytes, size);
    const bool loaded = gif.FrameListHead != nullptr;
    int frames = 0, delayZero = 0;
    long long playingMs = 0;
    for (FrameNode* node = gif.FrameListHead; node; node = node->next) {
        ++frames;
        playingMs += 10LL * node->control.delay;
        if (node->control.delay == 0)
            ++delayZero;
    }
    FreeLoadedGif(&gif);

    if (!outline.valid || !loaded) {
        Add(findings, kFindingError,
            Format("%s: the player's GIF decoder loads no frame from it", what));
        return;
    }
    const int width = gif.ScreenDescriptor.screenWidth, height = gif.ScreenDescriptor.screenHeight;
    Add(findings, kFindingFact,
        Format("%s: %d x %d, %d frame%s, %lld.%02lld s per pass", what, width, height, frames,
               frames == 1 ? "" : "s", playingMs / 1000, playingMs % 1000 / 10));
    if (frames < outline.images)
        Add(findings, kFindingWarning,
            Format("%s: the player loads only %d of its %d frames; the rest exceed the decoder's "
                   "budget (4096 x 4096 pixels a frame, 256 MiB for all frames) or follow damaged data",
                   what, frames, outline.images));
    if (isAnimation && (width > kCommonScreenWidth || height > kCommonScreenHeight))
        Add(findings, kFindingWarning,
            Format("%s: %d x %d is larger than a common %d x %d screen; the player cuts it at "
                   "the screen's edges", what, width, height, kCommonScreenWidth, kCommonScreenHeight));
    if (delayZero > 0)
        Add(findings, kFindingWarning,
            Format("%s: %d frame%s ha%s a delay of 0 and flash%s past in one 10 ms timer tick",
                   what, delayZero, delayZero == 1 ? "" : "s", delayZero == 1 ? "s" : "ve",
                   delayZero == 1 ? "es" : ""));
}

bool CheckShow(const uint8_t* bytes, size_t size, std::vector<Finding>* findings) {
    if (size <= kTrailerSize) {
        Add(findings, kFindingError, "no Reelbox package: the file does not end with a trailer");
        return false;
    }
    PackageTrailerRecord trailer;
    DecodeTrailer(bytes + size - kTrailerSize, &trailer);
    if (!SignatureMatches(trailer)) {
        Add(findings, kFindingError, "no Reelbox package: the file does not end with a trailer");
        return false;
    }
    PackagePayloads payloads;
    const PackageVerdict verdict = LocatePayloads(size, trailer, &payloads);
    if (verdict != kPackageAccepted) {
        Add(findings, kFindingError,
            std::string("the player refuses the package: ") + PackageVerdictText(verdict));
        return false;
    }
    Add(findings, kFindingFact,
        Format("show: %llu bytes, the player %llu of them", (unsigned long long)size,
               (unsigned long long)payloads.animation.offset));
    CheckGif(bytes + payloads.animation.offset, size_t(payloads.animation.size), "animation", true,
             findings);
    if (payloads.message.present) {
        std::string why;
        if (!CheckEnhancedMetafile(bytes + payloads.message.offset, size_t(payloads.message.size), &why))
            Add(findings, kFindingError, "message: not a valid enhanced metafile: " + why);
    } else if (trailer.captionLength > 0) {
        Add(findings, kFindingWarning,
            "caption without a message: the player draws the caption only on the message");
    }
    if (payloads.logo.present)
        CheckGif(bytes + payloads.logo.offset, size_t(payloads.logo.size), "logo", false, findings);
    if (payloads.sound.present) {
        const uint8_t* sound = bytes + payloads.sound.offset;
        const size_t soundSize = size_t(payloads.sound.size);
        const bool wave = soundSize >= 12 && std::memcmp(sound, "RIFF", 4) == 0 &&
                          std::memcmp(sound + 8, "WAVE", 4) == 0;
        const bool midi = soundSize >= 4 && std::memcmp(sound, "MThd", 4) == 0;
        if (trailer.sound.type == kSoundTypeWave && !wave)
            Add(findings, kFindingError, "sound: stored as WAV but not a RIFF/WAVE file; the player "
                                         "shows an error box and plays no sound");
        else if (trailer.sound.type != kSoundTypeWave && !midi)
            Add(findings, kFindingError, "sound: stored as MIDI but not an MThd file; the player "
                                         "shows an error box and plays no sound");
    }
    if (size > kShowSizeWarning)
        Add(findings, kFindingWarning,
            Format("the show is %.1f MB; mail services refuse attachments of about 20 to 25 MB",
                   size / 1e6));
    return !HasError(*findings);
}
