// reelbox_desktop_pattern: paints the known desktop pattern as the root window's background
// of the X display named by DISPLAY (or the first argument), so that every test on that
// display sees the same pixels wherever no window lies.
//
// The pattern goes into a server pixmap that becomes the root background. The client's
// resources are kept after it disconnects (RetainPermanent), so the background outlives
// this program; the server must run with -noreset for it to survive the last client.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "desktop_pattern.h"

namespace {

bool FillImage(Display* display, int screen, Pixmap pixmap, int width, int height) {
    Visual* visual = DefaultVisual(display, screen);
    int depth = DefaultDepth(display, screen);
    if (depth != 24 && depth != 32) {
        std::fprintf(stderr, "reelbox_desktop_pattern: screen depth %d, need 24\n", depth);
        return false;
    }
    // A 32-bit ZPixmap whose pixel values are the 0x00RRGGBB pattern; Xlib converts to the
    // server's byte order.
    std::vector<uint32_t> pixels(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[size_t(y) * width + x] = DesktopPatternPixel(x, y);
    char* data = static_cast<char*>(std::malloc(pixels.size() * 4));
    if (!data) return false;
    XImage* image = XCreateImage(display, visual, depth, ZPixmap, 0, data, width, height, 32, 0);
    if (!image) {
        std::free(data);
        return false;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            XPutPixel(image, x, y, pixels[size_t(y) * width + x]);
    GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XPutImage(display, pixmap, gc, image, 0, 0, 0, 0, width, height);
    XFreeGC(display, gc);
    XDestroyImage(image);   // frees data too
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* name = argc > 1 ? argv[1] : nullptr;
    Display* display = XOpenDisplay(name);
    if (!display) {
        std::fprintf(stderr, "reelbox_desktop_pattern: cannot open display %s\n",
                     name ? name : (std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "(unset)"));
        return 1;
    }
    int screen = DefaultScreen(display);
    Window root = RootWindow(display, screen);
    int width = DisplayWidth(display, screen);
    int height = DisplayHeight(display, screen);
    Pixmap pixmap = XCreatePixmap(display, root, width, height, DefaultDepth(display, screen));
    if (!FillImage(display, screen, pixmap, width, height)) {
        XCloseDisplay(display);
        return 1;
    }
    XSetWindowBackgroundPixmap(display, root, pixmap);
    XClearWindow(display, root);
    XSetCloseDownMode(display, RetainPermanent);
    XSync(display, False);
    XCloseDisplay(display);
    std::printf("reelbox_desktop_pattern: painted %dx%d\n", width, height);
    return 0;
}
