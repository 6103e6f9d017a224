// ShowWindowState: what a show window (the animation or the message window) works on: its
// own presentation and the show's settings. The record is handed to CreateWindowEx's last
// parameter and stays with the window (present/window_state.h). Windows only.
#pragma once

#include <windows.h>

#include "present/window_state.h"
#include "render/render_state.h"
#include "startup/show_settings.h"

struct ShowWindowState {
    PresentationState presentation;
    const ShowSettings* settings;   // the show's; outlives every window
};

// Call first in a show window's procedure: at WM_NCCREATE attaches the creation parameter;
// always answers the window's state, null before WM_NCCREATE or when none was handed over.
inline ShowWindowState* AttachShowWindow(HWND window, UINT message, LPARAM lParam) {
    return static_cast<ShowWindowState*>(AttachWindowState(window, message, lParam));
}
inline ShowWindowState* ShowWindowOf(HWND window) {
    return static_cast<ShowWindowState*>(WindowState(window));
}
