// Screen and input: the one Xlib connection of the test process, the list of mapped
// top-level windows with their titles, pixel read-back of the root window (under Xvfb it
// holds the mapped windows' contents), screenshots, and XTest pointer and key events.
// The harness header (and GoogleTest) comes before Xlib, whose macros None, Bool and Status
// would otherwise clash with GoogleTest's names.
#include "e2e_harness.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace e2e {

namespace {

Display* gDisplay = nullptr;

int IgnoreXError(Display*, XErrorEvent*) {
    return 0;   // windows of other processes may vanish while they are inspected
}

std::string WindowTitle(Window window) {
    Atom netName = XInternAtom(gDisplay, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(gDisplay, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(gDisplay, window, netName, 0, 1024, False, utf8, &type, &format,
                           &count, &after, &data) == Success && data && type == utf8) {
        title.assign(reinterpret_cast<char*>(data), count);
    }
    if (data) XFree(data);
    if (!title.empty()) return title;
    char* name = nullptr;
    if (XFetchName(gDisplay, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

}  // namespace

bool OpenScreen(std::string* error) {
    if (gDisplay) return true;
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        *error = "DISPLAY is not set (run the tests through scripts/test-env.sh run)";
        return false;
    }
    gDisplay = XOpenDisplay(name);
    if (!gDisplay) {
        *error = std::string("cannot open X display ") + name;
        return false;
    }
    int event = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(gDisplay, &event, &errorBase, &major, &minor)) {
        *error = std::string("X display ") + name + " has no XTEST extension";
        XCloseDisplay(gDisplay);
        gDisplay = nullptr;
        return false;
    }
    XSetErrorHandler(IgnoreXError);
    return true;
}

std::vector<TopWindow> ListTopWindows() {
    std::vector<TopWindow> result;
    if (!gDisplay) return result;
    Window root = DefaultRootWindow(gDisplay), parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(gDisplay, root, &root, &parent, &children, &count)) return result;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(gDisplay, children[i], &attributes)) continue;
        if (attributes.map_state != IsViewable) continue;
        TopWindow window;
        window.id = children[i];
        window.x = attributes.x;
        window.y = attributes.y;
        window.width = attributes.width;
        window.height = attributes.height;
        window.title = WindowTitle(children[i]);
        result.push_back(window);
    }
    if (children) XFree(children);
    return result;
}

std::vector<TopWindow> FindWindowsByTitle(const std::string& title) {
    std::vector<TopWindow> result;
    for (const TopWindow& window : ListTopWindows())
        if (window.title == title) result.push_back(window);
    return result;
}

std::vector<TopWindow> FindWindowsByRect(int x, int y, int width, int height) {
    std::vector<TopWindow> result;
    for (const TopWindow& window : ListTopWindows())
        if (window.x == x && window.y == y && window.width == width && window.height == height)
            result.push_back(window);
    return result;
}

std::string DescribeWindows(const std::vector<TopWindow>& windows) {
    std::ostringstream out;
    if (windows.empty()) out << "(no mapped top-level window)";
    for (const TopWindow& w : windows) {
        char id[32];
        std::snprintf(id, sizeof id, "0x%lx", w.id);
        out << "\n  " << id << " \"" << w.title << "\" at " << w.x << "," << w.y << " size "
            << w.width << "x" << w.height;
    }
    return out.str();
}

unsigned long FocusedWindow() {
    if (!gDisplay) return 0;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(gDisplay, &focus, &revert);
    return focus == PointerRoot ? 0 : focus;
}

std::vector<uint32_t> ReadScreen(int x, int y, int width, int height) {
    std::vector<uint32_t> pixels;
    if (!gDisplay || width <= 0 || height <= 0) return pixels;
    int screen = DefaultScreen(gDisplay);
    if (x < 0 || y < 0 || x + width > DisplayWidth(gDisplay, screen) ||
        y + height > DisplayHeight(gDisplay, screen))
        return pixels;
    XImage* image = XGetImage(gDisplay, DefaultRootWindow(gDisplay), x, y, width, height,
                              AllPlanes, ZPixmap);
    if (!image) return pixels;
    pixels.resize(size_t(width) * height);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            pixels[size_t(row) * width + column] =
                uint32_t(XGetPixel(image, column, row)) & 0x00FFFFFF;
    XDestroyImage(image);
    return pixels;
}

bool SaveScreenshot(const std::string& pngPath) {
    if (!gDisplay) return false;
    int screen = DefaultScreen(gDisplay);
    int width = DisplayWidth(gDisplay, screen), height = DisplayHeight(gDisplay, screen);
    std::vector<uint32_t> pixels = ReadScreen(0, 0, width, height);
    if (pixels.empty()) return false;
    std::string ppm = pngPath + ".ppm";
    FILE* file = std::fopen(ppm.c_str(), "wb");
    if (!file) return false;
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    std::vector<unsigned char> row(size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t p = pixels[size_t(y) * width + x];
            row[size_t(x) * 3] = (p >> 16) & 0xFF;
            row[size_t(x) * 3 + 1] = (p >> 8) & 0xFF;
            row[size_t(x) * 3 + 2] = p & 0xFF;
        }
        std::fwrite(row.data(), 1, row.size(), file);
    }
    std::fclose(file);
    std::string command = "/usr/bin/convert '" + ppm + "' '" + pngPath + "' 2>/dev/null";
    bool converted = std::system(command.c_str()) == 0;
    if (converted) std::remove(ppm.c_str());   // keep the PPM when there is no converter
    return converted || FileExists(ppm);
}

void MovePointer(int x, int y) {
    if (!gDisplay) return;
    XTestFakeMotionEvent(gDisplay, DefaultScreen(gDisplay), x, y, CurrentTime);
    XSync(gDisplay, False);
}

void ClickAt(int x, int y) {
    if (!gDisplay) return;
    MovePointer(x, y);
    XTestFakeButtonEvent(gDisplay, 1, True, CurrentTime);
    XTestFakeButtonEvent(gDisplay, 1, False, CurrentTime);
    XSync(gDisplay, False);
}

bool PressKey(const std::string& keysym) {
    if (!gDisplay) return false;
    KeySym sym = XStringToKeysym(keysym.c_str());
    if (sym == NoSymbol) return false;
    KeyCode code = XKeysymToKeycode(gDisplay, sym);
    if (code == 0) return false;
    XTestFakeKeyEvent(gDisplay, code, True, CurrentTime);
    XTestFakeKeyEvent(gDisplay, code, False, CurrentTime);
    XSync(gDisplay, False);
    return true;
}

}  // namespace e2e
