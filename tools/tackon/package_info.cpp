// The --info report (see package_info.h).
#include "package_info.h"

#include <cstdio>
#include <memory>

#include "caption_text.h"
#include "loaded_package.h"
#include "option_values.h"
#include "pack/pack_api.h"
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

// UTF-8 text from a package, safe to print: control characters (C0, DEL, C1), the
// direction overrides that reorder a terminal line, quotes and backslashes escaped, other
// characters kept.
std::string PrintableCaption(const std::string& utf8) {
    std::string text;
    char escape[16];
    for (size_t i = 0; i < utf8.size(); ++i) {
        const uint8_t c = uint8_t(utf8[i]);
        const uint8_t next = i + 1 < utf8.size() ? uint8_t(utf8[i + 1]) : 0;
        const uint8_t third = i + 2 < utf8.size() ? uint8_t(utf8[i + 2]) : 0;
        if (c < 0x20 || c == 0x7F || c == '"' || c == '\\') {
            std::snprintf(escape, sizeof escape, "\\x%02X", unsigned(c));
            text += escape;
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            std::snprintf(escape, sizeof escape, "\\u%04X", unsigned(next));
            text += escape;
            i += 1;
        } else if (c == 0xE2 && ((next == 0x80 && third >= 0xAA && third <= 0xAE) ||
                                 (next == 0x81 && third >= 0xA6 && third <= 0xA9))) {
            std::snprintf(escape, sizeof escape, "\\u%04X",
                          unsigned(0x2000 | (next & 0x3F) << 6 | (third & 0x3F)));
            text += escape;
            i += 2;
        } else {
            text += char(c);
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
            std::unique_ptr<ReelboxPacker, void (*)(ReelboxPacker*)> packer(ReelboxPackCreate(), ReelboxPackFree);
            out << "caption: \"" << PrintableCaption(caption.utf8) << "\" (" << caption.charsetNote << ")\n"
                << "player: " << package.payloads.animation.offset << " bytes, "
                << ReelboxPackDescribePlayer(packer.get(), package.bytes.data(),
                                             size_t(package.payloads.animation.offset))
                << "\n";
        }
    }
    PrintSignature(ReadSignature(package.bytes), out);
    out << "verdict: " << (accepted ? "the player accepts this package"
                                    : std::string("refused: ") + PackageVerdictText(package.verdict))
        << "\n";
    return accepted ? 0 : 1;
}
