// The About dialog at the end of a packaged show, under Wine: where it opens and how big,
// the logo looping inside its sunken frame, the ways to close it, and when it does not open.
#include <algorithm>
#include <cstdio>

#include "about_support.h"

namespace e2e {
namespace {

// Logo frame indices and their colours.
const std::vector<int> kLogoIndices = {10, 120, 230};
std::vector<uint32_t> LogoColours() {
    std::vector<uint32_t> colours;
    for (int i : kLogoIndices) colours.push_back(IndexColour(i));
    return colours;
}

int Luminance(uint32_t rgb) {
    return int((rgb >> 16 & 0xFF) * 299 + (rgb >> 8 & 0xFF) * 587 + (rgb & 0xFF) * 114) / 1000;
}

std::string Hex(uint32_t rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", rgb);
    return text;
}

// The single colour of a line of pixels, or 0xFF000000 when it is not one colour.
uint32_t LineColour(int x, int y, int width, int height) {
    std::vector<uint32_t> pixels = ReadScreen(x, y, width, height);
    if (pixels.empty()) return 0xFF000000u;
    for (uint32_t p : pixels)
        if (p != pixels[0]) return 0xFF000000u;
    return pixels[0];
}

struct SunkenFrame {
    uint32_t outerTop, outerLeft, innerTop, innerLeft;          // shadow colours
    uint32_t outerBottom, outerRight, innerBottom, innerRight;  // light colours
    std::string Describe() const {
        return "outer top/left " + Hex(outerTop) + "/" + Hex(outerLeft) + ", inner top/left " +
               Hex(innerTop) + "/" + Hex(innerLeft) + ", outer bottom/right " +
               Hex(outerBottom) + "/" + Hex(outerRight) + ", inner bottom/right " +
               Hex(innerBottom) + "/" + Hex(innerRight);
    }
};

// The two rings round the logo, read along the middle of each edge.
SunkenFrame ReadSunkenFrame(const Rect& logo) {
    const int l = logo.x, t = logo.y, r = logo.x + logo.width, b = logo.y + logo.height;
    SunkenFrame f;
    f.outerTop = LineColour(l, t - 2, logo.width, 1);
    f.outerLeft = LineColour(l - 2, t, 1, logo.height);
    f.innerTop = LineColour(l, t - 1, logo.width - 1, 1);
    f.innerLeft = LineColour(l - 1, t, 1, logo.height - 1);
    f.outerBottom = LineColour(l, b + 1, logo.width, 1);
    f.outerRight = LineColour(r + 1, t, 1, logo.height);
    f.innerBottom = LineColour(l, b, logo.width, 1);
    f.innerRight = LineColour(r, t, 1, logo.height);
    return f;
}

bool IsSunken(const SunkenFrame& f) {
    const uint32_t mixed = 0xFF000000u;
    for (uint32_t c : {f.outerTop, f.outerLeft, f.innerTop, f.innerLeft, f.outerBottom,
                       f.outerRight, f.innerBottom, f.innerRight})
        if (c == mixed) return false;
    if (f.outerTop != f.outerLeft || f.innerTop != f.innerLeft || f.outerBottom != f.outerRight ||
        f.innerBottom != f.innerRight)
        return false;
    const int darkest = std::max(Luminance(f.outerTop), Luminance(f.innerTop));
    const int lightest = std::min(Luminance(f.outerBottom), Luminance(f.innerBottom));
    return darkest < lightest && f.outerTop != f.innerTop && f.outerBottom != f.innerBottom;
}

class AboutDialogShow : public AboutShowTest {};

TEST_F(AboutDialogShow, EscapeOpensTheDialogAtTheEndCellSizedForTheLogoInASunkenFrame) {
    // Two logos of different sizes at two cells: the dialog grows with the logo by exactly
    // the difference, and the logo sits at the same place inside it.
    struct Run {
        int width, height, cell;
        TopWindow dialog;
        Rect logo;
    } runs[] = {{300, 70, 8, {}, {}}, {180, 40, 0, {}, {}}};
    for (Run& run : runs) {
        SCOPED_TRACE("logo " + std::to_string(run.width) + "x" + std::to_string(run.height));
        const std::string logo = MakeLogo(run.width, run.height, kLogoIndices, 10);
        const std::string package =
            MakePackage({"--logo", logo, "--about", "--start", "1", "--end", std::to_string(run.cell)});
        WineProcess* show = StartShow(package, run.cell);
        ASSERT_TRUE(EndShowIntoDialog(&run.dialog)) << "no dialog titled Reelbox";
        ASSERT_TRUE(FindLogo(run.dialog, run.width, run.height, LogoColours(), &run.logo))
            << "logo box " << run.logo.width << "x" << run.logo.height;

        const TopWindow& d = run.dialog;
        if (run.cell == 8) {
            EXPECT_EQ(1024, d.x + d.width);
            EXPECT_EQ(768, d.y + d.height);
        } else {
            EXPECT_EQ((1024 - d.width) / 2, d.x);
            EXPECT_EQ((768 - d.height) / 2, d.y);
        }
        SunkenFrame frame;
        EXPECT_TRUE(WaitUntil([&] { return IsSunken(frame = ReadSunkenFrame(run.logo)); }, 3000))
            << frame.Describe();

        if (run.cell == 8) {
            // The OK button stays centred under the text, at the bottom of the dialog.
            ClickAt(d.x + d.width / 2, d.y + d.height - 23);
        } else {
            ASSERT_TRUE(PressKey("Escape"));
        }
        ExpectCleanExit(show);
    }
    EXPECT_EQ(runs[0].width - runs[1].width, runs[0].dialog.width - runs[1].dialog.width);
    EXPECT_EQ(runs[0].height - runs[1].height, runs[0].dialog.height - runs[1].dialog.height);
    EXPECT_EQ(runs[0].logo.x - runs[0].dialog.x, runs[1].logo.x - runs[1].dialog.x);
    EXPECT_EQ(runs[0].logo.y - runs[0].dialog.y, runs[1].logo.y - runs[1].dialog.y);
}

TEST_F(AboutDialogShow, AClickOnTheFinishedMessageWindowOpensTheDialog) {
    // The show tests' message, written by the probe.
    const std::string message = OutputPath("message.emf");
    std::remove(message.c_str());
    WineProcess* maker = Start(Probe(), {"emf", WindowsPath(message)});
    ASSERT_TRUE(Ends(maker, 20000));
    ASSERT_TRUE(FileExists(message)) << message;

    const std::string logo = MakeLogo(120, 50, kLogoIndices, 10);
    WineProcess* show = StartShow(
        MakePackage({"--logo", logo, "--message", message, "--about", "--end", "8"}), 8);
    ClickAt(1024 - kAnimationWidth / 2, 768 - kAnimationHeight / 2);
    const int side = 768 / 2;   // the message window: half the screen's height, square
    ASSERT_TRUE(Within(10000, "the message window at the end cell", [&] {
        return FindWindowsByRect(1024 - side, 768 - side, side, side).size() == 1;
    }));
    // The zoom is done when the last step's picture is on the screen: the probe's
    // message card (0x2060A0) in the corner and its mark (0xF08010) at (337, 337).
    ASSERT_TRUE(Within(5000, "the zoom finished", [&] {
        std::vector<uint32_t> corner = ReadScreen(1024 - side + 5, 768 - side + 5, 1, 1);
        std::vector<uint32_t> mark = ReadScreen(1024 - side + 337, 768 - side + 337, 1, 1);
        return corner.size() == 1 && corner[0] == 0x2060A0 && mark.size() == 1 &&
               mark[0] == 0xF08010;
    }));
    EXPECT_TRUE(FindWindowsByTitle("Reelbox").empty());
    ClickAt(1024 - side / 2, 768 - side / 2);

    ASSERT_TRUE(Within(10000, "the About dialog", [] {
        return FindWindowsByTitle("Reelbox").size() == 1;
    }));
    const TopWindow dialog = FindWindowsByTitle("Reelbox")[0];
    EXPECT_EQ(1024, dialog.x + dialog.width);
    EXPECT_EQ(768, dialog.y + dialog.height);
    Rect box;
    EXPECT_TRUE(FindLogo(dialog, 120, 50, LogoColours(), &box));
    ASSERT_TRUE(PressKey("Escape"));
    ExpectCleanExit(show);
}

TEST_F(AboutDialogShow, TheLogoKeepsChangingAfterItsLastFrame) {
    const std::string logo = MakeLogo(120, 50, kLogoIndices, 10);   // 100 ms a frame
    WineProcess* show = StartShow(MakePackage({"--logo", logo, "--about", "--end", "8"}), 8);
    TopWindow dialog;
    ASSERT_TRUE(EndShowIntoDialog(&dialog));
    Rect box;
    ASSERT_TRUE(FindLogo(dialog, 120, 50, LogoColours(), &box));

    // The colour of the logo's centre, each change recorded once, for 2.5 s.
    std::vector<int> seen;
    const int64_t end = NowMs() + 2500;
    while (NowMs() < end) {
        std::vector<uint32_t> p = ReadScreen(box.x + box.width / 2, box.y + box.height / 2, 1, 1);
        ASSERT_EQ(1u, p.size());
        int frame = -1;
        for (size_t i = 0; i < kLogoIndices.size(); ++i)
            if (p[0] == IndexColour(kLogoIndices[i])) frame = int(i);
        ASSERT_NE(-1, frame) << "the logo's centre shows " << Hex(p[0]);
        if (seen.empty() || seen.back() != frame) seen.push_back(frame);
        SleepMs(10);
    }
    int wraps = 0;
    for (size_t i = 1; i < seen.size(); ++i) {
        EXPECT_EQ((seen[i - 1] + 1) % 3, seen[i]) << "frame " << seen[i - 1] << " then " << seen[i];
        if (seen[i - 1] == 2 && seen[i] == 0) ++wraps;
    }
    EXPECT_GE(wraps, 4) << "changes seen: " << seen.size();

    ASSERT_TRUE(PressKey("Return"));
    ExpectCleanExit(show);
}

TEST_F(AboutDialogShow, WithoutALogoTheDialogOpensAtTheTopLeftAndTheCloseBoxClosesIt) {
    WineProcess* show = StartShow(MakePackage({"--about", "--end", "8"}), 8);
    TopWindow dialog;
    ASSERT_TRUE(EndShowIntoDialog(&dialog));
    EXPECT_EQ(0, dialog.x);
    EXPECT_EQ(0, dialog.y);
    // The banner's place stays empty: one even colour, the dialog's own. The dialog may
    // still be drawing its controls when its window appears.
    uint32_t banner = 0xFF000000u;
    EXPECT_TRUE(Within(2000, "the dialog drawn", [&] {
        banner = LineColour(dialog.x + 20, dialog.y + 40, 150, 1);
        return banner != 0xFF000000u;
    }));
    EXPECT_NE(0xFF000000u, banner);
    for (int y = 35; y < 90; y += 5)
        EXPECT_EQ(Hex(banner), Hex(LineColour(dialog.x + 20, dialog.y + y, 150, 1))) << "row " << y;

    // The close box sits at the right end of the caption.
    ClickAt(dialog.x + dialog.width - 13, dialog.y + 12);
    ExpectCleanExit(show);
}

TEST_F(AboutDialogShow, AboutFlagsZeroAndTwoShowNoDialog) {
    const std::string logo = MakeLogo(120, 50, kLogoIndices, 10);
    const std::string withoutFlag = MakePackage({"--logo", logo, "--end", "8"});
    const std::string flagTwo = MakePackage({"--logo", logo, "--about", "--end", "8"});
    SetAboutFlag(flagTwo, 2);
    for (const std::string& package : {withoutFlag, flagTwo}) {
        SCOPED_TRACE(package);
        WineProcess* show = StartShow(package, 8);
        ASSERT_TRUE(PressKey("Escape"));
        bool dialogSeen = false;
        EXPECT_TRUE(WaitUntil([&] {
            dialogSeen = dialogSeen || !FindWindowsByTitle("Reelbox").empty();
            return PollExit(show);
        }, 10000));
        EXPECT_FALSE(dialogSeen);
        ExpectCleanExit(show);
    }
}

}  // namespace
}  // namespace e2e
