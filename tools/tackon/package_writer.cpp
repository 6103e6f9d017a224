// Packing a show onto the player (see package_writer.h).
#include "package_writer.h"

#include <cstring>

#include "file_io.h"
#include "option_values.h"
#include "payload_checks.h"

namespace {

// What tackon writes into the caption rectangle. The player computes its own rectangle
// from the message window's size and never reads this one.
constexpr int32_t kStoredCaptionRect[4] = {20, 20, 220, 220};

PayloadEntry Entry(const std::vector<uint8_t>* bytes, uint32_t type) {
    PayloadEntry entry = {0, 0, 0};
    if (bytes) {
        entry.present = 1;
        entry.type = type;
        entry.size = uint32_t(bytes->size());
    }
    return entry;
}

bool TooLarge(const std::vector<uint8_t>& bytes, const char* what, std::string* error) {
    if (bytes.size() <= 0xFFFFFFFFu)
        return false;
    *error = std::string(what) + " is larger than 4 GiB and cannot be packed";
    return true;
}

// Reads an optional GIF, metafile or sound payload; an empty path means not packed.
bool ReadPayload(const std::string& path, const char* what, bool (*looksRight)(const std::vector<uint8_t>&),
                 const char* expected, std::vector<uint8_t>* bytes, std::string* error) {
    if (!ReadWholeFile(path, what, bytes, error))
        return false;
    if (!looksRight(*bytes)) {
        *error = std::string(what) + " '" + path + "' is not " + expected;
        return false;
    }
    return !TooLarge(*bytes, what, error);
}

bool ReadCaption(const PackRequest& request, std::vector<uint8_t>* caption, std::string* error) {
    caption->clear();
    if (request.captionGiven) {
        caption->assign(request.captionText.begin(), request.captionText.end());
    } else if (!request.captionFile.empty()) {
        if (!ReadWholeFile(request.captionFile, "caption file", caption, error))
            return false;
    }
    if (caption->size() > kMaxCaptionLength) {
        *error = "caption is " + std::to_string(caption->size()) + " bytes; at most " +
                 std::to_string(kMaxCaptionLength) + " fit";
        return false;
    }
    if (!caption->empty() && std::memchr(caption->data(), 0, caption->size())) {
        *error = "caption contains a zero byte; the player would cut it there";
        return false;
    }
    return true;
}

}  // namespace

PackageTrailerRecord MakeTrailer(const PackRequest& request, uint32_t captionLength,
                                 const PayloadEntry& animation, const PayloadEntry& message,
                                 const PayloadEntry& sound, const PayloadEntry& logo) {
    PackageTrailerRecord trailer;
    std::memset(&trailer, 0, sizeof trailer);
    std::memcpy(trailer.signature, "KVZ", 4);   // the three letters and their terminator
    trailer.reserved = 0;
    trailer.captionLength = captionLength;
    trailer.captionColour = request.colour;
    EncodeFontRecord(request.font, trailer.captionFont);
    trailer.animation = animation;
    trailer.message = message;
    trailer.sound = sound;
    trailer.logo = logo;
    trailer.startPlacement = request.startPlacement;
    trailer.endPlacement = request.endPlacement;
    trailer.showAbout = request.about ? 1 : 0;
    std::memcpy(trailer.captionRect, kStoredCaptionRect, sizeof kStoredCaptionRect);
    return trailer;
}

bool TakeBarePlayer(std::vector<uint8_t>* player, bool replace, const std::string& path,
                    std::string* error) {
    if (player->size() <= kTrailerSize)
        return true;
    PackageTrailerRecord trailer;
    DecodeTrailer(player->data() + player->size() - kTrailerSize, &trailer);
    PackagePayloads payloads;
    if (LocatePayloads(player->size(), trailer, &payloads) != kPackageAccepted)
        return true;
    if (!replace) {
        *error = "player '" + path + "' already carries a package (use --replace to strip it)";
        return false;
    }
    player->resize(size_t(payloads.animation.offset));
    return true;
}

bool PackShow(const PackRequest& request, std::string* error) {
    std::vector<uint8_t> player, animation, message, logo, sound, caption;
    if (!ReadWholeFile(request.player, "player", &player, error) ||
        !TakeBarePlayer(&player, request.replace, request.player, error))
        return false;
    if (!ReadPayload(request.animation, "animation", LooksLikeGif,
                     "a GIF (no GIF87a/GIF89a header)", &animation, error))
        return false;
    if (!request.message.empty() &&
        !ReadPayload(request.message, "message", LooksLikeEnhancedMetafile,
                     "an enhanced metafile (no EMR_HEADER record with the \" EMF\" signature)",
                     &message, error))
        return false;
    if (!request.logo.empty() &&
        !ReadPayload(request.logo, "logo", LooksLikeGif, "a GIF (no GIF87a/GIF89a header)",
                     &logo, error))
        return false;
    SoundKind soundKind = kSoundUnknown;
    if (!request.sound.empty()) {
        if (!ReadWholeFile(request.sound, "sound", &sound, error))
            return false;
        soundKind = DetectSoundKind(sound);
        if (soundKind == kSoundUnknown) {
            *error = "sound '" + request.sound +
                     "' is neither a WAV (RIFF....WAVE) nor a MIDI (MThd) file";
            return false;
        }
        if (TooLarge(sound, "sound", error))
            return false;
    }
    if (!ReadCaption(request, &caption, error))
        return false;

    PackageTrailerRecord trailer = MakeTrailer(
        request, uint32_t(caption.size()), Entry(&animation, kTypeGif),
        Entry(request.message.empty() ? nullptr : &message, kTypeMetafile),
        Entry(request.sound.empty() ? nullptr : &sound,
              soundKind == kSoundWave ? kTypeWave : kTypeMidi),
        Entry(request.logo.empty() ? nullptr : &logo, kTypeGif));
    std::vector<uint8_t> trailerBytes(kTrailerSize);
    EncodeTrailer(trailer, trailerBytes.data());

    // Payload order in the file: animation, message, logo, sound, caption, trailer.
    return WriteFileAtomically(request.output,
                               {&player, &animation, &message, &logo, &sound, &caption, &trailerBytes},
                               error);
}
