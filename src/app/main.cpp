// The player's entry point: the single-instance test, the removal of an earlier show's
// leftovers, the package, the sound, the window classes, the animation window's entrance and
// the one message loop of the process.
// The command line is ignored: the package appended to the program is the only input.
//
// Owns: SingleShowMutex, held for the life of the process.
#include <windows.h>

#include "about/logo_window.h"
#include "app/end_show.h"
#include "present/window_classes.h"
#include "resources/resource.h"
#include "show/animation_window.h"
#include "show/message_window.h"
#include "show/show_end.h"
#include "show/slide_in.h"
#include "sound/background_sound.h"
#include "startup/show_settings.h"

// One show at a time in a session: whoever creates this object first plays, and it exists
// until that process ends, however it ends. The suffix keeps the name the player's own.
constexpr wchar_t kSingleShowMutexName[] = L"Local\\Reelbox.SingleShow.15ec63c3ae1b";

static HANDLE SingleShowMutex;

enum class Instance { kOnly, kSecond, kUnknown };

// Created before anything else, so that two shows started together cannot both pass.
// kUnknown: the object could not be made, so no other show can be ruled out.
static Instance TakeSingleShowMutex() {
    SetLastError(ERROR_SUCCESS);
    SingleShowMutex = CreateMutexW(nullptr, FALSE, kSingleShowMutexName);
    DWORD error = GetLastError();
    // Access is denied to an object that exists but was made with other rights.
    if (error == ERROR_ALREADY_EXISTS || (!SingleShowMutex && error == ERROR_ACCESS_DENIED))
        return Instance::kSecond;
    return SingleShowMutex ? Instance::kOnly : Instance::kUnknown;
}

static void ShowMissingPackage(HINSTANCE instance) {
    char text[256] = "";
    LoadStringA(instance, IDS_MISSING_PACKAGE, text, sizeof text);
    MessageBoxA(nullptr, text, "Tip", MB_OK);
}

static bool RegisterShowClass(HINSTANCE instance, const char* name, WNDPROC procedure) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    return RegisterClassA(&windowClass) != 0;
}

// All three registrations are attempted; the step succeeds only when all three do.
static bool RegisterWindowClasses(HINSTANCE instance) {
    bool animation = RegisterShowClass(instance, kAnimationClass, AnimationWindowProc);
    bool message = RegisterShowClass(instance, kMessageClass, MessageWindowProc);
    bool logo = RegisterShowClass(instance, kLogoClass, LogoWindowProc);
    return animation && message && logo;
}

static int RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    Instance alone = TakeSingleShowMutex();
    if (alone == Instance::kSecond)
        return 0;
    if (alone == Instance::kOnly)
        RemoveStaleTempFiles();
    // The settings live as long as the message loop, which runs inside this function.
    ShowSettings settings = {};
    SetShowEnding({EndShow, AbandonShow, ShowHasEnded, EndSession});
    SetShowToEnd(instance, &settings);
    if (!LoadPackage(&settings)) {
        ShowMissingPackage(instance);
        return 0;
    }
    if (settings.SoundFile)
        StartSound(SoundKindOfType(settings.SoundType), settings.SoundFile);
    if (!RegisterWindowClasses(instance) || !CreateAnimationWindow(instance, showCommand, &settings)) {
        AbandonShow();
        return 0;
    }
    return RunMessageLoop();
}
