// AMPLIFY as a user reaches it in the main window: the Editor's menu bar worked with the keys, the
// amplitude dialog typed into and confirmed by a click, the edit seen in the pane's pixels and in
// the samples, which match sox's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/amp_dialog.h"
#include "app/app_settings.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/value_field.h"
#include "gui/frame/file_placer.h"
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

}  // namespace

TEST_F(MainWindowTest, AmplifyFromTheMenuBarThroughItsDialog) {
    AppSettings saved = appSettings;
    appSettings.Editor.ampData_mul = levelFactor(2.0);
    TempDir dir;
    std::string in = dir.file("tone.wav");
    ASSERT_EQ(0, runSox("-n -r 8000 -c 1 -b 16 \"" + unixPath(in) + "\" synth 1 sine 300 vol 0.9"));
    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    auto* page = static_cast<EditorWindow*>(openDocumentInWindow(w, KindEditor, in.c_str()));
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(pumpUntil([&] { return peaksReady(page->pane); }, 5000));
    page->pane->selectAllPlain();
    pumpUntil([] { return false; }, 200);
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
