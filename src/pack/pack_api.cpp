// The packer behind pack_api.h: the inputs of one show, its assembly in the package order
// (player | animation | message | logo | sound | caption | trailer) and its checks.
#include "pack/pack_api.h"

#include <cstring>
#include <string>
#include <vector>

#include "package/package_layout.h"
#include "pack/caption_encoding.h"
#include "pack/message_metafile.h"
#include "pack/show_checks.h"
#include "pack/wave_writer.h"
#include "pack/web_show.h"

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
    std::string caption;                 // converted bytes
    int captionCharset = kCharsetWestern;
    FontRecord font;
    uint32_t captionColour = 0;          // COLORREF
    uint32_t startCell = kRandomPlacement, endCell = kRandomPlacement;
    bool about = false;
    std::vector<uint8_t> output;
    std::vector<Finding> findings;
    std::string report, findingText, utf8, webShow;
    std::vector<uint8_t> messagePicture;

    ReelboxPacker() {
        std::memset(&font, 0, sizeof font);
        font.height = kDefaultFontHeight;
        font.weight = kWeightNormal;
        std::memcpy(font.faceName, "Arial", 6);
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

int SetGif(ReelboxPacker* p, const unsigned char* bytes, size_t size, std::vector<uint8_t>* target,
           bool* has) {
    std::vector<uint8_t> gif(bytes, bytes + size);
    if (!StartsWith(gif, 0, "GIF87a") && !StartsWith(gif, 0, "GIF89a"))
        return p->Fail("not a GIF (no GIF87a/GIF89a header)");
    *target = std::move(gif);
    *has = true;
    return p->Done();
}

int SetMessage(ReelboxPacker* p, std::vector<uint8_t> metafile) {
    p->message = std::move(metafile);
    p->hasMessage = true;
    return p->Done();
}

// Cuts a package the player would accept off the end of the player.
bool StripPackage(std::vector<uint8_t>* player, bool replace, std::string* error) {
    if (player->size() <= kTrailerSize)
        return true;
    PackageTrailerRecord trailer;
    DecodeTrailer(player->data() + player->size() - kTrailerSize, &trailer);
    PackagePayloads payloads;
    if (LocatePayloads(player->size(), trailer, &payloads) != kPackageAccepted)
        return true;
    if (!replace) {
        *error = "already carries a package; replace it to pack a new one";
        return false;
    }
    player->resize(size_t(payloads.animation.offset));
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

std::vector<uint8_t> Assemble(const ReelboxPacker& p) {
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
    trailer.message = Entry(p.hasMessage, kTypeMetafile, p.message);
    trailer.logo = Entry(p.hasLogo, kTypeGif, p.logo);
    trailer.sound = Entry(p.hasSound, p.soundType, p.sound);
    trailer.startPlacement = p.startCell;
    trailer.endPlacement = p.endCell;
    trailer.showAbout = p.about ? 1 : 0;
    std::memcpy(trailer.captionRect, kStoredCaptionRect, sizeof kStoredCaptionRect);

    std::vector<uint8_t> out;
    out.reserve(p.player.size() + p.animation.size() + p.message.size() + p.logo.size() +
                p.sound.size() + p.caption.size() + kTrailerSize);
    Append(&out, p.player);
    Append(&out, p.animation);
    if (p.hasMessage)
        Append(&out, p.message);
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
    return SetMessage(p, std::vector<uint8_t>(bytes, bytes + size));
}

int ReelboxPackPictureWithinBudget(long long width, long long height) {
    return width > 0 && height > 0 && width <= kPicturePixelBudget &&
           width * height <= kPicturePixelBudget;
}

int ReelboxPackSetMessagePicture(ReelboxPacker* p, const unsigned char* rgba, int width,
                                 int height, unsigned background) {
    if (!ReelboxPackPictureWithinBudget(width, height))
        return p->Fail(std::to_string(width) + " x " + std::to_string(height) +
                       " pixels; at most " + std::to_string(kPicturePixelBudget / 1000000) +
                       " megapixels are accepted");
    return SetMessage(p, BuildPictureMetafile(rgba, width, height, background & 0xFFFFFF));
}

int ReelboxPackSetMessageColour(ReelboxPacker* p, unsigned colour) {
    return SetMessage(p, BuildColourCardMetafile(colour & 0xFFFFFF));
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

int ReelboxPackSetSoundSamples(ReelboxPacker* p, const float* samples, size_t frameCount,
                               int channels, int sampleRate, int outputRate, int outputChannels) {
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
    return p->Done();
}

int ReelboxPackCaptionCharset(const ReelboxPacker* p) { return p->captionCharset; }

int ReelboxPackSetFont(ReelboxPacker* p, const char* face, int height, int bold, int italic) {
    const size_t length = std::strlen(face);
    if (length == 0 || length >= kFaceNameSize)
        return p->Fail("the font face must have 1 to " + std::to_string(kFaceNameSize - 1) +
                       " characters");
    std::memset(p->font.faceName, 0, kFaceNameSize);
    std::memcpy(p->font.faceName, face, length);
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
    if (startCell < 0 || startCell > 9 || endCell < 0 || endCell > 9)
        return p->Fail("placement cells are 0..8, or 9 for random");
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
    std::vector<uint8_t> show = Assemble(*p);
    if (!CheckInto(p, show.data(), show.size())) {
        for (const Finding& finding : p->findings)
            if (finding.kind == kFindingError)
                return p->Fail("the player would not play this show: " + finding.text);
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
