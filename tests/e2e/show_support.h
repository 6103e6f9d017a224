// Support for the show's end-to-end tests: test animations written with the GIF test
// writer, what the reference composition model says each frame must look like over the
// known desktop, packages packed in-process with tackon, and screen read-back into the
// model's picture type so the two compare pixel for pixel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "e2e_harness.h"
#include "gif_writer.h"
#include "render/composition_model.h"

namespace e2e {

// The global colour table of every test animation: colour i = (i, 255 - i, i / 2).
uint32_t GlobalColour(int index);

struct TestFrame {
    ImageSpec image;
    int disposal = 0;
    int delay = 0;              // hundredths of a second
    int transparentIndex = -1;  // -1: no transparency
};

// A GIF89a of the given logical size with a 256-colour global table and these frames.
Bytes MakeAnimation(int width, int height, const std::vector<TestFrame>& frames);
// A frame of w x h at (left, top) whose pixels come from pixel(x, y).
TestFrame MakeFrame(int left, int top, int width, int height, int disposal, int delay,
                    int transparentIndex, int (*pixel)(int x, int y));

// The known desktop pattern under a screen rectangle.
ModelImage DesktopPiece(int x, int y, int width, int height);
// The screen rectangle as read back now (empty picture when it is off the screen).
ModelImage ScreenPiece(int x, int y, int width, int height);
// Pixels that differ; -1 when the sizes differ.
int CountDifferences(const ModelImage& a, const ModelImage& b);
// Where the first difference lies, for failure messages.
std::string DescribeFirstDifference(const ModelImage& seen, const ModelImage& expected);

// What the animation window shows for each frame in turn when played once over background.
std::vector<ModelImage> ModelFrames(const Bytes& gif, const ModelImage& background);

struct ShowPackage {
    std::string animationPath;
    std::string messagePath;    // empty: no message
    std::string caption;
    std::string font = "Arial,-24";
    std::string colour = "#000000";
    int start = 0;
    int end = 0;
    std::string soundPath;      // empty: no sound
    // The animation goes into the package as it is, past the checks tackon makes before it
    // packs, so that what is tested is the player's own refusal of a file made by hand.
    bool unchecked = false;
};
// Packs the player of the Windows tree with tackon into output; false with tackon's words.
bool PackShow(const std::string& player, const ShowPackage& package, const std::string& output,
              std::string* error);

// The top-level windows of exactly this size, wherever they stand.
std::vector<TopWindow> WindowsOfSize(int width, int height);

}  // namespace e2e
