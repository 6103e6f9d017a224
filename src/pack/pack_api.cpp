// The packer behind pack_api.h: the inputs of one show, its assembly in the package order
// (player | animation | message | logo | sound | caption | trailer) and its checks.
#include "pack/pack_api.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gif/showable_screen.h"
#include "package/package_layout.h"
#include "package/trailer_location.h"
#include "pack/caption_encoding.h"
#include "pack/caption_picture.h"
#include "pack/caption_style.h"
#include "pack/message_pixels.h"
#include "pack/message_metafile.h"
#include "pack/player_identity.h"
#include "pack/show_checks.h"
#include "pack/show_options.h"
#include "pack/wave_writer.h"
#include "pack/web_show.h"

static_assert(REELBOX_PACK_RANDOM_CELL == kRandomPlacement, "one random cell");
static_assert(REELBOX_PACK_FONT_HEIGHT_LIMIT == kFontHeightLimit, "one font height limit");
static_assert(REELBOX_PACK_FACE_NAME_BYTES == kFaceNameBytes, "one face-name length");

namespace {

// Type codes written into the entries. The player reads only the sound's (4 = WAV, any other
// value = MIDI); the others are fixed values for other readers.
constexpr uint32_t kTypeMetafile = 1;
constexpr uint32_t kTypeGif = 2;
constexpr uint32_t kTypeMidi = 3;
constexpr uint32_t kWeightNormal = 400;
constexpr uint32_t kWeightBold = 700;
constexpr int32_t kDefaultFontHeight = -24;
// Written into the caption rectangle; the player computes its own and never reads this one.
constexpr int32_t kStoredCaptionRect[4] = {20, 20, 220, 220};

static_assert(REELBOX_PACK_CAPTION_CARD_SIDE == kCaptionCardSide, "one card side");

// How the message was given: a picture caption can be drawn into pictures and cards only.
enum MessageKind { kMessageNone, kMessageMetafile, kMessagePicture, kMessageCard };

uint32_t ColourRef(unsigned rgb) {
    return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

bool StartsWith(const std::vector<uint8_t>& bytes, size_t at, const char* text) {
    const size_t n = std::strlen(text);
    return bytes.size() >= at + n && std::memcmp(bytes.data() + at, text, n) == 0;
}

}  // namespace

struct ReelboxPacker {
    std::string error;
    std::vector<uint8_t> player, animation, message, logo, sound;
    bool hasPlayer = false, hasAnimation = false, hasMessage = false, hasLogo = false,
         hasSound = false;
    uint32_t soundType = kSoundTypeWave;
    std::string fontFace = "Arial";      // UTF-8; converted when the show is built
    MessageKind messageKind = kMessageNone;
    FittedPicture picture;               // a picture message before it became a metafile
    uint32_t cardColour = 0;
    std::vector<uint8_t> canvas;         // handed out by ReelboxPackCaptionCanvas
    std::vector<uint8_t> captionPicture; // the canvas with a picture caption drawn on it
    std::string caption;                 // converted bytes
    int captionCharset = kCharsetWestern;
    FontRecord font;
    uint32_t captionColour = 0;          // COLORREF
    uint32_t startCell = kRandomPlacement, endCell = kRandomPlacement;
    bool about = false;
    std::vector<uint8_t> output;
    std::vector<Finding> findings;
    std::string report, findingText, utf8, playerText, styleReason, webShow;
    std::vector<uint8_t> messagePixels, messagePicture;

    ReelboxPacker() {
        std::memset(&font, 0, sizeof font);
        font.height = kDefaultFontHeight;
        font.weight = kWeightNormal;
    }
    int Fail(const std::string& why) {
        error = why;
        return 0;
    }
    int Done() {
        error.clear();
        return 1;
    }
};

namespace {

std::string SoundTooLong(double seconds) {
    return "the sound plays for " + std::to_string(int(seconds / 60)) + " min " +
           std::to_string(int(seconds) % 60) + " s; at most " +
           std::to_string(REELBOX_PACK_SOUND_SECONDS_LIMIT / 60) + " minutes are accepted";
}

// The face name in the caption's code page, as the player's ANSI font calls read it.
bool StoreFontFace(ReelboxPacker* p, std::string* error) {
    const int charset = p->caption.empty() ? kCharsetWestern : p->captionCharset;
    std::string bytes, why;
    int chosen = charset;
    if (!EncodeCaption(p->fontFace, charset, &bytes, &chosen, &why)) {
        *error = "the font face '" + p->fontFace + "' cannot be written in " +
                 CodePageOfCharset(charset)->name + ", the caption's code page";
        return false;
    }
    if (bytes.size() > kFaceNameBytes) {
        *error = "the font face '" + p->fontFace + "' takes " + std::to_string(bytes.size()) +
                 " bytes in " + CodePageOfCharset(charset)->name + "; at most " +
                 std::to_string(kFaceNameBytes) + " fit";
        return false;
    }
    std::memset(p->font.faceName, 0, kFaceNameSize);
    std::memcpy(p->font.faceName, bytes.data(), bytes.size());
    return true;
}

int SetGif(ReelboxPacker* p, const unsigned char* bytes, size_t size, std::vector<uint8_t>* target,
           bool* has) {
    std::vector<uint8_t> gif(bytes, bytes + size);
    if (!StartsWith(gif, 0, "GIF87a") && !StartsWith(gif, 0, "GIF89a"))
        return p->Fail("not a GIF (no GIF87a/GIF89a header)");
    *target = std::move(gif);
    *has = true;
    return p->Done();
}

int SetMessage(ReelboxPacker* p, std::vector<uint8_t> metafile, MessageKind kind) {
    p->message = std::move(metafile);
    p->hasMessage = true;
    p->messageKind = kind;
    if (kind != kMessagePicture)
        p->picture = FittedPicture();
    p->captionPicture.clear();
    return p->Done();
}

CaptionBase CaptionBaseOf(const ReelboxPacker& p) {
    if (p.messageKind == kMessagePicture)
        return {p.picture.side, p.picture.background, &p.picture};
    return {kCaptionCardSide, p.cardColour, nullptr};
}

bool TakesCaptionPicture(ReelboxPacker* p) {
    if (p->messageKind == kMessagePicture || p->messageKind == kMessageCard)
        return p->Done();
    return p->Fail(p->messageKind == kMessageNone
                       ? "a picture caption needs a message picture or a colour card to be drawn on"
                       : "a picture caption cannot be drawn into a metafile given as it is; make the "
                         "message from a picture or a colour, or use a text caption");
}

// Cuts a package the player would accept off the end of the player. The signature of a
// signed show goes with it: its security directory is cleared, as before signing.
bool StripPackage(std::vector<uint8_t>* player, bool replace, std::string* error) {
    const TrailerLocation location = LocateTrailer(player->data(), player->size());
    if (location.place == kTrailerNotFound)
        return true;
    PackageTrailerRecord trailer;
    DecodeTrailer(player->data() + location.packageEnd - kTrailerSize, &trailer);
    PackagePayloads payloads;
    if (LocatePayloads(location.packageEnd, trailer, &payloads) != kPackageAccepted)
        return true;
    if (!replace) {
        *error = "already carries a package; replace it to pack a new one";
        return false;
    }
    SecurityDirectory directory;
    if (location.place == kTrailerBeforeCertificates &&
        ReadSecurityDirectory(player->data(), player->size(), &directory))
        std::memset(player->data() + directory.entryOffset, 0, 8);
    size_t end = size_t(payloads.animation.offset);
    // The zero bytes this packer put after the player, as its trailer records them.
    if (trailer.reserved < kCertificateAlignment && trailer.reserved <= end &&
        std::all_of(player->begin() + long(end - trailer.reserved), player->begin() + long(end),
                    [](uint8_t byte) { return byte == 0; }))
        end -= trailer.reserved;
    player->resize(end);
    return true;
}

PayloadEntry Entry(bool present, uint32_t type, const std::vector<uint8_t>& bytes) {
    PayloadEntry entry = {0, 0, 0};
    if (present)
        entry = {1, type, uint32_t(bytes.size())};
    return entry;
}

void Append(std::vector<uint8_t>* out, const std::vector<uint8_t>& bytes) {
    out->insert(out->end(), bytes.begin(), bytes.end());
}

std::vector<uint8_t> Assemble(const ReelboxPacker& p, const std::vector<uint8_t>& message) {
    PackageTrailerRecord trailer;
    std::memset(&trailer, 0, sizeof trailer);
    std::memcpy(trailer.signature, "KVZ", 4);   // the three letters and their terminator
    trailer.captionLength = uint32_t(p.caption.size());
    trailer.captionColour = p.captionColour;
    FontRecord font = p.font;
    // Without a caption the charset is not used; DEFAULT_CHARSET, as shows have always stored.
    font.charSet = uint8_t(p.caption.empty() ? kCharsetDefault : p.captionCharset);
    EncodeFontRecord(font, trailer.captionFont);
    trailer.animation = Entry(true, kTypeGif, p.animation);
    trailer.message = Entry(p.hasMessage, kTypeMetafile, message);
    trailer.logo = Entry(p.hasLogo, kTypeGif, p.logo);
    trailer.sound = Entry(p.hasSound, p.soundType, p.sound);
    trailer.startPlacement = p.startCell;
    trailer.endPlacement = p.endCell;
    trailer.showAbout = p.about ? 1 : 0;
    std::memcpy(trailer.captionRect, kStoredCaptionRect, sizeof kStoredCaptionRect);

    const size_t packageSize = size_t(trailer.animation.size) + trailer.message.size + trailer.logo.size +
                               trailer.sound.size + trailer.captionLength + kTrailerSize;
    // Zero bytes after the player make the show a multiple of 8 bytes long, so that a
    // signing tool appends its certificate table directly after the trailer. Readers take
    // the player as whatever lies before the animation, padding included; the trailer's
    // reserved word records them for the next --replace.
    const size_t padding =
        (kCertificateAlignment - (p.player.size() + packageSize) % kCertificateAlignment) % kCertificateAlignment;
    trailer.reserved = uint32_t(padding);

    std::vector<uint8_t> out;
    out.reserve(p.player.size() + padding + packageSize);
    Append(&out, p.player);
    out.resize(out.size() + padding);
    Append(&out, p.animation);
    if (p.hasMessage)
        Append(&out, message);
    if (p.hasLogo)
        Append(&out, p.logo);
    if (p.hasSound)
        Append(&out, p.sound);
    out.insert(out.end(), p.caption.begin(), p.caption.end());
    out.resize(out.size() + kTrailerSize);
    EncodeTrailer(trailer, out.data() + out.size() - kTrailerSize);
    return out;
}

void ComposeReport(ReelboxPacker* p) {
    p->report.clear();
    for (const Finding& finding : p->findings) {
        p->report += finding.kind == kFindingError     ? "error: "
                     : finding.kind == kFindingWarning ? "warning: "
                                                       : "  ";
        p->report += finding.text + "\n";
    }
}

int CheckInto(ReelboxPacker* p, const uint8_t* bytes, size_t size) {
    p->findings.clear();
    const bool plays = CheckShow(bytes, size, &p->findings);
    ComposeReport(p);
    return plays ? 1 : 0;
}

}  // namespace

extern "C" {

ReelboxPacker* ReelboxPackCreate(void) { return new ReelboxPacker(); }

void ReelboxPackFree(ReelboxPacker* packer) { delete packer; }

const char* ReelboxPackError(const ReelboxPacker* packer) { return packer->error.c_str(); }

int ReelboxPackSetPlayer(ReelboxPacker* p, const unsigned char* bytes, size_t size, int replace) {
    if (!IsWindowsProgram(bytes, size))
        return p->Fail(DescribePlayer(IdentifyPlayer(bytes, size)));
    std::vector<uint8_t> player(bytes, bytes + size);
    std::string error;
    if (!StripPackage(&player, replace == 1, &error))
        return p->Fail(error);
    p->player = std::move(player);
    p->hasPlayer = true;
    return p->Done();
}

int ReelboxPackSetAnimation(ReelboxPacker* p, const unsigned char* bytes, size_t size) {
    return SetGif(p, bytes, size, &p->animation, &p->hasAnimation);
}

int ReelboxPackSetLogo(ReelboxPacker* p, const unsigned char* bytes, size_t size) {
    return SetGif(p, bytes, size, &p->logo, &p->hasLogo);
}

int ReelboxPackSetMessageMetafile(ReelboxPacker* p, const unsigned char* bytes, size_t size) {
    std::string why;
    if (!CheckEnhancedMetafile(bytes, size, &why))
        return p->Fail("not an enhanced metafile: " + why);
    return SetMessage(p, std::vector<uint8_t>(bytes, bytes + size), kMessageMetafile);
}

int ReelboxPackPictureWithinBudget(long long width, long long height) {
    return width > 0 && height > 0 && width <= kPicturePixelBudget &&
           width * height <= kPicturePixelBudget;
}

int ReelboxPackScreenIsShowable(long long width, long long height) {
    return ScreenIsShowable(width, height) ? 1 : 0;
}

int ReelboxPackPictureIsWhole(ReelboxPacker* p, const unsigned char* bytes, size_t size) {
    int frame = 0;
    if ((size >= 3 && std::memcmp(bytes, "GIF", 3) == 0) && GifIsCut(bytes, size, &frame))
        return p->Fail("the GIF is damaged: it ends inside frame " + std::to_string(frame) +
                       ", whose lower part would be missing");
    if (size >= 3 && std::memcmp(bytes, "\xFF\xD8\xFF", 3) == 0 && JpegIsCut(bytes, size))
        return p->Fail("the JPEG is damaged: it ends before its picture does, so its lower part "
                       "would be missing");
    return p->Done();
}

int ReelboxPackSetMessagePicture(ReelboxPacker* p, const unsigned char* rgba, int width,
                                 int height, unsigned background) {
    if (!ReelboxPackPictureWithinBudget(width, height))
        return p->Fail(std::to_string(width) + " x " + std::to_string(height) +
                       " pixels; at most " + std::to_string(kPicturePixelBudget / 1000000) +
                       " megapixels are accepted");
    FittedPicture fitted = FitPicture(rgba, width, height, background & 0xFFFFFF);
    std::vector<uint8_t> metafile = BuildLayeredMetafile(
        fitted.side, fitted.background, {{fitted.left, fitted.top, &fitted.image, nullptr}});
    SetMessage(p, std::move(metafile), kMessagePicture);
    p->picture = std::move(fitted);
    return p->Done();
}

int ReelboxPackSetMessageColour(ReelboxPacker* p, unsigned colour) {
    p->cardColour = colour & 0xFFFFFF;
    return SetMessage(p, BuildColourCardMetafile(colour & 0xFFFFFF), kMessageCard);
}

int ReelboxPackSetSoundFile(ReelboxPacker* p, const unsigned char* bytes, size_t size) {
    std::vector<uint8_t> sound(bytes, bytes + size);
    if (StartsWith(sound, 0, "RIFF") && StartsWith(sound, 8, "WAVE"))
        p->soundType = kSoundTypeWave;
    else if (StartsWith(sound, 0, "MThd"))
        p->soundType = kTypeMidi;
    else
        return p->Fail("neither a WAV (RIFF....WAVE) nor a MIDI (MThd) file");
    p->sound = std::move(sound);
    p->hasSound = true;
    return p->Done();
}

int ReelboxPackSoundLengthAccepted(ReelboxPacker* p, long long frameCount, int sampleRate) {
    if (sampleRate <= 0 || frameCount < 0)
        return p->Fail("the sound states no length or rate");
    if (frameCount / sampleRate >= REELBOX_PACK_SOUND_SECONDS_LIMIT)
        return p->Fail(SoundTooLong(double(frameCount) / sampleRate));
    return p->Done();
}

int ReelboxPackSetSoundSamples(ReelboxPacker* p, const float* samples, size_t frameCount,
                               int channels, int sampleRate, int outputRate, int outputChannels) {
    if (!ReelboxPackSoundLengthAccepted(p, (long long)frameCount, sampleRate))
        return 0;
    std::vector<uint8_t> wave =
        BuildWave(samples, frameCount, channels, sampleRate,
                  outputRate == 0 ? kDefaultSoundRate : outputRate, outputChannels);
    if (wave.empty())
        return p->Fail("no samples to write, or too long for a WAV file");
    p->sound = std::move(wave);
    p->soundType = kSoundTypeWave;
    p->hasSound = true;
    return p->Done();
}

int ReelboxPackSetCaption(ReelboxPacker* p, const char* utf8, int charset) {
    std::string bytes, error;
    int chosen = kCharsetWestern;
    if (!EncodeCaption(utf8, charset, &bytes, &chosen, &error))
        return p->Fail(error);
    if (bytes.size() > kMaxCaptionLength)
        return p->Fail("the caption is " + std::to_string(bytes.size()) + " bytes in " +
                       CodePageOfCharset(chosen)->name + "; at most " +
                       std::to_string(kMaxCaptionLength) + " fit");
    if (bytes.find('\0') != std::string::npos)
        return p->Fail("the caption contains a zero byte; the player would cut it there");
    p->caption = bytes;
    p->captionCharset = bytes.empty() ? kCharsetWestern : chosen;
    p->captionPicture.clear();
    return p->Done();
}

int ReelboxPackCaptionCharset(const ReelboxPacker* p) { return p->captionCharset; }

int ReelboxPackSetFont(ReelboxPacker* p, const char* face, int height, int bold, int italic) {
    const size_t length = std::strlen(face);
    if (length == 0 || length > kFaceNameBytes)
        return p->Fail("the font face must have 1 to " + std::to_string(kFaceNameBytes) + " bytes");
    if (!FontHeightAccepted(height))
        return p->Fail("the font height must be a non-zero whole number from -" +
                       std::to_string(kFontHeightLimit) + " to " + std::to_string(kFontHeightLimit));
    p->fontFace = face;
    p->font.height = height;
    p->font.weight = bold ? kWeightBold : kWeightNormal;
    p->font.italic = italic ? 1 : 0;
    return p->Done();
}

int ReelboxPackSetCaptionColour(ReelboxPacker* p, unsigned colour) {
    p->captionColour = ColourRef(colour & 0xFFFFFF);
    return p->Done();
}

int ReelboxPackSetPlacement(ReelboxPacker* p, int startCell, int endCell) {
    if (startCell < 0 || endCell < 0 || !CellByCode(uint32_t(startCell)) || !CellByCode(uint32_t(endCell)))
        return p->Fail("placement cells are " + CellNamesText() + " (0 to " +
                       std::to_string(CellCount() - 1) + ")");
    p->startCell = uint32_t(startCell);
    p->endCell = uint32_t(endCell);
    return p->Done();
}

int ReelboxPackSetAbout(ReelboxPacker* p, int showAbout) {
    p->about = showAbout == 1;
    return p->Done();
}

int ReelboxPackBuild(ReelboxPacker* p) {
    p->output.clear();
    p->findings.clear();
    p->report.clear();
    if (!p->hasPlayer)
        return p->Fail("no player to pack onto");
    if (!p->hasAnimation)
        return p->Fail("no animation");
    for (const std::vector<uint8_t>* payload : {&p->animation, &p->message, &p->logo, &p->sound})
        if (payload->size() > 0xFFFFFFFFu)
            return p->Fail("a payload is larger than 4 GiB and cannot be packed");
    std::string faceError;
    if (!StoreFontFace(p, &faceError))
        return p->Fail(faceError);
    CaptionedMessage captioned = {{}, false, 0};
    if (!p->captionPicture.empty())
        captioned = BuildCaptionedMessage(CaptionBaseOf(*p), p->captionPicture.data());
    std::vector<uint8_t> show = Assemble(*p, p->captionPicture.empty() ? p->message : captioned.metafile);
    if (!CheckInto(p, show.data(), show.size())) {
        for (const Finding& finding : p->findings)
            if (finding.kind == kFindingError)
                return p->Fail("the player would not play this show: " + finding.text);
    }
    const uint32_t colour = ColourRef(p->captionColour);   // back to 0xRRGGBB
    const std::string warning = captioned.drawn ? CaptionContrastWarning(colour, captioned.meanUnder) : "";
    if (!warning.empty()) {
        p->findings.push_back({kFindingWarning, warning});
        ComposeReport(p);
    }
    p->output = std::move(show);
    return p->Done();
}

const unsigned char* ReelboxPackOutput(const ReelboxPacker* p, size_t* size) {
    *size = p->output.size();
    return p->output.empty() ? nullptr : p->output.data();
}

int ReelboxPackCheck(ReelboxPacker* p, const unsigned char* show, size_t size) {
    p->Done();
    return CheckInto(p, show, size);
}

int ReelboxPackFindingCount(const ReelboxPacker* p) { return int(p->findings.size()); }

int ReelboxPackFindingKind(const ReelboxPacker* p, int index) {
    return index >= 0 && index < int(p->findings.size()) ? p->findings[size_t(index)].kind : -1;
}

const char* ReelboxPackFindingText(const ReelboxPacker* p, int index) {
    return index >= 0 && index < int(p->findings.size()) ? p->findings[size_t(index)].text.c_str() : "";
}

const char* ReelboxPackReport(const ReelboxPacker* p) { return p->report.c_str(); }

int ReelboxPackDefaultCaptionStyle(ReelboxPacker* p, const char* utf8, int charset, int cell) {
    const CaptionStyleChoice choice = DefaultCaptionStyle(utf8, charset, cell);
    p->styleReason = choice.reason;
    return choice.style;
}

const char* ReelboxPackCaptionStyleReason(const ReelboxPacker* p) { return p->styleReason.c_str(); }

int ReelboxPackCaptionRightToLeft(const char* utf8) { return CaptionRunsRightToLeft(utf8) ? 1 : 0; }

const unsigned char* ReelboxPackCaptionCanvas(ReelboxPacker* p, int* side) {
    *side = 0;
    if (!TakesCaptionPicture(p))
        return nullptr;
    const CaptionBase base = CaptionBaseOf(*p);
    p->canvas = CaptionCanvas(base);
    *side = base.side;
    return p->canvas.data();
}

void ReelboxPackCaptionFrame(int side, int fontHeight, int outline, unsigned colour, int cell, int* frame) {
    const CaptionFrame f = CaptionFrameFor(side, fontHeight, outline != 0, colour & 0xFFFFFF, cell);
    const int values[7] = {f.pixelHeight, f.margin, f.wrapWidth, f.outline, int(f.outlineColour), f.column, f.row};
    std::memcpy(frame, values, sizeof values);
}

int ReelboxPackCaptionBlockTop(int side, int cell, int blockHeight) {
    return CaptionBlockTop(CaptionFrameFor(side, 1, false, 0, cell), side, blockHeight);
}

int ReelboxPackSetCaptionPicture(ReelboxPacker* p, const unsigned char* rgba, int side) {
    if (!TakesCaptionPicture(p))
        return 0;
    const int expected = CaptionBaseOf(*p).side;
    if (side != expected)
        return p->Fail("the caption was drawn on a square of " + std::to_string(side) +
                       " pixels; the message's is " + std::to_string(expected));
    p->captionPicture.assign(rgba, rgba + size_t(side) * size_t(side) * 4);
    p->caption.clear();
    p->captionCharset = kCharsetWestern;
    return p->Done();
}

const unsigned char* ReelboxPackMessagePixels(ReelboxPacker* p, const unsigned char* show, size_t size, int* side) {
    *side = 0;
    PackageTrailerRecord trailer;
    PackagePayloads payloads;
    if (size <= kTrailerSize)
        return nullptr;
    DecodeTrailer(show + size - kTrailerSize, &trailer);
    if (!SignatureMatches(trailer) || LocatePayloads(size, trailer, &payloads) != kPackageAccepted ||
        !payloads.message.present ||
        !DecodeMessagePixels(show + payloads.message.offset, size_t(payloads.message.size), side, &p->messagePixels))
        return nullptr;
    return p->messagePixels.data();
}

const unsigned char* ReelboxPackWebShow(ReelboxPacker* p, const unsigned char* htmlTemplate,
                                        size_t templateSize, const unsigned char* show,
                                        size_t showSize, unsigned backdropColour,
                                        const unsigned char* picture, size_t pictureSize,
                                        size_t* size) {
    *size = 0;
    p->webShow.clear();
    std::string why;
    const WebShowBackdrop backdrop{backdropColour, picture, pictureSize};
    if (!BuildWebShow(std::string(reinterpret_cast<const char*>(htmlTemplate), templateSize), show,
                      showSize, backdrop, &p->webShow, &why)) {
        p->Fail(why);
        return nullptr;
    }
    p->Done();
    *size = p->webShow.size();
    return reinterpret_cast<const unsigned char*>(p->webShow.data());
}

const unsigned char* ReelboxPackDrawMessage(ReelboxPacker* p, const unsigned char* metafile,
                                           size_t size, int* width, int* height) {
    std::string why;
    if (!DrawMessageMetafile(metafile, size, width, height, &p->messagePicture, &why)) {
        p->messagePicture.clear();
        p->Fail("the message cannot be drawn here: " + why);
        return nullptr;
    }
    p->Done();
    return p->messagePicture.data();
}

const char* ReelboxPackCaptionToUtf8(ReelboxPacker* p, const unsigned char* bytes, size_t size,
                                     int charset, int* readAs) {
    int used = kCharsetWestern;
    p->utf8 = DecodeCaption(std::string(reinterpret_cast<const char*>(bytes), size), charset, &used);
    if (readAs)
        *readAs = used;
    return p->utf8.c_str();
}

const char* ReelboxPackDescribePlayer(ReelboxPacker* p, const unsigned char* bytes, size_t size) {
    p->playerText = DescribePlayer(IdentifyPlayer(bytes, size));
    return p->playerText.c_str();
}

int ReelboxPackCellCount(void) { return CellCount(); }

const char* ReelboxPackCellName(int cell) {
    const CellRule* rule = cell < 0 ? nullptr : CellByCode(uint32_t(cell));
    return rule ? rule->name : "";
}

int ReelboxPackCellFromName(const char* name) {
    const CellRule* rule = CellByName(name);
    return rule ? int(rule->code) : -1;
}

int ReelboxPackCellAt(int row, int column) {
    const CellRule* cell = CellAtPlace(row, column);
    return cell ? int(cell->code) : -1;
}

int ReelboxPackCharsetCount(void) { return kCodePageTableCount; }

int ReelboxPackCharsetAt(int index) {
    return index >= 0 && index < kCodePageTableCount ? kCodePageTables[index].charset : -1;
}

int ReelboxPackFontHeightLimit(void) { return kFontHeightLimit; }

int ReelboxPackCaptionByteLimit(void) { return int(kMaxCaptionLength); }

int ReelboxPackCharsetFromName(const char* name) { return CharsetFromName(name); }

const char* ReelboxPackCharsetName(int charset) {
    static std::string names[kCodePageTableCount];
    for (int i = 0; i < kCodePageTableCount; ++i)
        if (kCodePageTables[i].charset == charset) {
            if (names[i].empty())
                names[i] = std::string(kCodePageTables[i].name) + " (" +
                           std::to_string(kCodePageTables[i].codePage) + ")";
            return names[i].c_str();
        }
    return "unknown";
}

}  // extern "C"
