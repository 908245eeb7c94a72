// The plug-in parameter dialog over the tests' real plug-in libraries: the editor view and the
// generic view, the slider's scale, programs, OK and Cancel.
#include "editor/plugin_dialog.h"

#include <gtest/gtest.h>

#include "gui/controls/combo.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/regulator.h"
#include "gui/views/box.h"
#include "gui/views/table_model.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_plugins.h"
#include "tests/support/test_support.h"

namespace {
struct DialogFixture {
    explicit DialogFixture(const char* library) {
        path = copyTestPlugin(dir, library, "plugin.dll");
        EXPECT_TRUE(plugin.load(path.c_str(), 44100, -1));
    }
    ~DialogFixture() {
        if (dialog.hwnd) {
            SetWindowLongA(dialog.hwnd, GWL_STYLE, GetWindowLongA(dialog.hwnd, GWL_STYLE) & ~WS_VISIBLE);
            DestroyWindow(dialog.hwnd);
        }
        plugin.unload();
    }
    bool build() {
        if (!GVSTEffectDialog::build(&plugin, &dialog)) return false;
        SetWindowPos(dialog.hwnd, HWND_TOP, 10, 10, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        return true;
    }
    // A click on the check box's mark.
    void clickToggle() {
        RECT r;
        GetClientRect(dialog.genericToggle->hwnd, &r);
        const LPARAM at = MAKELPARAM(6, r.bottom / 2);
        SendMessageA(dialog.genericToggle->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(dialog.genericToggle->hwnd, WM_LBUTTONUP, 0, at);
    }
    TestApplication app;
    TempDir dir;
    std::string path;
    HostedVstPlugin plugin;
    GVSTEffectDialog dialog{nullptr, "plugins.htm"};
};

std::string text(GLabel* label) { return label->text.c_str(); }
}  // namespace

// The gain plug-in opens in its own editor; the toggle switches to the generic list, whose slider
// shows and sets the parameter on a scale of 0..1000000; the toggle back shows the editor again.
TEST(PluginDialog, EditorAndGenericViews) {
    DialogFixture f("gain_plugin");
    ASSERT_TRUE(f.build());
    EXPECT_TRUE(f.plugin.isEditorOpen());
    EXPECT_FALSE(f.dialog.genericShown());
    EXPECT_EQ(f.dialog.editorHost->editorWidth, 200);
    EXPECT_EQ(f.dialog.editorHost->editorHeight, 120);
    RECT host;
    GetClientRect(f.dialog.editorHost->hwnd, &host);
    EXPECT_EQ(host.right, 200);
    EXPECT_EQ(host.bottom, 120);
    saveWindowShot(f.dialog.hwnd, "plugin_dialog_editor.bmp");
    HWND editor = GetWindow(f.dialog.editorHost->hwnd, GW_CHILD);
    ASSERT_NE(editor, nullptr) << "the plug-in's editor lives in the editor host";
    EXPECT_TRUE(IsWindowEnabled(f.dialog.genericToggle->hwnd));
    EXPECT_EQ(f.dialog.programCombo->rowCount(), 3);
    EXPECT_EQ(f.dialog.programCombo->selection, 0);

    f.clickToggle();
    EXPECT_TRUE(f.dialog.genericShown());
    EXPECT_FALSE(f.plugin.isEditorOpen());
    EXPECT_EQ(f.dialog.editorHost->editorWidth, 0);
    ASSERT_EQ(f.dialog.parameterList->itemCount(), 2);
    char* first = f.dialog.parameterList->itemText(0);
    EXPECT_STREQ(first, "Gain");
    delete[] first;
    saveWindowShot(f.dialog.hwnd, "plugin_dialog_generic.bmp");
    EXPECT_EQ(f.dialog.valueSlider->value, 500000);
    EXPECT_EQ(text(f.dialog.valueLabel), "1.00 x");

    f.dialog.valueSlider->setValue(250000);
    EXPECT_FLOAT_EQ(f.plugin.getParameter(0), 0.25f);
    EXPECT_EQ(text(f.dialog.valueLabel), "0.50 x");
    f.dialog.valueSlider->setValue(1000000);
    EXPECT_FLOAT_EQ(f.plugin.getParameter(0), 1.0f);

    f.clickToggle();
    EXPECT_FALSE(f.dialog.genericShown());
    EXPECT_TRUE(f.plugin.isEditorOpen());
    EXPECT_EQ(f.dialog.editorHost->editorWidth, 200);
}

// A program chosen in the combo is the plug-in's, and the slider and label follow it.
TEST(PluginDialog, AProgramChoiceRefreshesTheParameter) {
    DialogFixture f("gain_plugin");
    ASSERT_TRUE(f.build());
    f.clickToggle();
    f.dialog.programCombo->setFocusSafe();
    PostMessageA(f.dialog.programCombo->hwnd, WM_KEYDOWN, VK_END, 0);
    pumpUntil([&] { return f.plugin.getProgram() == 2; });
    EXPECT_EQ(f.plugin.getProgram(), 2);
    EXPECT_EQ(f.dialog.programCombo->selection, 2);
    EXPECT_EQ(f.dialog.valueSlider->value, 1000000);
    EXPECT_EQ(text(f.dialog.valueLabel), "2.00 x");
    EXPECT_EQ(f.dialog.busy, 0);
}

// Cancel puts back the state of the opening; OK writes the state file beside the library.
TEST(PluginDialog, CancelRestoresAndOkSaves) {
    DialogFixture f("gain_plugin");
    ASSERT_TRUE(f.build());
    f.clickToggle();
    f.dialog.valueSlider->setValue(100000);
    f.dialog.onCommand(2, nullptr);
    EXPECT_EQ(f.dialog.result, 2);
    EXPECT_FLOAT_EQ(f.plugin.getParameter(0), 0.5f);
    EXPECT_FALSE(f.plugin.isEditorOpen());
    EXPECT_FALSE(f.dir.exists("plugin.dll.save.info"));

    GVSTEffectDialog again(nullptr, "plugins.htm");
    ASSERT_TRUE(GVSTEffectDialog::build(&f.plugin, &again));
    again.genericToggle->click();
    again.valueSlider->setValue(100000);
    again.onCommand(1, nullptr);
    EXPECT_EQ(again.result, 1);
    EXPECT_TRUE(f.dir.exists("plugin.dll.save.info"));
    f.plugin.setParameter(0, 0.5f);
    ASSERT_TRUE(f.plugin.loadState());
    EXPECT_FLOAT_EQ(f.plugin.getParameter(0), 0.1f);
    DestroyWindow(again.hwnd);
}

// Without an editor and without parameters: the generic view, empty, its toggle disabled.
TEST(PluginDialog, NoEditorNoParametersShowsAnEmptyGenericView) {
    DialogFixture f("pass_plugin");
    ASSERT_TRUE(f.build());
    EXPECT_TRUE(f.dialog.genericShown());
    EXPECT_FALSE(IsWindowEnabled(f.dialog.genericToggle->hwnd));
    EXPECT_EQ(f.dialog.parameterList->itemCount(), 0);
    EXPECT_EQ(f.dialog.editorHost->editorWidth, 0);
    // Row i is program i.
    ASSERT_EQ(f.dialog.programCombo->rowCount(), 2);
    GString row;
    EXPECT_STREQ(f.dialog.programCombo->model()->cellText(row, 1, 0), "Second");
    saveWindowShot(f.dialog.hwnd, "plugin_dialog_pass.bmp");
}

// The window idles its own plug-in (this one is in no list the host idles): the editor counts the
// calls in its text while the window lives, and none come once it is gone.
TEST(PluginDialog, TheWindowIdlesItsPlugin) {
    DialogFixture f("gain_plugin");
    ASSERT_TRUE(f.build());
    HWND editor = GetWindow(f.dialog.editorHost->hwnd, GW_CHILD);
    ASSERT_NE(editor, nullptr);
    auto idles = [&] {
        char text[32] = {};
        GetWindowTextA(editor, text, sizeof text);
        return atoi(text + strlen("edit idle "));
    };
    EXPECT_TRUE(pumpUntil([&] { return idles() >= 3; }, 3000)) << idles();
    f.dialog.onCommand(2, nullptr);
    destroyHidden(f.dialog.hwnd);
    EXPECT_FALSE(f.dialog.idleTimer.id) << "the timer ended with the window";
}
