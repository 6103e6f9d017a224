// Stand-ins for the common end of the show and the sound, so that the window procedures
// can be driven in a test program: they record how they were called.
#include "show_stand_ins.h"

#include "app/end_show.h"
#include "sound/background_sound.h"

int EndShowCalls;
HWND EndShowWindow;
int AbandonShowCalls;
int StopSoundCalls;

void EndShow(HWND window) {
    ++EndShowCalls;
    EndShowWindow = window;
}

void AbandonShow() {
    ++AbandonShowCalls;
}

bool ShowHasEnded() {
    return false;
}

bool StopSound() {
    ++StopSoundCalls;
    return true;
}
