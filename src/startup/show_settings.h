// ShowSettings: what the player takes from its package at start-up (the caption, the cells,
// whether the About dialog follows, the sound's kind) and the paths of the hidden temporary
// files that hold the payloads during the show. LoadPackage fills it; the player hands it to
// the windows that need it, and DeleteTempFiles empties it of its files at the end.
#pragma once

#include <windows.h>

#include "package/package_layout.h"

struct ShowSettings {
    char CaptionText[256];      // at most 255 bytes, always zero-terminated
    COLORREF CaptionColour;
    LOGFONTA CaptionFont;       // face name always zero-terminated
    unsigned StartPlacement;    // PlacementCode, 9 already resolved
    unsigned EndPlacement;
    bool AboutFlag;             // the trailer's flag is exactly 1: the About dialog ends the show
    unsigned SoundType;         // 4 = WAV, anything else = MIDI
    // MAX_PATH-character buffers; null when the payload is absent or not extracted, so a
    // present name is also the payload's presence.
    wchar_t* AnimationFile;
    wchar_t* MessageFile;
    wchar_t* LogoFile;
    wchar_t* SoundFile;
};

// Reads the trailer at the end of the program's own file and extracts every payload into a
// hidden temporary file. false: no usable package (the caller shows the missing-package box)
// and no file left behind. settings must start empty (all zero).
bool LoadPackage(ShowSettings* settings);
// The same for a package file named by its path (LoadPackage passes the program's own).
bool LoadPackageFrom(const wchar_t* path, ShowSettings* settings);
int RandomInRange(int lo, int hi);

// Temporary files (temp_files.cpp).
bool ExtractPayloads(const BYTE* view, const PackagePayloads& payloads, ShowSettings* settings);
// Deletes the show's temporary files and frees their names; a second call does nothing.
void DeleteTempFiles(ShowSettings* settings);
// Deletes the hidden copies an earlier show left in the temporary folder (one that was
// killed, or ended with the session). Only for a show that knows no other show runs.
void RemoveStaleTempFiles();

// The view of the program file, open only while LoadPackage runs (package_loading.cpp).
void ReleasePackageView();
