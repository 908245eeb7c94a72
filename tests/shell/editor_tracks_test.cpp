// The pencil and the track commands as a user reaches them in the main window: the draw mode and
// the track commands chosen from the menu bar with the keys, a point clicked into the pane, the
// track dialogs worked by clicks, and the rewritten file opened again in the page.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "editor/editor_window.h"
#include "editor/track_dialogs.h"
#include "editor/wave_pane.h"
#include "gui/frame/file_placer.h"
#include "gui/kernel/message_box.h"
#include "gui/views/table.h"
#include "tests/editor/own_sound.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/input_fixture.h"
#include "tests/mm/sound_bytes.h"
#include "tests/mm/sox_tool.h"
#include "tests/shell/main_window_fixture.h"
#include "tests/shell/menu_keys.h"
#include "tests/support/test_support.h"

namespace {

std::vector<std::string> shownBoxes;
i32 answerYes(const MessageBoxDescription*, GWindow*, const char* text) {
    shownBoxes.push_back(text ? text : "");
    return 6;
}

struct TracksPage : MainWindowTest {
    void choose(ProgramWindow* w, u32 id) {
        std::vector<UINT> path;
        ASSERT_TRUE(menuKeys(GetMenu(w->hwnd), id, &path)) << id;
        PostMessageA(w->hwnd, WM_SYSCOMMAND, SC_KEYMENU, 0);
        pressLater(w->hwnd, path);
    }
};

bool peaksReady(WavePane* pane) { return pane->source && pane->source->loadProgress() >= 100; }

}  // namespace

TEST_F(TracksPage, APointClickedWithThePencilChangesOneSample) {
    setMessageBoxSink(answerYes);
    TempDir dir;
    const std::string in = dir.file("tone.wav");
    ASSERT_EQ(0, runSox("-n -r 8000 -c 1 -b 16 \"" + unixPath(in) + "\" synth 0.5 sine 300 vol 0.3"));
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    auto* page = static_cast<EditorWindow*>(openDocumentInWindow(w, KindEditor, in.c_str()));
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(pumpUntil([&] { return peaksReady(page->pane); }, 5000));
    const std::string original = fileSamples(in);

    // The pencil as the draw tool bar's button sends it.
    command(w, EditorNoDraw + 1);
    ASSERT_TRUE(pumpUntil([&] { return page->pane->drawMode == WavePointDraw; }, 4000));
    pumpUntil([] { return false; }, 200);
    const std::string before = windowPixels(page->pane->hwnd);
    WavePane& pane = *page->pane;
    const RECT lane = pane.laneRect(0);
    const i32 x = (i32)pane.pixelOfFrame(2000), y = lane.top + (lane.bottom - lane.top) / 6;
    f64 value = 0;
    ASSERT_EQ(pane.laneAt(y, &value), 0);
    const u64 frame = pane.frameAtX(x);
    InputSeam seam;
    seam.active = w->hwnd;
    seam.pointAt(pane.hwnd, x, y);
    // The first press of a run may only show the pane's hint; the pencil takes the next.
    for (int i = 0; i < 2 && !page->history.canUndo(); ++i) {
        SendMessageA(pane.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(pane.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        pumpUntil([&] { return page->history.canUndo(); }, 500);
    }
    ASSERT_TRUE(page->history.canUndo());
    std::string expected = original;
    const i16 v = (i16)(i32)std::trunc(value);
    memcpy(&expected[frame * 2], &v, 2);
    std::string now(page->store.length, '\0');
    page->store.lock(nullptr);
    page->store.readRange(page->store.findSegment(page->store.dataOffset), page->store.length,
                          reinterpret_cast<u8*>(&now[0]));
    page->store.unlock();
    EXPECT_TRUE(now == expected);
    ASSERT_TRUE(pumpUntil([&] { return peaksReady(page->pane); }, 5000));
    pumpUntil([] { return false; }, 300);
    saveWindowShot(w->hwnd, "pencil_point.bmp");
    EXPECT_TRUE(windowPixels(pane.hwnd) != before);
    setMessageBoxSink(nullptr);
}

TEST_F(TracksPage, TheTracksMenuSwitchesTracksOffAndReordersAnOwnSound) {
    setMessageBoxSink(answerYes);
    TempDir dir;
    const std::string wave = dir.file("pair.wav"), own = dir.file("pair.ravo"), swapped = dir.file("swapped.wav");
    ASSERT_EQ(0, runSox("-n -r 8000 -c 2 -b 16 \"" + unixPath(wave) + "\" synth 0.25 sine 300 sine 500 vol 0.5"));
    ASSERT_TRUE(writeOwnSound(wave, 2, 8000, own));
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    auto* page = static_cast<EditorWindow*>(openDocumentInWindow(w, KindEditor, own.c_str()));
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(pumpUntil([&] { return peaksReady(page->pane); }, 5000));

    // TRACKS_MODIFY: every track switched off by its button, OK.
    ModalScript modify(TypeGModifyTracksDialog, {
        [](GDialog& d) {
            saveWindowShot(d.hwnd, "tracks_modify.bmp");
            ModalScript::click(d, GModifyTracksDialog::AllOff);
        },
        [](GDialog& d) { ModalScript::click(d, 1); },
    });
    choose(w, 561);
    ASSERT_TRUE(pumpUntil([&] { return modify.runs == 1 && page->format.selectedTrackCount() == 0; }, 8000));

    // TRACKS_ADD_REMOVE: the second track moved up by its button, OK; the file is rewritten.
    ModalScript reorder(TypeGAddRemoveTracksDialog, {
        [](GDialog& d) {
            auto& dialog = static_cast<GAddRemoveTracksDialog&>(d);
            dialog.table->clickRow(1, 1);
            dialog.updateButtons();
            saveWindowShot(d.hwnd, "tracks_add_remove.bmp");
        },
        [](GDialog& d) { ModalScript::click(d, GAddRemoveTracksDialog::Up); },
        [](GDialog& d) { ModalScript::click(d, 1); },
    });
    const std::string file = fileSamples(own);
    choose(w, 562);
    ASSERT_TRUE(pumpUntil([&] { return reorder.runs == 1 && fileSamples(own) != file && page->hasDocument; }, 10000));
    ASSERT_TRUE(pumpUntil([&] { return page->dataLength > 0 && page->isAttachedFile(own.c_str()); }, 5000));
    ASSERT_EQ(0, runSox("\"" + unixPath(wave) + "\" \"" + unixPath(swapped) + "\" remix 2 1"));
    EXPECT_TRUE(fileSamples(own) == fileSamples(swapped));
    EXPECT_EQ(page->format.trackCount(), 2u);
    setMessageBoxSink(nullptr);
}
