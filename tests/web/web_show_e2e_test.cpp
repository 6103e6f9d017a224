// A show made and downloaded in the web page (left by the web.shows test), played once under
// Wine: its message square shows the picture the page was given, fitted on its background,
// with the caption in the caption colour inside the caption rectangle; a click opens the
// About dialog and Escape ends the show cleanly.
#include <cstdlib>
#include <string>

#include "e2e_harness.h"
#include "show/placement.h"

namespace e2e {
namespace {

constexpr Size kScreen{1024, 768};
constexpr int kEndCell = 3;   // bottom left, as the page test chose
// The colours the page test used: the picture's quadrants, its background and the caption.
constexpr uint32_t kRed = 0xE03020, kGreen = 0x20A040, kBlue = 0x2040E0;
constexpr uint32_t kBackground = 0x102030, kCaption = 0xFF00FF;

bool Near(uint32_t seen, uint32_t expected) {
    for (int shift = 0; shift <= 16; shift += 8) {
        int a = int(seen >> shift & 0xFF), b = int(expected >> shift & 0xFF);
        if (std::abs(a - b) > 8) return false;
    }
    return true;
}

class WebShowTest : public E2eTest {};

TEST_F(WebShowTest, PageMadeShowShowsItsPictureAndCaption) {
    const std::string show = REELBOX_WEB_SHOW;
    ASSERT_TRUE(FileExists(show)) << show << " is missing: the web.shows test leaves it";
    WineProcess* process = Start(show);
    ASSERT_NE(process, nullptr);

    const int side = MessageSide(kScreen);
    const Point corner = MessageCellCorner(kEndCell, kScreen);
    const Rect zoom = MessageZoom(4, side, side);
    const Rect caption = ComputeCaptionRect(side, side);
    const int zw = zoom.right - zoom.left, zh = zoom.bottom - zoom.top;
    // Points inside each quadrant of the fitted 4:3 picture and above it, clear of the
    // caption rectangle.
    struct Probe { int x, y; uint32_t colour; const char* what; };
    const Probe probes[] = {
        {zoom.left + zw * 5 / 100, zoom.top + zh * 42 / 100, kRed, "top-left quadrant"},
        {zoom.left + zw * 90 / 100, zoom.top + zh * 42 / 100, kGreen, "top-right quadrant"},
        {zoom.left + zw * 50 / 100, zoom.top + zh * 80 / 100, kBlue, "lower half"},
        {zoom.left + zw * 90 / 100, zoom.top + zh * 5 / 100, kBackground, "background above"},
    };
    for (const Probe& p : probes)
        ASSERT_FALSE(p.x >= caption.left && p.x < caption.right && p.y >= caption.top &&
                     p.y < caption.bottom) << p.what;

    int captionInside = 0, captionOutside = 0;
    std::string missing;
    ASSERT_TRUE(Within(30000, "the message square with the picture and its caption", [&] {
        if (FindWindowsByRect(corner.x, corner.y, side, side).size() != 1) return false;
        std::vector<uint32_t> square = ReadScreen(corner.x, corner.y, side, side);
        if (square.size() != size_t(side) * side) return false;
        missing.clear();
        for (const Probe& p : probes)
            if (!Near(square[size_t(p.y) * side + p.x], p.colour)) missing += std::string(" ") + p.what;
        captionInside = captionOutside = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                if (square[size_t(y) * side + x] == kCaption)
                    (x >= caption.left && x < caption.right && y >= caption.top && y < caption.bottom
                         ? captionInside : captionOutside)++;
        return missing.empty() && captionInside > 200;
    })) << "not shown:" << missing << "; caption pixels " << captionInside;
    EXPECT_EQ(captionOutside, 0);
    EXPECT_TRUE(SaveScreenshot(std::string(REELBOX_WEB_SHOTS) + "/show-under-wine.png"));

    ClickAt(corner.x + side / 2, corner.y + side / 2);
    ASSERT_TRUE(Within(10000, "the About dialog with the focus", [] {
        std::vector<TopWindow> dialog = FindWindowsByTitle("Reelbox");
        return dialog.size() == 1 && FocusedWindow() == dialog[0].id;
    }));
    ASSERT_TRUE(PressKey("Escape"));
    ASSERT_TRUE(Ends(process, 10000));
    EXPECT_EQ(process->exitCode, 0);
    EXPECT_TRUE(ListTempFolder().empty()) << DescribeTempFiles(ListTempFolder());
}

}  // namespace
}  // namespace e2e
