// A real strip under the display, driven by mouse messages: hits, the middle button, dragging
// inside and out, and what it paints.
#include <gtest/gtest.h>

#include "gui/input/drag_image.h"
#include "gui/kernel/temporary_window.h"
#include "gui/views/tab_actions.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"
#include "tests/gui/views/tab_fixture.h"

namespace {
class TabStrip : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new InputFrame(nullptr, 100, 100, 400, 80);
        seam.active = frame->hwnd;
        strip = new GTab(frame, &word);
        ASSERT_TRUE(strip->create());
        MoveWindow(strip->hwnd, 0, 0, 400, 30, FALSE);
        strip->setListener(&tabs);
        UpdateWindow(strip->hwnd);
        strip->layout(400);
    }
    void TearDown() override {
        delete strip;
        delete frame;
    }
    void send(u32 message, i32 x, i32 y, WPARAM keys = 0) {
        seam.pointAt(strip->hwnd, x, y);
        SendMessageA(strip->hwnd, message, keys, MAKELPARAM(x, y));
    }
    i32 middleOf(i32 tab) {
        RECT r = strip->tabRect(tab);
        return (r.left + r.right) / 2;
    }
    COLORREF pixel(i32 x, i32 y) {
        RedrawWindow(strip->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = GetDC(strip->hwnd);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(strip->hwnd, dc);
        return c;
    }

    TestApplication test;
    InputSeam seam;
    FakeTabs tabs{4};
    u32 word = DefaultTabFlags;
    InputFrame* frame = nullptr;
    GTab* strip = nullptr;
};

bool dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 200; }
}  // namespace

TEST_F(TabStrip, ClicksInGapsHitNothingAndTheMiddleButtonCloses) {
    RECT first = strip->tabRect(0);
    send(WM_LBUTTONDOWN, first.right, 10, MK_LBUTTON);
    send(WM_LBUTTONUP, first.right, 10);
    EXPECT_EQ(0, strip->current);
    EXPECT_EQ(-1, strip->hoverTab);
    send(WM_MOUSEMOVE, middleOf(2), 10);
    EXPECT_EQ(2, strip->hoverTab);
    send(WM_LBUTTONDOWN, middleOf(2), 10, MK_LBUTTON);
    send(WM_LBUTTONUP, middleOf(2), 10);
    EXPECT_EQ(2, strip->current);
    EXPECT_EQ("changed 0>2", tabs.log.back());
    send(WM_MBUTTONDOWN, middleOf(1), 10, MK_MBUTTON);
    send(WM_MBUTTONUP, middleOf(1), 10);
    EXPECT_EQ("t0 t2 t3", tabs.names());
    EXPECT_EQ(1, strip->current);  // still t2
}

TEST_F(TabStrip, DraggingTheCurrentTabToTheEndKeepsItCurrent) {
    strip->select(1);
    const i32 x = middleOf(1);
    send(WM_LBUTTONDOWN, x, 10, MK_LBUTTON);
    // Less than the drag distance: no drag yet.
    send(WM_MOUSEMOVE, x + 3, 10, MK_LBUTTON);
    EXPECT_EQ(-1, strip->dragIndex);
    RECT last = strip->tabRect(3);
    send(WM_MOUSEMOVE, last.right + 5, 10, MK_LBUTTON);
    EXPECT_EQ(1, strip->dragIndex);
    EXPECT_EQ(nullptr, strip->dragImage);
    EXPECT_EQ(4, strip->insertionGap(last.right + 5));
    send(WM_LBUTTONUP, last.right + 5, 10);
    EXPECT_EQ("move 1>4 current 3", tabs.log.back());
    EXPECT_EQ("t0 t2 t3 t1", tabs.names());
    EXPECT_EQ(3, strip->current);
    EXPECT_EQ(-1, strip->dragIndex);

    // Onto its own gap or the one after it: nothing moves.
    const size_t logged = tabs.log.size();
    strip->layout(400);
    RECT r = strip->tabRect(1);
    send(WM_LBUTTONDOWN, r.left + 2, 10, MK_LBUTTON);
    send(WM_MOUSEMOVE, r.left + 12, 10, MK_LBUTTON);
    EXPECT_EQ(1, strip->dragIndex);
    send(WM_LBUTTONUP, r.right - 2, 10);
    EXPECT_EQ(logged + 1, tabs.log.size());  // only the selection of the pressed tab
    EXPECT_EQ("t0 t2 t3 t1", tabs.names());
}

TEST_F(TabStrip, DraggingOutShowsTheDragImageAndDropsWhereTheListenerAgrees) {
    const i32 x = middleOf(0);
    send(WM_LBUTTONDOWN, x, 10, MK_LBUTTON);
    send(WM_MOUSEMOVE, x, 60, MK_LBUTTON);
    ASSERT_NE(nullptr, strip->dragImage);
    ASSERT_NE(nullptr, strip->dragImage->imageWindow);
    EXPECT_TRUE(IsWindowVisible(strip->dragImage->imageWindow->hwnd));
    RECT image;
    GetWindowRect(strip->dragImage->imageWindow->hwnd, &image);
    EXPECT_EQ(tabs.items[0]->record->width, image.right - image.left);
    // Back inside: the image goes.
    send(WM_MOUSEMOVE, x + 10, 10, MK_LBUTTON);
    EXPECT_EQ(nullptr, strip->dragImage);
    send(WM_MOUSEMOVE, x, 60, MK_LBUTTON);
    ASSERT_NE(nullptr, strip->dragImage);
    // Feedback 1: a drop outside does nothing.
    send(WM_LBUTTONUP, x, 60);
    EXPECT_EQ(nullptr, strip->dragImage);
    EXPECT_EQ("t0 t1 t2 t3", tabs.names());
    // Feedback 2: the tab is dropped and the next one becomes current.
    tabs.feedback = 2;
    send(WM_LBUTTONDOWN, x, 10, MK_LBUTTON);
    send(WM_MOUSEMOVE, x, 60, MK_LBUTTON);
    send(WM_LBUTTONUP, x, 60);
    EXPECT_EQ("t1 t2 t3", tabs.names());
    EXPECT_EQ(0, strip->current);
    // The listener hears of the drop, then of the new current tab.
    ASSERT_GE(tabs.log.size(), 2u);
    EXPECT_EQ(0, tabs.log[tabs.log.size() - 2].find("drop t0 at"));
    EXPECT_EQ("changed -1>0", tabs.log.back());
}

TEST_F(TabStrip, PaintsTheModifiedMarkerAndTheAttachedMarks) {
    word &= ~TabOptionCloseMini;  // the marker's place is then at the tab's right
    tabs.items[1]->modified = true;
    strip->toggleAttached(2);
    strip->layout(400);
    RECT modified = strip->tabRect(1);
    RECT attached = strip->tabRect(2);
    RECT plain = strip->tabRect(3);
    // The marker: dark pixels in the last markerWidth columns inside the tab, none in a plain tab.
    auto markerPixels = [&](const RECT& r) {
        int n = 0;
        for (i32 x = r.right - 3 - strip->markerWidth; x < r.right - 3; ++x)
            for (i32 y = 3; y < 15; ++y) n += dark(pixel(x, y)) ? 1 : 0;
        return n;
    };
    EXPECT_GT(markerPixels(modified), 2);
    EXPECT_EQ(0, markerPixels(plain));
    // The attached mark (blue) at the top-left and bottom-right corners, 1 pixel in.
    EXPECT_EQ(RGB(0, 0, 255), pixel(attached.left + 1, 1));
    EXPECT_EQ(RGB(0, 0, 255), pixel(attached.right - 6, 24));
    EXPECT_NE(RGB(0, 0, 255), pixel(plain.left + 1, 1));
}
