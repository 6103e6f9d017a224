// The show's windows' requests to end the show, passed to the operations the player
// installed (see show_end.h).
//
// Owns: InstalledEnding.
#include "show/show_end.h"

namespace {

ShowEnding InstalledEnding;

}  // namespace

void SetShowEnding(const ShowEnding& ending) {
    InstalledEnding = ending;
}

void AskToEndShow(HWND window) {
    if (InstalledEnding.end)
        InstalledEnding.end(window);
}

void AskToAbandonShow() {
    if (InstalledEnding.abandon)
        InstalledEnding.abandon();
}

bool ShowIsEnding() {
    return InstalledEnding.hasEnded && InstalledEnding.hasEnded();
}

LRESULT AnswerEndOfSession(UINT message, WPARAM confirmed) {
    if (message == WM_ENDSESSION && confirmed && InstalledEnding.endSession)
        InstalledEnding.endSession();
    return message == WM_QUERYENDSESSION ? TRUE : 0;
}

void EndOnEscape(HWND window, WPARAM key, void (*end)(HWND window)) {
    if (key == VK_ESCAPE)
        end(window);
}
