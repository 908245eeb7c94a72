#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/gui_settings.h"
#include "gui/paint/icons.h"
#include "gui/paint/paint_composite.h"
#include "gui/paint/saved_dc.h"
#include "tests/gui/dib_canvas.h"

namespace {
const i32 kWidth = 320, kHeight = 120;

// A sample of faces: frames, fills, states and content.
void paintSample(GSavedDC& dc) {
    static const u32 flags[] = {0x4002,           0x5005 | 1u << 24, 0x3042 | 1u << 26, 0x6022,
                                0x4004 | 1u << 20, 0x2053 | 1u << 27, 0x4002 | 1u << 23, 0x5002 | 1u << 22};
    GTextElement text("Face", "|-");
    GImageElement image(getCachedIcon(201));
    dc.selectSolidBrush(RGB(200, 230, 255));
    for (u32 i = 0; i < 8; ++i) {
        RECT r = {(LONG)(8 + (i % 4) * 78), (LONG)(8 + (i / 4) * 56), (LONG)(78 + (i % 4) * 78), (LONG)(56 + (i / 4) * 56)};
        GPaintElement* content = i % 2 ? (GPaintElement*)&image : &text;
        paintComposite(dc, r, content, flags[i] | (i >= 4 ? 1u << 29 : 0));
    }
    dc.selectPen(RGB(0, 0, 160));
    drawCornerFrame(dc, 2, 2, kWidth - 2, kHeight - 2, -1);
    drawDottedLine(dc, 4, 60, kWidth - 4, 60, RGB(160, 0, 0));
}

class WindowPaint : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "paint_test_ANSI";
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        RegisterClassA(&wc);
        guiSettings.background = RGB(192, 192, 192);
        guiSettings.style = 2;
        applyColorScheme();
        const char* names[] = {"paint_test_ANSI"};
        replaceClassBrushes(names, 1, toolkitColors.classBackground);
        window = CreateWindowExA(WS_EX_TOPMOST, "paint_test_ANSI", "", WS_POPUP | WS_VISIBLE, 40, 40, kWidth, kHeight,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        UpdateWindow(window);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    void TearDown() override {
        DestroyWindow(window);
        UnregisterClassA("paint_test_ANSI", GetModuleHandleA(nullptr));
        guiSettings = saved;
        applyColorScheme();
    }
    // The window's pixels, copied from its DC.
    void grab(DibCanvas& canvas) {
        HDC dc = GetDC(window);
        BitBlt(canvas.dc(), 0, 0, kWidth, kHeight, dc, 0, 0, SRCCOPY);
        ReleaseDC(window, dc);
    }
    HWND window = nullptr;
    GGuiSettings saved = guiSettings;
};
}  // namespace

TEST_F(WindowPaint, WindowShowsWhatADibReceives) {
    DibCanvas erased(kWidth, kHeight);
    grab(erased);
    EXPECT_EQ(erased.pixel(kWidth / 2, kHeight / 2), RGB(242, 242, 242));  // the class brush

    {
        GSavedDC dc(window);
        paintSample(dc);
    }
    DibCanvas shown(kWidth, kHeight), expected(kWidth, kHeight, RGB(242, 242, 242));
    grab(shown);
    {
        GSavedDC dc(expected.dc());
        paintSample(dc);
    }
    saveShot(shown, "window.bmp");
    EXPECT_TRUE(shown.samePixels(expected));
    EXPECT_EQ(shown.pixel(2, 2), RGB(0, 0, 160));
}
