// A window's own state: the record handed to CreateWindowEx's last parameter stays with the
// window (GWLP_USERDATA) from WM_NCCREATE on, so each window procedure finds the state of
// the window it handles. Windows only.
#pragma once

#include <windows.h>

#include "render/render_state.h"

// Call first in a window procedure: at WM_NCCREATE attaches the creation parameter; always
// answers the window's state, null before WM_NCCREATE or when none was handed over.
void* AttachWindowState(HWND window, UINT message, LPARAM lParam);
void* WindowState(HWND window);

// The same for the windows whose state is a PresentationState (animation, message window).
inline PresentationState* AttachPresentation(HWND window, UINT message, LPARAM lParam) {
    return static_cast<PresentationState*>(AttachWindowState(window, message, lParam));
}
inline PresentationState* PresentationOf(HWND window) {
    return static_cast<PresentationState*>(WindowState(window));
}
