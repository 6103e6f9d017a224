// Settings the player takes from its package at start-up, and the paths of the hidden
// temporary files that hold the payloads during the show. Written by LoadPackage, read by
// the show, the sound and the About dialog; nothing writes them afterwards except that the
// message window recomputes CaptionRect.
#pragma once

#include <windows.h>

#include "package/package_layout.h"

extern HINSTANCE ProgramInstance;
extern PackageTrailerRecord PackageTrailer;
extern char CaptionText[256];      // at most 255 bytes, always zero-terminated
extern COLORREF CaptionColour;
extern LOGFONTA CaptionFont;       // face name always zero-terminated
extern RECT CaptionRect;
extern unsigned StartPlacement;    // PlacementCode, 9 already resolved
extern unsigned EndPlacement;
extern int AboutFlag;              // exactly 1 shows the About dialog
extern unsigned SoundType;         // 4 = WAV, anything else = MIDI

extern wchar_t* AnimationFile;     // null when absent or not extracted
extern wchar_t* MessageFile;
extern wchar_t* LogoFile;
extern wchar_t* SoundFile;

// Reads the trailer at the end of the program's own file and extracts every payload into a
// hidden temporary file. false: no usable package (the caller shows the missing-package box).
bool LoadPackage();
// The same for a package file named by its path (LoadPackage passes the program's own).
bool LoadPackageFrom(const wchar_t* path);
int RandomInRange(int lo, int hi);

// Temporary files (temp_files.cpp).
bool ExtractPayloads(const BYTE* view, const PackagePayloads& payloads);
void DeleteTempFiles();
// Deletes the hidden copies an earlier show left in the temporary folder (one that was
// killed, or ended with the session). Only for a show that knows no other show runs.
void RemoveStaleTempFiles();

// The view of the program file, open only while LoadPackage runs (package_loading.cpp).
void ReleasePackageView();
