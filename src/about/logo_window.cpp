// The logo window of the About dialog (class kLogoClass): the first-paint capture of the
// screen under it, the paint through the shared composition with the sunken frame round it,
// the looping frame tick, the hand cursor and the click that opens LogoWebAddress.
//
// Owns LogoWebAddress. The window works on the dialog's AboutState, handed to its creation:
// its presentation holds the frames, the stage and the timer, which the dialog releases when
// it closes.
#include "about/logo_window.h"

#include "about/about_state.h"
#include "about/browser.h"
#include "about/sunken_frame.h"
#include "present/display_bitmap.h"
#include "present/frame_timer.h"
#include "present/window_state.h"
#include "render/render_api.h"
#include "resources/resource.h"

#ifndef REELBOX_WEB_ADDRESS
#error "REELBOX_WEB_ADDRESS is set by the build (the CMake cache variable of the same name)"
#endif

// The address a click on the logo opens; set at build time (ASCII), widened by the compiler.
static const wchar_t LogoWebAddress[] = L"" REELBOX_WEB_ADDRESS;

namespace {

// Takes the screen under the logo window as its snapshot and sets up the stage from it.
// A failed capture leaves no snapshot, and the logo is drawn over an empty stage; only a
// stage that cannot be made leaves LogoCaptured 0, to be tried again at the next paint.
void CaptureUnderLogo(AboutState* about) {
    PresentationState* state = &about->logo;
    int width = state->WindowRect.right - state->WindowRect.left;
    int height = state->WindowRect.bottom - state->WindowRect.top;
    if (!ReplaceBitmap(&state->StageBitmap, CreateDisplayBitmap(width, height)))
        return;
    ReplaceBitmap(&state->BackgroundSnapshot, CaptureScreenRect(&state->WindowRect, state->ActivePalette));
    StageFromSnapshot(state);
    about->LogoCaptured = true;
}

void EdgeLogoOnDialog(const AboutState* about) {
    HDC dialogDc = GetDC(about->AboutDialogHandle);
    if (!dialogDc)
        return;
    DrawSunkenFrame(dialogDc, &about->LogoFrameRect);
    ReleaseDC(about->AboutDialogHandle, dialogDc);
}

void PaintLogo(AboutState* about, HWND window) {
    const PresentationState* state = &about->logo;
    // The first paint only captures and leaves the window invalid: the system sends the
    // next paint as soon as no other message waits, and that one draws. When the stage
    // could not be made, the window is validated instead, so that paints do not keep
    // coming ahead of the timer; the next frame change invalidates it and tries again.
    if (!about->LogoCaptured && state->FrameCursor) {
        CaptureUnderLogo(about);
        if (!about->LogoCaptured)
            ValidateRect(window, nullptr);
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc && state->FrameCursor && about->LogoCaptured) {
        PaintComposedFrame(state, dc, window);
        EdgeLogoOnDialog(about);
    }
    EndPaint(window, &paint);
}

// The logo's tick: like the animation's, but the first accepted tick arms the timer (the
// logo window receives no activation) and after the last frame the first one follows.
void AdvanceLogo(PresentationState* state, HWND window, UINT_PTR id) {
    if (id != state->TimerId || ArmOnFirstTick(state, window) || !state->FrameCursor ||
        !FrameDelayHasPassed(state))
        return;
    ApplyDisposal(state, state->FrameCursor->control.disposal);
    FrameNode* next = state->FrameCursor->next;
    ChangeFrame(state, window, next ? next : state->gif.FrameListHead);
}

void ShowHandCursor(HWND window) {
    HINSTANCE instance = WindowInstance(window);
    HCURSOR hand = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_HAND_LINK));
    SetClassLongPtrA(window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(hand));
}

}  // namespace

LRESULT CALLBACK LogoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    AboutState* about = static_cast<AboutState*>(AttachWindowState(window, message, lParam));
    if (!about)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE: StartFrameTimer(&about->logo, window); return 0;
    case WM_PAINT: PaintLogo(about, window); return 0;
    case WM_TIMER: AdvanceLogo(&about->logo, window, wParam); return 0;
    case WM_MOUSEMOVE: ShowHandCursor(window); break;
    case WM_LBUTTONDOWN: OpenWebAddress(LogoWebAddress); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
