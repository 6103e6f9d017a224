// The fixture the show's end-to-end tests share: packs a show from a test animation (and
// optionally the test message made by e2e_probe.exe), starts it under Wine, and waits
// for the player's windows by geometry.
#pragma once

#include <cstdlib>
#include <string>

#include "show_support.h"

namespace e2e {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kMessageSide = kScreenHeight / 2;   // 384

// Colours of the test message (e2e_probe.exe emf) and of its caption.
constexpr uint32_t kCardColour = 0x2060A0;
constexpr uint32_t kMarkColour = 0xF08010;
constexpr uint32_t kCaptionColour = 0xFF00FF;

class ShowTest : public E2eTest {
protected:
    // Writes the animation into the test's folder; answers its path.
    std::string WriteAnimation(const Bytes& gif, const std::string& name = "animation.gif");
    // The test message, written by e2e_probe.exe into the test's folder; with repeats, its
    // mark is drawn that many times over itself, so that each paint of it takes longer.
    std::string WriteMessage(int repeats = 1);
    // Packs the show and starts it; null (with a failure) when it cannot.
    WineProcess* StartShow(const ShowPackage& package);
    // Waits for a window of this rectangle; false with a failure after timeoutMs.
    bool WaitForWindowAt(int x, int y, int width, int height, int timeoutMs);
    // Waits until the rectangle shows exactly the expected picture.
    ::testing::AssertionResult ScreenShows(int x, int y, const ModelImage& expected, int timeoutMs);
};

}  // namespace e2e
