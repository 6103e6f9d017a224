// Stand-ins for the common end of the show, installed through show_end.h so that the window
// procedures can be driven in a test program: they record how they were called.
#include "show_stand_ins.h"

#include "show/show_end.h"

int EndShowCalls;
HWND EndShowWindow;
int AbandonShowCalls;

namespace {

void RecordEndShow(HWND window) {
    ++EndShowCalls;
    EndShowWindow = window;
}

void RecordAbandonShow() {
    ++AbandonShowCalls;
}

// As in the player, the show has ended once EndShow ran.
bool ShowHasEndedOnce() {
    return EndShowCalls > 0;
}

}  // namespace

void InstallShowStandIns() {
    SetShowEnding({RecordEndShow, RecordAbandonShow, ShowHasEndedOnce, nullptr});
}
