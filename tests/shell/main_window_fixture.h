#pragma once
// The main window tests' fixture: the program's actions, kinds and pages, real main windows made
// by the program's factory, all of them gone at the end.
#include <gtest/gtest.h>

#include "app/action_pictures.h"
#include "app/child_windows.h"
#include "app/program_actions.h"
#include "app/window_kinds.h"
#include "shell/analyzer_page.h"
#include "shell/converter_page.h"
#include "shell/editor_page.h"
#include "shell/device_pages.h"
#include "shell/program_window.h"
#include "shell/welcome_page.h"
#include "tests/gui/gui_fixture.h"

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        (void)programActionCount();
        (void)programWindowKind(KindDefault);
        installProgramPageFactory();
        registerWelcomePage();
        registerAnalyzerPage();
        registerEditorPage();
        registerDevicePages();
        registerConverterPage();
        assignActionPictures();
        before = objectWindowCount;
    }
    void TearDown() override {
        std::vector<HWND> open;
        for (GParentWindow* w : GAppWindow::windowListOrder()) open.push_back(w->hwnd);
        for (HWND h : open) destroyHidden(h);
        EXPECT_EQ(before, objectWindowCount);
        // The windows' ends took every page with them (a page left behind points at freed windows).
        EXPECT_EQ(nullptr, firstPlacer());
    }
    ProgramWindow* make(i32 kind) {
        ProgramWindow* w = createObjectWindow(TypeTabbedPlacer, kind, nullptr, 2);
        if (w) SetWindowPos(w->hwnd, HWND_TOPMOST, 0, 0, 900, 640, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        return w;
    }
    // Posts the command and runs the loop until it has been taken.
    void command(ProgramWindow* w, u32 id) {
        PostMessageA(w->hwnd, WM_COMMAND, id, 0);
        bool seen = false;
        PostMessageA(w->hwnd, WM_NULL, 0, 0);
        pumpUntil([&] {
            MSG m;
            seen = !PeekMessageA(&m, w->hwnd, 0, 0, PM_NOREMOVE);
            return seen;
        });
    }
    u32 kindOfCurrent(ProgramWindow* w) {
        GPlacer* page = w->currentPage();
        return page ? page->windowKind() : 0;
    }
    TestApplication app;
    u32 before = 0;
};
