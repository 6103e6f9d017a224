// What the About dialog's end-to-end tests share: GIFs made here, packages made with the
// native tackon, the show ended with Escape on its animation, the dialog and its logo found
// on the screen, and the App Paths entry of "iexplore.exe" changed through `wine reg`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "e2e_harness.h"

namespace e2e {

// A GIF of solid frames, one global-table index each (colour of index i: (i, 255 - i, i / 2)).
std::string SolidFramesGif(int width, int height, const std::vector<int>& indices, int delay);
// The screen colour (0x00RRGGBB) of a global-table index of those GIFs.
uint32_t IndexColour(int index);

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

// The bounding box of the pixels inside `area` whose colour is one of `colours`.
Rect FindColours(const Rect& area, const std::vector<uint32_t>& colours);

// Registry value helpers for HKLM\...\App Paths\iexplore.exe, through `wine reg`.
bool ReadAppPaths(std::string* value, bool* present);
bool WriteAppPaths(const std::string& value);
bool DeleteAppPaths();

class AboutShowTest : public E2eTest {
protected:
    static constexpr int kAnimationWidth = 100, kAnimationHeight = 80;

    // Packs the test animation with the given tackon options; fails the test on error.
    std::string MakePackage(const std::vector<std::string>& options);
    // Writes a logo of solid frames and answers its path.
    std::string MakeLogo(int width, int height, const std::vector<int>& indices, int delay);
    // Sets the package's About flag to any value, as a hand-edited trailer would.
    void SetAboutFlag(const std::string& package, int32_t flag);

    // Starts the package and waits for its animation to rest at the end cell with the focus.
    WineProcess* StartShow(const std::string& package, int endCell);
    // Escape on the animation, then the dialog titled "Reelbox"; false when it never shows.
    bool EndShowIntoDialog(TopWindow* dialog);
    // Waits until the logo (any of its frame colours) fills a box of its size in the dialog.
    bool FindLogo(const TopWindow& dialog, int width, int height,
                  const std::vector<uint32_t>& colours, Rect* logo);
    // The show has ended as it should: exit code 0 and nothing left in the temporary folder.
    void ExpectCleanExit(WineProcess* show);
};

}  // namespace e2e
