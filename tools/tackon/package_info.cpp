// The --info report (see package_info.h).
#include "package_info.h"

#include <cstdio>

#include "caption_text.h"
#include "loaded_package.h"
#include "option_values.h"
#include "signature_report.h"

namespace {

std::string Hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(value));
    return text;
}

// Printable ASCII as it is, everything else as \xNN.
std::string Escaped(const uint8_t* bytes, size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        uint8_t c = bytes[i];
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            text += char(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", unsigned(c));
            text += escape;
        }
    }
    return text;
}

std::string PlacementText(uint32_t code) {
    const char* name = PlacementName(code);
    return std::to_string(code) + (name ? std::string(" (") + name + ")" : " (no cell)");
}

void PrintEntry(std::ostream& out, const char* name, const PayloadEntry& entry,
                const PayloadSpan* span) {
    out << name << ": present " << entry.present << ", type " << entry.type << ", size "
        << entry.size;
    if (entry.present == 0)
        out << " (absent; size ignored)";
    else if (span)
        out << " at offset " << span->offset;
    out << "\n";
}

void PrintFont(std::ostream& out, const uint8_t record[kFontRecordSize]) {
    FontRecord font;
    DecodeFontRecord(record, &font);
    size_t faceLength = 0;
    while (faceLength < kFaceNameSize && font.faceName[faceLength] != 0)
        ++faceLength;
    out << "captionFont: face \""
        << Escaped(reinterpret_cast<const uint8_t*>(font.faceName), faceLength) << "\""
        << (faceLength == kFaceNameSize ? " (not terminated)" : "") << ", height " << font.height
        << ", weight " << font.weight << ", italic " << unsigned(font.italic) << ", charset "
        << unsigned(font.charSet) << "\n";
}

}  // namespace

int PrintPackageInfo(const std::string& path, std::ostream& out, std::ostream& err) {
    LoadedPackage package;
    std::string error;
    if (!LoadPackageFile(path, &package, &error)) {
        err << "tackon: " << error << "\n";
        return 1;
    }
    if (!package.hasTrailer || !SignatureMatches(package.trailer)) {
        out << "no Reelbox package: the file does not end with a trailer\n";
        return 1;
    }
    out << "file: " << path << " (" << package.bytes.size() << " bytes)\n";
    bool accepted = package.verdict == kPackageAccepted;
    {
        const PackageTrailerRecord& t = package.trailer;
        const PackagePayloads* where = accepted ? &package.payloads : nullptr;
        uint32_t colour = t.captionColour;
        char rgb[8];
        std::snprintf(rgb, sizeof rgb, "#%02X%02X%02X", unsigned(colour & 0xFF),
                      unsigned(colour >> 8 & 0xFF), unsigned(colour >> 16 & 0xFF));
        out << "signature: \"" << Escaped(t.signature, 4) << "\"\n"
            << "reserved: " << t.reserved << "\n"
            << "captionLength: " << t.captionLength << "\n"
            << "captionColour: " << Hex32(colour) << " (" << rgb << ")\n";
        PrintFont(out, t.captionFont);
        PrintEntry(out, "animation", t.animation, where ? &where->animation : nullptr);
        PrintEntry(out, "message", t.message, where ? &where->message : nullptr);
        PrintEntry(out, "sound", t.sound, where ? &where->sound : nullptr);
        PrintEntry(out, "logo", t.logo, where ? &where->logo : nullptr);
        if (t.sound.present != 0)
            out << "sound kind: " << (t.sound.type == kSoundTypeWave ? "WAV" : "MIDI") << "\n";
        out << "startPlacement: " << PlacementText(t.startPlacement) << "\n"
            << "endPlacement: " << PlacementText(t.endPlacement) << "\n"
            << "showAbout: " << t.showAbout
            << (t.showAbout == 1 ? " (About dialog shown)" : " (no About dialog)") << "\n"
            << "captionRect: " << t.captionRect[0] << ", " << t.captionRect[1] << ", "
            << t.captionRect[2] << ", " << t.captionRect[3] << "\n";
        if (accepted) {
            const CaptionText caption = ReadCaption(package);
            out << "caption: \"" << caption.utf8 << "\" (" << caption.charsetNote << ")\n"
                << "player: " << package.payloads.animation.offset << " bytes\n";
        }
    }
    PrintSignature(ReadSignature(package.bytes), out);
    out << "verdict: " << (accepted ? "the player accepts this package"
                                    : std::string("refused: ") + PackageVerdictText(package.verdict))
        << "\n";
    return accepted ? 0 : 1;
}
