// The About dialog's placement by EndPlacement and its layout around the logo.
#include "about/about_layout.h"

#include "../show/geometry_print.h"

#include <gtest/gtest.h>

namespace {

// Template 101 in pixels for 8-point MS Sans Serif at 96 dpi (dialog base units 6 × 13),
// with a 3-pixel dialog frame and an 18-pixel caption: a 371 × 257 client area.
constexpr int kFrameX = 3;
constexpr int kFrameY = 3;
constexpr int kCaption = 18;
const Rect kBannerClient = {9, 10, 360, 88};     // item 1002: 351 × 78
const Rect kCreditClient = {8, 99, 361, 154};    // item 1005
const Rect kOkClient = {147, 226, 222, 249};     // item 1
const Rect kLineClient = {8, 169, 361, 171};     // item 1009
const Rect kNoticeClient = {8, 177, 361, 218};   // item 1010
const Size kDialogSize = {371 + 2 * kFrameX, 257 + 2 * kFrameY + kCaption};
const Size kScreen = {1024, 768};

Rect OnScreen(const Rect& client, Point dialog) {
    const int x = dialog.x + kFrameX;
    const int y = dialog.y + kFrameY + kCaption;
    return {client.left + x, client.top + y, client.right + x, client.bottom + y};
}

// What the initialisation reads, with the dialog standing at `dialog` (not at the screen's
// corner, so that a conversion which forgets the dialog's position shows).
AboutLayoutInput ReadDialog(Point dialog, Size logo, int endPlacement) {
    AboutLayoutInput in;
    in.dialog = {dialog.x, dialog.y, dialog.x + kDialogSize.cx, dialog.y + kDialogSize.cy};
    in.banner = OnScreen(kBannerClient, dialog);
    in.credit = OnScreen(kCreditClient, dialog);
    in.okButton = OnScreen(kOkClient, dialog);
    in.line = OnScreen(kLineClient, dialog);
    in.notice = OnScreen(kNoticeClient, dialog);
    in.logo = logo;
    in.dialogFrameX = kFrameX;
    in.dialogFrameY = kFrameY;
    in.captionHeight = kCaption;
    in.screen = kScreen;
    in.endPlacement = endPlacement;
    return in;
}

TEST(AboutDialogCorner, FullScreenCells) {
    const Size dialog = {377, 281};
    EXPECT_EQ((Point{323, 243}), AboutDialogCorner(0, kScreen, dialog));
    EXPECT_EQ((Point{0, 0}), AboutDialogCorner(1, kScreen, dialog));
    EXPECT_EQ((Point{0, 243}), AboutDialogCorner(2, kScreen, dialog));
    EXPECT_EQ((Point{0, 487}), AboutDialogCorner(3, kScreen, dialog));
    EXPECT_EQ((Point{323, 0}), AboutDialogCorner(4, kScreen, dialog));
    EXPECT_EQ((Point{323, 487}), AboutDialogCorner(5, kScreen, dialog));
    EXPECT_EQ((Point{647, 0}), AboutDialogCorner(6, kScreen, dialog));
    EXPECT_EQ((Point{647, 243}), AboutDialogCorner(7, kScreen, dialog));
    // Bottom-right corner on the screen's bottom-right corner.
    EXPECT_EQ((Point{1024 - 377, 768 - 281}), AboutDialogCorner(8, kScreen, dialog));
    EXPECT_EQ((Point{323, 243}), AboutDialogCorner(9, kScreen, dialog));
    EXPECT_EQ((Point{323, 243}), AboutDialogCorner(-3, kScreen, dialog));
    EXPECT_EQ((Point{0, -1}), AboutDialogCorner(0, {640, 480}, {641, 483}));
}

TEST(AboutLayout, LogoOfTheBannersSizeOnlyMovesTheDialog) {
    const AboutLayout out = ComputeAboutLayout(ReadDialog({17, 11}, {351, 78}, 8));
    EXPECT_EQ(kDialogSize, out.dialogSize);
    EXPECT_EQ((Point{1024 - 377, 768 - 281}), out.dialogCorner);
    EXPECT_EQ(kCreditClient, out.credit);
    EXPECT_EQ(kLineClient, out.line);
    EXPECT_EQ(kNoticeClient, out.notice);
    EXPECT_EQ(kOkClient, out.okButton);
    EXPECT_EQ((Point{9, 10}), out.logoClient);
    EXPECT_EQ((Rect{7, 8, 362, 90}), out.logoFrame);
    // The logo on the screen follows the dialog to its new corner.
    EXPECT_EQ((Rect{647 + 3 + 9, 487 + 21 + 10, 647 + 3 + 360, 487 + 21 + 88}), out.logoScreen);
}

TEST(AboutLayout, WiderAndLowerLogoStretchesTheDialog) {
    const AboutLayout out = ComputeAboutLayout(ReadDialog({17, 11}, {391, 88}, 1));
    EXPECT_EQ((Size{kDialogSize.cx + 40, kDialogSize.cy + 10}), out.dialogSize);
    EXPECT_EQ((Point{0, 0}), out.dialogCorner);
    EXPECT_EQ((Rect{8, 109, 401, 164}), out.credit);
    EXPECT_EQ((Rect{8, 179, 401, 181}), out.line);
    EXPECT_EQ((Rect{8, 187, 401, 228}), out.notice);
    EXPECT_EQ((Rect{167, 236, 242, 259}), out.okButton);
    EXPECT_EQ((Point{9, 10}), out.logoClient);
    EXPECT_EQ((Rect{7, 8, 402, 100}), out.logoFrame);
    EXPECT_EQ((Rect{12, 31, 403, 119}), out.logoScreen);
}

TEST(AboutLayout, OddShrinkHalvesTowardZero) {
    const AboutLayout out = ComputeAboutLayout(ReadDialog({0, 0}, {344, 73}, 0));
    EXPECT_EQ((Size{kDialogSize.cx - 7, kDialogSize.cy - 5}), out.dialogSize);
    EXPECT_EQ((Rect{144, 221, 219, 244}), out.okButton);   // 3 left, 5 up
    EXPECT_EQ((Rect{8, 94, 354, 149}), out.credit);
    EXPECT_EQ((Rect{7, 8, 355, 85}), out.logoFrame);
    EXPECT_EQ((Point{(1024 - 370) / 2, (768 - 276) / 2}), out.dialogCorner);
}

}  // namespace
