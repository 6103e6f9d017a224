// What the stand-ins of show_stand_ins.cpp recorded.
#pragma once

#include <windows.h>

extern int EndShowCalls;
extern HWND EndShowWindow;
extern int AbandonShowCalls;

// Installs the stand-ins as the show's end (show_end.h).
void InstallShowStandIns();
