// AMPLIFY and REVERBERATION as a user reaches them in the main window: the Editor's menu bar worked
// with the keys, the dialog typed into or clicked and confirmed by a click, the edit seen in the
// pane's pixels and in the samples, which match sox's or the processor's run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/amp_dialog.h"
#include "app/app_settings.h"
#include "app/reverb_dialog.h"
#include "engine/echo_reflections.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/value_field.h"
#include "gui/frame/file_placer.h"
#include "gui/menus/action_table.h"
#include "tests/engine/engine_fixture.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/input_fixture.h"
#include "tests/mm/sound_bytes.h"
#include "tests/mm/sox_tool.h"
#include "tests/shell/main_window_fixture.h"
#include "tests/support/test_support.h"

namespace {

// The keys from the menu bar's first menu to the item of the id, one submenu deep: Right to its
// menu, Down into it, Down past the items before the submenu, Right into it, Down to the item.
bool menuPath(HMENU bar, u32 id, std::vector<UINT>* path) {
    auto stepsTo = [](HMENU menu, i32 position) {
        u32 steps = 0;
        for (i32 k = 0; k < position; ++k) {
            // A popup's state carries its item count in the high byte: only a plain item is a separator.
            const UINT state = GetMenuState(menu, (UINT)k, MF_BYPOSITION);
            if (!(state & MF_SEPARATOR) || (state & MF_POPUP)) ++steps;
        }
        return steps;
    };
    for (i32 m = 0; m < GetMenuItemCount(bar); ++m) {
        HMENU menu = GetSubMenu(bar, m);
        for (i32 s = 0; menu && s < GetMenuItemCount(menu); ++s) {
            HMENU sub = GetSubMenu(menu, s);
            for (i32 k = 0; sub && k < GetMenuItemCount(sub); ++k) {
                if (GetMenuItemID(sub, k) != id) continue;
                path->assign((size_t)m, VK_RIGHT);
                path->push_back(VK_DOWN);
                path->insert(path->end(), stepsTo(menu, s), VK_DOWN);
                path->push_back(VK_RIGHT);
                path->insert(path->end(), stepsTo(sub, k), VK_DOWN);
                path->push_back(VK_RETURN);
                return true;
            }
        }
    }
    return false;
}

bool peaksReady(WavePane* pane) { return pane->source && pane->source->loadProgress() >= 100; }

// An 8000 Hz mono tone made by sox, opened in an Editor page of the window and wholly selected once
// its peaks are shown; null when any step fails.
EditorWindow* openSelectedTone(ProgramWindow* w, const std::string& path, const std::string& synth) {
    if (!w || runSox("-n -r 8000 -c 1 -b 16 \"" + unixPath(path) + "\" " + synth) != 0) return nullptr;
    auto* page = static_cast<EditorWindow*>(openDocumentInWindow(w, KindEditor, path.c_str()));
    if (!page || !pumpUntil([&] { return peaksReady(page->pane); }, 5000)) return nullptr;
    page->pane->selectAllPlain();
    pumpUntil([] { return false; }, 200);
    return page;
}

}  // namespace

TEST_F(MainWindowTest, AmplifyFromTheMenuBarThroughItsDialog) {
    AppSettings saved = appSettings;
    appSettings.Editor.ampData_mul = levelFactor(2.0);
    TempDir dir;
    std::string in = dir.file("tone.wav");
    ProgramWindow* w = make(KindWelcome);
    EditorWindow* page = openSelectedTone(w, in, "synth 1 sine 300 vol 0.9");
    ASSERT_NE(nullptr, page);
    const std::string before = windowPixels(page->pane->hwnd);

    std::vector<UINT> path;
    ASSERT_TRUE(menuPath(GetMenu(w->hwnd), EditorAmplify, &path));
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
    ASSERT_TRUE(menuPath(GetMenu(w->hwnd), (u32)actionIdByName("REVERBERATION"), &path));
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
