#include <gtest/gtest.h>

#include "gui/deferred_focus.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
bool g_transaction = false;

class FocusSafe : public ::testing::Test {
protected:
    void SetUp() override {
        ansiMode = 0;
        frame = new InputFrame(nullptr, 100, 100, 300, 200);
        outer = (new Pane(frame, nullptr, "outer"))->place(10, 10, 200, 150);
        first = (new Pane(outer, nullptr, "first"))->place(10, 10, 50, 50);
        second = (new Pane(outer, nullptr, "second"))->place(70, 10, 50, 50);
        layoutTransactionOpen = [] { return g_transaction; };
    }
    void TearDown() override {
        g_transaction = false;
        applyDeferredFocus();
        layoutTransactionOpen = [] { return false; };
        delete frame;
    }

    TestApplication test;
    InputFrame* frame = nullptr;
    Pane *outer = nullptr, *first = nullptr, *second = nullptr;
};

TEST_F(FocusSafe, FocusAtOnceOutsideABatch) {
    first->setFocusSafe();
    EXPECT_EQ(frame->focusChild, first);
    EXPECT_EQ(GetFocus(), first->hwnd);
    EXPECT_EQ(deferredFocusWindow(), nullptr);
}

TEST_F(FocusSafe, ARedrawLockOrATransactionDefersTheFocusToItsEnd) {
    first->setFocusSafe();
    // A redraw lock on a containing window.
    outer->redrawLock = 1;
    second->setFocusSafe();
    EXPECT_EQ(frame->focusChild, second);  // recorded at once
    EXPECT_EQ(GetFocus(), first->hwnd);
    EXPECT_EQ(deferredFocusWindow(), second);
    applyDeferredFocus();  // an inner end: the lock is still held
    EXPECT_EQ(GetFocus(), first->hwnd);
    outer->redrawLock = 0;
    applyDeferredFocus();
    EXPECT_EQ(GetFocus(), second->hwnd);
    EXPECT_EQ(deferredFocusWindow(), nullptr);

    // Inside a transaction the last request wins.
    g_transaction = true;
    first->setFocusSafe();
    outer->setFocusSafe();
    EXPECT_EQ(deferredFocusWindow(), outer);
    EXPECT_EQ(GetFocus(), second->hwnd);
    g_transaction = false;
    applyDeferredFocus();
    EXPECT_EQ(GetFocus(), outer->hwnd);
    EXPECT_EQ(frame->focusChild, outer);
}

TEST_F(FocusSafe, AWaitingWindowThatEndsIsForgotten) {
    first->setFocusSafe();
    g_transaction = true;
    second->setFocusSafe();
    DestroyWindow(second->hwnd);
    EXPECT_EQ(deferredFocusWindow(), nullptr);
    g_transaction = false;
    applyDeferredFocus();
    EXPECT_EQ(GetFocus(), first->hwnd);
    EXPECT_EQ(deferredFocusWindow(), nullptr);
}
}  // namespace
