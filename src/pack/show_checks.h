// The checks before sending: a finished show looked at as the player will treat it. The
// animation and logo are decoded with the player's own GIF decoder; the message, sound and
// caption are checked against what the player can use. Each finding is a fact, a warning
// (the show still plays) or an error (the player would not play it as meant).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum FindingKind { kFindingFact = 0, kFindingWarning = 1, kFindingError = 2 };

struct Finding {
    FindingKind kind;
    std::string text;
};

// The screen size beyond which an animation is reported as larger than common screens.
constexpr int kCommonScreenWidth = 1366;
constexpr int kCommonScreenHeight = 768;
constexpr uint64_t kShowSizeWarning = 10000000;

// The facts and findings of one GIF: logical size, frames, playing time, frames the
// decoder's budgets cut, delay-0 frames. what names it ("animation", "logo").
void CheckGif(const uint8_t* bytes, size_t size, const char* what, bool isAnimation,
              std::vector<Finding>* findings);

// True when a GIF's bytes end inside an image (its lower rows would be missing); *frame is
// then the number of that image, from 1.
bool GifIsCut(const uint8_t* bytes, size_t size, int* frame);

// True when a JPEG's bytes end inside its image: no end-of-image marker follows the start
// of its last scan, so its lower part would be grey. Data after the marker is allowed.
bool JpegIsCut(const uint8_t* bytes, size_t size);

// A whole show (player and package). True when it plays: no finding is an error.
bool CheckShow(const uint8_t* bytes, size_t size, std::vector<Finding>* findings);
