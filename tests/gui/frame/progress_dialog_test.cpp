#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "gui/controls/button.h"
#include "gui/controls/label.h"
#include "gui/controls/progress_bar.h"
#include "gui/frame/progress_dialog.h"
#include "gui/input/input_routing.h"
#include "gui/input/system_input.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/ui_thread.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"

namespace {

std::atomic<DWORD> fakeTicks{0};
DWORD readFakeTicks() { return fakeTicks; }

std::mutex boxLock;
std::vector<std::string> boxTexts;
std::vector<GWindow*> boxOwners;
i32 recordBox(const MessageBoxDescription*, GWindow* owner, const char* text) {
    std::lock_guard<std::mutex> hold(boxLock);
    boxTexts.push_back(text);
    boxOwners.push_back(owner);
    return 0;
}

// A job that waits at a gate, then reports `reports` times; it logs its phases.
struct Job {
    std::mutex lock;
    std::condition_variable opened;
    bool open = false;
    int reports = 0;
    bool throwOut = false;  // lets GException leave the job
    std::atomic<int> caught{0};
    std::atomic<bool> workDone{false};
    bool finishedOnUiThread = false;
    bool stopSeenAtFinish = false;
    bool visibleAtFinish = false;
    HWND dialog = nullptr;

    void release() {
        std::lock_guard<std::mutex> hold(lock);
        open = true;
        opened.notify_all();
    }
    static void run(i32 phase, ProgressState* state, void* argument) {
        Job* job = static_cast<Job*>(argument);
        if (phase == 0) {
            job->finishedOnUiThread = isUiThread();
            job->stopSeenAtFinish = state->stopRequested();
            job->visibleAtFinish = IsWindowVisible(job->dialog);
            return;
        }
        {
            std::unique_lock<std::mutex> hold(job->lock);
            job->opened.wait(hold, [job] { return job->open; });
        }
        for (int i = 1; i <= job->reports; i++) {
            if (job->throwOut) {
                state->advance(i);
                continue;
            }
            try {
                state->advance(i);
            } catch (const GException&) {
                job->caught++;
            }
        }
        job->workDone = true;
    }
};

class ProgressDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = systemInput;
        systemInput.tickCount = readFakeTicks;
        fakeTicks = 100000;
        boxTexts.clear();
        boxOwners.clear();
        setMessageBoxSink(recordBox);
    }
    void TearDown() override {
        job.release();
        if (hwnd) pumpUntil([&] { return !IsWindow(hwnd); });
        setMessageBoxSink(nullptr);
        systemInput = saved;
    }
    GProgressDialog* start(u32 options) {
        GProgressDialog* dialog = GProgressDialog::start("Working", nullptr, Job::run, &job, options);
        if (dialog) hwnd = job.dialog = dialog->hwnd;
        return dialog;
    }
    static std::string text(GLabel* label) { return label->text.c_str(); }
    bool ended() { return pumpUntil([&] { return !IsWindow(hwnd); }); }

    TestApplication test;
    SystemInput saved;
    Job job;
    HWND hwnd = nullptr;
};

TEST_F(ProgressDialogTest, AShortJobShowsNothingAndFinishesOnTheUiThread) {
    GProgressDialog* dialog = start(ProgressShowAtUpdate);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isKindOf(57) && dialog->isKindOf(7) && dialog->isKindOf(2) && dialog->isKindOf(1));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    fakeTicks += 900;
    dialog->onTimer(nullptr);  // not a second yet
    EXPECT_FALSE(IsWindowVisible(hwnd));
    job.release();
    ASSERT_TRUE(ended());
    EXPECT_TRUE(job.finishedOnUiThread);
    EXPECT_FALSE(job.visibleAtFinish);
    EXPECT_FALSE(job.stopSeenAtFinish);
}

TEST_F(ProgressDialogTest, TimesAndPercentRefreshAtMostOnceASecond) {
    GProgressDialog* dialog = start(ProgressShowAtUpdate);
    ProgressState& state = dialog->state();
    fakeTicks += 500;
    dialog->onTimer(nullptr);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(text(dialog->percentLabel), "100%");  // nothing refreshed yet

    fakeTicks += 500;
    dialog->onTimer(nullptr);  // the first update shows it
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(text(dialog->timeLabel), "0:01");  // no rest before the first report
    EXPECT_EQ(text(dialog->percentLabel), "0%");
    EXPECT_EQ(text(dialog->titleLabel), "Processing...");

    state.advance(25, "Reading");
    fakeTicks += 600;
    dialog->onTimer(nullptr);
    EXPECT_EQ(text(dialog->percentLabel), "0%");  // within the second
    fakeTicks += 400;
    dialog->onTimer(nullptr);
    EXPECT_EQ(text(dialog->timeLabel), "0:02, 0:06 rest.");
    EXPECT_EQ(text(dialog->percentLabel), "25%");
    EXPECT_EQ(text(dialog->titleLabel), "Reading");
    EXPECT_EQ(dialog->progressBar->position, 25);
    {
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
        if (getenv("RAVO_GUI_SHOT")) pumpUntil([] { return false; }, 300);  // the button paints late
        RECT frame;
        GetWindowRect(hwnd, &frame);
        DibCanvas shot(frame.right - frame.left, frame.bottom - frame.top);
        HDC screen = GetDC(nullptr);
        BitBlt(shot.dc(), 0, 0, shot.width, shot.height, screen, frame.left, frame.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        saveShot(shot, "progress_dialog.bmp");
    }

    // A pause is left out of the elapsed time.
    dialog->pauseClock();
    fakeTicks += 60000;
    dialog->onTimer(nullptr);
    EXPECT_EQ(text(dialog->timeLabel), "0:02, 0:06 rest.");
    dialog->resumeClock();
    fakeTicks += 1000;
    state.advance(50);
    dialog->onTimer(nullptr);
    EXPECT_EQ(text(dialog->timeLabel), "0:03, 0:03 rest.");

    // Done beyond the total: no rest time.
    state.advance(150);
    fakeTicks += 1000;
    dialog->onTimer(nullptr);
    EXPECT_EQ(text(dialog->timeLabel), "0:04");
    EXPECT_EQ(text(dialog->percentLabel), "150%");
    job.release();
    EXPECT_TRUE(ended());
}

TEST_F(ProgressDialogTest, StopMakesEveryReportTellTheCancel) {
    GProgressDialog* dialog = start(0);
    EXPECT_TRUE(IsWindowVisible(hwnd));  // shown at once
    EXPECT_TRUE(IsWindowEnabled(dialog->stopButton->hwnd));
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(ProgressStopButton, BN_CLICKED), (LPARAM)dialog->stopButton->hwnd);
    EXPECT_FALSE(IsWindowEnabled(dialog->stopButton->hwnd));
    fakeTicks += 1000;
    dialog->onTimer(nullptr);
    EXPECT_EQ(text(dialog->elapsedLabel), "Stopping...");
    EXPECT_FALSE(IsWindowVisible(dialog->timeLabel->hwnd));

    job.reports = 3;
    job.release();
    ASSERT_TRUE(ended());
    EXPECT_EQ(job.caught, 3);
    EXPECT_EQ(boxTexts, std::vector<std::string>(3, "Operation was canceled"));
    EXPECT_EQ(boxOwners, std::vector<GWindow*>(3, dialog));  // the dialog's own box
    EXPECT_TRUE(job.stopSeenAtFinish);
}

TEST_F(ProgressDialogTest, ClosingEarlyStopsAndWaitsForTheWorker) {
    GProgressDialog* dialog = start(ProgressShowAtUpdate);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(hwnd));  // the worker still uses the state
    EXPECT_TRUE(dialog->state().stopRequested());

    // A job that lets the cancel out still ends the dialog.
    job.reports = 1;
    job.throwOut = true;
    job.release();
    ASSERT_TRUE(ended());
    EXPECT_FALSE(job.workDone);
    EXPECT_TRUE(job.stopSeenAtFinish);
    EXPECT_EQ(boxTexts.size(), 1u);
}

// A job that cannot be stopped ignores Esc, the close box and IDCANCEL until the application quits.
TEST_F(ProgressDialogTest, AJobThatCannotBeStoppedStopsOnlyForTheQuit) {
    GProgressDialog* dialog = start(ProgressShowAtUpdate | ProgressCannotStop);
    EXPECT_FALSE(IsWindowEnabled(dialog->stopButton->hwnd));
    MSG escape = {hwnd, WM_KEYDOWN, VK_ESCAPE, 0};
    routeKeyMessage(dialog, &escape);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(dialog->state().stopRequested());
    test.app.quitting = true;
    EXPECT_EQ(dialog->queryClose(), 2);  // the quit waits for the job
    test.app.quitting = false;
    EXPECT_TRUE(dialog->state().stopRequested());
    job.release();
    ASSERT_TRUE(ended());
    EXPECT_TRUE(job.stopSeenAtFinish);
}

// An inactive state still shows its percent and text on every tick, without the one-second gate.
TEST_F(ProgressDialogTest, AnInactiveStateStillRefreshesPercentAndText) {
    GProgressDialog* dialog = start(ProgressShowAtUpdate);
    ProgressState& state = dialog->state();
    state.setPosition(40, "Copying");
    state.deactivate();
    fakeTicks += 100;
    dialog->onTimer(nullptr);
    EXPECT_EQ(text(dialog->percentLabel), "40%");
    EXPECT_EQ(text(dialog->titleLabel), "Copying");
    EXPECT_EQ(dialog->progressBar->position, 40);
    GDialog* plain = dialog;
    plain->pauseClock();  // reached through the dialog interface
    EXPECT_NE(dialog->pauseStart, 0u);
    plain->resumeClock();
    EXPECT_EQ(dialog->pauseStart, 0u);
    job.release();
    EXPECT_TRUE(ended());
}

TEST_F(ProgressDialogTest, DetachedRunsWithoutAnswer) {
    EXPECT_EQ(start(ProgressDetached), nullptr);
    HWND found = FindWindowA(nullptr, "Working");
    ASSERT_NE(found, nullptr);
    hwnd = job.dialog = found;
    EXPECT_FALSE(IsWindowVisible(found));
    job.release();
    EXPECT_TRUE(ended());
}

}  // namespace
