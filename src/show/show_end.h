// The end of the show as the show's windows see it. Ending a show (the About dialog, the
// sound, the temporary files, the quit message) belongs to the player, above this module:
// it installs its operations with SetShowEnding before the first window exists, and the
// windows only ask. Until something is installed, asking does nothing.
#pragma once

#include <windows.h>

struct ShowEnding {
    void (*end)(HWND window);   // a click, Escape, or the message window's destruction
    void (*abandon)();          // the next window could not be built
    bool (*hasEnded)();         // the end has begun: no further window may open
    void (*endSession)();       // the session ends: the process may be ended at any moment
};

void SetShowEnding(const ShowEnding& ending);

void AskToEndShow(HWND window);
void AskToAbandonShow();
bool ShowIsEnding();
// The session's end as the window that lives through the whole show receives it: nothing
// is refused, and a confirmed end is passed on before the process can be ended.
LRESULT AnswerEndOfSession(UINT message, WPARAM confirmed);

// Escape, and no other key, runs end on the window (AskToEndShow, or a window's own end that
// lets go of its state first).
void EndOnEscape(HWND window, WPARAM key, void (*end)(HWND window));
