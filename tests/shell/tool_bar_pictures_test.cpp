// The tool-bar actions' pictures: every listed action gets its picture, and the Editor tab's tool
// bars show them in a real main window.
#include <gtest/gtest.h>

#include <string>

#include "editor/editor_window.h"
#include "gui/frame/file_placer.h"
#include "gui/menus/action_table.h"
#include "gui/menus/action_texts.h"
#include "tests/gui/dib_canvas.h"
#include "tests/mm/sox_tool.h"
#include "tests/shell/main_window_fixture.h"
#include "tests/support/test_support.h"

namespace {
// Pixels of the exact colour in what the window shows, its tool bars included.
i32 countColour(HWND window, COLORREF colour) {
    std::unique_ptr<DibCanvas> shot = shootWindow(window);
    return shot->width * shot->height - shot->countOther(colour);
}
}  // namespace

TEST_F(MainWindowTest, ToolBarActionsHaveTheirPictures) {
    // Play, record, open; a record with a picture of its own keeps it.
    for (i32 id : {314, 315, 104, 408, 613}) {
        GActionItem* action = actionById(id);
        ASSERT_NE(nullptr, action) << id;
        EXPECT_NE(0u, action->bitmapId) << id;
        EXPECT_NE(nullptr, actionImageList(action, nullptr)) << id;
    }
    EXPECT_EQ(3015u, actionById(366)->bitmapId);

    TempDir dir;
    std::string path = dir.file("tone.wav");
    ASSERT_EQ(0, runSox("-n -r 8000 -c 1 -b 16 \"" + unixPath(path) + "\" synth 0.5 sine 300"));
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    GFilePlacer* opened = openDocumentInWindow(w, KindEditor, path.c_str());
    ASSERT_NE(nullptr, opened);
    pumpUntil([] { return false; }, 300);
    saveWindowShot(w->hwnd, "tool_bar_pictures.bmp");
    // The play button's green and the record button's red stand in the Editor's tool bars.
    EXPECT_GT(countColour(w->hwnd, RGB(0, 150, 40)), 20);
    EXPECT_GT(countColour(w->hwnd, RGB(210, 30, 30)), 20);
}
