#include <gtest/gtest.h>

#include "gui/kernel/window_behaviour.h"
#include "gui/layout/deferred_focus.h"
#include "gui/layout/layout_transaction.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
class FocusSafe : public ::testing::Test {
protected:
    void SetUp() override {
        ansiMode = 0;
        frame = new InputFrame(nullptr, 100, 100, 300, 200);
        outer = (new Pane(frame, nullptr, "outer"))->place(10, 10, 200, 150);
        first = (new Pane(outer, nullptr, "first"))->place(10, 10, 50, 50);
        second = (new Pane(outer, nullptr, "second"))->place(70, 10, 50, 50);
    }
    void TearDown() override { delete frame; }

    TestApplication test;
    InputFrame* frame = nullptr;
    Pane *outer = nullptr, *first = nullptr, *second = nullptr;
};

TEST_F(FocusSafe, FocusAtOnceOutsideABatch) {
    first->setFocusSafe();
    EXPECT_EQ(frame->focusChild, first);
    EXPECT_EQ(GetFocus(), first->hwnd);
    EXPECT_EQ(focusWindow, first);
    EXPECT_EQ(deferredFocusWindow(), nullptr);
}

TEST_F(FocusSafe, ARedrawLockOrATransactionDefersTheFocusToItsEnd) {
    first->setFocusSafe();
    // A redraw lock on a containing window, held twice.
    outer->beginRedrawLock();
    outer->beginRedrawLock();
    second->setFocusSafe();
    EXPECT_EQ(frame->focusChild, second);  // recorded at once
    EXPECT_EQ(GetFocus(), first->hwnd);
    EXPECT_EQ(deferredFocusWindow(), second);
    outer->endRedrawLock();
    EXPECT_EQ(GetFocus(), first->hwnd);
    outer->endRedrawLock();
    EXPECT_EQ(GetFocus(), second->hwnd);
    EXPECT_EQ(focusWindow, second);
    EXPECT_EQ(deferredFocusWindow(), nullptr);

    // Inside nested transactions the last request wins, at the outermost end.
    beginLayoutTransaction();
    beginLayoutTransaction();
    first->setFocusSafe();
    outer->setFocusSafe();
    EXPECT_EQ(deferredFocusWindow(), outer);
    endLayoutTransaction(frame);
    EXPECT_EQ(GetFocus(), second->hwnd);
    endLayoutTransaction(frame);
    EXPECT_EQ(GetFocus(), outer->hwnd);
    EXPECT_EQ(frame->focusChild, outer);
}

TEST_F(FocusSafe, AWaitingWindowThatEndsIsForgotten) {
    first->setFocusSafe();
    beginLayoutTransaction();
    second->setFocusSafe();
    DestroyWindow(second->hwnd);
    EXPECT_EQ(deferredFocusWindow(), nullptr);
    endLayoutTransaction(frame);
    EXPECT_EQ(GetFocus(), first->hwnd);
}
}  // namespace
