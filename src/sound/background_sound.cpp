// Background sound through the media control interface, in its command-message form.
//
// Owns: MidiDevice and WaveDevice, the open "sequencer" and "waveaudio" devices (0 when
// none). Only one of them is opened in a run. Playback is asynchronous inside the media
// system: nothing waits for it and nothing reacts to its end.
#include "sound/background_sound.h"

static MCIDEVICEID MidiDevice;
static MCIDEVICEID WaveDevice;

namespace {

// A play request that returns at once and whose completion notice reaches no window.
MCIERROR PlayWholeFile(MCIDEVICEID device) {
    MCI_PLAY_PARMS play = {};
    play.dwCallback = 0;
    return mciSendCommandA(device, MCI_PLAY, MCI_NOTIFY, DWORD_PTR(&play));
}

// The wide form, so that the file opens whatever characters its path holds.
MCIERROR OpenDevice(const wchar_t* deviceType, const wchar_t* file, MCIDEVICEID* device) {
    MCI_OPEN_PARMSW open = {};
    open.lpstrDeviceType = deviceType;
    open.lpstrElementName = file;
    MCIERROR error = mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, DWORD_PTR(&open));
    if (error == 0)
        *device = open.wDeviceID;
    return error;
}

// The sequencer is asked for its output port before playing; the answer is not used, but a
// sequencer that cannot answer is not played.
MCIERROR QuerySequencerPort(MCIDEVICEID device) {
    MCI_STATUS_PARMS status = {};
    status.dwItem = MCI_SEQ_STATUS_PORT;
    return mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM, DWORD_PTR(&status));
}

DWORD GiveUp(MCIDEVICEID* device, MCIERROR error) {
    mciSendCommandA(*device, MCI_CLOSE, 0, 0);
    *device = 0;
    ReportMciError(error);
    return error;
}

DWORD StartMidi(const wchar_t* file) {
    MCIERROR error = OpenDevice(L"sequencer", file, &MidiDevice);
    if (error != 0) {
        ReportMciError(error);
        return error;
    }
    error = QuerySequencerPort(MidiDevice);
    if (error == 0)
        error = PlayWholeFile(MidiDevice);
    return error == 0 ? 0 : GiveUp(&MidiDevice, error);
}

DWORD StartWave(const wchar_t* file) {
    MCIERROR error = OpenDevice(L"waveaudio", file, &WaveDevice);
    if (error != 0) {
        ReportMciError(error);
        return error;
    }
    error = PlayWholeFile(WaveDevice);
    return error == 0 ? 0 : GiveUp(&WaveDevice, error);
}

// Closes one device; false (and the id kept) when the close failed.
bool CloseDevice(MCIDEVICEID* device) {
    if (*device == 0)
        return true;
    MCIERROR error = mciSendCommandA(*device, MCI_CLOSE, 0, 0);
    if (error != 0) {
        ReportMciError(error);
        return false;
    }
    *device = 0;
    return true;
}

}  // namespace

DWORD StartSound(SoundKind kind, const wchar_t* file) {
    return kind == kSoundWave ? StartWave(file) : StartMidi(file);
}

int StopSound() {
    bool midiClosed = CloseDevice(&MidiDevice);
    bool waveClosed = CloseDevice(&WaveDevice);
    return midiClosed && waveClosed ? 1 : 0;
}

MCIDEVICEID SoundDeviceInUse() {
    return MidiDevice ? MidiDevice : WaveDevice;
}

void ReportMciError(DWORD code) {
    if (code == 0)
        return;
    char text[256];
    if (!mciGetErrorStringA(code, text, sizeof text))
        lstrcpynA(text, "Unknown Error", sizeof text);
    MessageBoxA(nullptr, text, "Error", MB_OK);
}
