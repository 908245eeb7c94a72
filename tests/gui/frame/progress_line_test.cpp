#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/error.h"
#include "gui/controls/button.h"
#include "gui/controls/label.h"
#include "gui/controls/progress_bar.h"
#include "gui/controls/status_line.h"
#include "gui/frame/progress_line.h"
#include "gui/input/system_input.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "tests/gui/box_recorder.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"

namespace {

std::atomic<DWORD> lineTicks{0};
DWORD readLineTicks() { return lineTicks; }

struct CancelLog : ErrorHandler {
    bool report(const char* text, int) override {
        texts.push_back(text);
        return false;
    }
    std::vector<std::string> texts;
};

class ProgressLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = systemInput;
        systemInput.tickCount = readLineTicks;
        lineTicks = 50000;
        host = new GParentWindow;
        ASSERT_TRUE(createTopLevelWindow(host, WS_POPUP, WS_EX_TOPMOST, "line"));
        SetWindowPos(host->hwnd, nullptr, 40, 40, 480, 40, SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOZORDER);
        line = new GProgressLinePlacer(host);
        host->setContent(line);
        applyLayoutChange(line, RECT{0, 0, 480, 22});
    }
    void TearDown() override {
        DestroyWindow(host->hwnd);  // with its content, the line
        systemInput = saved;
    }
    // Runs the work on a worker thread and pumps the loop until the condition holds.
    bool onWorker(const std::function<void()>& work, const std::function<bool()>& condition) {
        std::thread worker(work);
        worker.join();
        return pumpUntil(condition);
    }
    std::string field(u32 n) {
        if (n >= line->statusLine->fields.count || !line->statusLine->fields.data[n]) return "";
        const char* text = line->statusLine->field(n)->text;
        return text ? text : "";
    }
    bool shown(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }

    TestApplication test;
    SystemInput saved;
    GParentWindow* host = nullptr;
    GProgressLinePlacer* line = nullptr;
};

TEST_F(ProgressLineTest, AJobUnder100MsShowsNothing) {
    ASSERT_TRUE(onWorker([&] { line->begin(0); }, [&] { return line->timerRunning; }));
    EXPECT_EQ(line->amounts().total, 1u);  // a total of 0 behaves as 1
    lineTicks += 100;
    line->update(false);
    EXPECT_FALSE(shown(line->progressBar->hwnd));
    EXPECT_FALSE(shown(line->cancelButton->hwnd));
    ASSERT_TRUE(onWorker([&] {
        line->advance(1);
        line->end();
    }, [&] { return !line->timerRunning; }));
    EXPECT_EQ(line->amounts().percent, 100u);
    EXPECT_NE(line->workerThread, ~0u);
    lineTicks += 1000;
    line->update(true);
    EXPECT_FALSE(shown(line->progressBar->hwnd));
    EXPECT_FALSE(shown(line->statusLine->hwnd));
}

// A job's caption shows beside the times once the line shows; the next job starts without one.
TEST_F(ProgressLineTest, TheCaptionShowsUntilTheNextJobBegins) {
    ASSERT_TRUE(onWorker([&] {
        line->begin(100);
        line->setCaption("Running 'Echo'...");
    }, [&] { return line->timerRunning; }));
    lineTicks += 101;
    line->update(false);
    EXPECT_EQ(field(3), "Running 'Echo'...");
    line->end();
    line->begin(100);
    lineTicks += 101;
    line->update(false);
    EXPECT_EQ(field(2), "");
    EXPECT_EQ(field(3), "");
    line->end();
}

TEST_F(ProgressLineTest, ShowsAfter100MsAndRefreshesOnceASecond) {
    ASSERT_TRUE(onWorker([&] { line->begin(100); }, [&] { return line->timerRunning; }));
    lineTicks += 101;
    line->update(false);
    EXPECT_TRUE(shown(line->progressBar->hwnd));
    EXPECT_TRUE(shown(line->cancelButton->hwnd));
    EXPECT_EQ(field(0), "0%");
    EXPECT_EQ(field(1), "0:00");
    EXPECT_EQ(field(2), "");  // no remaining time before the first report

    onWorker([&] { line->advance(25); }, [] { return true; });
    lineTicks += 500;
    line->update(false);
    EXPECT_EQ(field(0), "0%");  // within the second
    lineTicks += 500;
    line->update(false);
    EXPECT_EQ(field(0), "25%");
    EXPECT_EQ(field(1), "0:01");
    EXPECT_EQ(field(2), "0:03 left");
    EXPECT_EQ(line->progressBar->position, 25);
    if (getenv("RAVO_GUI_SHOT")) {
        RedrawWindow(host->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        pumpUntil([] { return false; }, 300);
        DibCanvas shot(480, 22);
        HDC dc = GetDC(host->hwnd);
        BitBlt(shot.dc(), 0, 0, 480, 22, dc, 0, 0, SRCCOPY);
        ReleaseDC(host->hwnd, dc);
        saveShot(shot, "progress_line.bmp");
    }

    // Paused time is left out of the running time.
    line->onJobNote(0);
    EXPECT_TRUE(shown(line->label->hwnd));
    EXPECT_FALSE(shown(line->cancelButton->hwnd));
    lineTicks += 60000;
    line->onJobNote(1);
    EXPECT_FALSE(shown(line->label->hwnd));
    EXPECT_TRUE(shown(line->cancelButton->hwnd));
    EXPECT_EQ(field(1), "0:01");

    // Done beyond the total: no remaining time (it would wrap).
    line->advance(150);
    line->update(true);
    EXPECT_EQ(field(0), "150%");
    EXPECT_EQ(field(2), "");

    ASSERT_TRUE(onWorker([&] { line->end(); }, [&] { return !shown(line->progressBar->hwnd); }));
    EXPECT_FALSE(shown(line->cancelButton->hwnd));
    EXPECT_EQ(field(0), "");
}

TEST_F(ProgressLineTest, CancelAtOnceWhenNotAsked) {
    CancelLog log;
    line->listener = &log;
    line->askBeforeCancel = false;
    line->begin(10);
    lineTicks += 200;
    line->update(false);
    line->cancelButton->click();
    EXPECT_TRUE(line->stopRequested());
    EXPECT_FALSE(shown(line->cancelButton->hwnd));
    bool stopped = false;
    onWorker([&] { stopped = line->advance(5); }, [] { return true; });
    EXPECT_TRUE(stopped);
    EXPECT_EQ(log.texts, std::vector<std::string>{"Operation was canceled"});
    line->end();
}

// Counts the WM_CLOSE messages that reach a dialog window.
int decoyCloses = 0;
WNDPROC decoyProcedure = nullptr;
LRESULT CALLBACK countCloses(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        ++decoyCloses;
        return 0;
    }
    return CallWindowProcA(decoyProcedure, hwnd, message, wParam, lParam);
}

TEST_F(ProgressLineTest, EndClosesTheQuestionItOpened) {
    setMessageBoxRunner(nullptr);  // the real box
    // Another dialog window of the thread, ahead of the question in the window order.
    HWND decoy = CreateWindowExA(WS_EX_TOPMOST, "#32770", "decoy", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(decoy);
    decoyCloses = 0;
    decoyProcedure = (WNDPROC)SetWindowLongPtrA(decoy, GWLP_WNDPROC, (LONG_PTR)countCloses);
    line->begin(10);
    lineTicks += 200;
    line->update(false);
    // The job ends while the question is open: its end closes the box, nothing is cancelled.
    std::thread worker([&] {
        HWND question = nullptr;
        for (int i = 0; i < 500 && !(question = FindWindowA(nullptr, "Warning")); i++) Sleep(10);
        line->end();
        for (int i = 0; i < 300 && IsWindow(question); i++) Sleep(10);
        // Left open: answered here so that the test goes on.
        if (IsWindow(question)) PostMessageA(question, WM_COMMAND, IDCANCEL, 0);
    });
    line->cancelButton->click();
    worker.join();
    setMessageBoxRunner(recordMessageBox);
    EXPECT_EQ(0, decoyCloses);
    DestroyWindow(decoy);
    EXPECT_FALSE(line->boxOpen);
    EXPECT_FALSE(line->stopRequested());
    EXPECT_FALSE(line->running());
    EXPECT_FALSE(shown(line->progressBar->hwnd));
}

}  // namespace
