#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "gui/kernel/init_step.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/quit_hook.h"
#include "gui/kernel/toolkit_steps.h"
#include "gui/kernel/window_procedure.h"
#include "gui/paint/colors.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

namespace {
typedef std::vector<std::string> Log;

// A step that logs its calls as "<slot>.<call>".
class LoggingStep : public GInitStep {
public:
    LoggingStep(Log* log, int slot) : log(log), slot(slot) {}
    bool start(ErrorHandler*, bool reset) override {
        add(reset ? "start(reset)" : "start");
        return !fails;
    }
    void afterAllStarted() override {
        add("after");
        if (onAfter) onAfter();
    }
    void onQuit() override { add("quit"); }
    void stop() override { add("stop"); }
    void add(const char* what) { log->push_back(std::to_string(slot) + "." + what); }

    Log* log;
    int slot;
    bool fails = false;
    std::function<void()> onAfter;
};

// Fills the given slots of the step table for the test's length.
class StepTable {
public:
    StepTable(Log* log, std::initializer_list<int> slots) {
        for (int slot : slots) {
            steps.emplace_back(new LoggingStep(log, slot));
            initSteps[slot] = steps.back().get();
        }
    }
    ~StepTable() {
        for (GInitStep*& step : initSteps) step = nullptr;
        initStepsStarted = false;
    }
    LoggingStep& at(int slot) {
        return *static_cast<LoggingStep*>(initSteps[slot]);
    }
    std::vector<std::unique_ptr<LoggingStep>> steps;
};

// A main window whose close answer the test sets.
class MainFrame : public GParentWindow {
public:
    bool countsAsMainWindow() override { return true; }
    i32 queryClose() override { return closeAnswer; }
    bool preTranslateMessage(MSG* message) override {
        if (message->message == WM_USER && log) log->push_back("pretranslate");
        return false;
    }
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override {
        if (message == WM_USER) {
            if (log) log->push_back("dispatch");
            if (onUser) onUser();
            return true;
        }
        return GParentWindow::handleMessage(message, wParam, lParam, result);
    }
    static MainFrame* open() {
        MainFrame* frame = new MainFrame;
        createTopLevelWindow(frame, WS_POPUP, 0, "");
        return frame;
    }
    i32 closeAnswer = 0;
    Log* log = nullptr;
    std::function<void()> onUser;
};

class LoggingTask : public QueuedTask {
public:
    LoggingTask(Log* log, bool* done) : log(log), done(done) {}
    void run() override {
        log->push_back("task");
        if (done) *done = true;
    }
    Log* log;
    bool* done;
};
}  // namespace

TEST(MessageLoop, ATurnOffersTheMessageToEachChainInOrder) {
    TestApplication test;
    Log log;
    RecordingListener pending(&log, "pending"), idle(&log, "idle"), filter(&log, "filter");
    ListenerChain::append(test.app.pendingWorkList, pending.lifeRecord());
    ListenerChain::append(test.app.idleList, idle.lifeRecord());
    ListenerChain::append(test.app.filterList, filter.lifeRecord());
    MainFrame* frame = MainFrame::open();
    frame->log = &log;
    SetWindowPos(frame->hwnd, nullptr, 0, 0, 50, 50, SWP_SHOWWINDOW | SWP_NOZORDER);
    SetActiveWindow(frame->hwnd);
    ASSERT_EQ(GetActiveWindow(), frame->hwnd);
    bool done = false;
    frame->onUser = [&] { done = true; };
    TaskRing ring;
    TaskQueue::enqueue(ring, new LoggingTask(&log, nullptr));
    PostMessageA(frame->hwnd, WM_USER, 0, 0);
    MSG stray;
    while (PeekMessageA(&stray, nullptr, 0, 0, PM_NOREMOVE) && stray.message != WM_USER) {
        PeekMessageA(&stray, nullptr, 0, 0, PM_REMOVE);
        DispatchMessageA(&stray);
    }
    messageLoop(&done);
    // The posted message is taken at once, so the idle chain is not asked in that turn.
    Log turn;
    for (const std::string& entry : log)
        if (entry != "pending.idle" || turn.empty() || turn.back() != "pending.idle") turn.push_back(entry);
    EXPECT_EQ(turn, (Log{"pending.idle", "task", "filter.filter", "pretranslate", "dispatch"}));

    // A consuming filter ends the turn; a pending-work listener that did work restarts it.
    log.clear();
    done = false;
    filter.answer = true;
    int turns = 0;
    pending.onCall = [&](RecordingListener* self) {
        self->answer = ++turns < 3;
        if (turns == 5) done = true;
    };
    PostMessageA(frame->hwnd, WM_USER, 0, 0);
    messageLoop(&done);
    EXPECT_EQ(std::count(log.begin(), log.end(), "dispatch"), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "filter.filter"), 1);
    frame->log = nullptr;
    SetWindowPos(frame->hwnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
    delete frame;
}

TEST(MessageLoop, AQuitMessageEndsEveryLoopItPassesThrough) {
    TestApplication test;
    MainFrame* frame = MainFrame::open();
    bool innerEnded = false;
    frame->onUser = [&] {
        bool modalDone = false;  // a modal run that nothing ends but the quit
        messageLoop(&modalDone);
        innerEnded = true;
    };
    PostMessageA(frame->hwnd, WM_USER, 0, 0);
    PostQuitMessage(0);
    bool done = false;
    messageLoop(&done);  // returns only when the quit reaches it too
    EXPECT_TRUE(innerEnded);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    delete frame;
}

TEST(MessageLoop, EndsOnItsDoneFlagAndWakesForTasksOfOtherThreads) {
    TestApplication test;
    Log log;
    RecordingListener pending(&log, "pending");
    ListenerChain::append(test.app.pendingWorkList, pending.lifeRecord());
    bool done = true;
    messageLoop(&done);
    EXPECT_TRUE(log.empty());  // entered with the flag set: not one turn

    // With the queue empty the idle chain is asked, then the loop waits in GetMessage until the
    // task of another thread wakes it.
    done = false;
    TaskRing ring;
    std::thread worker;
    RecordingListener idle(&log, "idle");
    idle.onCall = [&](RecordingListener* self) {
        self->onCall = nullptr;
        worker = std::thread([&] { TaskQueue::enqueue(ring, new LoggingTask(&log, &done), false); });
    };
    ListenerChain::append(test.app.idleList, idle.lifeRecord());
    MSG stray;
    while (PeekMessageA(&stray, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&stray);
    messageLoop(&done);
    worker.join();
    EXPECT_EQ(log, (Log{"pending.idle", "idle.idle", "task"}));
}

TEST(ApplicationRun, StepsStartInSlotOrderAndStopInReverse) {
    recordedBoxes().clear();
    {
        // A failing start: the steps before it stop in reverse, the run ends with -1 and no loop.
        Log log;
        StepTable table(&log, {0, 2, 5, 7});
        table.at(5).fails = true;
        GApplication app;
        setApplication(&app);
        EXPECT_EQ(runApplication(&app, nullptr, "", SW_SHOW), -1);
        setApplication(nullptr);
        EXPECT_EQ(log, (Log{"0.start", "2.start", "5.start", "2.stop", "0.stop"}));
    }
    {
        // A whole run: the last step opens a main window and closes it; the quit gives the
        // on-quit calls from the first slot up, then the loop ends.
        Log log;
        StepTable table(&log, {0, 3, 43});
        table.at(43).onAfter = [&] {
            MainFrame* frame = MainFrame::open();
            PostMessageA(frame->hwnd, WM_CLOSE, 0, 0);
        };
        GApplication app;
        setApplication(&app);
        EXPECT_EQ(runApplication(&app, nullptr, "file.ravo", SW_SHOW), 0);
        setApplication(nullptr);
        EXPECT_EQ(log, (Log{"0.start", "3.start", "43.start", "43.after", "3.after", "0.after", "0.quit", "3.quit",
                            "43.quit", "43.stop", "3.stop", "0.stop"}));
        EXPECT_EQ(mainWindowCount, 0u);
    }
    EXPECT_TRUE(recordedBoxes().empty());
}

TEST(ApplicationRun, ResetOnlyForTheExactCommandLineAndRestartsWithTheNewOne) {
    struct Case {
        const char* commandLine;
        bool reset;
    };
    const Case cases[] = {{"-Reset", true}, {"-reset", false}, {"-Reset ", false}, {" -Reset", false}, {nullptr, false}};
    for (const Case& c : cases) {
        Log log;
        StepTable table(&log, {1});
        table.at(1).fails = true;
        GApplication app;
        setApplication(&app);
        EXPECT_EQ(runApplication(&app, nullptr, c.commandLine, SW_SHOW), -1);
        setApplication(nullptr);
        EXPECT_EQ(log.front(), c.reset ? "1.start(reset)" : "1.start") << (c.commandLine ? c.commandLine : "null");
    }

    // quitApplication("-Reset") stops the steps and starts them again with reset; then a plain quit.
    Log log;
    StepTable table(&log, {2});
    int runs = 0;
    table.at(2).onAfter = [&] {
        ++runs;
        quitApplication(runs == 1 ? "-Reset" : nullptr);
    };
    GApplication app;
    setApplication(&app);
    EXPECT_EQ(runApplication(&app, nullptr, "song.ravo", SW_SHOW), 0);
    setApplication(nullptr);
    EXPECT_EQ(log, (Log{"2.start", "2.after", "2.quit", "2.stop", "2.start(reset)", "2.after", "2.quit", "2.stop"}));
    EXPECT_STREQ(app.commandLine.c_str(), "-Reset");
    EXPECT_FALSE(app.restartRequested);
}

TEST(ApplicationRun, AnExceptionInAHandlerEndsTheRunWithTheUnhandledBox) {
    recordedBoxes().clear();
    Log log;
    StepTable table(&log, {4});
    table.at(4).onAfter = [] {
        MainFrame* frame = MainFrame::open();
        frame->onUser = [] { throw std::runtime_error("handler"); };
        PostMessageA(frame->hwnd, WM_USER, 0, 0);
    };
    GApplication app;
    setApplication(&app);
    EXPECT_EQ(runApplication(&app, nullptr, "", SW_SHOW), -1);
    setApplication(nullptr);
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(recordedBoxes()[0].title, "Error");
    EXPECT_EQ(recordedBoxes()[0].text, "Unhandled Exception");
    EXPECT_EQ(log, (Log{"4.start", "4.after"}));  // nothing is stopped on this path
    // The window the run left behind.
    GWindowMap::Iterator it(parentWindowMap());
    while (GWindowMapEntry* entry = it.next()) delete static_cast<GWindow*>(entry);
    mainWindowCount = 0;
}

TEST(QuitRequest, WindowsAndHooksHoldOrCancelTheQuit) {
    TestApplication test;
    Log log;
    StepTable table(&log, {0});
    MainFrame* frame = MainFrame::open();

    // 1 cancels: quitting cleared, no on-quit call.
    frame->closeAnswer = 1;
    requestQuit();
    EXPECT_FALSE(test.app.quitting);
    EXPECT_TRUE(log.empty());

    // 2 holds: the retry timer asks again until the window lets go, then the window closes.
    frame->closeAnswer = 2;
    requestQuit();
    EXPECT_TRUE(test.app.quitting);
    EXPECT_TRUE(IsWindow(frame->hwnd));
    HWND hwnd = frame->hwnd;
    pumpUntil([&] { return false; }, 300);
    EXPECT_TRUE(IsWindow(hwnd));
    frame->closeAnswer = 0;
    bool done = false;
    messageLoop(&done);  // ends on the quit message once the window has closed
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(test.app.quitting);
    EXPECT_EQ(log, (Log{"0.quit"}));

    // A vetoing hook holds the quit; the retry timer ends it once the hook is gone, from inside
    // its own tick, and the next quit starts the timer again.
    for (int round = 0; round < 2; ++round) {
        log.clear();
        frame = MainFrame::open();
        hwnd = frame->hwnd;
        struct Veto : QuitHook {
            bool vetoQuit() override { return true; }
        };
        std::unique_ptr<Veto> veto(new Veto);
        requestQuit();
        EXPECT_TRUE(test.app.quitting);
        EXPECT_TRUE(log.empty());
        pumpUntil([] { return false; }, 300);
        EXPECT_TRUE(IsWindow(hwnd));
        veto.reset();
        done = false;
        messageLoop(&done);
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(log, (Log{"0.quit"}));
    }
}

TEST(QuitRequest, ClosingTheLastMainWindowAsksForTheQuit) {
    // 0: the window goes and, with no main window left, the quit message is posted; 1: nothing;
    // 2: the window stays and the quit waits for it.
    struct Case {
        i32 answer;
        bool windowKept, quitting, quitPosted;
    };
    const Case cases[] = {{0, false, false, true}, {1, true, false, false}, {2, true, true, false}};
    for (const Case& c : cases) {
        TestApplication test;
        MainFrame* frame = MainFrame::open();
        HWND hwnd = frame->hwnd;
        frame->closeAnswer = c.answer;
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        EXPECT_EQ(IsWindow(hwnd) != 0, c.windowKept) << c.answer;
        EXPECT_EQ(test.app.quitting, c.quitting) << c.answer;
        MSG quit;
        EXPECT_EQ(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0, c.quitPosted) << c.answer;
        if (c.windowKept) {
            frame->closeAnswer = 0;
            delete frame;
        }
        if (test.app.quitting) {
            requestQuit();  // nothing left to close: ends the quit and its timer
            EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        }
    }
    EXPECT_EQ(mainWindowCount, 0u);
}

TEST(ToolkitServices, CommonControlsAndTheRegistryProbe) {
    RecordingHandler handler;
    CommonControlsStep step;
    ToolkitColors saved = toolkitColors;
    toolkitColors.background = toolkitColors.text = toolkitColors.window = RGB(1, 2, 3);
    EXPECT_TRUE(step.start(&handler, false));
    // The colours come from the system.
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), toolkitColors.background);
    EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), toolkitColors.text);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), toolkitColors.window);
    toolkitColors = saved;
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetClassInfoExA(nullptr, "msctls_progress32", &info));
    EXPECT_TRUE(handler.reports.empty());

    EXPECT_TRUE(canWriteMachineRegistry());  // the prefix's registry is writable
    HKEY key;
    EXPECT_NE(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\.test_kx_key_36542683746", &key), ERROR_SUCCESS);
}
