// The logo window of the About dialog (class kLogoClass): the first-paint capture of the
// screen under it, the paint through the shared composition with the sunken frame round it,
// the looping frame tick, the hand cursor and the click that opens LogoWebAddress.
//
// Owns LogoCaptured, LogoFrameRect and LogoWebAddress. The frames, the stage and the timer
// are the shared rendering and timing state; the dialog releases them when it closes.
#include "about/logo_window.h"

#include "about/about_state.h"
#include "about/browser.h"
#include "about/sunken_frame.h"
#include "gif/gif_loader.h"
#include "present/display_bitmap.h"
#include "present/frame_timer.h"
#include "render/render_api.h"
#include "render/render_state.h"
#include "resources/resource.h"
#include "startup/package_state.h"

#ifndef REELBOX_WEB_ADDRESS
#error "REELBOX_WEB_ADDRESS is set by the build (the CMake cache variable of the same name)"
#endif

const char LogoWebAddress[] = REELBOX_WEB_ADDRESS;
int LogoCaptured;
RECT LogoFrameRect;

namespace {

// Takes the screen under the logo window as its snapshot and sets up the stage from it.
// A failed capture leaves no snapshot, and the logo is drawn over an empty stage; only a
// stage that cannot be made leaves LogoCaptured 0, to be tried again at the next paint.
void CaptureUnderLogo() {
    int width = WindowRect.right - WindowRect.left;
    int height = WindowRect.bottom - WindowRect.top;
    if (!ReplaceBitmap(&StageBitmap, CreateDisplayBitmap(width, height)))
        return;
    ReplaceBitmap(&BackgroundSnapshot, CaptureScreenRect(&WindowRect, ActivePalette));
    StageFromSnapshot();
    LogoCaptured = 1;
}

void EdgeLogoOnDialog() {
    HDC dialogDc = GetDC(AboutDialogHandle);
    if (!dialogDc)
        return;
    DrawSunkenFrame(dialogDc, &LogoFrameRect);
    ReleaseDC(AboutDialogHandle, dialogDc);
}

void PaintLogo(HWND window) {
    // The first paint only captures and leaves the window invalid: the system sends the
    // next paint as soon as no other message waits, and that one draws. When the stage
    // could not be made, the window is validated instead, so that paints do not keep
    // coming ahead of the timer; the next frame change invalidates it and tries again.
    if (LogoCaptured != 1 && FrameCursor) {
        CaptureUnderLogo();
        if (LogoCaptured != 1)
            ValidateRect(window, nullptr);
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc && FrameCursor && LogoCaptured == 1) {
        PaintComposedFrame(dc, window);
        EdgeLogoOnDialog();
    }
    EndPaint(window, &paint);
}

// The logo's tick: like the animation's, but the first accepted tick arms the timer (the
// logo window receives no activation) and after the last frame the first one follows.
void AdvanceLogo(HWND window, UINT_PTR id) {
    if (id != TimerId || ArmOnFirstTick(window) || !FrameCursor || !FrameDelayHasPassed())
        return;
    ApplyDisposal(FrameCursor->control.disposal);
    ChangeFrame(window, FrameCursor->next ? FrameCursor->next : FrameListHead);
}

void ShowHandCursor(HWND window) {
    HCURSOR hand = LoadCursorA(ProgramInstance, MAKEINTRESOURCEA(IDC_HAND_LINK));
    SetClassLongPtrA(window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(hand));
}

}  // namespace

LRESULT CALLBACK LogoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: StartFrameTimer(window); return 0;
    case WM_PAINT: PaintLogo(window); return 0;
    case WM_TIMER: AdvanceLogo(window, wParam); return 0;
    case WM_MOUSEMOVE: ShowHandCursor(window); break;
    case WM_LBUTTONDOWN: OpenWebAddress(LogoWebAddress); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
