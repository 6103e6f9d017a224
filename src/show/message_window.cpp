// The message window: a borderless top-most square at the end cell in which the packaged
// metafile grows over five steps over the screen that lay under it, and the caption is
// written at the last step. A click or Escape ends the show.
//
// Owns: MessageWindow (the window's state, handed to it at its creation), ZoomStep,
// CaptionShown and MessageSnapshot (the screen under the window, kept in a memory context for
// the zoom paints).
#include "show/message_window.h"

#include "present/display_bitmap.h"
#include "present/focus_refresh.h"
#include "present/frame_timer.h"
#include "present/window_classes.h"
#include "render/render_api.h"
#include "show/placement.h"
#include "show/show_end.h"

namespace {

constexpr int kLastZoomStep = 4;
constexpr DWORD kZoomStepMs = 110;   // one step of the zoom
// How long the windows behind the hidden animation window have to repaint before the screen
// under the message square is captured; the timer that waits for it.
constexpr UINT kRepaintBehindWait = 5;
constexpr UINT_PTR kRepaintBehindTimerId = 4;

ShowWindowState MessageWindow;
bool MessageWindowOpened;
int ZoomStep;
bool CaptionShown;
HDC MessageSnapshotDc;
HBITMAP MessageSnapshotBitmap;
HGDIOBJ MessageSnapshotPrevious;
bool FocusHandOver;   // the window gives up the keyboard only to take it back at once

// A newly shown window does not show the screen behind it on a composited desktop, so the
// background of the zoom is the capture taken just before the window was created. Made
// before the window is shown, so that its first paint has everything it draws.
void TakeMessageSnapshot(const PresentationState* state, int cx, int cy) {
    ReleaseMessageSnapshot();
    HDC screen = GetDC(nullptr);
    if (!screen)
        return;
    MessageSnapshotDc = CreateCompatibleDC(screen);
    MessageSnapshotBitmap = MessageSnapshotDc ? CreateCompatibleBitmap(screen, cx, cy) : nullptr;
    HDC source = MessageSnapshotBitmap ? CreateCompatibleDC(screen) : nullptr;
    if (source) {
        MessageSnapshotPrevious = SelectObject(MessageSnapshotDc, MessageSnapshotBitmap);
        HGDIOBJ previous = SelectObject(source, state->BackgroundSnapshot);
        BitBlt(MessageSnapshotDc, 0, 0, cx, cy, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
    }
    ReleaseDC(nullptr, screen);
    if (!source)
        ReleaseMessageSnapshot();
}

void DrawCaption(HDC dc, const ShowSettings& settings, RECT CaptionRect) {
    if (!dc)
        return;
    HFONT font = CreateFontIndirectA(&settings.CaptionFont);
    if (!font)
        return;
    HGDIOBJ previousFont = SelectObject(dc, font);
    COLORREF previousColour = SetTextColor(dc, settings.CaptionColour);
    int previousMode = SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, settings.CaptionText, -1, &CaptionRect, DT_WORDBREAK | DT_EXTERNALLEADING);
    SetBkMode(dc, previousMode);
    SetTextColor(dc, previousColour);
    SelectObject(dc, previousFont);
    DeleteObject(font);
}

// Steps 0 to 3 and the first paint of step 4 are built off-screen and reach the window in
// one copy; a later repaint of the finished picture plays the metafile straight onto the
// window over what the screen shows there.
void DrawZoom(HDC dc, HDC memory, HENHMETAFILE metafile, const RECT& zoom, int cx, int cy) {
    if (ZoomStep == kLastZoomStep && CaptionShown) {
        SetBkMode(dc, TRANSPARENT);
        if (metafile)
            PlayEnhMetaFile(dc, metafile, &zoom);
        return;
    }
    HBITMAP picture = CreateCompatibleBitmap(dc, cx, cy);
    if (!picture)
        return;
    HGDIOBJ previous = SelectObject(memory, picture);
    if (MessageSnapshotDc)
        BitBlt(memory, 0, 0, cx, cy, MessageSnapshotDc, 0, 0, SRCCOPY);
    if (metafile)
        PlayEnhMetaFile(memory, metafile, &zoom);
    BitBlt(dc, 0, 0, cx, cy, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(picture);
}

// Where the zoom's present step draws: the window's size, the metafile's rectangle and, at
// the last step, the caption's (CaptionRect).
struct ZoomLayout {
    int cx, cy;
    RECT zoom;
    bool withCaption;
    RECT CaptionRect;
};

ZoomLayout MeasureZoom(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    ZoomLayout layout = {client.right, client.bottom, {}, ZoomStep == kLastZoomStep, {}};
    Rect zoom = MessageZoom(ZoomStep, layout.cx, layout.cy);
    SetRect(&layout.zoom, zoom.left, zoom.top, zoom.right, zoom.bottom);
    if (layout.withCaption) {
        Rect caption = ComputeCaptionRect(layout.cx, layout.cy);
        SetRect(&layout.CaptionRect, caption.left, caption.top, caption.right, caption.bottom);
    }
    return layout;
}

void DrawZoomPicture(HDC dc, const ZoomLayout& layout, const ShowSettings& settings) {
    HDC memory = CreateCompatibleDC(dc);
    if (!memory)
        return;
    HENHMETAFILE metafile = GetEnhMetaFileW(settings.MessageFile);
    DrawZoom(dc, memory, metafile, layout.zoom, layout.cx, layout.cy);
    if (metafile)
        DeleteEnhMetaFile(metafile);
    DeleteDC(memory);
    if (layout.withCaption) {
        CaptionShown = true;
        DrawCaption(dc, settings, layout.CaptionRect);
    }
}

void PaintZoom(const ShowWindowState* shown, HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc && shown->settings->MessageFile)
        DrawZoomPicture(dc, MeasureZoom(window), *shown->settings);
    EndPaint(window, &paint);
}

// The message window lets go of its snapshot before it asks for the end of the show.
void EndMessageShow(HWND window) {
    ReleaseMessageSnapshot();
    AskToEndShow(window);
}

// One step every kZoomStepMs, counted from the window's creation.
void AdvanceZoom(PresentationState* state, HWND window, UINT_PTR id) {
    if (FinishFocusRefresh(state, window, id) || state->FocusRefreshPending)
        return;
    if (id != state->TimerId || ArmOnFirstTick(state, window) || ZoomStep >= kLastZoomStep ||
        FrameClockNow() - state->LastAdvanceTick < kZoomStepMs)
        return;
    state->LastAdvanceTick = FrameClockNow();
    ++ZoomStep;
    if (ZoomStep == kLastZoomStep)
        StopFrameTimer(state, window);
    InvalidateRect(window, nullptr, FALSE);
}

void StartZoom(PresentationState* state, HWND window) {
    ZoomStep = 0;
    CaptionShown = false;
    StartFrameTimer(state, window);
}

// Shown from a handler of the animation window it replaces, the message window becomes the
// active window but, under Wine without a window manager, the keyboard stays with the
// desktop, so Escape would never reach it. Taking the focus away and giving it back once the
// window is on the screen hands the keyboard over; that round trip is not a focus loss.
void TakeKeyboardFocus(HWND window) {
    FocusHandOver = true;
    SetFocus(nullptr);
    SetFocus(window);
    FocusHandOver = false;
}

void OnKillFocus(PresentationState* state, HWND window, HWND gainingFocus) {
    if (!FocusHandOver)
        RefreshAfterFocusLoss(state, window, gainingFocus);
}

// The animation window lets go of everything it presented.
void ReleaseAnimationWindow(PresentationState* animation, HWND animationWindow) {
    CancelFocusRefresh(animation, animationWindow);
    StopFrameTimer(animation, animationWindow);
    ReleaseAnimation(animation);
    ReleaseFrame(animation);
}

// The screen under the message square and the stage over it; false when they could not be
// made.
bool PrepareMessageStage(PresentationState* state, Point corner, int side) {
    SetRect(&state->WindowRect, corner.x, corner.y, corner.x + side, corner.y + side);
    if (!ReplaceBitmap(&state->FullScreenSnapshot, CaptureScreen(nullptr)) ||
        !ReplaceBitmap(&state->BackgroundSnapshot, CaptureScreenRect(&state->WindowRect, nullptr)) ||
        !ReplaceBitmap(&state->StageBitmap, CreateDisplayBitmap(side, side)))
        return false;
    StageFromSnapshot(state);
    return true;
}

// The second half of the opening, on the animation window's timer once what lay behind it
// has repainted: the square's stage from a fresh capture, and the window.
void CALLBACK ShowMessageWindow(HWND animationWindow, UINT, UINT_PTR timer, DWORD) {
    if (timer)
        KillTimer(animationWindow, timer);
    if (ShowIsEnding())
        return;
    ShowWindowState* shown = &MessageWindow;
    PresentationState* state = &shown->presentation;
    HINSTANCE instance = WindowInstance(animationWindow);
    Size screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    int side = MessageSide(screen);
    Point corner = MessageCellCorner(int(shown->settings->EndPlacement), screen);
    HWND window = nullptr;
    if (PrepareMessageStage(state, corner, side))
        window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_LAYERED, kMessageClass,
                                 nullptr, WS_POPUP, corner.x, corner.y, side, side, nullptr, nullptr,
                                 instance, shown);
    if (!window) {
        ReleaseAnimation(state);
        AskToAbandonShow();
        return;
    }
    TakeMessageSnapshot(state, side, side);
    state->StageWindow = window;
    SetWindowPos(window, nullptr, corner.x, corner.y, side, side, SWP_NOZORDER);
    ShowWindow(window, SW_SHOW);
    // A layered window stays off the screen until its attributes are set, so the square
    // appears with its first picture instead of as an unpainted square before it.
    UpdateWindow(window);
    SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
    TakeKeyboardFocus(window);
}

}  // namespace

void ReleaseMessageSnapshot() {
    if (MessageSnapshotDc && MessageSnapshotPrevious)
        SelectObject(MessageSnapshotDc, MessageSnapshotPrevious);
    MessageSnapshotPrevious = nullptr;
    if (MessageSnapshotDc) {
        DeleteDC(MessageSnapshotDc);
        MessageSnapshotDc = nullptr;
    }
    if (MessageSnapshotBitmap) {
        DeleteObject(MessageSnapshotBitmap);
        MessageSnapshotBitmap = nullptr;
    }
}

void OpenMessageWindow(ShowWindowState* animation, HWND animationWindow) {
    // A click queued behind the end-of-list request must not open a second message window.
    if (MessageWindowOpened || ShowIsEnding())
        return;
    MessageWindowOpened = true;
    // A click on a show without a message ends it.
    if (!animation->settings->MessageFile) {
        AskToEndShow(animationWindow);
        return;
    }
    MessageWindow.settings = animation->settings;
    ReleaseAnimationWindow(&animation->presentation, animationWindow);
    ShowWindow(animationWindow, SW_HIDE);
    UpdateWindow(animationWindow);
    if (!SetTimer(animationWindow, kRepaintBehindTimerId, kRepaintBehindWait, ShowMessageWindow))
        ShowMessageWindow(animationWindow, WM_TIMER, 0, 0);
}

LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ShowWindowState* shown = AttachShowWindow(window, message, lParam);
    if (!shown)
        return DefWindowProcA(window, message, wParam, lParam);
    PresentationState* state = &shown->presentation;
    switch (message) {
    case WM_CREATE: StartZoom(state, window); return 0;
    case WM_DESTROY: EndMessageShow(window); return 0;
    case WM_ACTIVATE: RefreshPalette(state, window); return 0;
    case WM_KILLFOCUS: OnKillFocus(state, window, reinterpret_cast<HWND>(wParam)); return 0;
    case WM_PAINT: PaintZoom(shown, window); return 0;
    case WM_KEYDOWN: EndOnEscape(window, wParam, EndMessageShow); return 0;
    case WM_TIMER: AdvanceZoom(state, window, wParam); return 0;
    case WM_LBUTTONDOWN: EndMessageShow(window); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
