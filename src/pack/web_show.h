// The web show: one HTML file that plays a show in any browser. The web build writes its
// template (the page, its script and the WebAssembly core, all inline); a show is turned
// into a web show by putting its package (the payloads, the caption and the trailer,
// without the player) and the backdrop into the template's data element, base64-encoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The template's place for the show's data; it occurs exactly once.
constexpr char kWebShowMarker[] = "<!--reelbox-show-data-->";

struct WebShowBackdrop {
    uint32_t colour;                 // 0xRRGGBB, shown while a picture loads and around it
    const uint8_t* picture;          // PNG or JPEG bytes filling the screen; null for none
    size_t pictureSize;
};

// False with *why when the template has no single marker, the show is not a package the
// player accepts, its message is a metafile only Windows draws (see DrawMessageMetafile),
// or the picture is neither PNG nor JPEG.
bool BuildWebShow(const std::string& htmlTemplate, const uint8_t* show, size_t showSize,
                  const WebShowBackdrop& backdrop, std::string* html, std::string* why);
