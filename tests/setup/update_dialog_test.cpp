// The update dialog under Xvfb over a real worker and the local server: its pages by state, sizes in
// KB, the check button's id swap and clicks, the radios, one dialog at a time; and question 3's
// own dialog.
#include "setup/update_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "app/net_texts.h"
#include "app/program_texts.h"
#include "core/format.h"
#include "core/paths.h"
#include "gui/controls/button.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/multi_label.h"
#include "gui/controls/page_stack.h"
#include "gui/controls/progress_bar.h"
#include "gui/kernel/message_box.h"
#include "gui/layout/group_box_item.h"
#include "setup/update_checker.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"
#include "tests/setup/http_test_server.h"
#include "tests/setup/update_fixture.h"
#include "tests/support/test_support.h"

namespace {
// Real thread and transfers; the user is always idle and answers nothing.
class QuietWorker : public HttpDownloader {
public:
    bool askUser(u32, const char*, u32) override { return false; }
    void runUpdate(const char*, const char*) override {}
    void noticeFirstCheck() override {}
    bool isUserIdle(u32) override { return true; }
};

struct UpdateDialogTest : ::testing::Test {
    void SetUp() override {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "no_proxy"}) SetEnvironmentVariableA(name, nullptr);
        setVersionText("0.1.9");
        worker.addressTemplates = {server.url("/ver_$v.txt")};
        worker.workFolder = dir.path().c_str();
        worker.firstCheckPending = 0;
        worker.mode = 0;
    }
    void TearDown() override {
        worker.stopWorker();
        if (dialog.hwnd) destroyHidden(dialog.hwnd);
    }
    void build() {
        ASSERT_TRUE(dialog.build());
        SetWindowPos(dialog.hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    }
    void setState(u32 state) {
        std::lock_guard<std::recursive_mutex> hold(worker.stateLock);
        worker.state = state;
    }
    u32 state() {
        std::lock_guard<std::recursive_mutex> hold(worker.stateLock);
        return worker.state;
    }
    bool logged(NetText id) {
        std::string text = netText(id);
        text = text.substr(0, text.find('%'));
        return std::string(dialog.logLabel->text.c_str()).find(text) != std::string::npos;
    }
    TestApplication test;
    HttpTestServer server;
    TempDir dir;
    QuietWorker worker;
    UpdateDialog dialog{nullptr, &worker};
};

// A real mouse click on a control, the pointer over it.
void click(GWindow* w) {
    RECT r;
    GetClientRect(w->hwnd, &r);
    InputSeam seam;
    seam.active = GetAncestor(w->hwnd, GA_ROOT);
    seam.pointAt(w->hwnd, 6, r.bottom / 2);
    LPARAM at = MAKELPARAM(6, r.bottom / 2);
    SendMessageA(w->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(w->hwnd, WM_LBUTTONUP, 0, at);
}

GRadioBox* radioOf(GWindow* owner, i32 value) {
    for (HWND child = GetWindow(owner->hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        GChildWindow* w = windowFromHandle(child);
        if (w && w->isKindOf(TypeRadioBox) && static_cast<GRadioBox*>(w)->value == value)
            return static_cast<GRadioBox*>(w);
    }
    return nullptr;
}
}  // namespace

TEST_F(UpdateDialogTest, PagesSizesAndTheCheckButtonFollowTheWorkersState) {
    build();
    EXPECT_TRUE(dialog.isKindOf(1039) && dialog.isKindOf(7) && dialog.isKindOf(2) && dialog.isKindOf(1));
    const struct {
        u32 state;
        u64 announced;
        i32 page;
        std::string text;  // state label on page 0, download label on page 1
        u32 buttonId;
        bool buttonEnabled;
    } cases[] = {
        {0, 0, 0, ravoText(RavoText::UpdateStateOff), 1000, true},
        {2, 0, 0, ravoText(RavoText::UpdateStateWaiting), 1000, true},
        {3, 0, 0, ravoText(RavoText::UpdateStateAsking), 1000, false},
        {4, 0, 0, ravoText(RavoText::UpdateStateChecking), 1001, true},
        {5, 0, 0, ravoText(RavoText::UpdateStateAsking), 1000, false},
        {6, 1, 1, "Downloading: 0% of 1 KB", 0, false},
        {6, 1024, 1, "Downloading: 0% of 1 KB", 0, false},
        {6, 1025, 1, "Downloading: 0% of 2 KB", 0, false},
        {7, 1025, 1, "Downloading: 100% of 2 KB", 0, false},
        {1, 0, 0, ravoText(RavoText::UpdateStateStopping), 1000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        setState(c.state);
        worker.request.announced = c.announced;
        worker.request.received = 0;
        dialog.refresh();
        EXPECT_EQ(c.page, dialog.pages->current);
        if (c.page == 1) {
            EXPECT_EQ(c.text, dialog.downloadLabel->text.c_str());
            EXPECT_EQ(c.state == 7 ? 100 : 0, dialog.progress->position);
            continue;
        }
        EXPECT_EQ(c.text, dialog.stateLabel->text.c_str());
        EXPECT_EQ(c.buttonId, dialog.checkButton->command());
        EXPECT_EQ(c.buttonEnabled, IsWindowEnabled(dialog.checkButton->hwnd) != 0);
        EXPECT_STREQ(ravoText(c.buttonId == 1001 ? RavoText::UpdateStop : RavoText::UpdateCheckNow),
                     dialog.checkButton->text.c_str());
    }
    // Dates in the user's format; never checked shows nothing.
    {
        std::lock_guard<std::recursive_mutex> hold(worker.stateLock);
        worker.state = 2;
        worker.lastCheck = 0;
        worker.nextCheck = 1700000000;
    }
    dialog.refresh();
    GString next;
    formatDateTime(next, 1700000000);
    EXPECT_STREQ("", dialog.lastCheckLabel->text.c_str());
    EXPECT_FALSE(next.empty());
    EXPECT_STREQ(next.c_str(), dialog.nextCheckLabel->text.c_str());
    setState(0);
}

// Check now runs a real check against the server; in a check the same button, clicked, sends 1001
// and abandons it, and the schedule starts again.
TEST_F(UpdateDialogTest, TheButtonChecksAndInACheckStopsIt) {
    server.setFile("/ver_0.1.9.txt", "0.1.9\r\nhttp://127.0.0.1/x.exe\r\n");
    build();
    ASSERT_EQ(1000u, dialog.checkButton->command());
    click(dialog.checkButton);
    EXPECT_FALSE(IsWindowEnabled(dialog.checkButton->hwnd));
    // Mode 0: after the check the thread ends.
    ASSERT_TRUE(pumpUntil([&] { return WaitForSingleObject(worker.doneEvent, 0) == WAIT_OBJECT_0; }, 10000));
    ASSERT_TRUE(pumpUntil([&] { return logged(NetText::NotNewer) && logged(NetText::WorkerEnds); }, 3000));
    EXPECT_EQ(1000u, dialog.checkButton->command());
    EXPECT_TRUE(IsWindowEnabled(dialog.checkButton->hwnd));

    // A version file that never finishes holds the worker in state 4.
    server.set("/ver_0.1.9.txt", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\n0.1", true);
    worker.mode = 2;
    click(dialog.checkButton);
    ASSERT_TRUE(pumpUntil([&] { return dialog.checkButton->command() == 1001; }, 10000));
    EXPECT_TRUE(IsWindowEnabled(dialog.checkButton->hwnd));
    // Wine's close does not wake a read already blocked on the socket (Windows' does): once the stop
    // has begun, the rest of the body lets such a read return.
    std::thread releaser([&] {
        while (state() != 1 && state() != 2) Sleep(1);
        server.release();
    });
    click(dialog.checkButton);
    releaser.join();
    // Abandoned, then waiting for the next scheduled check.
    EXPECT_EQ(2u, state());
    EXPECT_GT(worker.nextCheck, updateClock());
}

TEST_F(UpdateDialogTest, ARadioSetsTheModeAndRetitlesTheGroup) {
    worker.mode = 1;
    build();
    EXPECT_STREQ(ravoText(RavoText::UpdateModeGroupUnchosen), dialog.group->frame->caption.c_str());
    const i32 values[] = {3, 0, 2};
    for (i32 value : values) {
        SCOPED_TRACE(value);
        GRadioBox* radio = radioOf(&dialog, value);
        ASSERT_NE(nullptr, radio);
        click(radio);
        EXPECT_TRUE(radio->isChecked());
        EXPECT_EQ((u32)value, worker.mode);
        EXPECT_EQ(value, dialog.modeValue);
        EXPECT_STREQ(ravoText(RavoText::UpdateModeChosen), dialog.group->frame->caption.c_str());
    }
    // A mode above 0 started the thread, which waits for its first check.
    EXPECT_EQ(2u, state());
    worker.stopWorker();
    // Opened again with a chosen mode: the plain title, that mode's radio checked.
    destroyHidden(dialog.hwnd);
    UpdateDialog again(nullptr, &worker);
    ASSERT_TRUE(again.build());
    EXPECT_STREQ(ravoText(RavoText::UpdateModeGroup), again.group->frame->caption.c_str());
    ASSERT_NE(nullptr, radioOf(&again, 2));
    EXPECT_TRUE(radioOf(&again, 2)->isChecked());
    destroyHidden(again.hwnd);
}

// A second run while one is open does nothing; while open the user counts as idle, and question 3
// is a plain question that leaves the mode to the dialog's radios.
TEST_F(UpdateDialogTest, OneDialogAtATime) {
    UpdateChecker checker;
    checker.addressTemplates.clear();
    EXPECT_EQ(nullptr, openUpdateDialog);
    static std::vector<std::string> questions;
    questions.clear();
    setMessageBoxSink([](const MessageBoxDescription*, GWindow*, const char* text) {
        questions.push_back(text);
        return IDYES;
    });
    bool nestedReturned = false, idleInside = false, answered = false;
    ModalScript script(TypeUpdateDialog, {[&](GDialog& d) {
                                              EXPECT_EQ(&d, openUpdateDialog);
                                              idleInside = checker.isUserIdle(5);
                                              UpdateDialog::run(nullptr, &worker);
                                              nestedReturned = true;
                                              answered = showUpdateQuestion(&checker, 3, nullptr, 0);
                                              ModalScript::post(d, 2);
                                          }});
    UpdateDialog::run(nullptr, &checker);
    setMessageBoxSink(nullptr);
    EXPECT_TRUE(nestedReturned);
    EXPECT_TRUE(idleInside);
    EXPECT_TRUE(answered);
    EXPECT_EQ(std::vector<std::string>{ravoText(RavoText::UpdateHowToCheck)}, questions);
    EXPECT_EQ(1u, checker.mode);
    EXPECT_EQ(1, script.runs);
    EXPECT_EQ(nullptr, openUpdateDialog);
}

// Question 3 without the dialog: its own dialog; put off changes nothing, OK takes the radio.
TEST_F(UpdateDialogTest, QuestionThreeAsksHowToCheck) {
    const struct {
        i32 radio;  // -1: put off
        bool answer;
        u32 mode;
    } cases[] = {{-1, false, 1}, {0, false, 0}, {3, true, 3}, {2, true, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.radio);
        worker.mode = 1;
        ModalScript script(TypeUpdateModeDialog, {[&](GDialog& d) {
                                                      if (c.radio >= 0) {
                                                          ASSERT_TRUE(radioOf(&d, 2)->isChecked());
                                                          click(radioOf(&d, c.radio));
                                                      }
                                                      ModalScript::click(d, c.radio >= 0 ? 1 : 2);
                                                  }});
        EXPECT_EQ(c.answer, showUpdateQuestion(&worker, 3, nullptr, 0));
        EXPECT_EQ(1, script.runs);
        EXPECT_EQ(c.mode, worker.mode);
    }
}

// A started update closes the open dialog before the program quits; a failed start leaves it open.
TEST_F(UpdateDialogTest, AStartedUpdateClosesTheDialog) {
    static int quits, starts;
    static bool launchWorks;
    quits = starts = 0;
    UpdateLauncher savedLauncher = updateLauncher;
    void (*savedQuit)() = updateQuit;
    updateLauncher = [](const char*, const char*, const char*, bool) {
        ++starts;
        return launchWorks;
    };
    updateQuit = [] { ++quits; };
    setMessageBoxSink([](const MessageBoxDescription*, GWindow*, const char*) { return 0; });
    for (bool works : {false, true}) {
        SCOPED_TRACE(works);
        launchWorks = works;
        std::string file = dir.file("kx_updater_17h3634.tmp");
        dir.write("kx_updater_17h3634.tmp", "MZ installer");
        dir.write("kx_updater_17h3634.tmp.sig", signUpdate("0.2.0", "MZ installer"));
        i32 endedWith = -1;
        bool started = false;
        ModalScript script(TypeUpdateDialog, {[&](GDialog& d) {
                                                  ModalScript::unmark(d);
                                                  started = runDownloadedUpdate(file.c_str(), "0.2.0",
                                                                                testPublicKey().data(),
                                                                                (u32)testPublicKey().size());
                                                  endedWith = d.result;
                                                  if (d.result == -1) ModalScript::post(d, 2);
                                              }});
        UpdateDialog::run(nullptr, &worker);
        EXPECT_EQ(works, started);
        EXPECT_EQ(works ? 2 : -1, endedWith);
        EXPECT_EQ(works ? 1 : 0, quits);
    }
    EXPECT_EQ(2, starts);
    updateLauncher = savedLauncher;
    updateQuit = savedQuit;
    setMessageBoxSink(nullptr);
}
