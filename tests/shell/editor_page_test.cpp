// The Editor tab in a real main window: a sound opened, an edit and its undo seen in the pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "gui/controls/status_line.h"
#include "gui/frame/file_placer.h"
#include "gui/frame/tab_placer.h"
#include "tests/gui/dib_canvas.h"
#include "tests/mm/sox_tool.h"
#include "tests/shell/main_window_fixture.h"
#include "tests/support/test_support.h"

namespace {

i32 silence(EditorWindow*, u32, SoundBlockProcessor* p) {
    p->param1 = 0.0;
    return 1;
}

bool peaksReady(WavePane* pane) { return pane->source && pane->source->loadProgress() >= 100; }

}  // namespace

TEST_F(MainWindowTest, AnEditorTabShowsTheSoundAndItsEdits) {
    TempDir dir;
    std::string path = dir.file("tone.wav");
    ASSERT_EQ(0, runSox("-n -r 8000 -c 1 -b 16 \"" + unixPath(path) + "\" synth 1 sine 300 vol 0.9"));
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    GFilePlacer* opened = openDocumentInWindow(w, KindEditor, path.c_str());
    ASSERT_NE(nullptr, opened);
    ASSERT_EQ(KindEditor, (i32)opened->windowKind());
    auto* page = static_cast<EditorWindow*>(opened);
    ASSERT_TRUE(page->hasDocument);
    ASSERT_TRUE(pumpUntil([&] { return peaksReady(page->pane); }, 5000));
    // The lane fills the pane's height; the strips under it tell the zoom and the status.
    RECT plot = plotAreaRect(*page->pane), lane = page->pane->laneRect(0);
    EXPECT_LE(lane.bottom, plot.bottom);
    EXPECT_GE(lane.bottom, plot.bottom - 6) << "lane ends at " << lane.bottom << " of " << plot.bottom;
    ASSERT_TRUE(IsWindowVisible(page->zoomStrip->hwnd));
    RECT strip;
    GetClientRect(page->zoomStrip->hwnd, &strip);
    EXPECT_GT(strip.right, 40);
    auto fieldText = [](GStatusLine* line, u32 n) {
        StatusField* field = n < line->fields.count ? static_cast<StatusField*>(line->fields.data[n]) : nullptr;
        return std::string(field && field->text ? field->text : "");
    };
    EXPECT_EQ("X: 100%", fieldText(page->zoomStrip, 0));
    page->pane->selectAllPlain();
    pumpUntil([] { return false; }, 200);
    EXPECT_EQ("Ready", fieldText(page->statusLine, 0));
    std::string shown = windowPixels(page->pane->hwnd);
    saveWindowShot(w->hwnd, "editor_tab.bmp");

    EffectCommandHandler saved = effectCommandHandler;
    effectCommandHandler = silence;
    command(w, EditorAmplify);
    effectCommandHandler = saved;
    ASSERT_TRUE(page->history.canUndo());
    ASSERT_TRUE(pumpUntil([&] { return peaksReady(page->pane); }, 5000));
    pumpUntil([] { return false; }, 300);
    std::string silent = windowPixels(page->pane->hwnd);
    saveWindowShot(w->hwnd, "editor_tab_silent.bmp");
    EXPECT_TRUE(silent != shown);

    command(w, EditorUndo);
    EXPECT_FALSE(page->history.canUndo());
    ASSERT_TRUE(pumpUntil([&] { return peaksReady(page->pane); }, 5000));
    pumpUntil([] { return false; }, 300);
    EXPECT_TRUE(windowPixels(page->pane->hwnd) == shown);
}
