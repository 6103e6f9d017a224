// EndShow: the common end of every show (see end_show.h).
#include "app/end_show.h"

#include "about/about_dialog.h"
#include "about/about_state.h"
#include "present/focus_refresh.h"
#include "present/frame_timer.h"
#include "render/render_api.h"
#include "resources/resource.h"
#include "show/show_window.h"
#include "sound/background_sound.h"

// Owns: ShowEnded, and the instance and settings of the show it ends (SetShowToEnd).
static bool ShowEnded;
static HINSTANCE EndingInstance;
static ShowSettings* EndingSettings;

// How long the windows behind the hidden window have to repaint before the About dialog
// captures the screen under its logo.
constexpr UINT kRepaintBehindMs = 5;

// The rest of the end, run from the message loop once the pause has passed. The dialog reads
// the logo file and plays while the sound goes on, so the sound is stopped and the files
// deleted only after it closes.
static void CALLBACK FinishShow(HWND, UINT, UINT_PTR timer, DWORD) {
    if (timer)
        KillTimer(nullptr, timer);
    if (EndingSettings->AboutFlag) {
        AboutState about = {};
        about.EndPlacement = EndingSettings->EndPlacement;
        about.LogoFile = EndingSettings->LogoFile;
        DialogBoxParamA(EndingInstance, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, AboutDialogProc,
                        reinterpret_cast<LPARAM>(&about));
    }
    StopSound();
    DeleteTempFiles(EndingSettings);
    PostQuitMessage(0);
}

void SetShowToEnd(HINSTANCE instance, ShowSettings* settings) {
    EndingInstance = instance;
    EndingSettings = settings;
}

void EndShow(HWND window) {
    // A window's WM_DESTROY can arrive after the show has ended; the About dialog and the
    // clean-up must not run twice.
    if (ShowEnded)
        return;
    ShowEnded = true;
    if (ShowWindowState* shown = ShowWindowOf(window)) {
        PresentationState* state = &shown->presentation;
        CancelFocusRefresh(state, window);
        StopFrameTimer(state, window);
        ReleaseAnimation(state);
    }
    ShowWindow(window, SW_HIDE);
    if (!SetTimer(nullptr, 0, kRepaintBehindMs, FinishShow))
        FinishShow(nullptr, 0, 0, 0);
}

void AbandonShow() {
    if (ShowEnded)
        return;
    ShowEnded = true;
    StopSound();
    DeleteTempFiles(EndingSettings);
    PostQuitMessage(0);
}

bool ShowHasEnded() {
    return ShowEnded;
}

void EndSession() {
    StopSound();
    DeleteTempFiles(EndingSettings);
}
