#include <gtest/gtest.h>

#include <algorithm>

#include "gui/input/hot_tracker.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
// Two parts side by side: left (0, 0, 50, 30) and right (50, 0, 100, 30), with the flags given.
class PartsPane : public Pane {
public:
    using Pane::Pane;
    bool hitPart(GHotTracker*, i32 x, i32 y, RECT* rect, u32* flags) override {
        if (y >= 30 || x >= 100) return false;
        *rect = x < 50 ? RECT{0, 0, 50, 30} : RECT{50, 0, 100, 30};
        *flags = partFlags;
        return true;
    }
    void clickPart(GHotTracker* t) override { parts.push_back("click " + std::to_string(t->hotRect.left)); }
    void redrawPart(GHotTracker* t) override { parts.push_back("redraw " + std::to_string(t->hotRect.left)); }
    u32 partFlags = 0;
    Log parts;
};

class HotParts : public ::testing::Test {
protected:
    void SetUp() override {
        ansiMode = 0;
        frame = new InputFrame(nullptr, 100, 100, 300, 200);
        pane = new PartsPane(frame, &log, "pane");
        pane->place(10, 10, 200, 150);
        tracker = new GHotTracker(pane);
        seam.active = frame->hwnd;
    }
    void TearDown() override { delete frame; }
    // The message at a point with the pointer there.
    void at(u32 message, i32 x, i32 y) {
        seam.pointAt(pane->hwnd, x, y);
        SendMessageA(pane->hwnd, message, 0, MAKELPARAM((u16)x, (u16)y));
    }
    // Whether the pane was invalidated since the last call.
    bool repainted() {
        bool dirty = GetUpdateRect(pane->hwnd, nullptr, FALSE) != 0;
        ValidateRect(pane->hwnd, nullptr);
        return dirty;
    }

    TestApplication test;
    InputSeam seam;
    Log log;
    InputFrame* frame = nullptr;
    PartsPane* pane = nullptr;
    GHotTracker* tracker = nullptr;
};

TEST_F(HotParts, HoverPressAndReleaseInsideClick) {
    repainted();
    at(WM_MOUSEMOVE, 10, 10);
    EXPECT_TRUE(tracker->hot());
    EXPECT_EQ(tracker->hotRect.right, 50);
    EXPECT_TRUE(repainted());
    EXPECT_TRUE(pane->flags & WindowHoverTracking);
    at(WM_MOUSEMOVE, 20, 10);  // the same part: nothing to repaint
    EXPECT_FALSE(repainted());
    at(WM_LBUTTONDOWN, 20, 10);
    EXPECT_TRUE(tracker->pressed());
    EXPECT_TRUE(repainted());
    at(WM_LBUTTONUP, 20, 10);
    EXPECT_FALSE(tracker->pressed());
    EXPECT_TRUE(tracker->hot());
    EXPECT_TRUE(repainted());

    // To the other part: the first leaves, the second becomes hot.
    at(WM_MOUSEMOVE, 60, 10);
    EXPECT_EQ(tracker->hotRect.left, 50);
    // Off every part, then out of the window.
    at(WM_MOUSEMOVE, 60, 100);
    EXPECT_FALSE(tracker->hot());
    at(WM_MOUSEMOVE, 10, 10);
    SendMessageA(pane->hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(tracker->hot());
    EXPECT_FALSE(pane->flags & WindowHoverTracking);
    EXPECT_EQ(pane->parts, (Log{"click 0", "redraw 0", "redraw 50", "redraw 0"}));

    // Under the redraw lock the repaint waits.
    repainted();
    pane->redrawLock = 1;
    at(WM_MOUSEMOVE, 10, 10);
    EXPECT_TRUE(tracker->hot());
    EXPECT_FALSE(repainted());
    EXPECT_TRUE(pane->flags & WindowRepaintPending);
    pane->redrawLock = 0;
}

TEST_F(HotParts, ReleaseOutsideDisabledAndFlagsDoNotClick) {
    const struct {
        const char* name;
        u32 partFlags;
        u32 press;         // the pressing message
        bool pressed;
        bool releaseInside;
        bool clicks;
    } rows[] = {
        {"release outside", 0, WM_LBUTTONDOWN, true, false, false},
        {"disabled part", HotDisabled, WM_LBUTTONDBLCLK, false, true, false},
        {"no press on click", HotNoPressOnClick, WM_LBUTTONDOWN, false, true, false},
        {"double click presses", HotNoPressOnClick, WM_LBUTTONDBLCLK, true, true, true},
    };
    for (const auto& row : rows) {
        pane->parts.clear();
        pane->partFlags = row.partFlags;
        at(WM_MOUSEMOVE, 10, 10);
        ASSERT_TRUE(tracker->hot()) << row.name;
        EXPECT_EQ((tracker->state & HotDisabled) != 0, (row.partFlags & HotDisabled) != 0) << row.name;
        at(row.press, 10, 10);
        EXPECT_EQ(tracker->pressed(), row.pressed) << row.name;
        if (row.releaseInside) {
            at(WM_LBUTTONUP, 10, 10);
        } else {
            seam.pointAt(frame->hwnd, 5, 5);  // another window under the pointer
            SendMessageA(pane->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        }
        EXPECT_EQ(std::count(pane->parts.begin(), pane->parts.end(), "click 0") == 1, row.clicks) << row.name;
        EXPECT_FALSE(tracker->pressed()) << row.name;
        SendMessageA(pane->hwnd, WM_MOUSELEAVE, 0, 0);
    }
    // A disabled window is never the window under the pointer.
    EnableWindow(pane->hwnd, FALSE);
    at(WM_MOUSEMOVE, 10, 10);
    EXPECT_FALSE(tracker->hot());
    EnableWindow(pane->hwnd, TRUE);

    // Keep-inside parts stay hot over a neighbouring rectangle.
    pane->partFlags = HotKeepInside;
    at(WM_MOUSEMOVE, 10, 10);
    at(WM_MOUSEMOVE, 60, 10);
    EXPECT_EQ(tracker->hotRect.left, 0);
    // An inactive window has no hot part.
    seam.active = nullptr;
    at(WM_MOUSEMOVE, 10, 10);
    EXPECT_FALSE(tracker->hot());
}

TEST_F(HotParts, FrameStateStyleTurnsStateBitsIntoStyleBits) {
    const RECT wide = {0, 0, 40, 20}, narrow = {0, 0, 8, 20}, elsewhere = {50, 0, 90, 20};
    const struct {
        u32 style;
        RECT hot;
        u32 trackerState;
        RECT rect;
        u32 removed, extra, expected;
    } rows[] = {
        {0, wide, 0, wide, 0, 0, 0x10006000},                            // flat frame kind, not pressed
        {0, wide, HotActive, wide, 0, 0, 0x14006002},                    // hot: 2 and 0x4000000
        {0x10, wide, HotActive, wide, 0, 0, 0x14006010},                 // a style of 0x77 keeps its own
        {0, wide, HotActive | HotPressed, wide, 0, 0, 0x04106002},       // pressed and wider than 8
        {0, narrow, HotActive | HotPressed, narrow, 0, 0, 0x04006002},   // not wider than 8
        {0x3000, wide, HotActive | HotPressed, wide, 0, 0, 0x04103002},  // a frame kind is kept
        {0, wide, HotActive, elsewhere, 0, 0, 0x10006000},               // another rectangle is not hot
        {0, wide, 0, wide, 0, HotChecked, 0x5000},                       // checked
        {0, wide, 0, wide, 0, HotDisabled, 0x10806000},                  // disabled
        {0, wide, HotActive, wide, 0x10000002, 0, 0x04006000},           // removed bits last
    };
    for (const auto& row : rows) {
        tracker->hotRect = row.hot;
        tracker->state = row.trackerState;
        EXPECT_EQ(frameStateStyle(row.style, row.rect, tracker, row.removed, row.extra), row.expected)
            << std::hex << row.style << " " << row.trackerState << " " << row.extra;
    }
    EXPECT_EQ(frameStateStyle(0, wide, nullptr, 0, HotActive), 0x14006002u);
}
}  // namespace
