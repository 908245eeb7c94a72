#include "gui/dialogs/action_customize_dialog.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "gui/controls/button.h"
#include "gui/controls/image_button.h"
#include "gui/dialogs/action_items_dialog.h"
#include "gui/dialogs/action_items_window.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/paint/gui_settings.h"
#include "gui/views/box.h"
#include "gui/views/list_chooser.h"
#include "gui/views/list_rows.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/menu_fixture.h"

namespace {
std::vector<std::string> g_boxes;
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    g_boxes.push_back(text);
    return 1;
}
std::vector<std::string> g_names;  // answers of the name question, in turn; none left: cancel
std::string g_offered;
bool answerName(GWindow*, const char*, const char*, const char* initial, GString& name) {
    g_offered = initial;
    if (g_names.empty()) return false;
    name = GString(g_names.front().c_str());
    g_names.erase(g_names.begin());
    return true;
}

const i32 fileIds[] = {501, -1, 502};
const i32 editIds[] = {502};

class ActionCustomizeTest : public testing::Test {
protected:
    void SetUp() override {
        fx.add(501, "Open", "OPEN");
        fx.add(502, "Save", "SAVE");
        auto builtIn = [&](GToolBarSpec& s, const char* name, u32 kind, const i32* ids, i32 n, i32 p1, i32 p3) {
            s.name = name;
            s.defaultIds = ids;
            s.defaultCount = n;
            s.entryKind = kind;
            s.p1 = s.d1 = p1;
            s.p3 = s.d3 = p3;
            linkSpec(&fx.editor, &s);
        };
        builtIn(file, "File", SpecMenu, fileIds, 3, 0, 0);
        builtIn(edit, "Edit", SpecMenu, editIds, 1, 1, 0);
        builtIn(main, "Main", SpecToolBar, editIds, 1, 0, 0);
        builtIn(fixed, "Fixed", SpecInternal, editIds, 1, 0, 1);
        askListName = answerName;
        setMessageBoxSink(recordBox);
        g_boxes.clear();
        g_names.clear();
        savedSettings = guiSettings;
    }
    void TearDown() override {
        close();
        askListName = savedAsker;
        setMessageBoxSink(nullptr);
        deleteUserSpecs(&fx.editor);
        for (GToolBarSpec* s : {&fixed, &main, &edit, &file}) unlinkSpec(s);
        guiSettings = savedSettings;
    }
    GActionItemsWindow* open(u32 mode) {
        dialog = new GActionCustomizeDialog(nullptr);
        EXPECT_TRUE(dialog->build(mode, &fx.editor));
        dialog->fitToContent();
        SetWindowPos(dialog->hwnd, HWND_TOP, 10, 10, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        return dialog->items;
    }
    void close() {
        if (!dialog) return;
        if (IsWindow(dialog->hwnd)) {
            SetWindowLongA(dialog->hwnd, GWL_STYLE, GetWindowLongA(dialog->hwnd, GWL_STYLE) & ~WS_VISIBLE);
            DestroyWindow(dialog->hwnd);
        }
        delete dialog;
        dialog = nullptr;
    }
    // The rows of the list as shown.
    std::string rows(GActionItemsWindow* w) {
        std::string s;
        for (i32 i = 0; i < w->table->itemCount(); ++i) {
            char* text = w->table->itemText(i);
            s += std::string(text ? text : "") + "|";
            delete[] text;
        }
        return s;
    }
    // Every list of the kind with its name, position, visibility and items.
    std::string state() {
        std::string s;
        for (GToolBarSpec* l = fx.editor.firstSpec; l; l = l->next) {
            s += std::string(l->displayTitle()) + ":" + std::to_string(l->p1) + "," + std::to_string(l->p3) +
                 (l->shown ? "" : " hidden") + " #" + std::to_string(l->activeCount()) + " ";
        }
        return s;
    }
    void run(GActionItemsWindow* w, u32 command, i32 row = -2) {
        if (row != -2) {
            w->table->selectItem(row);
            w->updateButtons();
        }
        w->onCommand(command, nullptr);
    }
    bool enabled(GWindow* b) { return b && IsWindowEnabled(b->hwnd); }

    TestApplication app;
    ActionFixture fx;
    GToolBarSpec file, edit, main, fixed;
    GActionCustomizeDialog* dialog = nullptr;
    ListNameAsker savedAsker = askListName;
    GGuiSettings savedSettings;
};
}  // namespace

namespace {
std::vector<std::function<bool()>> g_steps;
void CALLBACK runStep(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_steps.empty() && g_steps.front()()) g_steps.erase(g_steps.begin());
}
}  // namespace

TEST(MenuOptions, FillsExcludeOneAnotherAndContentNeedsAFill) {
    struct Case {
        u32 bits, bit;
        bool on;
        u32 expected;
    } cases[] = {
        {0x40 | 0x4, 0x80, true, 0x80 | 0x4},   // one fill replaces another, content kept
        {0x100 | 0x1, 0x20, true, 0x20 | 0x1},  // selection colours: no fill left, content bits go
        {0x80 | 0x8 | 0x10, 0x80, false, 0},    // the fill off: its content bits go too
        {0x40, 0x10, true, 0x50},
        {0x20, 0x4, true, 0x20},                // content without a fill is not kept
        {0x41, 0x1, false, 0x40},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, clickMenuOption(c.bits, c.bit, c.on)) << std::hex << c.bits << " " << c.bit;
    EXPECT_FALSE(menuOptionEnabled(0x20, 0x8));
    EXPECT_TRUE(menuOptionEnabled(0x100, 0x8));
    EXPECT_TRUE(menuOptionEnabled(0, 0x2));
}

TEST_F(ActionCustomizeTest, MenusNewRenameDeleteMoveAndCancelBringsThemBack) {
    GActionItemsWindow* w = open(0);
    EXPECT_TRUE(dialog->isKindOf(65) && dialog->isKindOf(120));
    saveWindowShot(dialog->hwnd, "action_customize.bmp");
    const std::string before = state();
    EXPECT_EQ("File|Edit|", rows(w));
    w->table->selectItem(0);
    w->updateButtons();
    EXPECT_FALSE(enabled(w->moveUp));
    EXPECT_TRUE(enabled(w->moveDown));
    EXPECT_FALSE(enabled(w->buttons[ActionsRestore - 1000]));

    g_names = {"Mine"};
    run(w, ActionsNew);
    EXPECT_EQ("File|Edit|Mine (empty)|", rows(w));
    EXPECT_EQ(2, w->table->currentItem());
    EXPECT_FALSE(enabled(w->moveDown));
    g_names = {"File"};
    run(w, ActionsNew);
    EXPECT_EQ((std::vector<std::string>{guiText(GuiText::ActionsNameTaken)}), g_boxes);

    run(w, ActionsDelete, 0);  // built-in
    EXPECT_EQ(guiText(GuiText::ActionsBuiltIn), g_boxes.back());
    g_names = {"Edit"};
    run(w, ActionsRename, 0);
    EXPECT_EQ("File", g_offered);
    EXPECT_EQ(guiText(GuiText::ActionsNameTaken), g_boxes.back());
    const size_t boxes = g_boxes.size();
    g_names = {"File"};  // its own name: nothing happens
    run(w, ActionsRename, 0);
    EXPECT_EQ(boxes, g_boxes.size());
    g_names = {"Documents"};
    run(w, ActionsRename, 0);
    run(w, ActionsMoveDown, 0);
    EXPECT_EQ("Edit|Documents|Mine (empty)|", rows(w));
    EXPECT_EQ(1, w->table->currentItem());
    run(w, ActionsShowHide, 0);
    EXPECT_EQ("Edit (hidden)|Documents|Mine (empty)|", rows(w));
    run(w, ActionsDelete, 2);
    EXPECT_EQ("Edit (hidden)|Documents|", rows(w));
    EXPECT_NE(before, state());

    SendMessageA(dialog->hwnd, WM_COMMAND, 2, 0);
    EXPECT_EQ(2, dialog->result);
    EXPECT_EQ(before, state());
}

TEST_F(ActionCustomizeTest, FiftyOneListsAreAcceptedTheFiftySecondIsNot) {
    GActionItemsWindow* w = open(0);
    for (int i = 0; i < 49; ++i) g_names.push_back("L" + std::to_string(i));
    for (int i = 0; i < 49; ++i) run(w, ActionsNew);
    EXPECT_EQ(51, w->table->itemCount());
    EXPECT_TRUE(g_boxes.empty());
    g_names = {"One more"};
    run(w, ActionsNew);
    EXPECT_EQ(51, w->table->itemCount());
    EXPECT_EQ((std::vector<std::string>{guiText(GuiText::ActionsTooMany)}), g_boxes);

    // Reset all: user-made lists go, built-in ones come back.
    run(w, ActionsRename, 0);
    run(w, ActionsResetAll);
    EXPECT_EQ("File|Edit|", rows(w));
}

TEST_F(ActionCustomizeTest, ToolBarsOfKindTwoStayShownAndHaveNoMoveButtons) {
    GActionItemsWindow* w = open(1);
    EXPECT_EQ(nullptr, w->moveUp);
    EXPECT_EQ("Main|Fixed|", rows(w));
    run(w, ActionsShowHide, 1);
    run(w, ActionsHideAll);
    EXPECT_EQ("Main (hidden)|Fixed|", rows(w));
    EXPECT_TRUE(fixed.shown);
    g_names = {"Extra"};
    run(w, ActionsNew);
    GToolBarSpec* made = findSpec(&fx.editor, "Extra");
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(0, made->p1);
    EXPECT_EQ(2, made->p3);  // after the last of the first row
    EXPECT_EQ(SpecToolBar, made->entryKind);

    // OK with nothing visible and non-empty: the note, then the options are stored.
    main.shown = 0;
    w->bits[0] = 0x3;
    SendMessageA(dialog->hwnd, WM_COMMAND, 1, 0);
    EXPECT_EQ(1, dialog->result);
    EXPECT_EQ((std::vector<std::string>{}), g_boxes);  // Fixed is shown and not empty
    EXPECT_EQ(0x3u, guiSettings.toolBarEffects);
}


TEST_F(ActionCustomizeTest, TheCloseBoxRevertsLikeCancel) {
    const std::string before = state();
    g_steps = {[&] {
        auto* open = static_cast<GActionCustomizeDialog*>(pendingModalDialog());
        if (!open) return false;
        g_names = {"Renamed", "New one"};
        run(open->items, ActionsRename, 1);
        run(open->items, ActionsNew);
        SetWindowLongA(open->hwnd, GWL_STYLE, GetWindowLongA(open->hwnd, GWL_STYLE) & ~WS_VISIBLE);
        PostMessageA(open->hwnd, WM_CLOSE, 0, 0);
        return true;
    }};
    UINT_PTR timer = SetTimer(nullptr, 0, 20, runStep);
    EXPECT_EQ(2, GActionCustomizeDialog::run(nullptr, 0, &fx.editor));
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_steps.empty());
    EXPECT_EQ(before, state());
}

TEST_F(ActionCustomizeTest, TheItemsEditorOffersTheModesActionsAndStoresTheRightSide) {
    fx.add(503, "&Close", "CLOSE", ActionNotInMenus);
    fx.add(504, "Recent", "RECENT", ActionPopup, {503, 501});
    const i32 withPopup[] = {502, 504};
    edit.defaultIds = withPopup;
    edit.defaultCount = 2;
    markOfferedActions(&fx.editor, 0);
    struct Mark {
        u32 id;
        bool marked;
    } marks[] = {{501, true}, {502, true}, {503, false}, {504, true}};
    for (const Mark& m : marks) EXPECT_EQ(m.marked, (actionById((i32)m.id)->flags & ActionMarked) != 0) << m.id;
    EXPECT_EQ("'File', 'Edit'", std::string(listsHolding(&fx.editor, 0, 502).c_str()));
    EXPECT_EQ("", std::string(listsHolding(&fx.editor, 1, 501).c_str()));

    GActionItemsWindow* w = open(0);
    GActionItemsDialog* items = nullptr;
    std::string left, right;
    g_steps = {[&] {
        items = static_cast<GActionItemsDialog*>(pendingModalDialog());
        if (!items || !items->isKindOf(TypeActionItemsDialog)) return false;
        for (ListRowModel* m : {items->chooser->availableRows(), items->chooser->chosenRows()})
            for (u32 i = 0; i < m->rows.count; ++i)
                (m == items->chooser->chosenRows() ? right : left) += std::string(m->rows.data[i]->text) + "|";
        items->chooser->left->selectItem(1);  // Open
        items->chooser->pressButton(ChooserAdd);
        SetWindowLongA(items->hwnd, GWL_STYLE, GetWindowLongA(items->hwnd, GWL_STYLE) & ~WS_VISIBLE);
        PostMessageA(items->hwnd, WM_COMMAND, 1, 0);
        return true;
    }};
    UINT_PTR timer = SetTimer(nullptr, 0, 20, runStep);
    run(w, ActionsEditItems, 1);  // Edit
    KillTimer(nullptr, timer);
    EXPECT_EQ(std::string(guiText(GuiText::ActionsItemsSeparator)) + "|Open|", left);
    EXPECT_EQ("Save|Recent|", right);
    EXPECT_TRUE(edit.customised);
    std::vector<i32> ids(edit.userIds.data, edit.userIds.data + edit.userIds.count);
    EXPECT_EQ(3u, ids.size());
    EXPECT_NE(ids.end(), std::find(ids.begin(), ids.end(), 501));
    for (u32 id : {501u, 502u, 504u}) EXPECT_FALSE(actionById((i32)id)->flags & ActionMarked) << id;
    edit.resetUser();
}
