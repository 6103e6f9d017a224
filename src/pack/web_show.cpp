// Filling the web show's template with a show (see web_show.h).
#include "pack/web_show.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "pack/message_metafile.h"
#include "package/package_layout.h"

namespace {

std::string Base64(const uint8_t* bytes, size_t size) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (size_t i = 0; i < size; i += 3) {
        const uint32_t n = uint32_t(bytes[i]) << 16 | (i + 1 < size ? uint32_t(bytes[i + 1]) << 8 : 0) |
                           (i + 2 < size ? bytes[i + 2] : 0);
        out += kDigits[n >> 18 & 63];
        out += kDigits[n >> 12 & 63];
        out += i + 1 < size ? kDigits[n >> 6 & 63] : '=';
        out += i + 2 < size ? kDigits[n & 63] : '=';
    }
    return out;
}

const char* PictureType(const uint8_t* bytes, size_t size) {
    if (size >= 8 && std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8) == 0) return "image/png";
    if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) return "image/jpeg";
    return nullptr;
}

}  // namespace

bool BuildWebShow(const std::string& htmlTemplate, const uint8_t* show, size_t showSize,
                  const WebShowBackdrop& backdrop, std::string* html, std::string* why) {
    const size_t marker = htmlTemplate.find(kWebShowMarker);
    if (marker == std::string::npos ||
        htmlTemplate.find(kWebShowMarker, marker + 1) != std::string::npos) {
        *why = "the web show template has no place for the show (is it the template the web "
               "build writes?)";
        return false;
    }
    if (showSize < kTrailerSize) {
        *why = "the show is too small to hold a package";
        return false;
    }
    PackageTrailerRecord trailer;
    DecodeTrailer(show + showSize - kTrailerSize, &trailer);
    PackagePayloads payloads;
    const PackageVerdict verdict = LocatePayloads(showSize, trailer, &payloads);
    if (verdict != kPackageAccepted) {
        *why = std::string("the show is not a package the player plays: ") + PackageVerdictText(verdict);
        return false;
    }
    if (payloads.message.present) {
        int width = 0, height = 0;
        std::vector<uint8_t> picture;
        if (!DrawMessageMetafile(show + payloads.message.offset, size_t(payloads.message.size), &width,
                                 &height, &picture, why)) {
            *why = "a browser cannot show the message: " + *why;
            return false;
        }
    }
    const char* pictureType = nullptr;
    if (backdrop.picture && !(pictureType = PictureType(backdrop.picture, backdrop.pictureSize))) {
        *why = "the backdrop picture is neither PNG nor JPEG";
        return false;
    }
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%06x", unsigned(backdrop.colour & 0xFFFFFF));
    // Only base64 digits and fixed text: nothing in the data can close its element.
    std::string data = "<script type=\"application/json\" id=\"show-data\">{\"backdrop\":\"";
    data += colour;
    data += "\",\"picture\":\"";
    if (pictureType)
        data += std::string("data:") + pictureType + ";base64," + Base64(backdrop.picture, backdrop.pictureSize);
    data += "\",\"package\":\"";
    const uint64_t start = payloads.animation.offset;
    data += Base64(show + start, size_t(showSize - start));
    data += "\"}</script>";
    *html = htmlTemplate.substr(0, marker) + data +
            htmlTemplate.substr(marker + std::strlen(kWebShowMarker));
    return true;
}
