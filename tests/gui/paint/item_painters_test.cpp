// The item painters on a visible window's DC: the tab split with the key text right-aligned, the
// two offsets of an embossed disabled text, the check image and the focus rectangle.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "gui/paint/colors.h"
#include "gui/paint/item_painters.h"
#include "gui/paint/saved_dc.h"

namespace {
const i32 kWidth = 300, kHeight = 24;

struct Extent {
    i32 first, last;
};

struct Window {
    HWND hwnd;
    Window() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "item_painters_test";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(WS_EX_TOPMOST, "item_painters_test", "", WS_POPUP | WS_VISIBLE, 20, 20, kWidth, kHeight,
                               nullptr, nullptr, wc.hInstance, nullptr);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    ~Window() {
        DestroyWindow(hwnd);
        UnregisterClassA("item_painters_test", GetModuleHandleA(nullptr));
    }
    // Paints, then the columns [first, last] where the colour shows, by the callback.
    void paint(const std::function<void(HDC)>& draw) {
        HDC dc = GetDC(hwnd);
        RECT all{0, 0, kWidth, kHeight};
        FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
        draw(dc);
        ReleaseDC(hwnd, dc);
    }
    // First and last column holding the colour; -1 when none.
    Extent columns(COLORREF colour, i32 top = 0, i32 bottom = kHeight) {
        HDC dc = GetDC(hwnd);
        i32 first = -1, last = -1;
        for (i32 x = 0; x < kWidth; ++x)
            for (i32 y = top; y < bottom; ++y)
                if (GetPixel(dc, x, y) == colour) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        ReleaseDC(hwnd, dc);
        return Extent{first, last};
    }
    i32 lastRow(COLORREF colour) {
        HDC dc = GetDC(hwnd);
        for (i32 y = kHeight; y-- > 0;)
            for (i32 x = 0; x < kWidth; ++x)
                if (GetPixel(dc, x, y) == colour) {
                    ReleaseDC(hwnd, dc);
                    return y;
                }
        ReleaseDC(hwnd, dc);
        return -1;
    }
};

struct Colours {
    ToolkitColors saved = toolkitColors;
    Colours() {
        toolkitColors.window = RGB(255, 255, 255);
        toolkitColors.text = RGB(0, 0, 0);
        toolkitColors.selection = RGB(0, 0, 128);
        toolkitColors.selectionText = RGB(255, 255, 0);
        toolkitColors.lightShade = RGB(0, 200, 0);
        toolkitColors.darkShade = RGB(200, 0, 0);
    }
    ~Colours() { toolkitColors = saved; }
};
}  // namespace

TEST(ItemPainters, CellSplitsAtTheTab) {
    Window w;
    ImageTextCell cell;
    cell.text = "Open\tCtrl+O";
    cell.rightReserve = 10;
    w.paint([&](HDC dc) {
        GSavedDC saved(dc);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        drawImageTextCell(saved, RECT{0, 0, kWidth, kHeight}, cell);
    });
    auto ink = w.columns(RGB(0, 0, 0));
    // The head from left + 3, the key ending at right - 4 - reserve.
    EXPECT_GE(ink.first, 3);
    EXPECT_LE(ink.first, 6);
    EXPECT_LE(ink.last, kWidth - 14);
    EXPECT_GE(ink.last, kWidth - 20);
    // Nothing in the middle: two separate words.
    HDC dc = GetDC(w.hwnd);
    i32 inked = 0;
    for (i32 x = 100; x < 200; ++x)
        for (i32 y = 0; y < kHeight; ++y) inked += GetPixel(dc, x, y) == RGB(0, 0, 0);
    ReleaseDC(w.hwnd, dc);
    EXPECT_EQ(inked, 0);
    // Right alignment without a tab; an image column moves the text past it.
    cell.text = "End";
    cell.alignment = '>';
    cell.rightReserve = 0;
    w.paint([&](HDC dc) {
        GSavedDC saved(dc);
        SetBkMode(dc, TRANSPARENT);
        drawImageTextCell(saved, RECT{0, 0, kWidth, kHeight}, cell);
    });
    ink = w.columns(RGB(0, 0, 0));
    EXPECT_GE(ink.first, kWidth - 40);
    EXPECT_LE(ink.last, kWidth - 4);
    cell.alignment = '<';
    cell.imageWidth = 20;
    w.paint([&](HDC dc) {
        GSavedDC saved(dc);
        SetBkMode(dc, TRANSPARENT);
        drawImageTextCell(saved, RECT{0, 0, kWidth, kHeight}, cell);
    });
    EXPECT_GE(w.columns(RGB(0, 0, 0)).first, 24);
}

TEST(ItemPainters, OwnerDrawnItemStates) {
    Window w;
    Colours colours;
    RECT item{0, 0, kWidth, kHeight};
    // Selected: the selection colours.
    w.paint([&](HDC dc) { paintOwnerDrawItem(dc, item, ItemSelected, nullptr, 0, "Item\tF5", '<'); });
    auto text = w.columns(RGB(255, 255, 0));
    EXPECT_GE(text.first, 3);
    EXPECT_LE(text.last, kWidth - 4);
    EXPECT_GE(text.last, kWidth - 20);
    HDC dc = GetDC(w.hwnd);
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 0, 128));
    ReleaseDC(w.hwnd, dc);
    // Disabled: the light copy one pixel down and right of the dark one.
    w.paint([&](HDC dc) { paintOwnerDrawItem(dc, item, ItemDisabled, nullptr, 0, "Item", '<'); });
    auto light = w.columns(RGB(0, 200, 0)), dark = w.columns(RGB(200, 0, 0));
    ASSERT_GE(dark.first, 0);
    ASSERT_GE(light.first, 0);
    EXPECT_EQ(light.last, dark.last + 1);
    EXPECT_EQ(w.lastRow(RGB(0, 200, 0)), w.lastRow(RGB(200, 0, 0)) + 1);
    // Focused: the dotted frame on the item's edge; without focus the edge is the background.
    w.paint([&](HDC dc) { paintOwnerDrawItem(dc, item, 0, nullptr, 0, "", '<'); });
    dc = GetDC(w.hwnd);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
    ReleaseDC(w.hwnd, dc);
    w.paint([&](HDC dc) { paintOwnerDrawItem(dc, item, ItemFocus, nullptr, 0, "", '<'); });
    dc = GetDC(w.hwnd);
    i32 framed = 0;
    for (i32 x = 0; x < kWidth; ++x) framed += GetPixel(dc, x, 0) != RGB(255, 255, 255);
    for (i32 x = 0; x < kWidth; ++x) framed += GetPixel(dc, x, kHeight - 1) != RGB(255, 255, 255);
    i32 inside = 0;
    for (i32 x = 2; x < kWidth - 2; ++x) inside += GetPixel(dc, x, kHeight / 2) != RGB(255, 255, 255);
    ReleaseDC(w.hwnd, dc);
    EXPECT_GE(framed, kWidth / 2);
    EXPECT_EQ(inside, 0);
}
