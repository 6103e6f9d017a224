// What the player can show: the one rule for the logical screen of a GIF, used by the
// player before it makes a window for the animation or the About logo, by the checks before
// sending, by the packer and (through pack_api.h) by the page.
//
// Display systems refuse surfaces not far above screen sizes (an X server at 32767 pixels a
// side, and then the process is ended from outside), and the decoder never gives a frame over
// 4096 x 4096, so a larger logical screen is refused like a GIF without a decodable image. A
// side below 1 is refused too: there is nothing to show it in.
// Portable: no platform headers.
#pragma once

constexpr int kMaxShowableSide = 4096;

constexpr bool ScreenIsShowable(long long width, long long height) {
    return width >= 1 && height >= 1 && width <= kMaxShowableSide && height <= kMaxShowableSide;
}
