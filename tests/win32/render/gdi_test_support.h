// Helpers for the rendering tests on real GDI: 32-bit memory canvases whose pixels can be
// read directly, reading any bitmap as 0x00RRGGBB pixels, a presenting window whose paint
// runs the composition, and a count of the process's live GDI objects.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render/composition_model.h"
#include "render/render_api.h"

// The presentation the rendering tests work on, as a window would hand over its own.
inline PresentationState Stage;

// A 32-bit top-down DIB section selected into a memory context.
struct PixelCanvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

inline PixelCanvas MakeCanvas(int width, int height, uint32_t fill) {
    PixelCanvas canvas;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    canvas.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    canvas.dc = CreateCompatibleDC(nullptr);
    canvas.previous = SelectObject(canvas.dc, canvas.bitmap);
    canvas.pixels = static_cast<uint32_t*>(bits);
    canvas.width = width;
    canvas.height = height;
    for (int i = 0; i < width * height; ++i)
        canvas.pixels[i] = fill;
    return canvas;
}

inline void FreeCanvas(PixelCanvas& canvas) {
    if (canvas.dc) {
        SelectObject(canvas.dc, canvas.previous);
        DeleteDC(canvas.dc);
    }
    if (canvas.bitmap)
        DeleteObject(canvas.bitmap);
    canvas = PixelCanvas();
}

inline uint32_t CanvasPixel(const PixelCanvas& canvas, int x, int y) {
    GdiFlush();
    return canvas.pixels[y * canvas.width + x] & 0xFFFFFF;
}

inline ModelImage CanvasImage(const PixelCanvas& canvas) {
    ModelImage image = MakeModelImage(canvas.width, canvas.height, 0);
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
            image.pixels[size_t(y) * canvas.width + x] = CanvasPixel(canvas, x, y);
    return image;
}

// Any bitmap that is selected into no context, as pixels.
inline ModelImage ReadBitmap(HBITMAP bitmap) {
    BITMAP size = {};
    GetObjectA(bitmap, sizeof(size), &size);
    ModelImage image = MakeModelImage(size.bmWidth, size.bmHeight, 0);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.bmWidth;
    info.bmiHeader.biHeight = -size.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, UINT(size.bmHeight), image.pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (uint32_t& p : image.pixels)
        p &= 0xFFFFFF;
    return image;
}

// The pixels of a context's area, copied out through a canvas.
inline ModelImage ReadDc(HDC dc, int width, int height) {
    PixelCanvas canvas = MakeCanvas(width, height, 0);
    BitBlt(canvas.dc, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    ModelImage image = CanvasImage(canvas);
    FreeCanvas(canvas);
    return image;
}

inline HBITMAP MakeDisplayBitmap(int width, int height) {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(display, width, height);
    DeleteDC(display);
    return bitmap;
}

// Wine keeps GDI handles in one table indexed by the low 16 bits of the handle and takes a
// handle whose upper bits are 0 as naming whatever lives in that slot, so every live object
// of the process answers GetObjectType for exactly one of these values. (GetGuiResources
// answers 0 under Wine.)
inline int CountLiveGdiObjects() {
    int count = 0;
    for (ULONG_PTR value = 1; value < 0x10000; ++value)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0)
            ++count;
    return count;
}

// Delivers every message waiting for this thread, the paints of windows with something to
// repaint included (they come once the queue is otherwise empty). What a paint drew reaches
// the X screen later: wait for that with ScreenOnceItShows.
inline void DeliverPendingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The screen's pixels in rect as soon as they are `expected`, delivering messages meanwhile;
// the last pixels read when they are not so within timeoutMs.
inline ModelImage ScreenOnceItShows(const RECT& rect, const ModelImage& expected,
                                    DWORD timeoutMs = 5000) {
    const DWORD start = GetTickCount();
    for (;;) {
        DeliverPendingMessages();
        HBITMAP shot = CaptureScreenRect(&rect, nullptr);
        ModelImage seen = ReadBitmap(shot);
        DeleteObject(shot);
        if ((seen.width == expected.width && seen.pixels == expected.pixels) ||
            GetTickCount() - start > timeoutMs)
            return seen;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline LRESULT CALLBACK StageTestWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        PaintComposedFrame(&Stage, dc, window);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    default:
        return DefWindowProcA(window, message, w, l);
    }
}

// A borderless top-most window at WindowRect whose paints run the composition.
inline HWND CreateStageTestWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = StageTestWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "RenderTestStage";
        RegisterClassA(&windowClass);
        registered = true;
    }
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "RenderTestStage", "stage",
                                  WS_POPUP, Stage.WindowRect.left, Stage.WindowRect.top,
                                  Stage.WindowRect.right - Stage.WindowRect.left,
                                  Stage.WindowRect.bottom - Stage.WindowRect.top, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

inline void RepaintNow(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

inline ModelImage ComposedPixels(HWND window, int dx, int dy) {
    ComposedPicture picture = ComposeFrame(&Stage, window, dx, dy);
    RECT client;
    GetClientRect(window, &client);
    ModelImage image = picture.dc ? ReadDc(picture.dc, client.right, client.bottom) : ModelImage();
    ReleaseComposedPicture(&picture);
    return image;
}

// Index of the first differing pixel as "x,y", or "" when the images are equal.
inline std::string FirstDifference(const ModelImage& a, const ModelImage& b) {
    if (a.width != b.width || a.height != b.height)
        return "size";
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (ModelPixel(a, x, y) != ModelPixel(b, x, y)) {
                char text[64];
                wsprintfA(text, "%d,%d: %06X vs %06X", x, y, ModelPixel(a, x, y), ModelPixel(b, x, y));
                return text;
            }
    return "";
}
