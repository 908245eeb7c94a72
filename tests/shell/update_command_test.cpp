// The main window's update command: the dialog over the program's update check step, a real check
// against a server on 127.0.0.1 started by the button, its log drawn in the dialog.
#include <windows.h>

#include "core/paths.h"
#include "gui/controls/button.h"
#include "gui/controls/multi_label.h"
#include "setup/update_dialog.h"
#include "setup/update_step.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/setup/http_test_server.h"
#include "tests/shell/main_window_fixture.h"
#include "tests/support/test_support.h"

namespace {
// Dark pixels (text) in the window's client area, read from the screen.
int darkPixels(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    HDC dc = GetDC(window);
    int dark = 0;
    for (int y = 0; y < r.bottom; y += 2)
        for (int x = 0; x < r.right; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            if (c != CLR_INVALID && GetRValue(c) + GetGValue(c) + GetBValue(c) < 200) ++dark;
        }
    ReleaseDC(window, dc);
    return dark;
}
}  // namespace

TEST_F(MainWindowTest, TheUpdateCommandOpensTheDialogAndItsButtonChecks) {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "no_proxy"}) SetEnvironmentVariableA(name, nullptr);
    HttpTestServer server;
    TempDir dir;
    setVersionText("0.1.9");
    server.setFile("/ravo/updates/ver_0.1.9.txt", "0.1.9\r\nhttp://127.0.0.1/x.exe\r\n");
    UpdateCheckStep step;
    std::string state = dir.file("updates.ini");
    step.statePath = state.c_str();
    ASSERT_TRUE(step.start(nullptr, false));
    ASSERT_EQ(step.checker, updateChecker());
    UpdateChecker& checker = *step.checker;
    checker.stopWorker();
    checker.addressTemplates = {server.url("/ravo/updates/ver_$v.txt")};
    checker.workFolder = dir.path().c_str();
    checker.firstCheckPending = 0;
    checker.setMode(0);
    {
        std::lock_guard<std::recursive_mutex> hold(checker.log.logLock);
        checker.log.entries.clear();
    }

    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    int blankLog = -1, writtenLog = -1;
    std::string logText;
    bool shown = false;
    ModalScript script(TypeUpdateDialog, {[&](GDialog& d) {
                                              shown = true;
                                              UpdateDialog& u = static_cast<UpdateDialog&>(d);
                                              UpdateWindow(d.hwnd);
                                              blankLog = darkPixels(u.logLabel->hwnd);
                                              ModalScript::click(d, UpdateCheckCommand);
                                              std::string wanted = "is not newer";
                                              pumpUntil(
                                                  [&] {
                                                      logText = u.logLabel->text.c_str();
                                                      return logText.find(wanted) != std::string::npos;
                                                  },
                                                  10000);
                                              UpdateWindow(d.hwnd);
                                              writtenLog = darkPixels(u.logLabel->hwnd);
                                              ModalScript::post(d, 2);
                                          }});
    command(w, 623);
    ASSERT_TRUE(pumpUntil([&] { return shown && !openUpdateDialog; }, 15000));
    EXPECT_EQ(1, script.runs);
    // The server's version was read and found not newer; the log was drawn.
    EXPECT_NE(std::string::npos, logText.find("/ravo/updates/ver_0.1.9.txt")) << logText;
    EXPECT_NE(std::string::npos, logText.find("Version 0.1.9 on the server is not newer than 0.1.9")) << logText;
    EXPECT_GT(writtenLog, blankLog + 20);
    step.onQuit();
    EXPECT_EQ(nullptr, updateChecker());
    EXPECT_TRUE(pathIsFile(state.c_str()));
}
