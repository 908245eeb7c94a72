#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "core/exceptions.h"
#include "gui/controls/section_column.h"
#include "gui/controls/status_line.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_cell.h"
#include "gui/menus/menu.h"
#include "gui/menus/popup_menu.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"

namespace {

class SectionColumnTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = new GParentWindow;
        ASSERT_TRUE(createTopLevelWindow(host, WS_POPUP, WS_EX_TOPMOST, "sections"));
        SetWindowPos(host->hwnd, nullptr, 40, 40, 300, 200, SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOZORDER);
    }
    void TearDown() override {
        DestroyWindow(host->hwnd);  // with the content and its columns
    }
    // Columns side by side in the window's content row.
    GSectionColumn* column(u32 key, int sections) {
        if (!row) {
            row = new GRowItem(host);
            host->setContent(row);
        }
        GLayoutBuilder builder(host);
        builder.current = row;
        GSectionColumn* c = addSectionColumn(builder, key, "Uv");
        for (int i = 1; i <= sections; i++) c->addSection(("Section " + std::to_string(i)).c_str(), true);
        applyLayoutChange(row, RECT{0, 0, 300, 200});
        return c;
    }
    static HWND window(GSectionColumn* c, int i) { return c->children[i]->asChildWindow()->hwnd; }
    // '#' for each included child, '.' for each excluded one; child 0 first.
    static std::string shown(GSectionColumn* c) {
        std::string text;
        for (int i = 0; i < c->childCount(); i++) {
            bool shownNow = (GetWindowLongA(window(c, i), GWL_STYLE) & WS_VISIBLE) != 0;
            EXPECT_EQ(shownNow, !c->excluded(i)) << "window and cell agree";
            text += c->excluded(i) ? '.' : '#';
        }
        return text;
    }

    TestApplication test;
    GParentWindow* host = nullptr;
    GRowItem* row = nullptr;
};

TEST_F(SectionColumnTest, ThePlaceholderShowsExactlyWhenNoSectionDoes) {
    GSectionColumn* c = column(1, 3);
    struct Step {
        u32 command;
        const char* shown;
    } steps[] = {
        {1, "..##"}, {2, "...#"}, {3, "#..."},  // the last section goes: the line shows
        {2, "..#."},                            // any section hides it again
        {SectionsHideAll, "#..."}, {SectionsShowAll, ".###"},
        {SectionsShowAll, ".###"}, {9, ".###"},  // no such section
    };
    EXPECT_EQ(shown(c), ".###");
    for (const Step& step : steps) {
        c->runSectionCommand(step.command);
        EXPECT_EQ(shown(c), step.shown) << step.command;
    }
    // The shown sections are stacked from the top without gaps.
    c->runSectionCommand(2);
    RECT first, last;
    GetWindowRect(window(c, 1), &first);
    GetWindowRect(window(c, 3), &last);
    EXPECT_EQ(first.bottom, last.top);
    EXPECT_GT(first.bottom, first.top);
    if (getenv("RAVO_GUI_SHOT")) {
        static_cast<GStatusLine*>(c->children[1])->setFieldText(0, "First section");
        static_cast<GStatusLine*>(c->children[3])->setFieldText(0, "Third section");
        RedrawWindow(host->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        DibCanvas shot(300, 80);
        HDC dc = GetDC(host->hwnd);
        BitBlt(shot.dc(), 0, 0, 300, 80, dc, 0, 120, SRCCOPY);  // the column sits at the bottom
        ReleaseDC(host->hwnd, dc);
        saveShot(shot, "sections.bmp");
    }
}

TEST_F(SectionColumnTest, ColumnsOfOneKeyChangeTogether) {
    GSectionColumn* a = column(7, 3);
    GSectionColumn* b = column(7, 2);
    GSectionColumn* other = column(9, 3);
    a->runSectionCommand(1);
    EXPECT_EQ(shown(a), "..##");
    EXPECT_EQ(shown(b), "..#");
    EXPECT_EQ(shown(other), ".###");
    a->runSectionCommand(3);  // b has no third section
    EXPECT_EQ(shown(a), "..#.");
    EXPECT_EQ(shown(b), "..#");
    b->runSectionCommand(SectionsHideAll);
    EXPECT_EQ(shown(a), "#...");
    EXPECT_EQ(shown(b), "#..");
    EXPECT_EQ(shown(other), ".###");
    EXPECT_EQ(a->states, (std::vector<u8>{0, 1, 1, 1}));
    EXPECT_EQ(b->states, (std::vector<u8>{0, 1, 1}));
}

TEST_F(SectionColumnTest, StatesRestoreFromABagAndAShortOneThrows) {
    GSectionColumn* c = column(3, 3);
    GBag bag;
    for (u8 b : {1, 0, 1}) bagWriteU8(bag, b);
    bag.pos = 0;
    c->restoreSections(bag);
    EXPECT_EQ(shown(c), "..#.");
    EXPECT_EQ(c->states, (std::vector<u8>{0, 1, 0, 1}));

    GBag hidden;
    for (u8 b : {1, 1, 1}) bagWriteU8(hidden, b);
    hidden.pos = 0;
    c->restoreSections(hidden);
    EXPECT_EQ(shown(c), "#...");

    GBag shortBag;
    bagWriteU8(shortBag, 0);
    bagWriteU8(shortBag, 0);
    shortBag.pos = 0;
    EXPECT_THROW(c->restoreSections(shortBag), GBagException);
    EXPECT_EQ(shown(c), "#...");  // nothing applied
}

TEST_F(SectionColumnTest, TheContextMenuListsTheSectionsAndRunsTheChoice) {
    GSectionColumn* c = column(5, 2);
    c->runSectionCommand(2);
    {
        GPopupMenu popup;
        c->fillSectionMenu(popup);
        HMENU menu = popup.menu;
        ASSERT_EQ(GetMenuItemCount(menu), 5);
        EXPECT_STREQ(menuStringAt(menu, 0).c_str(), "Section 1");
        for (i32 i = 0; i < 5; ++i)  // owner-drawn through the menu painter
            EXPECT_NE(GetMenuState(menu, i, MF_BYPOSITION) & MF_OWNERDRAW, 0u) << i;
        EXPECT_EQ(GetMenuState(menu, 0, MF_BYPOSITION) & MF_CHECKED, (UINT)MF_CHECKED);
        EXPECT_EQ(GetMenuState(menu, 1, MF_BYPOSITION) & MF_CHECKED, 0u);
        EXPECT_NE(GetMenuState(menu, 2, MF_BYPOSITION) & MF_SEPARATOR, 0u);
        EXPECT_EQ(menuItemCommandId(menu, 2), -1);
        EXPECT_EQ(menuItemCommandId(menu, 3), (i32)SectionsShowAll);
        EXPECT_EQ(menuItemCommandId(menu, 4), (i32)SectionsHideAll);
    }

    // A right-button release on a section opens the real menu; Enter on its first entry hides section 1.
    std::thread chooser([] {
        HWND popup = nullptr;
        for (int i = 0; i < 500 && !(popup = FindWindowA("#32768", nullptr)); i++) Sleep(10);
        PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
    });
    HWND section = window(c, 1);
    RECT r;
    GetWindowRect(section, &r);
    SendMessageA(section, WM_CONTEXTMENU, (WPARAM)section, MAKELPARAM(r.left + 5, r.top + 5));
    chooser.join();
    EXPECT_EQ(shown(c), "#..");

    // A double click on a section hides them all; a click on the collapsed column shows them all.
    SendMessageA(window(c, 0), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(shown(c), ".##");
    SendMessageA(window(c, 2), WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    EXPECT_EQ(shown(c), "#..");
}

}  // namespace
