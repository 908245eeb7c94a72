#include "gui/dialogs/color_select_dialog.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "gui/controls/button.h"
#include "gui/controls/combo.h"
#include "gui/dialogs/choose_color.h"
#include "gui/dialogs/color_list_window.h"
#include "gui/kernel/modal_run.h"
#include "gui/menus/command_range.h"
#include "gui/menus/pane_color_group.h"
#include "gui/paint/colors.h"
#include "gui/paint/gui_settings.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"

namespace {
class TestColorGroup : public PaneColorGroup {
public:
    const char* name() override { return "Test panes"; }
    CommandRange* range() override { return &colours; }
    void restoreDefaults() override {
        for (i32 id = colours.first; id <= colours.last; ++id) colours.valueOf(id) = 0x111111;
        apply();
    }
    void apply() override { ++applied; }
    CommandRange colours{700, 702};
    i32 applied = 0;
};

BOOL g_chooserAnswer = FALSE;
COLORREF g_chooserPick = 0;
i32 g_chooserCalls = 0;
BOOL WINAPI testChooser(CHOOSECOLORA* record) {
    ++g_chooserCalls;
    if (g_chooserAnswer) record->rgbResult = g_chooserPick;
    return g_chooserAnswer;
}

// Without the visible bit the window ends without waiting for the display's focus events.
void closeQuietly(GDialog& dialog) {
    if (!IsWindow(dialog.hwnd)) return;
    SetWindowLongA(dialog.hwnd, GWL_STYLE, GetWindowLongA(dialog.hwnd, GWL_STYLE) & ~WS_VISIBLE);
    DestroyWindow(dialog.hwnd);
}

// A key pressed and released on the focused control, through the loop.
void pressKey(GCombo* combo, UINT key, const std::function<bool()>& done) {
    SetForegroundWindow(GetAncestor(combo->hwnd, GA_ROOT));
    combo->setFocusSafe();
    ASSERT_TRUE(pumpUntil([&] { return GetFocus() == combo->hwnd; }));
    PostMessageA(combo->hwnd, WM_KEYDOWN, key, 0);
    PostMessageA(combo->hwnd, WM_KEYUP, key, 0xC0000000);
    EXPECT_TRUE(pumpUntil(done));
}

class ColorDialogTest : public testing::Test {
protected:
    void SetUp() override {
        saved = guiSettings;
        savedColors = toolkitColors;
        initToolkitColors();
        applyColorScheme();
        for (i32 id = 700; id <= 702; ++id) group.colours.valueOf(id) = 0x101010 * (id - 699);
        registerPaneColorGroup(0, &group);
        setChooseColorFunction(testChooser);
        g_chooserCalls = 0;
    }
    void TearDown() override {
        setChooseColorFunction(nullptr);
        registerPaneColorGroup(0, nullptr);
        guiSettings = saved;
        applyColorScheme();
        toolkitColors = savedColors;
    }
    TestApplication app;
    TestColorGroup group;
    GGuiSettings saved;
    ToolkitColors savedColors;
};
}  // namespace

TEST_F(ColorDialogTest, ChoicesApplyLiveAndEveryWayOfCancellingRevertsThem) {
    struct Way {
        const char* name;
        UINT key;  // Escape, or a click on Cancel through command 2
    } ways[] = {{"Escape", VK_ESCAPE}, {"Cancel", 0}};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        guiSettings.glass = 0x00123456;  // none of the presets
        guiSettings.style = 2;
        GColorSelectDialog dialog(nullptr);
        ASSERT_TRUE(dialog.build());
        EXPECT_TRUE(dialog.isKindOf(59) && dialog.isKindOf(120) && dialog.isKindOf(7));
        dialog.fitToContent();
        ShowWindow(dialog.hwnd, SW_SHOW);
        GColorListWindow* list = dialog.list;
        ASSERT_TRUE(list && list->glassCombo && list->styleCombo);
        EXPECT_EQ(0, list->glassCombo->selection);
        EXPECT_EQ(15, list->glassCombo->rowCount());
        EXPECT_EQ(2, list->styleCombo->selection);

        g_chooserCalls = 0;
        pressKey(list->glassCombo, VK_DOWN, [&] { return guiSettings.glass == kGlassPresets[0]; });  // a preset
        EXPECT_EQ(kGlassPresets[0], guiSettings.glass);
        g_chooserAnswer = FALSE;  // row 0, the chooser cancelled: the colour stays
        pressKey(list->glassCombo, VK_UP, [&] { return g_chooserCalls == 1; });
        EXPECT_EQ(kGlassPresets[0], guiSettings.glass);
        g_chooserAnswer = TRUE;
        g_chooserPick = 0x00ABCDEF;
        pressKey(list->glassCombo, VK_DOWN, [&] { return list->glassCombo->selection == 1; });
        pressKey(list->glassCombo, VK_UP, [&] { return g_chooserCalls == 2; });  // row 0 again, a colour chosen
        EXPECT_EQ(0x00ABCDEFu, guiSettings.glass);
        pressKey(list->styleCombo, VK_UP, [&] { return guiSettings.style == 1; });
        EXPECT_EQ(1u, guiSettings.style);

        g_chooserPick = 0x00010203;
        list->chooseGroupColor(0, 701);
        EXPECT_EQ(0x00010203u, group.colours.valueOf(701));
        const i32 applied = group.applied;
        list->defaultButtons[0]->click();
        EXPECT_EQ(0x111111u, group.colours.valueOf(700));
        EXPECT_EQ(applied + 1, group.applied);

        if (way.key)
            pressKey(list->styleCombo, way.key, [&] { return dialog.result == 2; });
        else
            SendMessageA(dialog.hwnd, WM_COMMAND, 2, 0);
        EXPECT_EQ(2, dialog.result);
        EXPECT_EQ(0x00123456u, guiSettings.glass);
        EXPECT_EQ(2u, guiSettings.style);
        for (i32 id = 700; id <= 702; ++id) EXPECT_EQ(0x101010u * (id - 699), group.colours.valueOf(id));
        closeQuietly(dialog);
    }
}

TEST_F(ColorDialogTest, OkKeepsThePresetChosen) {
    guiSettings.glass = kGlassPresets[4];
    GColorSelectDialog dialog(nullptr);
    ASSERT_TRUE(dialog.build());
    dialog.fitToContent();
    ShowWindow(dialog.hwnd, SW_SHOW);
    EXPECT_EQ(5, dialog.list->glassCombo->selection);
    saveWindowShot(dialog.hwnd, "color_dialog.bmp");
    pressKey(dialog.list->glassCombo, VK_DOWN, [&] { return guiSettings.glass == kGlassPresets[5]; });
    SendMessageA(dialog.hwnd, WM_COMMAND, 1, 0);
    EXPECT_EQ(1, dialog.result);
    EXPECT_EQ(kGlassPresets[5], guiSettings.glass);
    closeQuietly(dialog);
}

namespace {
// Steps run by a timer inside the dialog's modal run.
std::vector<std::function<bool()>> g_steps;
void CALLBACK runStep(HWND, UINT, UINT_PTR timer, DWORD) {
    if (g_steps.empty()) {
        KillTimer(nullptr, timer);
        return;
    }
    if (g_steps.front()()) g_steps.erase(g_steps.begin());
}
}  // namespace

TEST_F(ColorDialogTest, TheCloseBoxOfTheModalRunRevertsLikeCancel) {
    guiSettings.glass = kGlassPresets[2];
    guiSettings.style = 0;
    GColorSelectDialog* open = nullptr;
    g_steps = {
        [&] {
            open = static_cast<GColorSelectDialog*>(pendingModalDialog());
            if (!open) return false;
            open->list->styleCombo->setFocusSafe();
            return true;
        },
        [&] {
            if (GetFocus() != open->list->styleCombo->hwnd) return false;
            PostMessageA(open->list->styleCombo->hwnd, WM_KEYDOWN, VK_DOWN, 0);
            return true;
        },
        [&] {
            if (guiSettings.style != 1) return false;
            guiSettings.glass = kGlassPresets[7];  // as a chosen preset leaves it
            // Not visible, so that its end does not wait for the display's focus events.
            SetWindowLongA(open->hwnd, GWL_STYLE, GetWindowLongA(open->hwnd, GWL_STYLE) & ~WS_VISIBLE);
            PostMessageA(open->hwnd, WM_CLOSE, 0, 0);
            return true;
        },
    };
    UINT_PTR timer = SetTimer(nullptr, 0, 20, runStep);
    EXPECT_EQ(2, GColorSelectDialog::run(nullptr));
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_steps.empty());
    EXPECT_EQ(kGlassPresets[2], guiSettings.glass);
    EXPECT_EQ(0u, guiSettings.style);
}
