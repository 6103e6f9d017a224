// The message window opened without a packaged message: the show ends while the window is
// being created, and the window must then stay hidden and take nothing afterwards. A
// program of its own, because a process opens the message window only once.
#include <windows.h>

#include <gtest/gtest.h>

#include "../render/gdi_test_support.h"
#include "startup/package_state.h"
#include "gif/gif_loader.h"
#include "present/window_classes.h"
#include "present/window_state.h"
#include "render/render_api.h"
#include "show/message_window.h"
#include "show_stand_ins.h"

namespace {

TEST(MessageWindowWithoutAMessage, EndsTheShowStaysHiddenAndHoldsNoContextOrBitmap) {
    InstallShowStandIns();
    ProgramInstance = GetModuleHandleA(nullptr);
    WNDCLASSA messageClass = {};
    messageClass.lpfnWndProc = MessageWindowProc;
    messageClass.hInstance = ProgramInstance;
    messageClass.lpszClassName = kMessageClass;
    ASSERT_NE(0, RegisterClassA(&messageClass));
    PackageTrailer = PackageTrailerRecord{};
    EndPlacement = 0;
    HWND animation = CreateWindowExA(0, "STATIC", nullptr, WS_POPUP, 0, 0, 40, 30, nullptr,
                                     nullptr, ProgramInstance, nullptr);
    ASSERT_NE(nullptr, animation);
    const int before = CountLiveGdiObjects();

    OpenMessageWindow(animation);
    EXPECT_EQ(1, EndShowCalls);
    HWND message = FindWindowA(kMessageClass, nullptr);
    ASSERT_NE(nullptr, message);
    EXPECT_FALSE(IsWindowVisible(message));
    SettleScreen();   // a paint, had the window been shown or invalidated, comes now
    ReleaseAnimation(PresentationOf(message));   // what EndShow releases
    EXPECT_EQ(before, CountLiveGdiObjects()) << "drawing objects left after the end";
    DestroyWindow(message);
    DestroyWindow(animation);
}

}  // namespace
