#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "gui/input/auto_scroll.h"
#include "gui/input/hover_tracker.h"
#include "gui/input/mouse_capture.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
std::string point(i32 x, i32 y) { return std::to_string(x) + "," + std::to_string(y); }

// A pane that takes drags and logs the owner slots; one slot can be made to throw.
class DragPane : public Pane {
public:
    using Pane::Pane;
    bool dragBegin(GMouseCapture*, i32 x, i32 y) override {
        note("begin " + point(x, y));
        return acceptDrag;
    }
    bool dragMove(GMouseCapture*, i32 fromX, i32 fromY, i32 x, i32 y) override {
        note("move " + point(fromX, fromY) + ">" + point(x, y));
        if (throwIn == "move") throw std::runtime_error("move");
        return keepDragging;
    }
    void dragCancel(GMouseCapture*, i32 x, i32 y) override { note("cancel " + point(x, y)); }
    void dragDrop(GMouseCapture*, i32 x, i32 y) override {
        note("drop " + point(x, y));
        if (throwIn == "drop") throw std::runtime_error("drop");
    }
    void scrollBy(i32 dx, i32 dy) override { note("scroll " + point(dx, dy)); }

    bool acceptDrag = true;
    bool keepDragging = true;
    std::string throwIn;
};

class Captures : public ::testing::Test {
protected:
    void SetUp() override {
        ansiMode = 0;
        frame = new InputFrame(nullptr, 100, 100, 300, 200);
        pane = new DragPane(frame, &log, "pane");
        pane->place(10, 10, 200, 150);
        other = new DragPane(frame, &log, "other");
        other->place(220, 10, 60, 60);
    }
    void TearDown() override {
        delete frame;
        EXPECT_EQ(firstCapture(), nullptr);
        EXPECT_EQ(captureCount(), 0);
        EXPECT_FALSE(captureHooksInstalled());
        windowFailures().take();
    }
    LRESULT send(GWindow* window, u32 message, i32 x, i32 y, WPARAM keys = 0) {
        return SendMessageA(window->hwnd, message, keys, MAKELPARAM((u16)x, (u16)y));
    }
    // Nothing holds the mouse any more.
    void expectReleased() {
        EXPECT_EQ(firstCapture(), nullptr);
        EXPECT_EQ(captureCount(), 0);
        EXPECT_EQ(captureWindow(), nullptr);
        EXPECT_FALSE(captureHooksInstalled());
        EXPECT_EQ(GetCapture(), nullptr);
    }

    TestApplication test;
    InputSeam seam;
    Log log;
    InputFrame* frame = nullptr;
    DragPane *pane = nullptr, *other = nullptr;
};

TEST_F(Captures, ADragStartsAtSevenPixelsAndDropsAtTheLastPoint) {
    const struct {
        i32 x, y;
        bool starts;
    } rows[] = {{16, 10, false}, {17, 10, true}, {7, 14, true}, {13, 13, false}, {14, 13, true}, {10, 3, true}};
    for (const auto& row : rows) {
        log.clear();
        GDragDetector* detector = new GDragDetector(pane);
        send(pane, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
        EXPECT_TRUE(detector->active);
        EXPECT_EQ(GetCapture(), pane->hwnd);
        EXPECT_EQ(captureCount(), 1);
        EXPECT_TRUE(captureHooksInstalled());
        send(pane, WM_MOUSEMOVE, row.x, row.y, MK_LBUTTON);
        EXPECT_EQ(detector->dragging, row.starts) << point(row.x, row.y);
        send(pane, WM_LBUTTONUP, row.x, row.y);
        Log expected{"pane mouse 10,10"};
        if (row.starts) {
            expected.push_back("pane begin 10,10");
            expected.push_back("pane move 10,10>" + point(row.x, row.y));
        }
        expected.push_back("pane move " + point(row.x, row.y));  // the pane's own handler still sees the move
        if (row.starts) expected.push_back("pane drop " + point(row.x, row.y));
        expected.push_back("pane mouse " + point(row.x, row.y));
        EXPECT_EQ(log, expected) << point(row.x, row.y);
        EXPECT_FALSE(detector->active);
        expectReleased();
        delete detector;
    }
}

TEST_F(Captures, EscapeAndOtherButtonsCancelOnce) {
    // Escape reaches the capture hook through the real loop's filter chain.
    for (u32 canceller : {(u32)WM_KEYDOWN, (u32)WM_RBUTTONDOWN, (u32)WM_MBUTTONUP, (u32)WM_CAPTURECHANGED}) {
        log.clear();
        GDragDetector* detector = new GDragDetector(pane);
        send(pane, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
        send(pane, WM_MOUSEMOVE, 30, 10, MK_LBUTTON);
        ASSERT_TRUE(detector->dragging);
        if (canceller == WM_KEYDOWN) {
            PostMessageA(pane->hwnd, WM_KEYDOWN, VK_ESCAPE, 0x10001);
            EXPECT_TRUE(pumpUntil([&] { return !detector->active; }));
        } else {
            send(pane, canceller, 40, 10);
        }
        EXPECT_FALSE(detector->dragging);
        EXPECT_EQ(std::count(log.begin(), log.end(), "pane cancel 30,10"), 1) << canceller;
        EXPECT_EQ(std::count(log.begin(), log.end(), "pane drop 30,10"), 0);
        expectReleased();
        // The button's release after the cancel drops nothing.
        send(pane, WM_LBUTTONUP, 40, 10);
        EXPECT_EQ(std::count(log.begin(), log.end(), "pane drop 40,10"), 0);
        delete detector;
    }
}

TEST_F(Captures, ADroppedDragDoesNotCancelWhenTheSystemCaptureGoes) {
    GMouseCapture* capture = new GMouseCapture(pane);
    send(pane, WM_LBUTTONDOWN, 5, 6, MK_LBUTTON);
    ASSERT_TRUE(capture->dragging);  // the base capture asks dragBegin at the press
    send(pane, WM_MOUSEMOVE, 8, 9, MK_LBUTTON);
    send(pane, WM_LBUTTONUP, 8, 9);
    // ReleaseCapture sent WM_CAPTURECHANGED back into the ending capture.
    EXPECT_EQ(std::count(log.begin(), log.end(), "pane cancel 8,9"), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "pane drop 8,9"), 1);
    expectReleased();

    // A move the owner refuses cancels and ends.
    log.clear();
    pane->keepDragging = false;
    send(pane, WM_LBUTTONDOWN, 5, 6, MK_LBUTTON);
    send(pane, WM_MOUSEMOVE, 8, 9, MK_LBUTTON);
    EXPECT_EQ(std::count(log.begin(), log.end(), "pane cancel 5,6"), 1);
    expectReleased();
    delete capture;
}

TEST_F(Captures, AThrowingOwnerSlotStillEndsTheCapture) {
    for (const char* slot : {"move", "drop"}) {
        pane->throwIn = slot;
        GDragDetector* detector = new GDragDetector(pane);
        send(pane, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
        send(pane, WM_MOUSEMOVE, 30, 10, MK_LBUTTON);
        if (std::string(slot) == "drop") send(pane, WM_LBUTTONUP, 30, 10);
        EXPECT_TRUE(windowFailures().take() != nullptr) << slot;
        EXPECT_FALSE(detector->active) << slot;
        EXPECT_FALSE(detector->dragging) << slot;
        expectReleased();
        delete detector;
    }
}

TEST_F(Captures, NestedCapturesReleaseTheSystemCaptureAtCountZero) {
    GMouseCapture* first = new GMouseCapture(pane);
    GMouseCapture* second = new GMouseCapture(pane);
    first->begin(1, 1);
    second->begin(2, 2);
    EXPECT_EQ(captureCount(), 2);
    EXPECT_EQ(firstCapture(), second);
    first->end();
    EXPECT_EQ(GetCapture(), pane->hwnd);
    EXPECT_EQ(captureCount(), 1);
    EXPECT_TRUE(second->active);
    second->end();
    expectReleased();

    // A capture on another window takes the system capture; those of the first window end.
    first->begin(1, 1);
    GMouseCapture* elsewhere = new GMouseCapture(other);
    elsewhere->begin(3, 3);
    EXPECT_EQ(GetCapture(), other->hwnd);
    EXPECT_FALSE(first->active);
    EXPECT_EQ(captureCount(), 1);
    delete elsewhere;
    expectReleased();
    delete first;
    delete second;
}

TEST_F(Captures, DeactivationAndTheWindowsEndCancelTheDrag) {
    GDragDetector* detector = new GDragDetector(pane);
    send(pane, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    send(pane, WM_MOUSEMOVE, 30, 10, MK_LBUTTON);
    SendMessageA(frame->hwnd, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(detector->active);
    EXPECT_EQ(std::count(log.begin(), log.end(), "pane cancel 30,10"), 1);
    expectReleased();

    // The window owns its captures: its end deletes them, cancelling the drag under way.
    log.clear();
    send(pane, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    send(pane, WM_MOUSEMOVE, 30, 10, MK_LBUTTON);
    DestroyWindow(pane->hwnd);
    EXPECT_EQ(log, (Log{"pane mouse 10,10", "pane begin 10,10", "pane move 10,10>30,10", "pane move 30,10",
                        "pane cancel 30,10"}));
    expectReleased();
}

// Logs its enter, hover and leave.
class LoggingHover : public GHoverTracker {
public:
    LoggingHover(GWindow* owner, HoverKind kind, Log* log, bool focusLoss = false)
        : GHoverTracker(owner, kind, focusLoss), log(log) {}
    void onEnter(i32 x, i32 y) override { log->push_back("enter " + point(x, y)); }
    void onHover(i32 x, i32 y) override { log->push_back("hover " + point(x, y)); }
    void onLeave() override { log->push_back("leave"); }
    Log* log;
};

TEST_F(Captures, HoverTrackersFollowThePointerOverTheirOwner) {
    Log hover;
    seam.active = frame->hwnd;
    LoggingHover* plain = new LoggingHover(pane, HoverPlain, &hover);
    auto moveTo = [&](i32 x, i32 y, WPARAM keys = 0) {
        seam.pointAt(pane->hwnd, x, y);
        send(pane, WM_MOUSEMOVE, x, y, keys);
    };
    moveTo(5, 5);
    EXPECT_EQ(GetCapture(), pane->hwnd);
    moveTo(6, 7);
    moveTo(-4, 7);
    EXPECT_EQ(hover, (Log{"enter 5,5", "hover 6,7", "leave"}));
    expectReleased();

    // Not inside: another window under the pointer, an inactive application, a held button.
    hover.clear();
    seam.pointAt(other->hwnd, 5, 5);
    send(pane, WM_MOUSEMOVE, 5, 5);
    seam.active = nullptr;
    moveTo(5, 5);
    seam.active = frame->hwnd;
    moveTo(-1, 5, MK_LBUTTON);
    EXPECT_TRUE(hover.empty());
    delete plain;

    // The second kind stays inside while a button is held, and a disabled owner skips the
    // pointer-window test.
    LoggingHover* held = new LoggingHover(pane, HoverWhileHeld, &hover, true);
    moveTo(5, 5);
    moveTo(-30, 5, MK_LBUTTON);
    EXPECT_TRUE(held->active);
    // Disabling the window takes the system capture away: WM_CAPTURECHANGED leaves.
    EnableWindow(pane->hwnd, FALSE);
    EXPECT_FALSE(held->active);
    seam.pointAt(other->hwnd, 5, 5);
    send(pane, WM_MOUSEMOVE, 5, 5);
    EXPECT_TRUE(held->active);
    SendMessageA(pane->hwnd, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(hover, (Log{"enter 5,5", "hover -30,5", "leave", "enter 5,5", "leave"}));
    expectReleased();
    delete held;
}

TEST_F(Captures, AutoScrollScrollsTowardThePointerAndRepeatsTheMove) {
    GAutoScrollTracker* scroller = new GAutoScrollTracker(pane);
    send(pane, WM_LBUTTONDOWN, -5, 10, MK_LBUTTON);  // outside: no capture
    EXPECT_FALSE(scroller->active);
    send(pane, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    EXPECT_TRUE(scroller->active);
    send(pane, WM_MOUSEMOVE, 50, 60, MK_LBUTTON);
    EXPECT_FALSE(scroller->scrolling());

    const struct {
        i32 x, y;
        const char* scroll;  // null: none
    } rows[] = {{-10, 60, "scroll -10,0"}, {50, -3, "scroll 0,-3"}, {50, 154, "scroll 0,5"},
                {203, 151, "scroll 4,2"},  {-1, -1, "scroll -1,-1"}};
    for (const auto& row : rows) {
        send(pane, WM_MOUSEMOVE, row.x, row.y, MK_LBUTTON);
        EXPECT_TRUE(scroller->scrolling());
        seam.pointAt(pane->hwnd, row.x, row.y);
        log.clear();
        scroller->onTimer(&scroller->timer);
        EXPECT_EQ(log, (Log{std::string("pane ") + row.scroll}));
        // The pointer stands still: a move at its place is posted so the drag follows the content.
        MSG message;
        ASSERT_TRUE(PeekMessageA(&message, pane->hwnd, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
        EXPECT_EQ(message.wParam, (WPARAM)MK_LBUTTON);
        EXPECT_EQ((i16)LOWORD(message.lParam), row.x);
        EXPECT_EQ((i16)HIWORD(message.lParam), row.y);
    }
    // The pointer moved since the last move message: no repeat.
    send(pane, WM_MOUSEMOVE, -20, 60, MK_LBUTTON);
    seam.pointAt(pane->hwnd, -25, 60);
    scroller->onTimer(&scroller->timer);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, pane->hwnd, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));

    send(pane, WM_MOUSEMOVE, 50, 60, MK_LBUTTON);
    EXPECT_FALSE(scroller->scrolling());
    send(pane, WM_MOUSEMOVE, 50, 200, MK_LBUTTON);
    send(pane, WM_LBUTTONUP, 50, 200);
    EXPECT_FALSE(scroller->scrolling());
    expectReleased();
    delete scroller;
}
}  // namespace
