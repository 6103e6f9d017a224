// Packing a show onto the player (see package_writer.h).
#include "package_writer.h"

#include <cstring>
#include <memory>
#include <vector>

#include "caption_drawing.h"
#include "file_io.h"
#include "pack/pack_api.h"
#include "payload_checks.h"
#include "picture_decoding.h"
#include "show_signing.h"
#include "sound_decoding.h"
#include "web_show_writer.h"

namespace {

using Packer = std::unique_ptr<ReelboxPacker, void (*)(ReelboxPacker*)>;

// "what 'path': reason" from the core's last refusal.
bool Refused(const ReelboxPacker* packer, const char* what, const std::string& path, std::string* error) {
    *error = std::string(what) + " '" + path + "': " + ReelboxPackError(packer);
    return false;
}

bool AddFile(ReelboxPacker* packer, const std::string& path, const char* what,
             int (*set)(ReelboxPacker*, const unsigned char*, size_t), std::string* error) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, what, &bytes, error))
        return false;
    return set(packer, bytes.data(), bytes.size()) || Refused(packer, what, path, error);
}

bool AddMessage(ReelboxPacker* packer, const PackRequest& request, std::string* error) {
    if (!request.message.empty())
        return AddFile(packer, request.message, "message", ReelboxPackSetMessageMetafile, error);
    if (request.messageColourGiven)
        return ReelboxPackSetMessageColour(packer, request.messageColour) ||
               Refused(packer, "message colour", "", error);
    if (request.messageImage.empty())
        return true;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(request.messageImage, "message picture", &bytes, error))
        return false;
    if (!ReelboxPackPictureIsWhole(packer, bytes.data(), bytes.size()))
        return Refused(packer, "message picture", request.messageImage, error);
    DecodedPicture picture;
    std::string why;
    if (!DecodePicture(bytes, &picture, &why)) {
        *error = "message picture '" + request.messageImage + "': " + why;
        return false;
    }
    bytes.clear();
    bytes.shrink_to_fit();
    return ReelboxPackSetMessagePicture(packer, picture.rgba.data(), picture.width, picture.height,
                                        request.messageBackground) ||
           Refused(packer, "message picture", request.messageImage, error);
}

bool AddSound(ReelboxPacker* packer, const PackRequest& request, std::string* error) {
    if (request.sound.empty())
        return true;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(request.sound, "sound", &bytes, error))
        return false;
    if (DetectSoundKind(bytes) != kSoundUnknown || !LooksLikeCompressedSound(bytes))
        return ReelboxPackSetSoundFile(packer, bytes.data(), bytes.size()) ||
               Refused(packer, "sound", request.sound, error);
    DecodedSound sound;
    std::string why;
    if (!DecodeSound(bytes, &sound, &why)) {
        *error = "sound '" + request.sound + "': " + why;
        return false;
    }
    return ReelboxPackSetSoundSamples(packer, sound.samples.data(), sound.samples.size() / size_t(sound.channels),
                                      sound.channels, sound.rate, request.soundQuality.rate,
                                      request.soundQuality.channels) ||
           Refused(packer, "sound", request.sound, error);
}

// The style asked for, or the one the text and its place call for.
int CaptionStyleFor(ReelboxPacker* packer, const PackRequest& request, const std::string& text,
                    std::ostream& out) {
    if (request.captionStyle >= 0)
        return request.captionStyle;
    const int style = ReelboxPackDefaultCaptionStyle(packer, text.c_str(), request.charset,
                                                     int(request.captionPosition));
    out << "  caption: " << ReelboxPackCaptionStyleReason(packer) << "\n";
    return style;
}

bool AddCaption(ReelboxPacker* packer, const PackRequest& request, std::ostream& out, std::string* error) {
    std::string text = request.captionText;
    if (!request.captionFile.empty()) {
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(request.captionFile, "caption file", &bytes, error))
            return false;
        text.assign(bytes.begin(), bytes.end());
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)   // a byte-order mark some editors write
            text.erase(0, 3);
    }
    if (text.find('\0') != std::string::npos) {
        *error = "caption contains a zero byte; the player would cut it there";
        return false;
    }
    if (text.empty())
        return true;
    if (CaptionStyleFor(packer, request, text, out) == REELBOX_PACK_CAPTION_PICTURE)
        return DrawPictureCaption(packer, text, request, error);
    if (!ReelboxPackSetCaption(packer, text.c_str(), request.charset)) {
        *error = ReelboxPackError(packer);
        return false;
    }
    return true;
}

// An input named as the output would be replaced by the show, which keeps only a converted
// copy of it. The player may be the output: the show carries it whole.
bool OutputSparesInputs(const PackRequest& request, std::string* error) {
    const struct { const std::string& path; const char* option; } inputs[] = {
        {request.animation, "--animation"}, {request.message, "--message"},
        {request.messageImage, "--message-image"}, {request.logo, "--logo"},
        {request.sound, "--sound"}, {request.captionFile, "--caption-file"},
    };
    for (const auto& input : inputs)
        if (!input.path.empty() && SameFile(input.path, request.output)) {
            *error = "the output '" + request.output + "' is the " + input.option + " file '" +
                     input.path + "'; it would be lost (choose another output name)";
            return false;
        }
    return true;
}

}  // namespace

bool PackShow(const PackRequest& request, std::ostream& out, std::string* error) {
    if (!OutputSparesInputs(request, error))
        return false;
    Packer owner(ReelboxPackCreate(), ReelboxPackFree);
    ReelboxPacker* packer = owner.get();
    std::vector<uint8_t> player;
    if (!ReadWholeFile(request.player, "player", &player, error))
        return false;
    if (!ReelboxPackSetPlayer(packer, player.data(), player.size(), request.replace ? 1 : 0)) {
        const bool carriesPackage = std::strstr(ReelboxPackError(packer), "already carries") != nullptr;
        Refused(packer, "player", request.player, error);
        if (carriesPackage)
            *error += " (use --replace)";
        return false;
    }
    player = std::vector<uint8_t>();
    if (!AddFile(packer, request.animation, "animation", ReelboxPackSetAnimation, error) ||
        !AddMessage(packer, request, error) ||
        (!request.logo.empty() && !AddFile(packer, request.logo, "logo", ReelboxPackSetLogo, error)) ||
        !AddSound(packer, request, error) || !AddCaption(packer, request, out, error))
        return false;

    const FontRecord& font = request.font;
    const uint32_t c = request.colour;   // COLORREF
    const std::string face(font.faceName, strnlen(font.faceName, kFaceNameSize));
    if (!ReelboxPackSetFont(packer, face.c_str(), font.height, font.weight >= 700, font.italic) ||
        !ReelboxPackSetCaptionColour(packer, (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF)) ||
        !ReelboxPackSetPlacement(packer, int(request.startPlacement), int(request.endPlacement)) ||
        !ReelboxPackSetAbout(packer, request.about ? 1 : 0)) {
        *error = ReelboxPackError(packer);
        return false;
    }

    const int built = ReelboxPackBuild(packer);
    out << ReelboxPackReport(packer);
    if (!built) {
        *error = ReelboxPackError(packer);
        return false;
    }
    size_t size = 0;
    const unsigned char* show = ReelboxPackOutput(packer, &size);
    const std::vector<uint8_t> bytes(show, show + size);
    std::vector<uint8_t> page;
    if (!request.webShow.empty() && !MakeWebShow(packer, bytes, &page, error))
        return false;
    if (!request.output.empty()) {
        const bool written = request.sign.sign
            ? WriteSignedShow(bytes, request.sign, request.output, out, error)
            : WriteFileAtomically(request.output, {&bytes}, error);
        if (!written)
            return false;
    }
    return request.webShow.empty() || WriteFileAtomically(request.webShow, {&page}, error);
}
