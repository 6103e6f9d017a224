// Background sound: one packaged WAV or MIDI file played once through the media control
// interface from start-up until the show ends.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "package/sound_kind.h"

// Plays kind kSoundWave on the wave device and any other kind on the sequencer.
// 0 when the sound is playing, otherwise the MCI error code after it has been reported.
DWORD StartSound(SoundKind kind, const wchar_t* file);
// Closes whichever device is open; 1 when nothing is left open, 0 when a close failed.
int StopSound();
// The device StartSound opened and StopSound has not yet closed; 0 when none is open.
MCIDEVICEID SoundDeviceInUse();
// Shows the platform's text for a non-zero MCI error code in the "Error" box.
void ReportMciError(DWORD code);
