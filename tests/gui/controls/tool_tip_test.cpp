#include <gtest/gtest.h>

#include <algorithm>

#include "gui/controls/tool_tip_controller.h"
#include "gui/kernel/temporary_window.h"
#include "gui/kernel/window_procedure.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ToolTipPlacement, ChoosesByCostInsideTheWorkArea) {
    const RECT work = {0, 0, 1000, 800};
    struct Case {
        const char* what;
        RECT anchor;
        POINT cursor;
        i32 w, h;
        RECT expected;
    } cases[] = {
        // Right and above do not fit: below, pushed left to end at the work area's right edge.
        {"right edge", {950, 10, 990, 30}, {970, 20}, 100, 20, {900, 30, 1000, 50}},
        // The side is less than half as far as below or above: right.
        {"side wins", {100, 100, 200, 300}, {190, 150}, 100, 20, {200, 140, 300, 160}},
        // The side counts twice: 2 x 30 against 30 below.
        {"below wins", {100, 100, 200, 180}, {170, 150}, 100, 20, {120, 180, 220, 200}},
        // Equal costs: the later candidate (above) is taken.
        {"tie goes above", {100, 100, 200, 140}, {150, 120}, 100, 20, {100, 80, 200, 100}},
        // Wider than the work area nothing fits: below, ending at the far edge.
        {"too wide", {400, 400, 500, 420}, {450, 410}, 1200, 20, {-200, 420, 1000, 440}},
    };
    for (const Case& c : cases) {
        RECT r = chooseToolTipRect(c.anchor, c.cursor, c.w, c.h, work);
        EXPECT_TRUE(sameRect(r, c.expected)) << c.what << ": " << r.left << "," << r.top << "," << r.right << ","
                                             << r.bottom;
    }
}

// A temporary window that keeps the program running.
class MainTemporary : public GTemporaryWindow {
public:
    using GTemporaryWindow::GTemporaryWindow;
    bool countsAsMainWindow() override { return true; }
};

TEST(TemporaryWindow, ClearsItsSlotAndLowersTheMainCountOnce) {
    TestApplication test;
    GTemporaryWindow* slot = nullptr;
    GTemporaryWindow* plainSlot = nullptr;
    const u32 before = mainWindowCount;
    MainTemporary* window = new MainTemporary(nullptr, &slot);
    slot = window;
    GTemporaryWindow* plain = new GTemporaryWindow(nullptr, &plainSlot);
    plainSlot = plain;
    ASSERT_TRUE(createTopLevelWindow(window, WS_POPUP, 0, ""));
    ASSERT_TRUE(createTopLevelWindow(plain, WS_POPUP, 0, ""));
    EXPECT_TRUE(window->isKindOf(90) && window->isKindOf(2) && window->isKindOf(1) && !window->isKindOf(80));
    EXPECT_EQ(mainWindowCount, before + 1);
    DestroyWindow(plain->hwnd);
    EXPECT_EQ(plainSlot, nullptr);
    EXPECT_EQ(mainWindowCount, before + 1);
    DestroyWindow(window->hwnd);
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(mainWindowCount, before);
}

// A pane with a configurable tip.
class TipPane : public Pane {
public:
    using Pane::Pane;
    bool getToolTip(i32 x, i32 y, GString* text, RECT* tool, RECT*) override {
        ++queries;
        lastX = x;
        lastY = y;
        if (!answer) return false;
        stringAssignText(*text, "Tip text");
        if (narrow) *tool = RECT{0, 0, 50, 50};
        return true;
    }
    i32 toolTipMode() override { return mode; }
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override {
        if (message == WM_MOUSEMOVE) note("raw move");
        return Pane::handleMessage(message, wParam, lParam, result);
    }
    int queries = 0;
    i32 lastX = -1, lastY = -1;
    bool answer = true;
    bool narrow = false;
    i32 mode = 1;
};

class ToolTips : public ::testing::Test {
protected:
    void SetUp() override {
        ansiMode = 0;
        now = 1000;
        systemInput.tickCount = []() -> DWORD { return now; };
        frame = new InputFrame(nullptr, 100, 100, 300, 200);
        pane = new TipPane(frame, &log, "pane");
        pane->place(10, 10, 200, 150);
        seam.active = frame->hwnd;
    }
    void TearDown() override {
        delete controller;
        deleteToolTip();
        delete frame;
    }
    bool tipVisible() { return toolTipWindow && toolTipWindow->hwnd && IsWindowVisible(toolTipWindow->hwnd); }

    TestApplication test;
    InputSeam seam;
    Log log;
    InputFrame* frame = nullptr;
    TipPane* pane = nullptr;
    GToolTipController* controller = nullptr;
    static inline DWORD now = 0;
};

TEST_F(ToolTips, ShowsNextToTheWholeClientAreaAndHidesWhileAButtonIsHeld) {
    ASSERT_NE(createToolTipWindow(frame), nullptr);
    seam.pointAt(pane->hwnd, 50, 20);
    showToolTip("Hello", RECT{0, 0, 0, 0}, pane);
    ASSERT_TRUE(tipVisible());
    EXPECT_STREQ(toolTipText(), "Hello");
    // The cursor is 20 below the client's top and 130 above its bottom: the tip sits above it.
    POINT clientTop = {0, 0};
    ClientToScreen(pane->hwnd, &clientTop);
    RECT tip;
    GetWindowRect(toolTipWindow->hwnd, &tip);
    EXPECT_EQ(tip.bottom, clientTop.y);
    EXPECT_GT(tip.right - tip.left, 10);

    seam.held.insert(VK_LBUTTON);
    showToolTip("Hello", RECT{0, 0, 0, 0}, pane);
    EXPECT_FALSE(tipVisible());
    EXPECT_STREQ(toolTipText(), "");

    // A new tip window replaces the old one.
    HWND first = toolTipWindow->hwnd;
    createToolTipWindow(frame);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(toolTipWindow->isKindOf(80) && toolTipWindow->isKindOf(90));
}

TEST_F(ToolTips, MovingNeverShowsATipBeforeModeThree) {
    for (i32 mode : {0, 1, 2, 3}) {
        controller = new GToolTipController;
        pane->mode = mode;
        pane->queries = 0;
        controller->watch(pane, 10, 10);
        for (i32 step = 1; step <= 5; ++step) {
            now += 700;
            controller->hoverStep(10 + 5 * step, 10);
        }
        if (mode == 3) {
            // Shown at the first step; the tip holds for the whole client area.
            EXPECT_EQ(pane->queries, 1) << mode;
            EXPECT_TRUE(tipVisible()) << mode;
        } else {
            EXPECT_EQ(pane->queries, 0) << mode;
            EXPECT_FALSE(toolTipWindow) << mode;
            // At rest for a second the tip comes.
            now += 1000;
            controller->hoverStep(35, 10);
            EXPECT_EQ(pane->queries, 1) << mode;
            EXPECT_TRUE(tipVisible()) << mode;
            // A move away hides it and suppresses the window, except in mode 2.
            controller->hoverStep(60, 10);
            EXPECT_EQ(tipVisible(), mode == 2) << mode;
            EXPECT_EQ((pane->flags & WindowTipsSuppressed) != 0, mode != 2) << mode;
        }
        delete controller;
        controller = nullptr;
        pane->flags &= ~WindowTipsSuppressed;
    }
}

TEST_F(ToolTips, AFalseAnswerSuppressesUntilTheWindowIsWatchedAgain) {
    controller = new GToolTipController;
    pane->answer = false;
    seam.pointAt(pane->hwnd, 10, 10);
    controller->onTimer(nullptr);
    now += 1000;
    controller->hoverStep(10, 10);
    EXPECT_EQ(pane->queries, 1);
    EXPECT_TRUE(pane->flags & WindowTipsSuppressed);
    pane->answer = true;
    // The polls that follow keep the window suppressed.
    for (int poll = 0; poll < 3; ++poll) {
        now += 5000;
        controller->onTimer(nullptr);
    }
    EXPECT_EQ(controller->watchedWindow(), pane);
    EXPECT_TRUE(pane->flags & WindowTipsSuppressed);
    EXPECT_EQ(pane->queries, 1);
    EXPECT_FALSE(toolTipWindow);
    // Re-entering clears the flag.
    controller->watch(pane, 10, 10);
    now += 1000;
    controller->hoverStep(10, 10);
    EXPECT_EQ(pane->queries, 2);
    EXPECT_TRUE(tipVisible());
}

TEST_F(ToolTips, InsideTheToolRectangleNoNewQuery) {
    controller = new GToolTipController;
    pane->narrow = true;
    controller->watch(pane, 10, 10);
    now += 1000;
    controller->hoverStep(10, 10);
    ASSERT_EQ(pane->queries, 1);
    for (i32 x = 13; x < 50; x += 3) controller->hoverStep(x, 10);
    EXPECT_EQ(pane->queries, 1);
    EXPECT_TRUE(tipVisible());
    // A small step out of the tool rectangle asks again.
    controller->hoverStep(52, 10);
    EXPECT_EQ(pane->queries, 2);
    EXPECT_EQ(pane->lastX, 52);
}

TEST_F(ToolTips, WatcherSeesMovesAndKeysHideWithoutBeingConsumed) {
    controller = new GToolTipController;
    seam.pointAt(pane->hwnd, 30, 30);
    controller->onTimer(nullptr);
    ASSERT_EQ(controller->watchedWindow(), pane);
    now += 1000;
    SendMessageA(pane->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
    EXPECT_EQ(pane->queries, 1);
    EXPECT_TRUE(tipVisible());
    EXPECT_EQ(log.front(), "pane raw move");

    // A key in the loop's filter: the tip goes, the key is not consumed.
    MSG key = {pane->hwnd, WM_KEYDOWN, 'A', 0};
    EXPECT_FALSE(ListenerChain::notifyLoop(test.app.filterList, &key));
    EXPECT_FALSE(toolTipWindow);
    EXPECT_EQ(controller->watchedWindow(), nullptr);

    // A false answer inside the window's own message walk detaches the controller there; the
    // message still reaches the pane, and the next does not reach the controller.
    controller->onTimer(nullptr);
    ASSERT_EQ(controller->watchedWindow(), pane);
    pane->answer = false;
    now += 1000;
    log.clear();
    SendMessageA(pane->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
    EXPECT_TRUE(pane->flags & WindowTipsSuppressed);
    EXPECT_EQ(log.front(), "pane raw move");
    pane->flags &= ~WindowTipsSuppressed;
    now += 1000;
    SendMessageA(pane->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
    EXPECT_EQ(pane->queries, 2);
    controller->hide();

    // A disabled window is found under the cursor all the same.
    EnableWindow(pane->hwnd, FALSE);
    controller->onTimer(nullptr);
    EXPECT_EQ(controller->watchedWindow(), pane);
    EnableWindow(pane->hwnd, TRUE);

    // No toolkit window under the cursor: nothing watched.
    seam.cursor = POINT{5, 5};
    controller->onTimer(nullptr);
    EXPECT_EQ(controller->watchedWindow(), nullptr);
}
}  // namespace
