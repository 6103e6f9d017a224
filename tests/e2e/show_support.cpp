// Support for the show's end-to-end tests (see show_support.h).
#include "show_support.h"

#include <sstream>

#include "desktop_pattern.h"
#include "gif/gif_loader.h"
#include "package/package_layout.h"
#include "tackon.h"

namespace e2e {

uint32_t GlobalColour(int index) {
    return uint32_t(index) << 16 | uint32_t(255 - index) << 8 | uint32_t(index / 2);
}

Bytes MakeAnimation(int width, int height, const std::vector<TestFrame>& frames) {
    Bytes out;
    PutHeader(&out, width, height, true, 7);
    for (const TestFrame& frame : frames) {
        PutGraphicControl(&out, frame.disposal, frame.delay, frame.transparentIndex);
        PutImage(&out, frame.image);
    }
    out.push_back(0x3B);
    return out;
}

TestFrame MakeFrame(int left, int top, int width, int height, int disposal, int delay,
                    int transparentIndex, int (*pixel)(int x, int y)) {
    TestFrame frame;
    frame.image.left = left;
    frame.image.top = top;
    frame.image.width = width;
    frame.image.height = height;
    frame.image.pixels.resize(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) frame.image.pixels[size_t(y) * width + x] = pixel(x, y);
    frame.disposal = disposal;
    frame.delay = delay;
    frame.transparentIndex = transparentIndex;
    return frame;
}

ModelImage DesktopPiece(int x, int y, int width, int height) {
    ModelImage image = MakeModelImage(width, height, 0);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            image.pixels[size_t(row) * width + column] = DesktopPatternPixel(x + column, y + row);
    return image;
}

ModelImage ScreenPiece(int x, int y, int width, int height) {
    ModelImage image;
    image.pixels = ReadScreen(x, y, width, height);
    if (image.pixels.size() == size_t(width) * height) {
        image.width = width;
        image.height = height;
    } else {
        image.pixels.clear();
    }
    return image;
}

int CountDifferences(const ModelImage& a, const ModelImage& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size())
        return -1;
    int differences = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        if (a.pixels[i] != b.pixels[i]) ++differences;
    return differences;
}

std::string DescribeFirstDifference(const ModelImage& seen, const ModelImage& expected) {
    std::ostringstream text;
    if (seen.width != expected.width || seen.height != expected.height) {
        text << "sizes differ: seen " << seen.width << "x" << seen.height << ", expected "
             << expected.width << "x" << expected.height;
        return text.str();
    }
    for (int y = 0; y < seen.height; ++y)
        for (int x = 0; x < seen.width; ++x)
            if (ModelPixel(seen, x, y) != ModelPixel(expected, x, y)) {
                text << std::hex << "first difference at (" << std::dec << x << ", " << y
                     << "): seen 0x" << std::hex << ModelPixel(seen, x, y) << ", expected 0x"
                     << ModelPixel(expected, x, y) << std::dec << "; " << CountDifferences(seen, expected)
                     << " pixels differ";
                return text.str();
            }
    return "no difference";
}

std::vector<ModelImage> ModelFrames(const Bytes& gif, const ModelImage& background) {
    std::vector<ModelImage> frames;
    LoadedGif loaded = GifLoadBytes(gif.data(), gif.size());
    if (loaded.FrameListHead)
        frames = ModelPlayList(loaded.FrameListHead, loaded.ScreenDescriptor, background);
    FreeLoadedGif(&loaded);
    return frames;
}

namespace {

// A 1 x 1 GIF that tackon packs, to be replaced by the animation as it is.
const char kStandIn[] = "GIF89a\x01\x00\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00"
                        "\x00\x02\x02\x44\x01\x00;";

// Puts the animation file into the packed show in place of the stand-in.
bool PutAnimationAsItIs(const std::string& output, const std::string& animationPath, std::string* error) {
    std::string show, animation;
    if (!ReadFileBytes(output, &show) || !ReadFileBytes(animationPath, &animation) || show.size() <= kTrailerSize) {
        *error = "cannot read the show or the animation";
        return false;
    }
    PackageTrailerRecord trailer;
    DecodeTrailer(reinterpret_cast<const uint8_t*>(show.data()) + show.size() - kTrailerSize, &trailer);
    PackagePayloads payloads;
    if (LocatePayloads(show.size(), trailer, &payloads) != kPackageAccepted) {
        *error = "tackon's show does not load";
        return false;
    }
    show.replace(size_t(payloads.animation.offset), size_t(payloads.animation.size), animation);
    trailer.animation.size = uint32_t(animation.size());
    EncodeTrailer(trailer, reinterpret_cast<uint8_t*>(&show[show.size() - kTrailerSize]));
    return WriteFileBytes(output, show);
}

}  // namespace

bool PackShow(const std::string& player, const ShowPackage& package, const std::string& output,
              std::string* error) {
    const std::string standIn = output + ".stand-in.gif";
    if (package.unchecked && !WriteFileBytes(standIn, std::string(kStandIn, sizeof kStandIn - 1))) {
        *error = "cannot write " + standIn;
        return false;
    }
    std::vector<std::string> args = {"--player",    player,
                                     "--animation", package.unchecked ? standIn : package.animationPath,
                                     "--start",     std::to_string(package.start),
                                     "--end",       std::to_string(package.end),
                                     "-o",          output};
    if (!package.messagePath.empty()) {
        args.insert(args.end(), {"--message", package.messagePath, "--font", package.font,
                                 "--colour", package.colour});
        if (!package.caption.empty()) args.insert(args.end(), {"--caption", package.caption});
    }
    if (!package.soundPath.empty()) args.insert(args.end(), {"--sound", package.soundPath});
    std::remove(output.c_str());
    std::ostringstream out, err;
    int status = RunTackon(args, out, err);
    if (status != 0) *error = err.str();
    if (package.unchecked) std::remove(standIn.c_str());
    return status == 0 && (!package.unchecked || PutAnimationAsItIs(output, package.animationPath, error));
}

std::vector<TopWindow> WindowsOfSize(int width, int height) {
    std::vector<TopWindow> found;
    for (const TopWindow& window : ListTopWindows())
        if (window.width == width && window.height == height) found.push_back(window);
    return found;
}

}  // namespace e2e
