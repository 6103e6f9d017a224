// EndShow: the common end of every show (see end_show.h).
#include "app/end_show.h"

#include "about/about_dialog.h"
#include "about/about_state.h"
#include "present/focus_refresh.h"
#include "present/frame_timer.h"
#include "present/window_state.h"
#include "render/render_api.h"
#include "resources/resource.h"
#include "sound/background_sound.h"
#include "startup/package_state.h"

static bool ShowEnded;

// How long the windows behind the hidden window have to repaint before the About dialog
// captures the screen under its logo.
constexpr UINT kRepaintBehindMs = 5;

// The rest of the end, run from the message loop once the pause has passed. The dialog reads
// the logo file and plays while the sound goes on, so the sound is stopped and the files
// deleted only after it closes.
static void CALLBACK FinishShow(HWND, UINT, UINT_PTR timer, DWORD) {
    if (timer)
        KillTimer(nullptr, timer);
    if (AboutFlag == 1) {
        AboutState about = {};
        DialogBoxParamA(ProgramInstance, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, AboutDialogProc,
                        reinterpret_cast<LPARAM>(&about));
    }
    StopSound();
    DeleteTempFiles();
    PostQuitMessage(0);
}

void EndShow(HWND window) {
    // A window's WM_DESTROY can arrive after the show has ended; the About dialog and the
    // clean-up must not run twice.
    if (ShowEnded)
        return;
    ShowEnded = true;
    if (PresentationState* state = PresentationOf(window)) {
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
    DeleteTempFiles();
    PostQuitMessage(0);
}

bool ShowHasEnded() {
    return ShowEnded;
}

void EndSession() {
    StopSound();
    DeleteTempFiles();
}
