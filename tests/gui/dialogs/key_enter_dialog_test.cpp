#include "gui/dialogs/key_enter_dialog.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "gui/controls/button.h"
#include "gui/controls/combo.h"
#include "gui/input/key_names.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_box.h"
#include "gui/menus/key_bindings.h"
#include "gui/views/list_rows.h"
#include "gui/views/table.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"
#include "tests/gui/menu_fixture.h"

namespace {
std::vector<std::string> g_boxes;
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    g_boxes.push_back(text);
    return 1;
}

std::string keyText(i32 key, u32 modifiers) {
    GString text;
    keyToText(text, key, modifiers);
    return text.c_str();
}

class KeyEnterTest : public testing::Test {
protected:
    void SetUp() override {
        fx.add(501, "Open", "OPEN");
        fx.add(502, "Save", "SAVE");
        fx.add(503, "Close", "CLOSE");
        fx.add(504, "Internal", "INTERNAL", ActionNotForKeys);
        fx.add(505, "Recent", "RECENT", ActionPopup, {503});
        GToolBarSpec* editorMenu = addUserToolBarSpec(&fx.editor, SpecMenu, "Main");
        editorMenu->customised = 1;
        for (i32 id : {501, 502, 505}) *editorMenu->userIds.append(1) = id;
        GToolBarSpec* otherMenu = addUserToolBarSpec(&fx.other, SpecMenu, "Main");
        otherMenu->customised = 1;
        *otherMenu->userIds.append(1) = 501;
        source = {{501, 'O', KeyCtrl, 0, -1}, {502, 'S', KeyCtrl, 0, EditorKindId}, {503, VK_F4, KeyCtrl, 1, -1},
                  {501, 'K', KeyCtrl, 0, OtherKindId}};
        for (const GKeyBinding& b : source) *array.append(1) = b;
        setMessageBoxSink(recordBox);
        g_boxes.clear();
    }
    void TearDown() override {
        setMessageBoxSink(nullptr);
        if (dialog && IsWindow(dialog->hwnd)) {
            SetWindowLongA(dialog->hwnd, GWL_STYLE, GetWindowLongA(dialog->hwnd, GWL_STYLE) & ~WS_VISIBLE);
            DestroyWindow(dialog->hwnd);
        }
        delete dialog;
    }
    GKeyEnterDialog* open(GKeyBinding start, bool choice, i32 index, i32 context, u32 mode) {
        dialog = new GKeyEnterDialog(nullptr, array, start, choice, index, context, mode);
        EXPECT_TRUE(dialog->build());
        SetWindowPos(dialog->hwnd, HWND_TOP, 50, 50, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(dialog->hwnd);
        seam.active = dialog->hwnd;
        dialog->captureButton->setFocusSafe();
        EXPECT_TRUE(pumpUntil([&] { return GetFocus() == dialog->captureButton->hwnd; }));
        return dialog;
    }
    // A key message to the focused window through the loop, the key state following it.
    void key(UINT message, UINT vk) {
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        if (down)
            seam.held.insert((int)vk);
        else
            seam.held.erase((int)vk);
        PostMessageA(GetFocus(), message, vk, down ? 1 : 0xC0000001);
        MSG m;
        pumpUntil([&] { return !PeekMessageA(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE); });
    }
    std::string caption() { return dialog->captureButton->text.c_str(); }
    bool okEnabled() { return IsWindowEnabled(dialog->okButton->hwnd) != 0; }
    std::vector<u32> conflicts() { return dialog->conflictRows; }

    TestApplication app;
    ActionFixture fx;
    InputSeam seam;
    std::vector<GKeyBinding> source;
    RecordArray<GKeyBinding> array;
    GKeyEnterDialog* dialog = nullptr;
};
}  // namespace

TEST_F(KeyEnterTest, CaptureEndsWhenEveryKeyIsUp) {
    open({502, 0, 0, 0, EditorKindId}, true, -1, -1, KeyModeAdd);
    EXPECT_TRUE(dialog->capturing);
    EXPECT_FALSE(okEnabled());
    EXPECT_EQ(guiText(GuiText::KeyEnterPress), caption());

    // Ctrl alone: its prefix at once, nothing stored.
    key(WM_KEYDOWN, VK_CONTROL);
    EXPECT_EQ(keyText(0, KeyCtrl), caption());
    key(WM_KEYUP, VK_CONTROL);
    EXPECT_TRUE(dialog->capturing);
    EXPECT_FALSE(okEnabled());
    EXPECT_EQ(guiText(GuiText::KeyEnterPress), caption());

    // Ctrl+K: K released first keeps capturing, Ctrl released ends it.
    key(WM_KEYDOWN, VK_CONTROL);
    key(WM_KEYDOWN, 'K');
    EXPECT_EQ(keyText('K', KeyCtrl), caption());
    key(WM_KEYUP, 'K');
    EXPECT_TRUE(dialog->capturing);
    key(WM_KEYUP, VK_CONTROL);
    EXPECT_FALSE(dialog->capturing);
    EXPECT_EQ('K', (char)dialog->binding.virtualKey);
    EXPECT_EQ(KeyCtrl, dialog->binding.modifiers);
    EXPECT_TRUE(okEnabled());
    EXPECT_EQ(dialog->okButton->hwnd, GetFocus());
    // Ctrl+K of the analyzer is listed (same key); Save's own binding too (same action).
    EXPECT_EQ((std::vector<u32>{1, 3}), conflicts());
    saveWindowShot(dialog->hwnd, "key_enter_dialog.bmp");

    // Alt+S through the system messages is captured; the release of Alt does not open a menu.
    dialog->onCommand(1000, nullptr);
    EXPECT_EQ(dialog->captureButton->hwnd, GetFocus());
    key(WM_SYSKEYDOWN, VK_MENU);
    key(WM_SYSKEYDOWN, 'S');
    key(WM_SYSKEYUP, 'S');
    key(WM_SYSKEYUP, VK_MENU);
    EXPECT_FALSE(dialog->capturing);
    EXPECT_EQ('S', (char)dialog->binding.virtualKey);
    EXPECT_EQ(KeyAlt, dialog->binding.modifiers);
    EXPECT_EQ(dialog->okButton->hwnd, GetFocus());

    // OK adds the binding at the end.
    SendMessageA(dialog->hwnd, WM_COMMAND, 1, 0);
    EXPECT_EQ(1, dialog->result);
    ASSERT_EQ(5u, dialog->bindings.count);
    EXPECT_EQ(502u, dialog->bindings[4].actionId);
    EXPECT_EQ((u32)'S', dialog->bindings[4].virtualKey);
    EXPECT_EQ(EditorKindId, (u32)dialog->bindings[4].context);
}

TEST_F(KeyEnterTest, EscapeCancelsAndLeavingTheButtonStopsCapture) {
    open({501, 0, 0, 0, -1}, true, -1, -1, KeyModeAdd);
    key(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(2, dialog->result);
    TearDown();
    dialog = nullptr;

    open({501, 0, 0, 0, -1}, true, -1, -1, KeyModeAdd);
    dialog->contextCombo->setFocusSafe();
    EXPECT_TRUE(pumpUntil([&] { return !dialog->capturing; }));
    EXPECT_FALSE(okEnabled());
    EXPECT_EQ(guiText(GuiText::KeyEnterClick), caption());
    key(WM_KEYDOWN, 'Q');  // goes to the combo, not into the binding
    key(WM_KEYUP, 'Q');
    EXPECT_EQ(0u, dialog->binding.virtualKey);
}

TEST_F(KeyEnterTest, ContextsActionsAndDuplicates) {
    open({501, 0, 0, 0, OtherKindId}, true, -1, -1, KeyModeAdd);
    // Open is offered by both kinds: "everywhere" first; the preferred kind is selected.
    auto* contexts = static_cast<ListRowModel*>(dialog->contextCombo->model());
    ASSERT_EQ(3u, contexts->rows.count);
    EXPECT_EQ(0xFFFFFFFFu, contexts->rows.data[0]->value);
    EXPECT_EQ(OtherKindId, (u32)dialog->binding.context);
    // Actions offered for keys, by title; Internal is not.
    auto* actions = static_cast<ListRowModel*>(dialog->actionCombo->model());
    std::string titles;
    i32 closeRow = -1, openRow = -1;
    for (u32 i = 0; i < actions->rows.count; ++i) {
        titles += std::string(actions->rows.data[i]->text) + "|";
        if (actions->rows.data[i]->value == 503) closeRow = (i32)i;
        if (actions->rows.data[i]->value == 501) openRow = (i32)i;
    }
    EXPECT_EQ(openRow, dialog->actionCombo->selection);
    EXPECT_LT(titles.find("Close|"), titles.find("Open|"));
    EXPECT_LT(titles.find("Open|"), titles.find("Save|"));
    EXPECT_EQ(std::string::npos, titles.find("Internal"));

    // Exactly the analyzer's Ctrl+K of Open: refused with the box, the dialog stays.
    key(WM_KEYDOWN, VK_CONTROL);
    key(WM_KEYDOWN, 'K');
    key(WM_KEYUP, 'K');
    key(WM_KEYUP, VK_CONTROL);
    SendMessageA(dialog->hwnd, WM_COMMAND, 1, 0);
    EXPECT_EQ((std::vector<std::string>{guiText(GuiText::KeyDuplicate)}), g_boxes);
    EXPECT_EQ(-1, dialog->result);
    // Close (sub-item of the editor's Recent) is offered by the editor alone: no "everywhere".
    dialog->actionCombo->setFocusSafe();
    pumpUntil([&] { return GetFocus() == dialog->actionCombo->hwnd; });
    for (i32 i = openRow; i > closeRow; --i) key(WM_KEYDOWN, VK_UP);
    EXPECT_EQ(503u, dialog->binding.actionId);
    contexts = static_cast<ListRowModel*>(dialog->contextCombo->model());
    ASSERT_EQ(1u, contexts->rows.count);
    EXPECT_EQ(EditorKindId, (u32)dialog->binding.context);
    SendMessageA(dialog->hwnd, WM_COMMAND, 1, 0);
    EXPECT_EQ(1, dialog->result);
    EXPECT_EQ(5u, dialog->bindings.count);
}

TEST_F(KeyEnterTest, DeletingTheEditedBindingTurnsReplaceIntoAdd) {
    // Editing Save's Ctrl+S (index 1), restricted to the editor.
    open(source[1], false, 1, EditorKindId, KeyModeReplace);
    EXPECT_EQ(1u, dialog->actionCombo->rowCount());
    key(WM_KEYDOWN, VK_CONTROL);
    key(WM_KEYDOWN, 'O');
    key(WM_KEYUP, 'O');
    key(WM_KEYUP, VK_CONTROL);
    // Ctrl+O of Open shares the key; Save's own binding is the edited one and not listed.
    EXPECT_EQ((std::vector<u32>{0}), conflicts());

    // The delete button of the conflict row, then the edited binding itself through a wider list.
    GControlNotification press{dialog->conflictTable, TableCellButton, 0};
    notifyUp(dialog->conflictTable, &press);
    EXPECT_EQ(3u, dialog->bindings.count);
    EXPECT_EQ(0, dialog->index);  // 1 moved up past the removed binding 0
    EXPECT_EQ(KeyModeReplace, dialog->mode);
    dialog->deleteBinding(0);  // Save's Ctrl+S, the one being edited
    EXPECT_EQ(KeyModeAdd, dialog->mode);
    EXPECT_EQ(0, dialog->index);
    SendMessageA(dialog->hwnd, WM_COMMAND, 1, 0);
    EXPECT_EQ(1, dialog->result);
    ASSERT_EQ(3u, dialog->bindings.count);
    EXPECT_EQ(502u, dialog->bindings[0].actionId);
    EXPECT_EQ((u32)'O', dialog->bindings[0].virtualKey);
    EXPECT_EQ(503u, dialog->bindings[1].actionId);
}
