// AMPLIFY, FIND and REVERBERATION as a user reaches them in the main window: the Editor's menu bar
// worked with the keys, the dialog typed into or clicked and confirmed by a click, the edit seen in
// the pane's pixels and in the samples, which match sox's or the processor's run; the find dialog
// confirmed and the cursor moved to a click; an FFT's harmonics on spectrum tabs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/amp_dialog.h"
#include "app/app_settings.h"
#include "app/find_dialog.h"
#include "app/pitch_dialogs.h"
#include "app/range_window.h"
#include "app/reverb_dialog.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "engine/echo_reflections.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/value_field.h"
#include "gui/frame/file_placer.h"
#include "gui/frame/tab_placer.h"
#include "gui/kernel/modal_run.h"
#include "gui/menus/action_table.h"
#include "gui/paint/colors.h"
#include "shell/harmonic_page_maker.h"
#include "spectrum/harmonic_pane.h"
#include "spectrum/harmonic_window.h"
#include "tests/app/pane_colors_kept.h"
#include "tests/engine/engine_fixture.h"
#include "tests/gui/control_fixture.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/input_fixture.h"
#include "tests/mm/sound_bytes.h"
#include "tests/mm/sox_tool.h"
#include "tests/shell/main_window_fixture.h"
#include "tests/shell/menu_keys.h"
#include "tests/support/test_support.h"

namespace {

bool peaksReady(WavePane* pane) { return pane->source && pane->source->loadProgress() >= 100; }

// The sound in an Editor page of the window, its peaks ready and all of it selected.
EditorWindow* openSelected(ProgramWindow* w, const std::string& path) {
    auto* page = static_cast<EditorWindow*>(openDocumentInWindow(w, KindEditor, path.c_str()));
    if (!page || !pumpUntil([&] { return peaksReady(page->pane); }, 5000)) return nullptr;
    page->pane->selectAllPlain();
    pumpUntil([] { return false; }, 200);
    return page;
}

// An 8000 Hz mono tone made by sox, opened in an Editor page of the window and wholly selected once
// its peaks are shown; null when any step fails.
EditorWindow* openSelectedTone(ProgramWindow* w, const std::string& path, const std::string& synth) {
    if (!w || runSox("-n -r 8000 -c 1 -b 16 \"" + unixPath(path) + "\" " + synth) != 0) return nullptr;
    return openSelected(w, path);
}

}  // namespace

TEST_F(MainWindowTest, AmplifyFromTheMenuBarThroughItsDialog) {
    AppSettings saved = appSettings;
    appSettings.Editor.ampData_mul = levelFactor(2.0);
    TempDir dir;
    const std::string in = dir.file("tone.wav");
    ProgramWindow* w = make(KindWelcome);
    EditorWindow* page = openSelectedTone(w, in, "synth 1 sine 300 vol 0.9");
    ASSERT_NE(nullptr, page);
    const std::string before = windowPixels(page->pane->hwnd);

    std::vector<UINT> path;
    ASSERT_TRUE(menuKeys(GetMenu(w->hwnd), EditorAmplify, &path));
    std::string title;
    ModalScript script(TypeAmpDialog, {
        [&](GDialog& d) {
            char text[128] = {};
            GetWindowTextA(d.hwnd, text, sizeof text);
            title = text;
            HWND edit = static_cast<AmpDialog&>(d).field->editOf(LevelUnit::Factor)->hwnd;
            SendMessageA(edit, EM_SETSEL, 0, -1);
            for (char c : std::string("\b0.5")) SendMessageA(edit, WM_CHAR, (u8)c, 0);
            saveWindowShot(d.hwnd, "amplify_dialog.bmp");
        },
        [&](GDialog& d) { ModalScript::click(d, IDOK); },
    });
    PostMessageA(w->hwnd, WM_SYSCOMMAND, SC_KEYMENU, 0);
    pressLater(w->hwnd, path);
    ASSERT_TRUE(pumpUntil([&] { return page->history.canUndo(); }, 8000));
    EXPECT_EQ(script.runs, 1);
    EXPECT_EQ(title.rfind("Amplify", 0), 0u) << title;
    ASSERT_TRUE(pumpUntil([&] { return peaksReady(page->pane); }, 5000));
    pumpUntil([] { return false; }, 300);
    saveWindowShot(w->hwnd, "amplified.bmp");
    EXPECT_TRUE(windowPixels(page->pane->hwnd) != before);

    std::string out = dir.file("out.wav"), halved = dir.file("half.wav");
    page->writeFile(out.c_str(), 0);
    ASSERT_TRUE(pumpUntil([&] { return !page->running() && !page->job; }, 20000));
    ASSERT_EQ(0, runSox("-D \"" + unixPath(in) + "\" \"" + unixPath(halved) + "\" vol 0.5"));
    std::string got = fileSamples(out), expected = fileSamples(halved);
    ASSERT_EQ(got.size(), expected.size());
    ASSERT_FALSE(got.empty());
    for (size_t i = 0; i < got.size() / 2; ++i) ASSERT_LE(std::abs(sampleAt(got, i) - sampleAt(expected, i)), 1) << i;
    appSettings = saved;
}

TEST_F(MainWindowTest, FindFromTheMenuBarMovesTheCursorToAClick) {
    AppSettings saved = appSettings;
    EditorSettings& e = appSettings.Editor;
    const u8 defectsForward[8] = {0, 1, 1, 1, 0, 0, 0, 0};
    std::memcpy(e.find, defectsForward, 8);
    e.ampData_defect = levelFactor(0.1);
    TempDir dir;
    std::string in = dir.file("clicked.wav");
    ASSERT_EQ(0, runSox("-n -r 8000 -c 1 -b 16 \"" + unixPath(in) + "\" synth 1 sine 300 vol 0.1"));
    {
        std::fstream f(in, std::ios::in | std::ios::out | std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        const i16 click = 25000;
        f.seekp((std::streamoff)(bytes.find("data") + 8 + 5000 * 2));
        f.write(reinterpret_cast<const char*>(&click), 2);
    }
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    auto* page = static_cast<EditorWindow*>(openDocumentInWindow(w, KindEditor, in.c_str()));
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(pumpUntil([&] { return peaksReady(page->pane); }, 5000));
    page->pane->setCursor(0);
    pumpUntil([] { return false; }, 200);
    const std::string before = windowPixels(page->pane->hwnd);

    std::vector<UINT> path;
    ASSERT_TRUE(menuKeys(GetMenu(w->hwnd), EditorFind, &path));
    ModalScript script(TypeFindDialog, {[&](GDialog& d) {
        saveWindowShot(d.hwnd, "find_dialog.bmp");
        ModalScript::click(d, IDOK);
    }});
    PostMessageA(w->hwnd, WM_SYSCOMMAND, SC_KEYMENU, 0);
    pressLater(w->hwnd, path);
    ASSERT_TRUE(pumpUntil([&] { return page->pane->cursor == 5000; }, 8000)) << page->pane->cursor;
    EXPECT_EQ(script.runs, 1);
    EXPECT_EQ(page->lastFindKind, 0u);
    pumpUntil([] { return false; }, 300);
    saveWindowShot(w->hwnd, "found.bmp");
    EXPECT_TRUE(windowPixels(page->pane->hwnd) != before);
    appSettings = saved;
}

// FFT modes 0 and 1: the harmonics of a sox sine go to a new spectrum tab, to the same tab again,
// and to another new one, whose pane draws the stem at 1000 Hz on its background even when no start
// step gave the spectrum colours their values.
TEST_F(MainWindowTest, FftSendsItsHarmonicsToSpectrumTabs) {
    registerSpectrumPage();
    AppSettings saved = appSettings;
    PaneColorsKept colours;
    spectrumPaneColors.colours.flag = 0;
    std::fill(spectrumPaneColors.colours.values, spectrumPaneColors.colours.values + spectrumPaneColors.colours.count(), 0u);
    FourierSettings& s = appSettings.Editor.Fourier;
    s.selection = 1;
    s.multiChannelMode = 0;
    s.ampLimit = 100.0;
    TempDir dir;
    std::string in = dir.file("tone.wav");
    ASSERT_EQ(0, runSox("-r 8000 -n -r 8000 -c 1 -b 16 \"" + unixPath(in) + "\" synth 1 sine 1000 vol 0.5"));
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    auto* page = static_cast<EditorWindow*>(openDocumentInWindow(w, KindEditor, in.c_str()));
    ASSERT_NE(nullptr, page);
    GTabPlacer* tabs = w->tabPlacer();
    ASSERT_NE(nullptr, tabs);
    page->pane->selectAllPlain();
    auto spectrumPages = [&] {
        std::vector<SpectrumWindow*> found;
        for (i32 k = 0; k < tabs->pageCount(); ++k)
            if (auto* p = dynamic_cast<SpectrumWindow*>(tabs->pageAt(k))) found.push_back(p);
        return found;
    };
    const u32 modes[] = {0, 1, 0};
    const size_t expected[] = {1, 1, 2};
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        s.newTabMode = modes[k];
        GStateQuery query{EditorFftRepeat, 0};
        page->onCommand(EditorFftRepeat, &query);
        ASSERT_TRUE(pumpUntil([&] { return !page->running() && !page->job; }, 10000));
        std::vector<SpectrumWindow*> found = spectrumPages();
        ASSERT_EQ(found.size(), expected[k]);
        SpectrumWindow* last = found.back();
        EXPECT_EQ(page->spectrumPage, last);
        ASSERT_GE(last->list.count, 1u);
        f64 hz = 0, loudest = 0;
        for (u32 i = 0; i < last->list.count; ++i)
            if (last->list[i].amplitude > loudest) {
                loudest = last->list[i].amplitude;
                hz = last->list[i].frequency;
            }
        EXPECT_NEAR(hz, 1000.0, 1.0);
        EXPECT_EQ(last->head.sampleRate, 8000u);
        EXPECT_EQ(last->head.fftSize, 8000u);
    }
    pumpUntil([] { return false; }, 300);
    saveWindowShot(w->hwnd, "fft_spectrum_tab.bmp");
    SpectPane* pane = spectrumPages().back()->pane;
    ASSERT_TRUE(IsWindowVisible(pane->hwnd));
    RECT plot = plotAreaRect(*pane);
    ASSERT_GT(plot.right - plot.left, 100);
    ASSERT_GT(plot.bottom - plot.top, 100);
    const i32 x = pane->pixelOf(1000.0);
    ASSERT_TRUE(x > plot.left && x < plot.right) << x;
    const i32 area = (plot.right - plot.left) * (plot.bottom - plot.top);
    EXPECT_GT(controls::countColour(pane->hwnd, plot, toolkitColors.window), area / 2);
    EXPECT_LT(controls::countColour(pane->hwnd, plot, RGB(0, 0, 0)), area / 20);
    EXPECT_GT(controls::countColour(pane->hwnd, RECT{x, plot.top, x + 1, plot.bottom}, RGB(0, 128, 0)), 30);
    appSettings = saved;
}

// TEMPO 2.0 as its menu item sends it to the main window, the tempo dialog typed into and confirmed
// by a click: the sound and the pane's selection are half as long, the pane shows it.
TEST_F(MainWindowTest, TempoThroughTheMainWindowHalvesTheSound) {
    AppSettings saved = appSettings;
    appSettings.Editor.oldTempo = 100;
    appSettings.Editor.newTempo = 100;
    TempDir dir;
    const std::string in = dir.file("tone.wav");
    ProgramWindow* w = make(KindWelcome);
    EditorWindow* page = openSelectedTone(w, in, "synth 1 sine 300 vol 0.9");
    ASSERT_NE(nullptr, page);
    const std::string before = windowPixels(page->pane->hwnd);

    const u32 tempo = (u32)actionIdByName("TEMPO");
    ModalScript script(TypePitchShiftDialog, {
        [&](GDialog& d) {
            HWND edit = static_cast<PitchShiftDialog&>(d).newTempo->hwnd;
            SendMessageA(edit, EM_SETSEL, 0, -1);
            for (char c : std::string("\b200")) SendMessageA(edit, WM_CHAR, (u8)c, 0);
            saveWindowShot(d.hwnd, "tempo_from_menu.bmp");
        },
        [&](GDialog& d) { ModalScript::click(d, IDOK); },
    });
    PostMessageA(w->hwnd, WM_COMMAND, tempo, 0);
    ASSERT_TRUE(pumpUntil([&] { return page->history.canUndo() && !page->running(); }, 15000));
    EXPECT_EQ(script.runs, 1);
    EXPECT_DOUBLE_EQ(appSettings.Editor.newTempo, 200.0);
    EXPECT_EQ(page->pane->frameCount, 4000u);
    EXPECT_EQ(page->pane->selEnd, 4000u);
    ASSERT_TRUE(pumpUntil([&] { return peaksReady(page->pane); }, 5000));
    pumpUntil([] { return false; }, 300);
    saveWindowShot(w->hwnd, "tempo_halved.bmp");
    EXPECT_TRUE(windowPixels(page->pane->hwnd) != before);

    std::string out = dir.file("out.wav");
    page->writeFile(out.c_str(), 0);
    ASSERT_TRUE(pumpUntil([&] { return !page->running() && !page->job; }, 20000));
    EXPECT_EQ(fileSamples(out).size(), 4000u * 2);
    appSettings = saved;
}

// RANGE in the main window: the range window moves the pane's selection as its buttons are clicked;
// Cancel puts the selection of the opening back, OK keeps the new one.
TEST_F(MainWindowTest, RangeWindowMovesTheSelectionLive) {
    TempDir dir;
    const std::string in = dir.file("tone.wav");
    ProgramWindow* w = make(KindWelcome);
    EditorWindow* page = openSelectedTone(w, in, "synth 1 sine 300 vol 0.9");
    ASSERT_NE(nullptr, page);
    page->pane->setSelection(1000, 3000);
    pumpUntil([] { return false; }, 100);
    const std::string before = windowPixels(page->pane->hwnd);
    const u32 range = (u32)actionIdByName("RANGE");
    u64 seen[2] = {0, 0};
    bool repainted = false;
    ModalScript cancel(TypeRangeWin, {
        [&](GDialog& d) { ModalScript::click(d, RangeAll); },
        [&](GDialog& d) {
            seen[0] = page->pane->selStart;
            seen[1] = page->pane->selEnd;
            pumpUntil([] { return false; }, 100);
            repainted = windowPixels(page->pane->hwnd) != before;
            ModalScript::click(d, IDCANCEL);
        },
    });
    PostMessageA(w->hwnd, WM_COMMAND, range, 0);
    ASSERT_TRUE(pumpUntil([&] { return cancel.runs == 1 && !pendingModalDialog(); }, 8000));
    EXPECT_EQ(seen[0], 0u);
    EXPECT_EQ(seen[1], 8000u);
    EXPECT_TRUE(repainted);
    EXPECT_EQ(page->pane->selStart, 1000u);
    EXPECT_EQ(page->pane->selEnd, 3000u);

    ModalScript ok(TypeRangeWin, {
        [&](GDialog& d) { ModalScript::click(d, RangeToEnd); },
        [&](GDialog& d) { ModalScript::click(d, IDOK); },
    });
    PostMessageA(w->hwnd, WM_COMMAND, range, 0);
    ASSERT_TRUE(pumpUntil([&] { return ok.runs == 1 && !pendingModalDialog(); }, 8000));
    EXPECT_EQ(page->pane->selStart, 1000u);
    EXPECT_EQ(page->pane->selEnd, 8000u);
}

// REVERBERATION from the menu bar: a reflection clicked into the dialog's graph, OK; the pane shows
// the change and the samples equal the echo run directly with the clicked reflection.
TEST_F(MainWindowTest, ReverberationFromTheMenuBarThroughAGraphClick) {
    AppSettings saved = appSettings;
    appSettings.Editor.Reverberation.data.clear();
    TempDir dir;
    std::string in = dir.file("tone.wav");
    ProgramWindow* w = make(KindWelcome);
    EditorWindow* page = openSelectedTone(w, in, "synth 0.5 sine 300 vol 0.5");
    ASSERT_NE(nullptr, page);
    const std::string before = windowPixels(page->pane->hwnd);

    std::vector<UINT> path;
    ASSERT_TRUE(menuKeys(GetMenu(w->hwnd), (u32)actionIdByName("REVERBERATION"), &path));
    ModalScript script(TypeReverberationDialog, {
        [&](GDialog& d) {
            TapGraph* graph = static_cast<ReverberationDialog&>(d).graph;
            const POINT at = graph->pointOf(0.1, 0.5);
            InputSeam seam;
            seam.active = d.hwnd;
            seam.pointAt(graph->hwnd, at.x, at.y);
            SendMessageA(graph->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
            SendMessageA(graph->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
            saveWindowShot(d.hwnd, "reverberation_dialog.bmp");
        },
        [&](GDialog& d) { ModalScript::click(d, IDOK); },
    });
    PostMessageA(w->hwnd, WM_SYSCOMMAND, SC_KEYMENU, 0);
    pressLater(w->hwnd, path);
    ASSERT_TRUE(pumpUntil([&] { return page->history.canUndo(); }, 8000));
    EXPECT_EQ(script.runs, 1);
    ASSERT_EQ(appSettings.Editor.Reverberation.data.size(), 1u);
    ASSERT_TRUE(pumpUntil([&] { return peaksReady(page->pane); }, 5000));
    pumpUntil([] { return false; }, 300);
    EXPECT_TRUE(windowPixels(page->pane->hwnd) != before);

    // The same reflection run directly over the file's samples.
    const std::string original = fileSamples(in);
    std::vector<f64> values;
    for (size_t i = 0; i < original.size() / 2; ++i) values.push_back(sampleAt(original, i));
    TestSound sound(encodingInt16, 1, values);
    std::unique_ptr<SoundBlockProcessor> p = bindProcessor(sound, 0, values.size());
    p->setAuxObject(reverbReflections(appSettings.Editor.Reverberation.data, 8000));
    p->runSlot(ProcessorSlot::echo);
    const std::vector<u8> direct = sound.bytes(sound.start(), sound.end());
    std::string edited(page->store.length, '\0');
    page->store.lock(nullptr);
    page->store.readRange(page->store.findSegment(page->store.dataOffset), page->store.length,
                          reinterpret_cast<u8*>(&edited[0]));
    page->store.unlock();
    EXPECT_TRUE(edited == std::string(direct.begin(), direct.end()));
    EXPECT_TRUE(edited != original);
    appSettings = saved;
}
