// The animation window's procedure driven message by message on a real window: which ticks
// advance a frame (the timer's own identifier, armed, the whole delay as unsigned
// hundredths, at once after the tick counter wraps), the end of the list with and without
// a message, Escape, and the click that opens exactly one message window at the end cell.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gif/gif_loader.h"
#include "gif_writer.h"
#include "present/display_bitmap.h"
#include "present/frame_timer.h"
#include "present/window_classes.h"
#include "render/render_api.h"
#include "show/animation_window.h"
#include "show/message_window.h"
#include "show/slide_in.h"
#include "show_stand_ins.h"
#include "startup/show_settings.h"

namespace {

constexpr int kWidth = 40, kHeight = 30;

HINSTANCE ProgramInstance;
// A message file's name, for the tests in which only its presence counts.
wchar_t SomeMessage[] = L"message.emf";
DWORD TestClock;
DWORD TestClockNow() { return TestClock; }

// One opaque full-size frame of its own colour per delay.
Bytes Animation(const std::vector<int>& delays) {
    Bytes out;
    PutHeader(&out, kWidth, kHeight, true, 7);
    for (size_t k = 0; k < delays.size(); ++k) {
        PutGraphicControl(&out, 1, delays[k], -1);
        ImageSpec spec;
        spec.width = kWidth;
        spec.height = kHeight;
        spec.pixels.assign(size_t(kWidth) * kHeight, int(10 + k * 20));
        PutImage(&out, spec);
    }
    out.push_back(0x3B);
    return out;
}

void RegisterClassOnce(const char* name, WNDPROC procedure) {
    WNDCLASSA existing;
    if (GetClassInfoA(ProgramInstance, name, &existing))
        return;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ProgramInstance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

// Takes a window out of the show's hands before it is destroyed, so that its WM_DESTROY
// does not run the show's handler.
void DestroyQuietly(HWND window) {
    if (!window)
        return;
    KillTimer(window, kFrameTimerId);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
    DestroyWindow(window);
}

class ShowWindowTest : public ::testing::Test {
protected:
    HWND window = nullptr;
    ShowSettings settings = {};
    ShowWindowState shown = {{}, &settings};
    PresentationState& state = shown.presentation;
    std::vector<FrameNode*> frames;

    void SetUp() override {
        ProgramInstance = GetModuleHandleA(nullptr);
        RegisterClassOnce(kAnimationClass, AnimationWindowProc);
        RegisterClassOnce(kMessageClass, MessageWindowProc);
        InstallShowStandIns();
        EndShowCalls = 0;
        EndShowWindow = nullptr;
        AbandonShowCalls = 0;
    }

    // Loads the animation and creates its window the way CreateAnimationWindow prepares it,
    // without the slide.
    // With a message, its file is messagePath.
    void Load(const std::vector<int>& delays, wchar_t* messagePath) {
        settings.MessageFile = messagePath;
        Bytes gif = Animation(delays);
        state.gif = GifLoadBytes(gif.data(), gif.size());
        ASSERT_NE(state.gif.FrameListHead, nullptr);
        for (FrameNode* node = state.gif.FrameListHead; node; node = node->next) frames.push_back(node);
        ASSERT_EQ(frames.size(), delays.size());
        BuildGlobalPalette(&state);
        SetRect(&state.WindowRect, 100, 100, 100 + kWidth, 100 + kHeight);
        state.FrameCursor = state.gif.FrameListHead;
        ASSERT_EQ(PrepareFrame(&state), 1);
        state.BackgroundSnapshot = CaptureScreenRect(&state.WindowRect, state.ActivePalette);
        state.StageBitmap = CreateDisplayBitmap(kWidth, kHeight);
        ASSERT_NE(state.BackgroundSnapshot, nullptr);
        ASSERT_NE(state.StageBitmap, nullptr);
        StageFromSnapshot(&state);
        window = CreateWindowExA(WS_EX_TOOLWINDOW, kAnimationClass, nullptr, WS_POPUP, 100, 100,
                                 kWidth, kHeight, nullptr, nullptr, ProgramInstance, &shown);
        ASSERT_NE(window, nullptr);
        state.StageWindow = window;
    }

    void TearDown() override {
        SetFrameClockSource(nullptr);
        DestroyQuietly(window);
        state.FrameCursor = nullptr;
        ReleaseFrame(&state);
        ReleaseAnimation(&state);
        ReleaseMessageSnapshot();
        state.StageWindow = nullptr;
    }

    void Tick(UINT_PTR id) { AnimationWindowProc(window, WM_TIMER, id, 0); }

    int Cursor() const {
        for (size_t k = 0; k < frames.size(); ++k)
            if (frames[k] == state.FrameCursor) return int(k);
        return state.FrameCursor ? -2 : -1;
    }

    bool Pending(UINT message) {
        MSG queued;
        return PeekMessageA(&queued, window, message, message, PM_REMOVE) != 0;
    }
};

// Waits up to timeoutMs for a tick of the frame timer in the window's queue.
bool TimerTickArrives(HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    MSG queued;
    while (!PeekMessageA(&queued, window, WM_TIMER, WM_TIMER, PM_NOREMOVE)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_TIMER);
    }
    return true;
}

TEST_F(ShowWindowTest, TicksAdvanceAfterTheWholeDelayForTheirOwnTimerAndNeverLoop) {
    // The frame clock is set by hand, so the test is the same whatever the machine's tick
    // count; the delay 65535 and the wrap lie just below the top of the counter.
    const DWORD beforeLongDelay = 0xFFFFFFF0u - 655350u;
    TestClock = 1000;
    SetFrameClockSource(TestClockNow);
    Load({20, 0, 65535, 100, 5}, nullptr);
    ASSERT_EQ(state.TimerId, kFrameTimerId) << "the frame timer was not started at creation";
    EXPECT_EQ(state.TimerArmed, false);
    EXPECT_EQ(state.LastAdvanceTick, 1000u) << "the creation did not take the time";

    TestClock = 1199;
    Tick(state.TimerId + 1);
    EXPECT_EQ(Cursor(), 0) << "a tick of another timer advanced";
    EXPECT_EQ(state.TimerArmed, false);
    Tick(state.TimerId);
    EXPECT_EQ(Cursor(), 0) << "the first tick only arms";
    EXPECT_EQ(state.TimerArmed, true);

    // Delay 20 is 200 ms, counted whole from the window's creation.
    Tick(state.TimerId);
    EXPECT_EQ(Cursor(), 0) << "a delay of 20 hundredths ended early";
    TestClock = 1200;
    Tick(state.TimerId);
    EXPECT_EQ(Cursor(), 1);
    EXPECT_EQ(state.LastAdvanceTick, 1200u) << "the advance did not take the time";

    // Delay 0: the next accepted tick. The show is now far more than a second behind its
    // due time, so it counts from the present instead of racing through frames.
    TestClock = beforeLongDelay;
    Tick(state.TimerId);
    EXPECT_EQ(Cursor(), 2);
    EXPECT_EQ(state.LastAdvanceTick, beforeLongDelay) << "a show far behind did not resynchronise";

    // Delay 65535 is 655 350 ms, taken as unsigned: not over 1 ms before its end. A tick
    // 7 ms late does not make the next frame late: it is due 655 350 ms after this one was.
    TestClock = beforeLongDelay + 655349u;
    Tick(state.TimerId);
    EXPECT_EQ(Cursor(), 2) << "a delay of 65535 hundredths ended early";
    TestClock = beforeLongDelay + 655357u;
    Tick(state.TimerId);
    EXPECT_EQ(Cursor(), 3);
    EXPECT_EQ(state.LastAdvanceTick, beforeLongDelay + 655350u) << "the lateness of the tick was kept";

    // The counter wraps 21 ms into a delay of 1 s: advance at once.
    TestClock = 5;
    Tick(state.TimerId);
    EXPECT_EQ(Cursor(), 4) << "a wrapped counter did not advance";
    EXPECT_EQ(state.LastAdvanceTick, 5u);

    // The real timer delivers ticks while frames are due.
    EXPECT_TRUE(TimerTickArrives(window, 2000)) << "the frame timer sends no ticks";

    // Leaving the last frame without a message: the frame stays and the timer stops.
    TestClock = 5 + 50;
    Tick(state.TimerId);
    EXPECT_EQ(Cursor(), 4);
    EXPECT_NE(state.CurrentFrameDib, nullptr) << "the last frame was released";
    EXPECT_FALSE(Pending(kOpenMessageWindowRequest)) << "the message window was requested without a message";
    EXPECT_EQ(state.TimerId, 0u);
    while (Pending(WM_TIMER)) {
    }
    // Showing that no tick comes: six periods of the 10 ms timer are long enough for one
    // to arrive from a timer that still ran.
    EXPECT_FALSE(TimerTickArrives(window, 6 * kFrameTimerPeriod))
        << "the timer still runs after the last frame";
    TestClock += 10000;
    for (int k = 0; k < 5; ++k) Tick(state.TimerId);
    EXPECT_EQ(Cursor(), 4) << "the animation looped";
    EXPECT_EQ(EndShowCalls, 0);
}

TEST_F(ShowWindowTest, EndOfTheListWithAMessageRequestsTheMessageWindowOnce) {
    Load({0, 0}, SomeMessage);
    Tick(state.TimerId);   // arms
    Tick(state.TimerId);
    ASSERT_EQ(Cursor(), 1);
    Tick(state.TimerId);
    EXPECT_EQ(state.FrameCursor, nullptr);
    EXPECT_EQ(state.CurrentFrameDib, nullptr) << "the last frame was not released";
    EXPECT_TRUE(Pending(kOpenMessageWindowRequest)) << "no request for the message window";
    EXPECT_FALSE(Pending(kOpenMessageWindowRequest)) << "more than one request";
    Tick(state.TimerId);   // a tick before the request is handled finds no frame
    EXPECT_FALSE(Pending(kOpenMessageWindowRequest));
    EXPECT_EQ(EndShowCalls, 0);
}

TEST_F(ShowWindowTest, EscapeEndsTheShowAndOtherKeysDoNothing) {
    Load({100}, SomeMessage);
    AnimationWindowProc(window, WM_KEYDOWN, 'A', 0);
    AnimationWindowProc(window, WM_KEYDOWN, VK_RETURN, 0);
    AnimationWindowProc(window, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(EndShowCalls, 0);
    AnimationWindowProc(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(EndShowCalls, 1);
    EXPECT_EQ(EndShowWindow, window);
    EXPECT_EQ(FindWindowA(kMessageClass, nullptr), nullptr) << "Escape opened the message window";
}

// The sound starts before the animation is loaded; an animation without an image ends the
// start-up there, and the sound must stop with it (under Wine the process's exit silences it
// too, so only here can its stop be seen).
// The window is never made for an animation without an image; the player then abandons the
// show (the sound stopped and the files deleted by the end of the show it installed).
TEST_F(ShowWindowTest, AnAnimationWithoutAnImageMakesNoWindow) {
    Bytes gif;
    PutHeader(&gif, kWidth, kHeight, true, 1);
    gif.push_back(0x3B);
    char folder[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string path = std::string(folder) + "show_window_test_empty.gif";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, gif.data(), DWORD(gif.size()), &written, nullptr);
    CloseHandle(file);
    wchar_t animationPath[MAX_PATH] = {};
    std::copy(path.begin(), path.end(), animationPath);
    settings.AnimationFile = animationPath;

    EXPECT_FALSE(CreateAnimationWindow(ProgramInstance, SW_SHOWNA, &settings));
    EXPECT_EQ(FindWindowA(kAnimationClass, nullptr), nullptr) << "a window was created";
    DeleteFileA(path.c_str());
}

int CountMessageWindows() {
    int count = 0;
    for (HWND found = FindWindowExA(nullptr, nullptr, kMessageClass, nullptr); found;
         found = FindWindowExA(nullptr, found, kMessageClass, nullptr))
        ++count;
    return count;
}

// The message window's opening is guarded for the whole process, so this is the only test
// here that opens one.
TEST_F(ShowWindowTest, ClickOpensOneMessageWindowAtTheEndCellAndALaterRequestIsIgnored) {
    char folder[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
    std::string path = std::string(folder) + "show_window_test.emf";
    HDC recorder = CreateEnhMetaFileA(nullptr, path.c_str(), nullptr, nullptr);
    ASSERT_NE(recorder, nullptr);
    Rectangle(recorder, 0, 0, 100, 100);
    DeleteEnhMetaFile(CloseEnhMetaFile(recorder));
    static wchar_t messagePath[MAX_PATH];
    std::copy(path.begin(), path.end(), messagePath);
    settings.EndPlacement = 8;

    Load({100, 100}, messagePath);
    ShowWindow(window, SW_SHOWNA);
    AnimationWindowProc(window, WM_LBUTTONDOWN, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window)) << "the animation window is still shown";
    // The square opens once the screen behind the animation has had its moment to repaint.
    HWND message = nullptr;
    const DWORD start = GetTickCount();
    while (!(message = FindWindowA(kMessageClass, nullptr)) && GetTickCount() - start < 2000) {
        MSG queued;
        while (PeekMessageA(&queued, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&queued);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    ASSERT_NE(message, nullptr) << "no message window opened";
    EXPECT_EQ(CountMessageWindows(), 1);
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN), side = cy / 2;
    RECT placed;
    ASSERT_TRUE(GetWindowRect(message, &placed));
    EXPECT_EQ(placed.left, cx - side);
    EXPECT_EQ(placed.top, cy - side);
    EXPECT_EQ(placed.right - placed.left, side);
    EXPECT_EQ(placed.bottom - placed.top, side);
    const ShowWindowState* messageState = ShowWindowOf(message);
    ASSERT_NE(messageState, nullptr);
    const PresentationState* shown = &messageState->presentation;
    EXPECT_EQ(messageState->settings, &settings);
    EXPECT_TRUE(EqualRect(&placed, &shown->WindowRect));
    EXPECT_TRUE(IsWindowVisible(message));
    EXPECT_EQ(shown->StageWindow, message);
    EXPECT_EQ(state.gif.FrameListHead, nullptr) << "the animation was not released";
    EXPECT_EQ(state.FrameCursor, nullptr);
    frames.clear();

    // A click queued behind the end-of-list request, and the request itself.
    AnimationWindowProc(window, WM_LBUTTONDOWN, 0, 0);
    AnimationWindowProc(window, kOpenMessageWindowRequest, 0, 0);
    EXPECT_EQ(CountMessageWindows(), 1) << "a second message window was opened";
    EXPECT_EQ(shown->StageWindow, message);
    EXPECT_EQ(EndShowCalls, 0);
    EXPECT_EQ(AbandonShowCalls, 0);

    // A click on the message window ends the show.
    MessageWindowProc(message, WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(EndShowCalls, 1);
    EXPECT_EQ(EndShowWindow, message);

    DestroyQuietly(message);
    DeleteFileA(path.c_str());
}

}  // namespace
