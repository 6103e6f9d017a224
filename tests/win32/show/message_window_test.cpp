// The message window asked for without a packaged message: the show ends at once, no message
// window is made and nothing is left held. A program of its own, because a process opens the
// message window only once.
#include <windows.h>

#include <gtest/gtest.h>

#include "../render/gdi_test_support.h"
#include "gif/gif_loader.h"
#include "present/window_classes.h"
#include "render/render_api.h"
#include "show/message_window.h"
#include "show/show_window.h"
#include "show_stand_ins.h"

namespace {

TEST(MessageWindowWithoutAMessage, EndsTheShowWithoutAWindowAndHoldsNoContextOrBitmap) {
    InstallShowStandIns();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA messageClass = {};
    messageClass.lpfnWndProc = MessageWindowProc;
    messageClass.hInstance = instance;
    messageClass.lpszClassName = kMessageClass;
    ASSERT_NE(0, RegisterClassA(&messageClass));
    ShowSettings settings = {};   // no MessageFile: no message packaged
    ShowWindowState shown = {{}, &settings};
    HWND animation = CreateWindowExA(0, "STATIC", nullptr, WS_POPUP, 0, 0, 40, 30, nullptr,
                                     nullptr, instance, nullptr);
    ASSERT_NE(nullptr, animation);
    const int before = CountLiveGdiObjects();

    OpenMessageWindow(&shown, animation);
    EXPECT_EQ(1, EndShowCalls);
    EXPECT_EQ(animation, EndShowWindow);
    EXPECT_EQ(nullptr, FindWindowA(kMessageClass, nullptr));
    DeliverPendingMessages();   // a paint, had a window been shown or invalidated
    EXPECT_EQ(before, CountLiveGdiObjects()) << "drawing objects left after the end";
    DestroyWindow(animation);
}

}  // namespace
