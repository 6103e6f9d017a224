// The About dialog: its dialog procedure with the DefDlgReentry re-entry, the initialisation
// that resizes the dialog around the packaged logo and moves it to the end cell, and the
// command handler that closes it and releases the logo.
//
// Owns DefDlgReentry. The AboutState belongs to whoever opened the dialog; the dialog keeps
// it in DWLP_USER and hands it to the logo window (logo_window.cpp), which plays the logo on
// its presentation. The layout arithmetic is about_layout.cpp's.
#include "about/about_dialog.h"

#include "about/about_layout.h"
#include "about/about_state.h"
#include "gif/showable_screen.h"
#include "present/frame_timer.h"
#include "present/window_classes.h"
#include "present/window_state.h"
#include "render/render_api.h"
#include "resources/resource.h"
#include "show/placement.h"

// Set just before AboutHandler hands a message to DefDlgProcA, which calls AboutDialogProc
// again first; that inner call clears it and answers FALSE so the default processing runs.
static bool DefDlgReentry;

namespace {

Rect ToRect(const RECT& r) {
    return {int(r.left), int(r.top), int(r.right), int(r.bottom)};
}

RECT ToRECT(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

Rect ItemRect(HWND dialog, int id) {
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    return ToRect(r);
}

void PlaceItem(HWND dialog, int id, const Rect& r) {
    SetWindowPos(GetDlgItem(dialog, id), nullptr, r.left, r.top, r.right - r.left,
                 r.bottom - r.top, SWP_SHOWWINDOW);
}

void SetDialogIcons(HWND dialog) {
    HINSTANCE instance = WindowInstance(dialog);
    HICON bigIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_REELBOX));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    HICON smallIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_REELBOX));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

// Grows or shrinks the dialog by the logo's excess over the banner, moves it top-most to the
// EndPlacement cell and moves its controls with it.
AboutLayout LayOutAroundLogo(HWND dialog, const ScreenDescriptorRecord& logo, unsigned EndPlacement) {
    AboutLayoutInput in = {};
    RECT dialogRect = {};
    GetWindowRect(dialog, &dialogRect);
    in.dialog = ToRect(dialogRect);
    in.banner = ItemRect(dialog, IDC_ABOUT_BANNER);
    in.credit = ItemRect(dialog, IDC_ABOUT_CREDIT);
    in.okButton = ItemRect(dialog, IDOK);
    in.line = ItemRect(dialog, IDC_ABOUT_RULE);
    in.notice = ItemRect(dialog, IDC_ABOUT_LEGAL);
    in.logo = {logo.screenWidth, logo.screenHeight};
    in.dialogFrameX = GetSystemMetrics(SM_CXDLGFRAME);
    in.dialogFrameY = GetSystemMetrics(SM_CYDLGFRAME);
    in.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    in.screen = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    in.endPlacement = int(EndPlacement);
    const AboutLayout out = ComputeAboutLayout(in);

    SetWindowPos(dialog, HWND_TOPMOST, out.dialogCorner.x, out.dialogCorner.y,
                 out.dialogSize.cx, out.dialogSize.cy, SWP_SHOWWINDOW);
    PlaceItem(dialog, IDC_ABOUT_CREDIT, out.credit);
    PlaceItem(dialog, IDC_ABOUT_RULE, out.line);
    PlaceItem(dialog, IDC_ABOUT_LEGAL, out.notice);
    PlaceItem(dialog, IDOK, out.okButton);
    return out;
}

// Answers the dialog-procedure result of WM_INITDIALOG: FALSE when a logo was packaged but
// cannot be played, after it has been released.
INT_PTR InitAboutDialog(HWND dialog, AboutState* about) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(about));
    about->AboutDialogHandle = dialog;
    SetDialogIcons(dialog);
    if (!about->LogoFile)
        return TRUE;
    PresentationState* state = &about->logo;
    state->gif = GifLoader(about->LogoFile);
    const ScreenDescriptorRecord& descriptor = state->gif.ScreenDescriptor;
    if (!state->gif.FrameListHead ||
        !ScreenIsShowable(descriptor.screenWidth, descriptor.screenHeight)) {
        ReleaseAnimation(state);
        return FALSE;
    }
    const AboutLayout layout = LayOutAroundLogo(dialog, descriptor, about->EndPlacement);
    SetFocus(GetDlgItem(dialog, IDOK));
    BuildGlobalPalette(state);
    about->LogoFrameRect = ToRECT(layout.logoFrame);

    state->FrameCursor = state->gif.FrameListHead;
    if (!PrepareFrame(state)) {
        ReleaseAnimation(state);
        return FALSE;
    }
    HWND logo = CreateWindowExA(0, kLogoClass, nullptr, WS_CHILD, layout.logoClient.x,
                                layout.logoClient.y, descriptor.screenWidth,
                                descriptor.screenHeight, dialog,
                                reinterpret_cast<HMENU>(INT_PTR(IDC_ABOUT_LOGO)),
                                WindowInstance(dialog),
                                about);
    state->StageWindow = logo;
    if (logo) {
        // The capture must lie exactly under the logo, and only the window itself knows where
        // that is: the dialog's frame may be wider than its frame metrics say.
        GetWindowRect(logo, &state->WindowRect);
        ShowWindow(logo, SW_SHOW);
        UpdateWindow(logo);   // the first paint: the capture of the screen under the logo
    }
    return TRUE;
}

// OK, and Cancel (which Escape and the close box send too), close the dialog.
LRESULT AboutCommand(HWND dialog, int id) {
    if (id != IDOK && id != IDCANCEL)
        return 0;
    AboutState* about = reinterpret_cast<AboutState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    HWND logo = GetDlgItem(dialog, IDC_ABOUT_LOGO);
    if (about && logo)
        StopFrameTimer(&about->logo, logo);
    if (about)
        ReleaseAnimation(&about->logo);
    EndDialog(dialog, 1);
    return 1;
}

LRESULT AboutHandler(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return InitAboutDialog(dialog, reinterpret_cast<AboutState*>(lParam));
    case WM_COMMAND: AboutCommand(dialog, LOWORD(wParam)); return 0;
    }
    DefDlgReentry = true;
    return DefDlgProcA(dialog, message, wParam, lParam);
}

// The messages whose result a dialog procedure returns itself rather than through
// DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    }
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

}  // namespace

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (DefDlgReentry) {
        DefDlgReentry = false;
        return FALSE;
    }
    if (AnswersDirectly(message))
        return AboutHandler(dialog, message, wParam, lParam);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, AboutHandler(dialog, message, wParam, lParam));
    return TRUE;
}
