#include "gui/dialogs/key_table_window.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "gui/controls/button.h"
#include "gui/dialogs/key_enter_dialog.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/menus/key_bindings.h"
#include "gui/views/table.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"
#include "tests/gui/menu_fixture.h"

namespace {
std::vector<std::string> g_asked;
i32 g_answer = 6;
i32 answerBox(const MessageBoxDescription*, GWindow*, const char* text) {
    g_asked.push_back(text);
    return g_answer;
}

// Steps run by a timer inside a modal run; a run that does not end in 4 s is cancelled.
std::vector<std::function<bool()>> g_steps;
i32 g_ticks = 0;
void CALLBACK runStep(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_steps.empty() && g_steps.front()()) g_steps.erase(g_steps.begin());
    if (++g_ticks == 200)
        if (GDialog* stuck = pendingModalDialog()) PostMessageA(stuck->hwnd, WM_COMMAND, 2, 0);
}

KeyRow row(u32 action, u32 key, u8 modifiers, u8 fixed, const char* keyText, const char* title, const char* context) {
    KeyRow r;
    r.binding = {action, key, modifiers, fixed, -1};
    r.title = GString(title);
    r.keyText = GString(keyText);
    r.contextName = context;
    return r;
}

class KeyTableTest : public testing::Test {
protected:
    void SetUp() override {
        fx.add(501, "Open", "OPEN");
        fx.add(502, "Save", "SAVE");
        fx.add(503, "Close", "CLOSE");
        defaults = {{501, 'O', KeyCtrl, 0, -1}, {502, 'S', KeyCtrl, 0, -1}, {503, VK_F4, KeyCtrl, 1, -1}};
        group.bindings = defaults.data();
        group.count = (u32)defaults.size();
        registerKeyBindingGroup(&group);
        loadKeyBindings(true);
        setMessageBoxSink(answerBox);
        g_asked.clear();
        dialog = new GKeyCustomizeDialog(nullptr);
        EXPECT_TRUE(dialog->build());
        dialog->fitToContent();
        SetWindowPos(dialog->hwnd, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(dialog->hwnd);
        keys = dialog->keys;
    }
    void TearDown() override {
        setMessageBoxSink(nullptr);
        if (IsWindow(dialog->hwnd)) {
            SetWindowLongA(dialog->hwnd, GWL_STYLE, GetWindowLongA(dialog->hwnd, GWL_STYLE) & ~WS_VISIBLE);
            DestroyWindow(dialog->hwnd);
        }
        delete dialog;
        unregisterKeyBindingGroup(&group);
        loadKeyBindings(true);
    }
    std::string rows() {
        std::string s;
        for (const KeyRow* r : keys->model->rows) s += std::to_string(r->binding.actionId) + (char)r->binding.virtualKey + " ";
        return s;
    }
    void select(u64 row) {
        keys->table->setCaretRow(row);
        keys->updateButtons();
    }
    // A key to the table through the loop.
    void press(UINT vk) {
        keys->table->setFocusSafe();
        ASSERT_TRUE(pumpUntil([&] { return GetFocus() == keys->table->hwnd; }));
        PostMessageA(keys->table->hwnd, WM_KEYDOWN, vk, 1);
        MSG m;
        pumpUntil([&] { return !PeekMessageA(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE); });
    }
    bool enabled(GButton* b) { return IsWindowEnabled(b->hwnd) != 0; }

    TestApplication app;
    ActionFixture fx;
    InputSeam seam;
    std::vector<GKeyBinding> defaults;
    KeyBindingGroup group;
    GKeyCustomizeDialog* dialog = nullptr;
    GKeyTableWindow* keys = nullptr;
};
}  // namespace

TEST(KeyTableOrder, ComparatorsInBothDirections) {
    KeyRow a = row(501, 'A', KeyCtrl, 0, "A", "open", "Editor");
    KeyRow f1 = row(502, VK_F1, 0, 1, "F1", "Save", "");
    KeyRow f2 = row(503, VK_F2, KeyShift, 0, "F2", "close", "Analyzer");
    KeyRow a2 = row(504, 'A', KeyShift, 0, "A", "Open", "Editor");
    struct Case {
        i32 column;
        const KeyRow *first, *second;
    } cases[] = {
        {0, &f2, &a},    // titles without letter case
        {1, &f1, &a2},   // no modifiers before Shift
        {1, &a2, &f2},   // equal modifiers: by the key
        {1, &a2, &a},    // Shift before Ctrl
        {2, &a, &f1},    // one character before longer names
        {2, &f1, &f2},
        {2, &a2, &a},    // equal keys: by the modifiers
        {3, &f1, &f2},   // "" first, then byte order
        {3, &f2, &a},
        {4, &a, &f1},    // not fixed before fixed
    };
    for (const Case& c : cases) {
        EXPECT_LT(keyRowComparators[c.column * 2](c.first, c.second), 0) << c.column;
        EXPECT_GT(keyRowComparators[c.column * 2](c.second, c.first), 0) << c.column;
        EXPECT_GT(keyRowComparators[c.column * 2 + 1](c.first, c.second), 0) << c.column;
        EXPECT_LT(keyRowComparators[c.column * 2 + 1](c.second, c.first), 0) << c.column;
    }
    EXPECT_EQ(0, keyRowComparators[4](&a, &a));
}

TEST_F(KeyTableTest, FixedRowsAreLockedAndDeletingMovesTheCaret) {
    EXPECT_TRUE(dialog->isKindOf(81) && dialog->isKindOf(120) && dialog->isKindOf(7));
    EXPECT_EQ("501O 502S 503s ", rows());  // VK_F4 is 's'
    saveWindowShot(dialog->hwnd, "key_table.bmp");
    select(2);  // the fixed Ctrl+F4
    EXPECT_FALSE(enabled(keys->editButton));
    EXPECT_FALSE(enabled(keys->deleteButton));
    press(VK_DELETE);
    EXPECT_EQ(3u, keys->model->rows.size());

    select(1);
    EXPECT_TRUE(enabled(keys->deleteButton));
    press(VK_DELETE);
    EXPECT_EQ("501O 503s ", rows());
    EXPECT_EQ(1, keys->table->selection()->caret());  // stays at its index

    // The last row deleted: the caret goes to the new last row.
    keys->model->fill(activeKeyBindings());
    keys->table->reload(0);
    select(1);
    keys->model->rows[2]->binding.flag = 0;
    select(2);
    keys->deleteRow();
    EXPECT_EQ("501O 502S ", rows());
    EXPECT_EQ(1, keys->table->selection()->caret());
}

TEST_F(KeyTableTest, RestoreDefaultsThenCancelLeavesTheLiveBindings) {
    select(0);
    keys->deleteRow();
    keys->deleteRow();
    EXPECT_EQ("503s ", rows());
    g_answer = 7;  // No
    keys->onCommand(KeyTableRestore, nullptr);
    EXPECT_EQ((std::vector<std::string>{guiText(GuiText::KeyRestoreQuestion)}), g_asked);
    EXPECT_EQ("503s ", rows());
    g_answer = 6;
    keys->onCommand(KeyTableRestore, nullptr);
    EXPECT_EQ("503s 501O 502S ", rows());  // sorted by title: Close, Open, Save
    keys->deleteRow();
    SendMessageA(dialog->hwnd, WM_COMMAND, 2, 0);
    EXPECT_EQ(2, dialog->result);
    EXPECT_EQ(3u, activeKeyBindings().count);
}

TEST_F(KeyTableTest, AddWithoutSelectionAppendsAndOkReplacesTheLiveBindings) {
    // A single-selection table always selects a row: no row is selected in an empty one.
    keys->model->clearRows();
    keys->table->reload(0);
    keys->updateButtons();
    EXPECT_FALSE(enabled(keys->editButton));
    GKeyEnterDialog* entering = nullptr;
    g_steps = {
        [&] {
            entering = static_cast<GKeyEnterDialog*>(pendingModalDialog());
            return entering && entering->isKindOf(TypeKeyEnterDialog) &&
                   GetFocus() == entering->captureButton->hwnd;
        },
        [&] {
            seam.active = entering->hwnd;
            seam.held.insert('Z');
            PostMessageA(entering->captureButton->hwnd, WM_KEYDOWN, 'Z', 1);
            return true;
        },
        [&] {
            seam.held.erase('Z');
            PostMessageA(entering->captureButton->hwnd, WM_KEYUP, 'Z', 0xC0000001);
            return true;
        },
        [&] {
            if (entering->capturing) return false;
            SetWindowLongA(entering->hwnd, GWL_STYLE, GetWindowLongA(entering->hwnd, GWL_STYLE) & ~WS_VISIBLE);
            PostMessageA(entering->hwnd, WM_COMMAND, 1, 0);
            return true;
        },
    };
    g_ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, runStep);
    press(VK_INSERT);
    EXPECT_TRUE(pumpUntil([&] { return g_steps.empty() && keys->model->rows.size() == 1; }, 3000));
    KillTimer(nullptr, timer);
    ASSERT_EQ(1u, keys->model->rows.size());
    EXPECT_EQ((u32)'Z', keys->model->rows[0]->binding.virtualKey);
    EXPECT_EQ(0, keys->table->selection()->caret());
    EXPECT_TRUE(enabled(keys->editButton));

    SendMessageA(dialog->hwnd, WM_COMMAND, 1, 0);
    EXPECT_EQ(1, dialog->result);
    ASSERT_EQ(1u, activeKeyBindings().count);
    GActionItem* action = actionById((i32)keys->model->rows[0]->binding.actionId);
    ASSERT_NE(nullptr, action);
    EXPECT_GE(action->bindingCount, 1u);
}
