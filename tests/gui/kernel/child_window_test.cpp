// Child windows: the wheel reaching the window under the cursor, the redraw lock of hidden and
// shown windows, the visible bit of a new window, and which layout events wait for the lock.
#include <gtest/gtest.h>

#include <vector>

#include "gui/input/system_input.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/layout/layout_transaction.h"
#include "tests/gui/control_fixture.h"

using namespace controls;

namespace {

// A drawn window that records its wheel turns and layout events.
class Pane : public Patch {
public:
    Pane(GWindow* owner, COLORREF colour) : Patch(owner, colour) {}
    bool onWheel(i32 delta, u32, bool vertical) override {
        wheels.push_back(vertical ? delta : -1000 - delta);
        return true;
    }
    void onLayoutEvent(u32 kind) override { events.push_back(kind); }
    std::vector<i32> wheels;
    std::vector<u32> events;
};

HWND g_under = nullptr;
BOOL cursorOverUnder(POINT* p) {
    RECT r;
    GetWindowRect(g_under, &r);
    p->x = (r.left + r.right) / 2;
    p->y = (r.top + r.bottom) / 2;
    return TRUE;
}

Pane* addPane(ColumnFixture& f, COLORREF colour, u32 style = WS_CHILD | WS_VISIBLE | WS_TABSTOP) {
    Pane* pane = new Pane(f.dialog, colour);
    createUserWindow(pane, style, 0);
    f.column->addChild(pane);
    return pane;
}

}  // namespace

TEST(ChildWindow, TheWheelScrollsThePaneUnderTheCursorWhileAFieldHasTheFocus) {
    ColumnFixture f;
    Pane* field = addPane(f, RGB(0, 0, 255));
    Pane* pane = addPane(f, RGB(0, 255, 0));
    f.layout();
    f.dialog->focusChild = field;
    SetFocus(field->hwnd);
    ASSERT_EQ(field, focusWindow);
    g_under = pane->hwnd;
    systemInput.cursorPos = cursorOverUnder;
    // The system gives the wheel to the focus window; it goes on to the pane under the cursor.
    SendMessageA(field->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    SendMessageA(field->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-WHEEL_DELTA), 0);
    systemInput.cursorPos = systemInputDefaults.cursorPos;
    EXPECT_EQ((std::vector<i32>{WHEEL_DELTA, -WHEEL_DELTA}), pane->wheels);
    EXPECT_TRUE(field->wheels.empty());
}

TEST(ChildWindow, TheRedrawLockOfAHiddenWindowLeavesItHidden) {
    ColumnFixture f;
    Pane* hidden = addPane(f, RGB(0, 0, 255), WS_CHILD);
    Pane* shown = addPane(f, RGB(0, 255, 0));
    f.layout();
    for (Pane* pane : {hidden, shown}) {
        pane->beginRedrawLock();
        pane->beginRedrawLock();
        pane->invalidate();
        pane->endRedrawLock();
        EXPECT_NE(0, pane->redrawLock);
        pane->endRedrawLock();
        EXPECT_EQ(0, pane->redrawLock);
        EXPECT_EQ(0u, pane->flags & WindowRepaintPending);
    }
    EXPECT_FALSE(GetWindowLongA(hidden->hwnd, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(IsWindowVisible(shown->hwnd));
    // What was drawn over the shown window while it was locked is painted at the end.
    RECT client;
    GetClientRect(shown->hwnd, &client);
    shown->beginRedrawLock();
    shown->colour = RGB(255, 0, 0);
    shown->invalidate();
    shown->endRedrawLock();
    UpdateWindow(shown->hwnd);
    EXPECT_EQ(RGB(255, 0, 0), pixelAt(shown->hwnd, client.right / 2, client.bottom / 2));
}

TEST(ChildWindow, OnlyLayoutEventsZeroToSixWaitForTheLock) {
    ColumnFixture f;
    Pane* pane = addPane(f, RGB(0, 255, 0));
    pane->beginRedrawLock();
    for (u32 kind : {3u, 6u, 7u, 30u, 0u}) pane->markDirty(kind);
    EXPECT_EQ((std::vector<u32>{7, 30}), pane->events);
    pane->endRedrawLock();
    EXPECT_EQ((std::vector<u32>{7, 30, 0, 3, 6}), pane->events);
}

TEST(ChildWindow, ANewWindowTakesItsVisibilityIntoItsCell) {
    ColumnFixture f;
    Pane* hidden = addPane(f, RGB(0, 0, 255), WS_CHILD);
    EXPECT_FALSE(hidden->visible());
    // Shown through the layout events.
    hidden->notify(LayoutShow);
    EXPECT_TRUE(IsWindowVisible(hidden->hwnd));
    hidden->notify(LayoutHide);
    EXPECT_FALSE(IsWindowVisible(hidden->hwnd));

    // Made shown inside a layout transaction: listed in it.
    beginLayoutTransaction();
    Pane* shown = addPane(f, RGB(0, 255, 0));
    EXPECT_TRUE(shown->visible());
    EXPECT_TRUE(shown->transactionPending);
    Pane* quiet = addPane(f, RGB(0, 255, 0), WS_CHILD);
    EXPECT_FALSE(quiet->transactionPending);
    endLayoutTransaction(f.dialog);
    EXPECT_FALSE(shown->transactionPending);
}
