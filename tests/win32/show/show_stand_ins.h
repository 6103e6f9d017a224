// What the stand-ins of show_stand_ins.cpp recorded.
#pragma once

#include <windows.h>

extern int EndShowCalls;
extern HWND EndShowWindow;
extern int AbandonShowCalls;
extern int StopSoundCalls;
