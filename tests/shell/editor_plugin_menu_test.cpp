// The plug-in effects menu of the Editor in a real main window, opened by its tool-bar command and
// chosen with the keys as a user does: filled as it opens, its plug-in run after its dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/program_texts.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "editor/editor_menus.h"
#include "editor/editor_window.h"
#include "editor/plugin_dialog.h"
#include "editor/wave_pane.h"
#include "gui/controls/combo.h"
#include "gui/menus/menu.h"
#include "gui/menus/popup_menu.h"
#include "mm/plugin_folder.h"
#include "mm/plugin_host.h"
#include "tests/editor/plugin_folder_scope.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dib_canvas.h"
#include "tests/mm/sox_tool.h"
#include "tests/shell/main_window_fixture.h"
#include "tests/shell/tick_steps.h"
#include "tests/support/test_plugins.h"
#include "tests/support/test_support.h"

namespace {
using tick_steps::postKey;

std::vector<i16> samples(EditorWindow* page) {
    std::vector<i16> out(page->store.length / 2);
    page->store.lock(nullptr);
    page->store.readRange(page->store.findSegment(page->store.dataOffset), page->store.length,
                          reinterpret_cast<u8*>(out.data()));
    page->store.unlock();
    return out;
}
}  // namespace

TEST_F(MainWindowTest, ThePluginEffectsMenuFromItsButton) {
    TempDir dir;
    std::string path = dir.file("tone.wav");
    ASSERT_EQ(0, runSox("-n -r 8000 -c 2 -b 16 \"" + unixPath(path) + "\" synth 0.5 sine 300 sine 500 vol 0.8"));
    CreateDirectoryA(dir.file("plugins").c_str(), nullptr);
    copyTestPlugin(dir, "gain_plugin", "plugins\\gain.dll");
    copyTestPlugin(dir, "synth_plugin", "plugins\\synth.dll");
    PluginFolderScope folder(dir.file("plugins").c_str());

    ProgramWindow* w = make(KindWelcome);
    ASSERT_NE(nullptr, w);
    auto* page = static_cast<EditorWindow*>(openDocumentInWindow(w, KindEditor, path.c_str()));
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(page->hasDocument);
    page->pane->selectAllPlain();
    const std::vector<i16> before = samples(page);
    SetForegroundWindow(w->hwnd);
    SetActiveWindow(w->hwnd);
    pumpUntil([] { return false; }, 200);

    std::vector<std::string> items;
    std::vector<i32> effect, information;  // rows of the pictures' pixels
    bool grayed = true;
    size_t popups = 0;
    i32 waits = 0;
    const HWND main = w->hwnd;
    std::vector<std::function<bool()>> steps = {
        // The tool-bar button of the plug-in effects sends its command: the popup opens at the pointer.
        [&] { return PostMessageA(main, WM_COMMAND, VstEffectsMenuId, 0) != 0; },
        [&] {
            // Until the popup shows, filled as it opened; else it is closed.
            const std::vector<HWND> shown = tick_steps::shownPopups();
            if (shown.empty() || dynamicPopupCommand != (i32)VstEffectsMenuId) {
                if (++waits < 30) return false;
                postKey(main, VK_ESCAPE);
                tick_steps::abandon();
                return false;
            }
            popups = shown.size();
            saveWindowShot(shown[0], "plugin_menu.bmp");
            {
                // The pictures as the popup shows them: the effect's, then the information's below.
                RECT r;
                GetWindowRect(shown[0], &r);
                DibCanvas shot(r.right - r.left, r.bottom - r.top);
                HDC dc = GetWindowDC(shown[0]);
                BitBlt(shot.dc(), 0, 0, shot.width, shot.height, dc, 0, 0, SRCCOPY);
                ReleaseDC(shown[0], dc);
                for (i32 y = 0; y < shot.height; ++y)
                    for (i32 x = 0; x < shot.width; ++x) {
                        const COLORREF c = shot.pixel(x, y);
                        if (c == RGB(0, 64, 128)) effect.push_back(y);
                        if (c == RGB(0, 80, 200)) information.push_back(y);
                    }
            }
            HMENU effects = (HMENU)SendMessageA(shown[0], MN_GETHMENU, 0, 0);
            for (i32 i = 0; effects && i < GetMenuItemCount(effects); ++i) {
                std::string text = menuStringAt(effects, i).c_str();
                text = text.substr(0, text.find('\t'));
                text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
                items.push_back(menuItemCommandId(effects, i) == -1 ? "-" : text);
                if (i == 0) grayed = (GetMenuState(effects, 0, MF_BYPOSITION) & MF_GRAYED) != 0;
            }
            return postKey(main, VK_DOWN);
        },
        [&] { return postKey(main, VK_RETURN); },
    };
    std::string title;
    ModalScript script(TypeGVSTEffectDialog, {[&](GDialog& d) {
                                                  auto& e = static_cast<GVSTEffectDialog&>(d);
                                                  title = e.getText().c_str();
                                                  e.programCombo->setFocusSafe();
                                                  PostMessageA(e.programCombo->hwnd, WM_KEYDOWN, VK_DOWN, 1);
                                              },
                                              [&](GDialog& d) {
                                                  saveWindowShot(d.hwnd, "plugin_dialog_in_program.bmp");
                                                  ModalScript::post(d, 1);
                                              }});
    const UINT_PTR timer = tick_steps::start(std::move(steps));
    EXPECT_TRUE(pumpUntil([&] { return page->history.canUndo(); }, 15000));
    KillTimer(nullptr, timer);
    pumpUntil([&] { return !page->running() && !page->job; }, 10000);

    EXPECT_EQ(popups, 1u);
    EXPECT_EQ(items, (std::vector<std::string>{"Test Gain", "-", ravoText(RavoText::VstInfo)}));
    EXPECT_FALSE(grayed);
    EXPECT_GE(effect.size(), 20u) << "the effect picture";
    EXPECT_GE(information.size(), 20u) << "the information picture";
    if (!effect.empty() && !information.empty())
        EXPECT_LT(*std::max_element(effect.begin(), effect.end()),
                  *std::min_element(information.begin(), information.end()));
    EXPECT_EQ(script.runs, 1);
    EXPECT_EQ(title.find("Test Gain"), 0u);
    // The program "Half": every sample halved, rounded.
    const std::vector<i16> after = samples(page);
    ASSERT_EQ(after.size(), before.size());
    i32 worst = 0;
    for (size_t i = 0; i < after.size(); ++i) worst = std::max(worst, std::abs(after[i] * 2 - before[i]));
    EXPECT_LE(worst, 1);
}
