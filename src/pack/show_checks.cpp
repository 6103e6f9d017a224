// The checks before sending (see show_checks.h).
#include "pack/show_checks.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "package/package_layout.h"
#include "package/trailer_location.h"
#include "gif/gif_loader.h"
#include "gif/showable_screen.h"
#include "pack/caption_picture.h"
#include "pack/caption_style.h"
#include "pack/message_metafile.h"
#include "pack/message_pixels.h"
#include "pack/player_identity.h"
#include "show/placement.h"

namespace {

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

// A text caption: the font its script needs on the receiver's machine, and its contrast
// with the message where the player draws it (messages of the kind the packer builds).
void CheckTextCaption(const uint8_t* bytes, const PackageTrailerRecord& trailer,
                      const PackagePayloads& payloads, std::vector<Finding>* findings) {
    FontRecord font;
    DecodeFontRecord(trailer.captionFont, &font);
    if (const char* script = EastAsianScriptOfCharset(font.charSet))
        Add(findings, kFindingWarning,
            Format("caption: drawn by the player in a %s font; every supported Windows has one, but a "
                   "machine without East Asian fonts (Wine on Linux, for one) shows other characters. "
                   "docs/making-shows.md says how to install them, or use a picture caption", script));
    int side = 0;
    std::vector<uint8_t> rgba;
    if (!payloads.message.present ||
        !DecodeMessagePixels(bytes + payloads.message.offset, size_t(payloads.message.size), &side, &rgba))
        return;
    const Rect area = ComputeCaptionRect(side, side);
    double sum[3] = {0, 0, 0};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            for (int c = 0; c < 3; ++c)
                sum[c] += rgba[(size_t(y) * size_t(side) + size_t(x)) * 4 + size_t(c)];
    const double count = double(area.right - area.left) * (area.bottom - area.top);
    if (count <= 0)
        return;
    uint32_t under = 0;
    for (int c = 0; c < 3; ++c)
        under = under << 8 | uint32_t(sum[c] / count + 0.5);
    const uint32_t colourRef = trailer.captionColour;
    const uint32_t colour = (colourRef & 0xFF) << 16 | (colourRef & 0xFF00) | (colourRef >> 16 & 0xFF);
    const std::string warning = CaptionContrastWarning(colour, under);
    if (!warning.empty())
        Add(findings, kFindingWarning, warning);
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
    if (!ScreenIsShowable(width, height))
        Add(findings, isAnimation ? kFindingError : kFindingWarning,
            Format("%s: a logical screen of %d x %d; the player shows only 1 to %d pixels a side%s",
                   what, width, height, kMaxShowableSide,
                   isAnimation ? "" : ", so the About dialog has no logo"));
    if (outline.cut)
        Add(findings, kFindingError,
            Format("%s: the file is damaged: it ends inside frame %d, whose lower part would be "
                   "missing", what, outline.images));
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

bool GifIsCut(const uint8_t* bytes, size_t size, int* frame) {
    const GifOutline outline = OutlineGif(bytes, size);
    *frame = outline.images;
    return outline.cut;
}

bool JpegIsCut(const uint8_t* bytes, size_t size) {
    // Entropy-coded data writes every 0xFF as FF 00, so FF DA and FF D9 are only ever markers.
    size_t lastScan = size;
    for (size_t at = 0; at + 1 < size; ++at)
        if (bytes[at] == 0xFF && bytes[at + 1] == 0xDA)
            lastScan = at;
    if (lastScan == size)
        return true;
    for (size_t at = lastScan + 2; at + 1 < size; ++at)
        if (bytes[at] == 0xFF && bytes[at + 1] == 0xD9)
            return false;
    return true;
}

bool CheckShow(const uint8_t* bytes, size_t size, std::vector<Finding>* findings) {
    const TrailerLocation location = LocateTrailer(bytes, size);
    if (location.place == kTrailerNotFound) {
        Add(findings, kFindingError, "no Reelbox package: the file does not end with a trailer");
        return false;
    }
    PackageTrailerRecord trailer;
    DecodeTrailer(bytes + location.packageEnd - kTrailerSize, &trailer);
    PackagePayloads payloads;
    const PackageVerdict verdict = LocatePayloads(location.packageEnd, trailer, &payloads);
    if (verdict != kPackageAccepted) {
        Add(findings, kFindingError,
            std::string("the player refuses the package: ") + PackageVerdictText(verdict));
        return false;
    }
    Add(findings, kFindingFact,
        Format("show: %llu bytes, the player %llu of them", (unsigned long long)size,
               (unsigned long long)payloads.animation.offset));
    const PlayerIdentity player = IdentifyPlayer(bytes, size_t(payloads.animation.offset));
    Add(findings, player.kind == kReelboxPlayer ? kFindingFact : kFindingError,
        "player: " + DescribePlayer(player));
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
    if (trailer.captionLength > 0)
        CheckTextCaption(bytes, trailer, payloads, findings);
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
