// The program's window kinds and their bars, and the Editor kind's menu bar and docks in a real window.
#include "app/window_kinds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program_actions.h"
#include "gui/controls/tool_bar.h"
#include "gui/frame/app_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/strip_item.h"
#include "gui/menus/menu.h"
#include "tests/gui/gui_fixture.h"

namespace {
const bool linked = programActionCount() > 0 && programWindowKind(KindEditor) != nullptr;

// "name:kind" of each bar, kind M, T or X.
std::string barsOf(WindowKind* kind) {
    std::string out;
    for (GToolBarSpec* s = kind->firstSpec; s; s = s->next) {
        if (!out.empty()) out += " ";
        out += std::string(s->name) + ":" + "MTX"[s->entryKind];
    }
    return out;
}
}  // namespace

TEST(WindowKinds, ListOrderTitlesAndIcons) {
    ASSERT_TRUE(linked);
    const struct {
        u32 kind;
        const char* name;
        u32 icon;
    } expected[] = {{77, "Default", 3093},   {1029, "Instrument", 3134}, {1016, "Welcome", 3244},
                    {70, "ACM", 3129},       {71, "Devices", 3128},      {69, "Converter", 8004},
                    {73, "Analyzer", 3196},  {1012, "Editor", 3024},     {1001, "MDEditor", 3067},
                    {1002, "Spectrum", 3004}};
    // The program's kinds are the first ten of the list (tests may add theirs at the head).
    WindowKind* kind = firstWindowKind();
    while (kind && kind->typeId != 77) kind = kind->next;
    for (const auto& e : expected) {
        ASSERT_NE(kind, nullptr) << e.name;
        EXPECT_EQ(kind->typeId, e.kind);
        EXPECT_STREQ(kind->name, e.name);
        EXPECT_EQ(kind->iconId, e.icon);
        EXPECT_EQ(programWindowKind(e.kind), kind);
        ASSERT_NE(windowKindTitle(e.kind), nullptr);
        EXPECT_NE(**windowKindTitle(e.kind), 0);
        EXPECT_EQ(windowKindIdByName(e.name), (i32)e.kind);
        kind = kind->next;
    }
    EXPECT_EQ(windowKindTitle(72), nullptr);
}

TEST(WindowKinds, BarsOfEachKindInOrder) {
    const struct {
        u32 kind;
        const char* bars;
    } expected[] = {
        {1002, "File:M Edit:M View:M Math:M Window:M Help:M TB_File:T TB_Edit:T TBGraph:T TB_Scale:T "
               "X_Additional:X X_Customize:X"},
        {1001, "File:M Edit:M Build:M View:M Window:M Help:M ToolBar:T X_Customize:X"},
        {1012, "File:M Edit:M Math:M View:M Tracks:M Selection:M Sample:M Ansy:M Window:M Help:M TB_File:T "
               "TB_Edit:T TB_Frequent:T TB_Play:T TB_Record:T TB_Effects:T TB_Draw:T TB_AnaSyn:T TB_Backup:T "
               "TB_Tracks:T TB_Scale:T X_Customize:X X_Additional:X"},
        {73, "File:M View:M Window:M Help:M TB_File:T X_Customize:X"},
        {69, "File:M Window:M Help:M TB_File:T X_Customize:X"},
        {71, "File:M Tools:M Window:M Help:M ToolBar:T X_Customize:X"},
        {70, "File:M Window:M Help:M X_Customize:X"},
        {1016, "File:M Window:M Help:M X_Customize:X"},
        {1029, "File:M Edit:M View:M Window:M Help:M ToolBar:T X_Additional:X X_Customize:X"},
        {77, "File:M Window:M Help:M X_Customize:X"},
    };
    for (const auto& e : expected) {
        WindowKind* kind = programWindowKind(e.kind);
        ASSERT_NE(kind, nullptr);
        EXPECT_EQ(barsOf(kind), e.bars) << kind->name;
        for (GToolBarSpec* s = kind->firstSpec; s; s = s->next) {
            EXPECT_EQ(s->kind, kind);
            EXPECT_NE(s->title, nullptr) << s->name;
            EXPECT_GT(s->defaultCount, 0) << s->name;
            for (i32 i = 0; i < s->defaultCount; ++i)
                if (s->defaultIds[i] != -1) EXPECT_NE(actionById(s->defaultIds[i]), nullptr) << s->name << i;
            bool record = e.kind == KindEditor && std::string(s->name) == "TB_Record";
            EXPECT_EQ(s->defaultShown, record ? 0 : 1) << s->name;
        }
    }
    // Window, Help and X_Customize are one list for every kind.
    WindowKind* editor = programWindowKind(KindEditor);
    WindowKind* acm = programWindowKind(KindAcm);
    for (const char* name : {"Window", "Help", "X_Customize"})
        EXPECT_EQ(findSpec(editor, name)->defaultIds, findSpec(acm, name)->defaultIds);
    GToolBarSpec* help = findSpec(acm, "Help");
    std::vector<i32> ids(help->defaultIds, help->defaultIds + help->defaultCount);
    EXPECT_EQ(ids, (std::vector<i32>{306, 304, 305, 302, -1, 623, -1, 301, -1, 362, -1, 498}));
    GToolBarSpec* record = findSpec(editor, "TB_Record");
    ids.assign(record->defaultIds, record->defaultIds + record->defaultCount);
    EXPECT_EQ(ids, (std::vector<i32>{315, 206, -1, 401, 595, 596, 597, 598}));
}

namespace {
class EditorKindWindow : public GAppWindow {
public:
    u32 typeId() const override { return KindEditor; }
    bool isKindOf(u32 id) const override { return id == KindEditor || GAppWindow::isKindOf(id); }
};

// The item's text: owner-drawn items carry it in their item data.
std::string menuString(HMENU menu, int at) {
    char text[128] = {};
    GetMenuStringA(menu, (UINT)at, text, sizeof text, MF_BYPOSITION);
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    GetMenuItemInfoA(menu, (UINT)at, TRUE, &info);
    const char* shown = *text || !info.dwItemData ? text : reinterpret_cast<GMenuItemData*>(info.dwItemData)->text.c_str();
    std::string out;
    for (const char* c = shown; *c; ++c)
        if (*c != '&') out += *c;
    return out;
}
}  // namespace

TEST(WindowKinds, EditorWindowBuildsItsMenuBarAndDock) {
    TestApplication test;
    EditorKindWindow* window = new EditorKindWindow;  // deletes itself with its native window
    ASSERT_TRUE(createTopLevelWindow(window, WS_OVERLAPPEDWINDOW, 0, "editor"));
    GLayoutItem* root = new GLayoutItem(window);
    GStripItem* top = new GStripItem(window, TopDockKey, 0);
    root->addChild(top);
    window->setContent(root);
    SetWindowPos(window->hwnd, nullptr, 0, 0, 900, 500, SWP_NOZORDER | SWP_SHOWWINDOW);
    GAppWindow::updateSystemMenu(window);

    HMENU bar = GetMenu(window->hwnd);
    ASSERT_NE(bar, nullptr);
    std::vector<std::string> titles;
    for (int i = 0; i < GetMenuItemCount(bar); ++i) titles.push_back(menuString(bar, i));
    EXPECT_EQ(titles, (std::vector<std::string>{"File", "Edit", "Math", "View", "Tracks", "Selection", "Sample",
                                                "Ansy", "Window", "Help"}));
    // Edit holds PASTE_MENU2 as a popup of its items.
    HMENU edit = GetSubMenu(bar, 1);
    ASSERT_NE(edit, nullptr);
    HMENU paste = nullptr;
    for (int i = 0; i < GetMenuItemCount(edit) && !paste; ++i) {
        HMENU sub = GetSubMenu(edit, i);
        if (sub && GetMenuItemCount(sub) == 9) paste = sub;
    }
    ASSERT_NE(paste, nullptr);
    std::vector<i32> ids;
    for (int i = 0; i < GetMenuItemCount(paste); ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID;
        GetMenuItemInfoA(paste, (UINT)i, TRUE, &info);
        ids.push_back(info.fType & MFT_SEPARATOR ? -1 : (i32)GetMenuItemID(paste, i));
    }
    EXPECT_EQ(ids, (std::vector<i32>{415, 416, -1, 418, 419, 420, -1, 417, 484}));

    // The dock holds the shown tool bars, not the record bar.
    std::string names;
    for (const auto& row : top->rows)
        for (GLayoutCell* c : row) names += std::string(static_cast<GToolBar*>(c)->name) + " ";
    EXPECT_EQ(names, "TB_File TB_Edit TB_Frequent TB_Play TB_Effects TB_Draw TB_AnaSyn TB_Backup TB_Tracks TB_Scale ");
    DestroyWindow(window->hwnd);
}
