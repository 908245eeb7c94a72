#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <thread>

#include "gui/kernel/dialog.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "tests/gui/gui_fixture.h"

namespace {
class Box : public GDialog {
public:
    explicit Box(GWindow* owner) : GDialog(owner, nullptr) {}
    SIZE getPreferredSize() override { return SIZE{160, 90}; }
};

class Frame : public GParentWindow {};

void make(GParentWindow* window, bool visible) {
    ASSERT_TRUE(createTopLevelWindow(window, WS_POPUP, 0, "modal"));
    SetWindowPos(window->hwnd, nullptr, 10, 10, 100, 80,
                 SWP_NOZORDER | SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : 0));
}

// Runs code when a modal state begins.
class ModalWatch : public GItemBase {
public:
    explicit ModalWatch(std::function<void(ModalScope*)> onBegin) : onBegin(std::move(onBegin)) {
        ListenerChain::append(application()->eventList, lifeRecord());
    }
    bool onEvent(void* event) override {
        ModalEvent* modal = static_cast<ModalEvent*>(event);
        (modal->begin ? begins : ends)++;
        if (modal->begin && onBegin) onBegin(modal->scope);
        return false;
    }
    std::function<void(ModalScope*)> onBegin;
    int begins = 0, ends = 0;
};

class ThrowingTask : public QueuedTask {
public:
    void run() override { throw std::runtime_error("inside the run"); }
};
}  // namespace

// The runs activate their box; without a window manager ending the box and its owner then costs
// about 2 s each.
TEST(ModalRun, WorkerGetsTheCodeOfAPostedOk) {
    TestApplication app;
    Frame main;
    make(&main, true);
    Box box(&main);
    make(&box, false);
    ModalWatch watch([&](ModalScope* scope) {
        EXPECT_FALSE(IsWindowEnabled(main.hwnd));
        EXPECT_TRUE(quitVetoed());
        EXPECT_EQ(scope->ownerDialog(), &box);
        EXPECT_EQ(pendingModalDialog(), &box);
        PostMessageA(box.hwnd, WM_COMMAND, IDOK, 0);
    });
    std::atomic<i32> result{-5};
    RECT rect{};
    std::thread worker([&] { result = showModal(&box, &rect, PlaceCentreOnOwner); });
    EXPECT_TRUE(pumpUntil([&] { return result != -5; }, 5000));
    worker.join();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(watch.begins, 1);
    EXPECT_EQ(watch.ends, 1);
    EXPECT_EQ(rect.right - rect.left, 160);  // the final rectangle comes back
    EXPECT_TRUE(IsWindowEnabled(main.hwnd));
    EXPECT_EQ(firstQuitHook(), nullptr);
    EXPECT_EQ(topModalScope(), nullptr);
    EXPECT_EQ(box.modalDone, nullptr);
}

TEST(ModalRun, AnExceptionInTheRunStillEnablesTheWindowsAndUnlinksTheHook) {
    TestApplication app;
    Frame main, other;
    make(&main, true);
    make(&other, true);
    Box box(&main);
    make(&box, false);
    ModalWatch watch([&](ModalScope*) {
        static TaskRing throwing;
        TaskQueue::enqueue(throwing, new ThrowingTask);
    });
    EXPECT_THROW(showModal(&box, nullptr, PlaceCentreOnOwner), std::runtime_error);
    EXPECT_EQ(watch.ends, 1);
    EXPECT_TRUE(IsWindowEnabled(main.hwnd));
    EXPECT_TRUE(IsWindowEnabled(other.hwnd));
    EXPECT_EQ(firstQuitHook(), nullptr);
    EXPECT_EQ(topModalScope(), nullptr);
    EXPECT_EQ(box.modalDone, nullptr);
}

TEST(ModalRun, AWorkerRequestThatCannotRunAnswersMinusOne) {
    TestApplication app;
    Box box(nullptr);
    make(&box, false);
    std::atomic<i32> result{-5};
    std::thread worker([&] { result = showModal(&box, nullptr, PlaceCentreOnOwner); });
    for (int i = 0; i < 2000 && app.app.taskQueue.empty(); ++i) Sleep(1);
    TaskQueue::dropPending(app.app.taskQueue);
    worker.join();
    EXPECT_EQ(result, -1);
}

TEST(ModalRun, NestedScopesDisableByTheirOwner) {
    TestApplication app;
    Frame main, other;
    make(&main, true);
    make(&other, true);
    Box outer(&main);
    make(&outer, true);
    Box inner(&outer);
    {
        ModalScope first(&main, &outer);
        make(&inner, true);  // opened while the first scope runs
        EXPECT_FALSE(IsWindowEnabled(main.hwnd));
        EXPECT_FALSE(IsWindowEnabled(other.hwnd));
        EXPECT_TRUE(IsWindowEnabled(outer.hwnd));
        {
            // The owner is a dialog: only it is disabled, and enabled again at the end.
            ModalScope second(&outer, &inner);
            EXPECT_FALSE(IsWindowEnabled(outer.hwnd));
            EXPECT_TRUE(IsWindowEnabled(inner.hwnd));
            EXPECT_EQ(topModalScope(), &second);
            EXPECT_FALSE(first.innermost());
        }
        EXPECT_TRUE(IsWindowEnabled(outer.hwnd));
        EXPECT_FALSE(IsWindowEnabled(main.hwnd));
        EXPECT_EQ(topModalScope(), &first);
        // Once the dialog is gone, the owner answers when it is a dialog.
        ModalScope third(&outer, nullptr);
        EXPECT_EQ(third.ownerDialog(), &outer);
    }
    EXPECT_TRUE(IsWindowEnabled(main.hwnd));
    EXPECT_TRUE(IsWindowEnabled(other.hwnd));
    EXPECT_EQ(firstQuitHook(), nullptr);
}
