#include <windows.h>

#include <gtest/gtest.h>

#include "gui/controls/splash_window.h"
#include "gui/kernel/window_procedure.h"
#include "tests/gui/gui_fixture.h"

namespace {

// A 200 x 120 splash: blue with a red band at the top; counts its paints.
SIZE drawSplash(HDC dc, const RECT* rect, void* argument, void* extra) {
    if (dc) {
        HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255)), red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, rect, blue);
        RECT band = {rect->left, rect->top, rect->right, rect->top + 20};
        FillRect(dc, &band, red);
        DeleteObject(blue);
        DeleteObject(red);
        ++*static_cast<int*>(argument);
    }
    EXPECT_EQ(extra, (void*)0x5A);
    return SIZE{200, 120};
}

TEST(SplashWindow, ShownAndPaintedBeforeAnyOtherWindowThenClosedByItsStep) {
    TestApplication test;
    ASSERT_EQ(parentWindowMap().first(), nullptr);  // no other window lives
    int paints = 0;
    SplashStep step(drawSplash, &paints, (void*)0x5A);
    ASSERT_TRUE(step.start(nullptr, false));
    GSplashWindow* splash = step.splash;
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(paints, 1);  // painted before create returned
    EXPECT_TRUE(splash->isKindOf(56) && splash->isKindOf(2) && splash->isKindOf(1));
    EXPECT_FALSE(splash->isKindOf(7));
    EXPECT_STREQ(splash->className(), "GSplashWindow");
    EXPECT_TRUE(IsWindowVisible(splash->hwnd));
    EXPECT_EQ(GetWindowLongA(splash->hwnd, GWL_STYLE) & WS_CAPTION, WS_BORDER);

    RECT client, frame;
    GetClientRect(splash->hwnd, &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 120);
    GetWindowRect(splash->hwnd, &frame);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromWindow(splash->hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
    EXPECT_NEAR((frame.left + frame.right) / 2, (info.rcWork.left + info.rcWork.right) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (info.rcWork.top + info.rcWork.bottom) / 2, 1);

    HDC screen = GetDC(nullptr);
    POINT top = {100, 5}, body = {100, 80};
    ClientToScreen(splash->hwnd, &top);
    ClientToScreen(splash->hwnd, &body);
    EXPECT_EQ(GetPixel(screen, top.x, top.y), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(screen, body.x, body.y), RGB(0, 0, 255));
    ReleaseDC(nullptr, screen);

    HWND native = splash->hwnd;
    step.afterAllStarted();
    EXPECT_EQ(step.splash, nullptr);
    EXPECT_FALSE(IsWindow(native));
    step.stop();  // nothing left to close
}

}  // namespace
