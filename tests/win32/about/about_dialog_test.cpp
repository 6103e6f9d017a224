// The About dialog in this process under Wine: the template kept without a logo, the layout
// and placement round a logo, the first-paint capture and the looping logo, the hand cursor,
// the close that releases everything, and a long run of the looping logo that must leave
// the number of live drawing objects and the memory flat.
//
// The dialog is made modeless here (CreateDialogParamA with the player's AboutDialogProc) so
// the test can pump its messages and look at it while it runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "about/about_dialog.h"
#include "about/about_state.h"
#include "about/logo_window.h"
#include "gif/gif_loader.h"
#include "../render/gdi_test_support.h"
#include "desktop_pattern.h"
#include "gif_writer.h"
#include "import_patch.h"
#include "present/frame_timer.h"
#include "present/window_classes.h"
#include "render/render_api.h"
#include "render/render_state.h"
#include "resources/resource.h"

namespace {

// ---- Logos ---------------------------------------------------------------------------

struct LogoFrame {
    int disposal;
    int delay;
    int transparentIndex;   // -1: none
    int localTableBits;     // -1: the global table
    int colourBase;         // pixels are colourBase + (x + y) % 8
};

Bytes MakeLogo(int width, int height, const std::vector<LogoFrame>& frames) {
    Bytes out;
    PutHeader(&out, width, height, true, 7);
    for (const LogoFrame& f : frames) {
        PutGraphicControl(&out, f.disposal, f.delay, f.transparentIndex);
        ImageSpec image;
        image.width = width;
        image.height = height;
        image.localTableBits = f.localTableBits;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.pixels.push_back(f.colourBase + (x + y) % 8);
        PutImage(&out, image);
    }
    out.push_back(0x3B);
    return out;
}

std::string TempPath(const char* name) {
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name + std::to_string(GetCurrentProcessId()) + ".gif";
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// Runs the message loop for the given time; `each` is called after every message.
template <typename F>
void Pump(DWORD ms, F each) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            each();
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
}

void Pump(DWORD ms) {
    Pump(ms, [] {});
}

RECT ClientRectOf(HWND dialog, HWND item) {
    RECT r = {};
    GetWindowRect(item, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

#define EXPECT_RECT(expected, actual) EXPECT_EQ(Describe(expected), Describe(actual))

RECT Shifted(RECT r, int dx, int dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

// The template's geometry as the dialog shows it without a logo.
struct TemplateGeometry {
    RECT dialog, banner, credit, line, ok, notice;   // controls in client coordinates
};

// ---- The fixture ----------------------------------------------------------------------

// The dialog's state, as the end of the show hands it over.
AboutState About;
HINSTANCE ProgramInstance;

class AboutDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ProgramInstance = GetModuleHandleA(nullptr);
        WNDCLASSA logoClass = {};
        logoClass.lpfnWndProc = LogoWindowProc;
        logoClass.hInstance = ProgramInstance;
        logoClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        logoClass.lpszClassName = kLogoClass;
        RegisterClassA(&logoClass);
    }

    void SetUp() override {
        // Each dialog here stands for the one dialog of a fresh player process.
        About.LogoCaptured = false;
        About.EndPlacement = 8;
        About.LogoFile = nullptr;
        logoPath_ = TempPath("reelbox-logo-");
    }

    void TearDown() override {
        Close();
        ReleaseAnimation(&About.logo);
        DeleteFileA(logoPath_.c_str());
    }

    void UseLogo(const Bytes& gif) {
        WriteBytes(logoPath_, gif);
        wideLogoPath_.assign(logoPath_.begin(), logoPath_.end());
        About.LogoFile = &wideLogoPath_[0];
    }

    HWND Open() {
        dialog_ = CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_ABOUT), nullptr,
                                     AboutDialogProc, reinterpret_cast<LPARAM>(&About));
        return dialog_;
    }

    void Close() {
        if (!dialog_)
            return;
        if (IsWindow(dialog_)) {
            SendMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
            DestroyWindow(dialog_);
        }
        dialog_ = nullptr;
    }

    TemplateGeometry ReadTemplate() {
        const wchar_t* logo = About.LogoFile;
        About.LogoFile = nullptr;
        HWND d = Open();
        TemplateGeometry g = {};
        GetWindowRect(d, &g.dialog);
        g.banner = ClientRectOf(d, GetDlgItem(d, IDC_ABOUT_BANNER));
        g.credit = ClientRectOf(d, GetDlgItem(d, IDC_ABOUT_CREDIT));
        g.line = ClientRectOf(d, GetDlgItem(d, IDC_ABOUT_RULE));
        g.ok = ClientRectOf(d, GetDlgItem(d, IDOK));
        g.notice = ClientRectOf(d, GetDlgItem(d, IDC_ABOUT_LEGAL));
        Close();
        About.LogoFile = logo;
        return g;
    }

    std::string logoPath_;
    std::wstring wideLogoPath_;   // the same ASCII path as the player holds it
    HWND dialog_ = nullptr;
};

int FrameIndex(const FrameNode* node) {
    int index = 0;
    for (const FrameNode* n = About.logo.gif.FrameListHead; n; n = n->next, ++index)
        if (n == node)
            return index;
    return -1;
}

// ---- Template, layout and placement ---------------------------------------------------

TEST_F(AboutDialog, WithoutALogoTheTemplateStaysAtTheTopLeftAndAnswersThroughMsgResult) {
    HWND d = Open();
    ASSERT_NE(nullptr, d);
    RECT r = {};
    GetWindowRect(d, &r);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);
    // WM_GETTEXT's length comes back through DWLP_MSGRESULT after the default processing.
    char caption[32] = "";
    EXPECT_EQ(7, GetWindowTextA(d, caption, sizeof caption));
    EXPECT_STREQ("Reelbox", caption);
    EXPECT_NE(0, SendMessageA(d, WM_GETICON, ICON_BIG, 0));
    EXPECT_NE(0, SendMessageA(d, WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(nullptr, GetDlgItem(d, IDC_ABOUT_LOGO));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, IDC_ABOUT_BANNER)));
    EXPECT_EQ(nullptr, About.logo.gif.FrameListHead);
    EXPECT_EQ(d, About.AboutDialogHandle);
}

TEST_F(AboutDialog, ALogoResizesTheDialogMovesItToTheEndCellAndMovesTheControls) {
    const TemplateGeometry t = ReadTemplate();
    const int w = Width(t.banner) + 40, h = Height(t.banner) + 10;
    UseLogo(MakeLogo(w, h, {{1, 5, -1, -1, 0}, {1, 5, -1, -1, 8}}));
    About.EndPlacement = 8;
    HWND d = Open();
    ASSERT_NE(nullptr, d);

    RECT r = {};
    GetWindowRect(d, &r);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), r.right);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), r.bottom);
    EXPECT_EQ(Width(t.dialog) + 40, Width(r));
    EXPECT_EQ(Height(t.dialog) + 10, Height(r));
    EXPECT_TRUE(GetWindowLongA(d, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(IsWindowVisible(d));

    EXPECT_RECT(t.banner, ClientRectOf(d, GetDlgItem(d, IDC_ABOUT_BANNER)));
    EXPECT_RECT(Shifted(t.ok, 20, 10), ClientRectOf(d, GetDlgItem(d, IDOK)));
    for (int id : {IDC_ABOUT_CREDIT, IDC_ABOUT_RULE, IDC_ABOUT_LEGAL}) {
        const RECT before = id == IDC_ABOUT_CREDIT ? t.credit : id == IDC_ABOUT_RULE ? t.line : t.notice;
        const RECT expected = {before.left, before.top + 10, before.right + 40, before.bottom + 10};
        EXPECT_RECT(expected, ClientRectOf(d, GetDlgItem(d, id))) << "item " << id;
    }
    EXPECT_EQ(GetDlgItem(d, IDOK), GetFocus());

    HWND logo = GetDlgItem(d, IDC_ABOUT_LOGO);
    ASSERT_NE(nullptr, logo);
    EXPECT_EQ(logo, About.logo.StageWindow);
    const RECT logoClient = {t.banner.left, t.banner.top, t.banner.left + w, t.banner.top + h};
    EXPECT_RECT(logoClient, ClientRectOf(d, logo));
    const RECT frame = {logoClient.left - 2, logoClient.top - 2, logoClient.right + 2,
                        logoClient.bottom + 2};
    EXPECT_RECT(frame, About.LogoFrameRect);
    RECT logoScreen = {};
    GetWindowRect(logo, &logoScreen);
    EXPECT_RECT(logoScreen, About.logo.WindowRect);
}

// Dialog frame metrics that differ from the frame the dialog really has (as where dialog
// frames carry a padded border) must not move the capture away from the logo window: the
// logo's transparent pixels show exactly what lies behind them. The dialog's background is
// painted with the desktop pattern at its own screen place (a plain face would look the same
// wherever it was captured), so those pixels must show the desktop pattern.
WNDPROC DialogProcBeforePattern;

LRESULT CALLBACK PatternBackgroundProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_ERASEBKGND)
        return CallWindowProcA(DialogProcBeforePattern, dialog, message, w, l);
    RECT client = {};
    GetClientRect(dialog, &client);
    POINT origin = {0, 0};
    ClientToScreen(dialog, &origin);
    std::vector<uint32_t> pixels(size_t(client.right) * client.bottom);
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x)
            pixels[size_t(y) * client.right + x] = DesktopPatternPixel(origin.x + x, origin.y + y);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    SetDIBitsToDevice(reinterpret_cast<HDC>(w), 0, 0, client.right, client.bottom, 0, 0, 0,
                      client.bottom, pixels.data(), &info, DIB_RGB_COLORS);
    return 1;
}

LRESULT CALLBACK PaintDialogsWithThePattern(int code, WPARAM w, LPARAM l) {
    char name[16] = "";
    HWND window = reinterpret_cast<HWND>(w);
    if (code == HCBT_CREATEWND && GetClassNameA(window, name, sizeof name) &&
        std::string(name) == "#32770")
        DialogProcBeforePattern = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PatternBackgroundProc)));
    return CallNextHookEx(nullptr, code, w, l);
}

using MetricsFunction = int(WINAPI*)(int);
MetricsFunction RealGetSystemMetrics;

int WINAPI PaddedGetSystemMetrics(int index) {
    const int value = RealGetSystemMetrics(index);
    if (index == SM_CXDLGFRAME) return value + 4;
    if (index == SM_CYDLGFRAME) return value + 3;
    if (index == SM_CYCAPTION) return value + 5;
    return value;
}

TEST_F(AboutDialog, TheLogoShowsTheDesktopRightBehindItWhenTheFrameMetricsDiffer) {
    // Index 0, an eighth of the pixels on diagonals, is transparent.
    UseLogo(MakeLogo(64, 40, {{1, 10, 0, -1, 0}}));
    About.EndPlacement = 0;
    RealGetSystemMetrics = reinterpret_cast<MetricsFunction>(PatchImport(
        "user32.dll", "GetSystemMetrics", reinterpret_cast<void*>(PaddedGetSystemMetrics)));
    ASSERT_NE(nullptr, RealGetSystemMetrics);
    HHOOK hook = SetWindowsHookExA(WH_CBT, PaintDialogsWithThePattern, nullptr, GetCurrentThreadId());
    HWND d = Open();
    UnhookWindowsHookEx(hook);
    PatchImport("user32.dll", "GetSystemMetrics", reinterpret_cast<void*>(RealGetSystemMetrics));
    ASSERT_NE(nullptr, hook);
    ASSERT_NE(nullptr, DialogProcBeforePattern);
    ASSERT_NE(nullptr, d);
    HWND logo = GetDlgItem(d, IDC_ABOUT_LOGO);
    ASSERT_NE(nullptr, logo);
    RECT real = {};
    GetWindowRect(logo, &real);
    EXPECT_RECT(real, About.logo.WindowRect);

    ModelImage expected = MakeModelImage(64, 40, 0);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 64; ++x) {
            const int index = (x + y) % 8;
            expected.pixels[size_t(y) * 64 + x] = index == 0
                ? DesktopPatternPixel(real.left + x, real.top + y)
                : uint32_t(index) << 16 | uint32_t(255 - index) << 8 | uint32_t(index / 2);
        }
    const ModelImage seen = ScreenOnceItShows(real, expected);
    ASSERT_EQ(64, seen.width);
    int wrong = 0;
    std::string first;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 64; ++x)
            if (ModelPixel(seen, x, y) != ModelPixel(expected, x, y) && wrong++ == 0)
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
    EXPECT_EQ(0, wrong) << "pixels differ, the first at " << first;
}

TEST_F(AboutDialog, ALogoThatCannotBeLoadedLeavesTheTemplateWithoutALogo) {
    const TemplateGeometry t = ReadTemplate();
    // Not a GIF, and a GIF wider than any logo window may be.
    for (const Bytes& logo : {Bytes{'n', 'o', 't', ' ', 'a', ' ', 'G', 'I', 'F'},
                              MakeLogo(4097, 2, {{1, 10, -1, -1, 0}})}) {
        UseLogo(logo);
        HWND d = Open();
        ASSERT_NE(nullptr, d);
        RECT r = {};
        GetWindowRect(d, &r);
        EXPECT_RECT(t.dialog, r);
        EXPECT_EQ(nullptr, GetDlgItem(d, IDC_ABOUT_LOGO));
        EXPECT_EQ(nullptr, About.logo.gif.FrameListHead);
        Close();
    }
}

// ---- Playing, the cursor and the close ------------------------------------------------

TEST_F(AboutDialog, TheFirstPaintCapturesAndTheLogoKeepsLoopingPastItsLastFrame) {
    // Delays of 20 ms; the middle frame has its own table and a transparent index.
    UseLogo(MakeLogo(60, 30, {{1, 2, -1, -1, 0}, {2, 2, 3, 3, 16}, {0, 2, -1, -1, 40}}));
    HWND d = Open();
    ASSERT_NE(nullptr, d);
    EXPECT_TRUE(About.LogoCaptured);   // UpdateWindow delivered the first paint at once
    EXPECT_NE(nullptr, About.logo.BackgroundSnapshot);
    EXPECT_NE(nullptr, About.logo.StageBitmap);
    EXPECT_NE(0u, About.logo.TimerId);

    std::vector<int> seen;
    Pump(1500, [&] {
        const int index = FrameIndex(About.logo.FrameCursor);
        if (seen.empty() || seen.back() != index)
            seen.push_back(index);
    });
    int wraps = 0;
    for (size_t i = 1; i < seen.size(); ++i) {
        EXPECT_EQ((seen[i - 1] + 1) % 3, seen[i]) << "frame " << seen[i - 1] << " then " << seen[i];
        if (seen[i - 1] == 2 && seen[i] == 0)
            ++wraps;
    }
    EXPECT_GE(wraps, 3) << "the logo did not loop";
}

// Drawing objects that cannot be made at the first paint. The capture is not tried again:
// the logo plays over an empty stage. A stage that cannot be made is tried again at a later
// frame change, and meanwhile paints must not keep coming ahead of the timer.
using CompatibleBitmapFunction = HBITMAP(WINAPI*)(HDC, int, int);
CompatibleBitmapFunction UnpatchedCreateCompatibleBitmap;
int BitmapCalls, FailFromCall, FailUntilCall;   // calls numbered from 1; a range that fails

HBITMAP WINAPI SometimesFailingCreateCompatibleBitmap(HDC dc, int cx, int cy) {
    ++BitmapCalls;
    if (BitmapCalls >= FailFromCall && BitmapCalls <= FailUntilCall)
        return nullptr;
    return UnpatchedCreateCompatibleBitmap(dc, cx, cy);
}

TEST_F(AboutDialog, AFailedFirstPaintNeitherStarvesTheTimerNorRetriesTheCapture) {
    UseLogo(MakeLogo(40, 20, {{1, 2, -1, -1, 0}, {1, 2, -1, -1, 8}}));   // 20 ms frames
    UnpatchedCreateCompatibleBitmap = reinterpret_cast<CompatibleBitmapFunction>(PatchImport(
        "gdi32.dll", "CreateCompatibleBitmap",
        reinterpret_cast<void*>(SometimesFailingCreateCompatibleBitmap)));
    ASSERT_NE(nullptr, UnpatchedCreateCompatibleBitmap);

    // Every bitmap fails: no stage, yet the frames go on changing.
    BitmapCalls = 0, FailFromCall = 1, FailUntilCall = 1 << 30;
    HWND d = Open();
    EXPECT_NE(nullptr, d);
    const FrameNode* last = About.logo.FrameCursor;
    int changes = 0;
    Pump(600, [&] {
        if (About.logo.FrameCursor != last) ++changes;
        last = About.logo.FrameCursor;
    });
    EXPECT_FALSE(About.LogoCaptured);
    EXPECT_GE(changes, 5) << "the logo's frames stopped changing";
    // Bitmaps can be made again: a later frame change makes the stage.
    FailUntilCall = 0;
    Pump(300);
    EXPECT_TRUE(About.LogoCaptured);
    EXPECT_NE(nullptr, About.logo.StageBitmap);
    Close();
    ReleaseAnimation(&About.logo);

    // Only the capture fails (the stage is made first): it is not tried again.
    About.LogoCaptured = false;
    BitmapCalls = 0, FailFromCall = 2, FailUntilCall = 2;
    d = Open();
    EXPECT_NE(nullptr, d);
    EXPECT_TRUE(About.LogoCaptured);
    EXPECT_EQ(nullptr, About.logo.BackgroundSnapshot);
    Pump(200);
    EXPECT_EQ(nullptr, About.logo.BackgroundSnapshot);
    PatchImport("gdi32.dll", "CreateCompatibleBitmap",
                reinterpret_cast<void*>(UnpatchedCreateCompatibleBitmap));
}

TEST_F(AboutDialog, TheMouseOverTheLogoShowsTheHandCursor) {
    UseLogo(MakeLogo(40, 20, {{1, 10, -1, -1, 0}}));
    HWND d = Open();
    HWND logo = GetDlgItem(d, IDC_ABOUT_LOGO);
    ASSERT_NE(nullptr, logo);
    HCURSOR hand = LoadCursorA(ProgramInstance, MAKEINTRESOURCEA(IDC_HAND_LINK));
    ASSERT_NE(nullptr, hand);
    EXPECT_NE(reinterpret_cast<LONG_PTR>(hand), GetClassLongPtrA(logo, GCLP_HCURSOR));
    SendMessageA(logo, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(hand), GetClassLongPtrA(logo, GCLP_HCURSOR));
    SetClassLongPtrA(logo, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorA(nullptr, IDC_ARROW)));
}

TEST_F(AboutDialog, OnlyOkAndCancelCloseAndTheCloseReleasesTheLogo) {
    UseLogo(MakeLogo(40, 20, {{1, 1, -1, -1, 0}, {2, 1, 0, 3, 8}}));
    for (UINT closing : {UINT(WM_COMMAND), UINT(WM_CLOSE)}) {
        SCOPED_TRACE(closing == WM_COMMAND ? "OK" : "close box");
        About.LogoCaptured = false;
        HWND d = Open();
        ASSERT_NE(nullptr, d);
        Pump(100);
        SendMessageA(d, WM_COMMAND, IDC_ABOUT_CREDIT, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_LOGO, 0), 0);
        EXPECT_NE(nullptr, About.logo.gif.FrameListHead) << "another command closed the dialog";
        EXPECT_TRUE(IsWindowVisible(d));

        // WM_CLOSE goes through the default dialog processing, which posts IDCANCEL.
        if (closing == WM_COMMAND) {
            SendMessageA(d, WM_COMMAND, IDOK, 0);
        } else {
            SendMessageA(d, WM_CLOSE, 0, 0);
            Pump(50);
        }
        EXPECT_EQ(nullptr, About.logo.gif.FrameListHead);
        EXPECT_EQ(nullptr, About.logo.FrameCursor);
        EXPECT_EQ(nullptr, About.logo.CurrentFrameDib);
        EXPECT_EQ(nullptr, About.logo.StageBitmap);
        EXPECT_EQ(nullptr, About.logo.BackgroundSnapshot);
        EXPECT_EQ(nullptr, About.logo.GlobalPalette);
        EXPECT_EQ(nullptr, About.logo.ActivePalette);
        Pump(100);   // the timer is gone: no tick touches the released logo
        EXPECT_EQ(nullptr, About.logo.FrameCursor);
        DestroyWindow(d);
        dialog_ = nullptr;
    }
}

// ---- A long run ----------------------------------------------------------------------

// Live counts of what the code in this program creates through the drawing and memory
// calls, kept by redirecting its imports.
struct LiveCounts {
    long dcs = 0;        // memory and display contexts
    long objects = 0;    // bitmaps, palettes, pens
    long windowDcs = 0;  // GetDC without ReleaseDC
    long globals = 0;    // GlobalAlloc without GlobalFree
};
LiveCounts Live;

#define REAL(name) decltype(&name) Real##name
REAL(CreateBitmap); REAL(CreateCompatibleBitmap); REAL(CreateCompatibleDC); REAL(CreateDCA);
REAL(CreatePalette); REAL(CreatePen); REAL(DeleteDC); REAL(DeleteObject); REAL(GetDC);
REAL(ReleaseDC); REAL(GlobalAlloc); REAL(GlobalFree);
#undef REAL

HBITMAP WINAPI CountCreateBitmap(int w, int h, UINT planes, UINT bits, const void* data) {
    HBITMAP b = RealCreateBitmap(w, h, planes, bits, data);
    Live.objects += b != nullptr;
    return b;
}
HBITMAP WINAPI CountCreateCompatibleBitmap(HDC dc, int w, int h) {
    HBITMAP b = RealCreateCompatibleBitmap(dc, w, h);
    Live.objects += b != nullptr;
    return b;
}
HDC WINAPI CountCreateCompatibleDC(HDC dc) {
    HDC made = RealCreateCompatibleDC(dc);
    Live.dcs += made != nullptr;
    return made;
}
HDC WINAPI CountCreateDCA(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* mode) {
    HDC made = RealCreateDCA(driver, device, port, mode);
    Live.dcs += made != nullptr;
    return made;
}
HPALETTE WINAPI CountCreatePalette(const LOGPALETTE* palette) {
    HPALETTE p = RealCreatePalette(palette);
    Live.objects += p != nullptr;
    return p;
}
HPEN WINAPI CountCreatePen(int style, int width, COLORREF colour) {
    HPEN p = RealCreatePen(style, width, colour);
    Live.objects += p != nullptr;
    return p;
}
BOOL WINAPI CountDeleteDC(HDC dc) {
    BOOL ok = RealDeleteDC(dc);
    Live.dcs -= ok != FALSE;
    return ok;
}
BOOL WINAPI CountDeleteObject(HGDIOBJ object) {
    BOOL ok = RealDeleteObject(object);
    Live.objects -= ok != FALSE;
    return ok;
}
HDC WINAPI CountGetDC(HWND window) {
    HDC dc = RealGetDC(window);
    Live.windowDcs += dc != nullptr;
    return dc;
}
int WINAPI CountReleaseDC(HWND window, HDC dc) {
    int released = RealReleaseDC(window, dc);
    Live.windowDcs -= released != 0;
    return released;
}
HGLOBAL WINAPI CountGlobalAlloc(UINT flags, SIZE_T size) {
    HGLOBAL g = RealGlobalAlloc(flags, size);
    Live.globals += g != nullptr;
    return g;
}
HGLOBAL WINAPI CountGlobalFree(HGLOBAL g) {
    HGLOBAL left = RealGlobalFree(g);
    Live.globals -= g != nullptr && left == nullptr;
    return left;
}

template <typename F>
bool Redirect(const char* dll, const char* name, F** real, F* counting) {
    *real = reinterpret_cast<F*>(PatchImport(dll, name, reinterpret_cast<void*>(counting)));
    return *real != nullptr;
}

bool CountDrawingObjects() {
    return Redirect("gdi32.dll", "CreateBitmap", &RealCreateBitmap, &CountCreateBitmap) &&
           Redirect("gdi32.dll", "CreateCompatibleBitmap", &RealCreateCompatibleBitmap, &CountCreateCompatibleBitmap) &&
           Redirect("gdi32.dll", "CreateCompatibleDC", &RealCreateCompatibleDC, &CountCreateCompatibleDC) &&
           Redirect("gdi32.dll", "CreateDCA", &RealCreateDCA, &CountCreateDCA) &&
           Redirect("gdi32.dll", "CreatePalette", &RealCreatePalette, &CountCreatePalette) &&
           Redirect("gdi32.dll", "CreatePen", &RealCreatePen, &CountCreatePen) &&
           Redirect("gdi32.dll", "DeleteDC", &RealDeleteDC, &CountDeleteDC) &&
           Redirect("gdi32.dll", "DeleteObject", &RealDeleteObject, &CountDeleteObject) &&
           Redirect("user32.dll", "GetDC", &RealGetDC, &CountGetDC) &&
           Redirect("user32.dll", "ReleaseDC", &RealReleaseDC, &CountReleaseDC) &&
           Redirect("kernel32.dll", "GlobalAlloc", &RealGlobalAlloc, &CountGlobalAlloc) &&
           Redirect("kernel32.dll", "GlobalFree", &RealGlobalFree, &CountGlobalFree);
}

struct Sample {
    DWORD atMs;
    long dcs, objects, windowDcs, globals;
    SIZE_T privateBytes, workingSet;
};

Sample TakeSample(DWORD start) {
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    // The frame palette and the frame's DIB exist only while some frames are current.
    return {GetTickCount() - start, Live.dcs, Live.objects - (About.logo.FramePalette ? 1 : 0),
            Live.windowDcs, Live.globals - (About.logo.CurrentFrameDib ? 1 : 0),
            memory.PagefileUsage, memory.WorkingSetSize};
}

// Nine seconds in `make test`, where every live object is counted exactly and a leaked
// frame bitmap shows in the memory within seconds; `make soak` runs it for 150 s.
int SoakSeconds() {
    const char* text = std::getenv("REELBOX_ABOUT_SOAK_SECONDS");
    const int seconds = text ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : 9;
}

TEST_F(AboutDialog, ALoopingLogoKeepsDrawingObjectsAndMemoryFlat) {
    ASSERT_TRUE(CountDrawingObjects()) << "a drawing call is not imported by this program";
    // Every kind of frame change: disposals 1, 2 and 3, a transparent frame with its own
    // table, a delay of 0 (a change at every tick).
    UseLogo(MakeLogo(120, 60, {{1, 0, -1, -1, 0}, {2, 1, 5, 3, 16}, {3, 0, 7, -1, 40},
                               {1, 1, -1, -1, 80}}));
    HWND d = Open();
    ASSERT_NE(nullptr, d);
    ASSERT_NE(nullptr, GetDlgItem(d, IDC_ABOUT_LOGO));

    const DWORD start = GetTickCount();
    long changes = 0;
    const FrameNode* last = About.logo.FrameCursor;
    auto countChanges = [&] {
        if (About.logo.FrameCursor != last) {
            ++changes;
            last = About.logo.FrameCursor;
        }
    };
    // A sample every third of the run, at most every 10 s; the first period is the warm-up
    // in which caches and heaps settle.
    const int seconds = SoakSeconds();
    const int periodMs = seconds * 1000 / 3 < 10000 ? seconds * 1000 / 3 : 10000;
    Pump(DWORD(periodMs), countChanges);
    const Sample first = TakeSample(start);
    std::vector<Sample> samples = {first};
    for (int elapsedMs = periodMs; elapsedMs < seconds * 1000; elapsedMs += periodMs) {
        Pump(DWORD(periodMs), countChanges);
        samples.push_back(TakeSample(start));
    }
    std::printf("%ld frame changes in %d s\n", changes, seconds);
    std::printf("    ms  dcs objects windowDcs globals  privateKB  workingSetKB\n");
    for (const Sample& s : samples)
        std::printf("%6lu %4ld %7ld %9ld %7ld %10zu %13zu\n", s.atMs, s.dcs, s.objects,
                    s.windowDcs, s.globals, s.privateBytes / 1024, s.workingSet / 1024);

    EXPECT_GT(changes, 20L * seconds) << "the logo hardly played";
    const Sample& end = samples.back();
    EXPECT_EQ(first.dcs, end.dcs);
    EXPECT_EQ(first.objects, end.objects);
    EXPECT_EQ(0, end.windowDcs);
    EXPECT_EQ(first.globals, end.globals);
    // One leaked frame DIB or bitmap per change would add megabytes; allow the heap's slack.
    EXPECT_LT(long(end.privateBytes) - long(first.privateBytes), 1024L * 1024)
        << "private bytes grew from " << first.privateBytes << " to " << end.privateBytes;

    Close();
    EXPECT_EQ(0, Live.objects) << "drawing objects left after the close";
    EXPECT_EQ(0, Live.dcs);
    EXPECT_EQ(0, Live.globals);
}

}  // namespace
