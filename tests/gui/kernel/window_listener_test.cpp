#include <gtest/gtest.h>

#include "gui/kernel/window_listener.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
// Logs the messages it sees; takes one message when asked.
class LoggingListener : public GWindowListener {
public:
    LoggingListener(GWindow* window, Log* log, std::string name, bool* deleted)
        : log(log), name(std::move(name)), deleted(deleted) {
        beginMouseTracking(this, window);
    }
    ~LoggingListener() override { *deleted = true; }
    bool handleMessage(u32 message, uintptr_t, intptr_t, intptr_t* result) override {
        if (message != WM_USER + 5) return false;
        log->push_back(name);
        if (!takes) return false;
        *result = 9;
        return true;
    }
    void afterMessageHandled(u32 message, uintptr_t, intptr_t) override {
        if (message == WM_USER + 5) log->push_back(name + " after");
    }
    Log* log;
    std::string name;
    bool* deleted;
    bool takes = false;
};

// The pane logs the message in its own handler.
class LoggingPane : public Pane {
public:
    using Pane::Pane;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override {
        if (message == WM_USER + 5) note("own");
        return Pane::handleMessage(message, wParam, lParam, result);
    }
};

TEST(WindowListener, NewestFirstBeforeTheWindowAndOwnedByIt) {
    TestApplication test;
    ansiMode = 0;
    Log log;
    InputFrame* frame = new InputFrame(nullptr, 100, 100, 200, 100);
    LoggingPane* pane = new LoggingPane(frame, &log, "pane");
    pane->place(0, 0, 100, 50);
    bool firstDeleted = false, secondDeleted = false;
    LoggingListener* first = new LoggingListener(pane, &log, "first", &firstDeleted);
    LoggingListener* second = new LoggingListener(pane, &log, "second", &secondDeleted);
    EXPECT_EQ(first->watchedWindow(), pane);
    SendMessageA(pane->hwnd, WM_USER + 5, 0, 0);
    EXPECT_EQ(log, (Log{"second", "first", "pane own"}));

    // A listener that takes the message keeps it from the window; later ones hear that it was taken.
    log.clear();
    second->takes = true;
    EXPECT_EQ(SendMessageA(pane->hwnd, WM_USER + 5, 0, 0), 9);
    EXPECT_EQ(log, (Log{"second", "second after", "first after"}));

    // Deleted early it leaves the chain; the window's end deletes the rest.
    delete second;
    log.clear();
    SendMessageA(pane->hwnd, WM_USER + 5, 0, 0);
    EXPECT_EQ(log, (Log{"first", "pane own"}));
    DestroyWindow(pane->hwnd);
    EXPECT_TRUE(firstDeleted);
    delete frame;
}
}  // namespace
