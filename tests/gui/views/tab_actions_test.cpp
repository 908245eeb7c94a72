// The tab actions: enabling and checking over flag words, the closing rules, the customise
// submenu and the shared option word.
#include <gtest/gtest.h>

#include "gui/controls/mark_window.h"
#include "gui/controls/option_check_boxes.h"
#include "gui/kernel/window_procedure.h"
#include "gui/menus/action_table.h"
#include "gui/menus/popup_menu.h"
#include "gui/views/tab_actions.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"
#include "tests/gui/views/tab_fixture.h"

namespace {
class Parent : public GLayoutItem {
public:
    void requestRelayout(GLayoutCell*) override { ++relayouts; }
    int relayouts = 0;
};
}  // namespace

TEST(TabActions, EnableAndCheckFollowTheFlagWord) {
    registerTabActions();
    struct Case {
        const char* what;
        u32 word;
        i32 tabs, tab, addCommand;
        u32 command;
        i32 state, checked;  // checked -1: not asked
    } cases[] = {
        {"close with a tab", DefaultTabFlags, 2, 0, -1, TabClose, CommandEnabled, -1},
        {"close without a given tab", DefaultTabFlags, 2, -1, -1, TabClose, CommandDisabled, -1},
        {"close not allowed", DefaultTabFlags & ~TabAllowClose, 2, 0, -1, TabClose, CommandDisabled, -1},
        {"close all except with one tab", DefaultTabFlags, 1, 0, -1, TabCloseAllExcept, CommandDisabled, -1},
        {"close all except with two", DefaultTabFlags, 2, 0, -1, TabCloseAllExcept, CommandEnabled, -1},
        {"close detached needs attaching", DefaultTabFlags & ~TabAllowAttach, 2, 0, -1, TabCloseAllDetached, CommandDisabled, -1},
        {"copy not allowed", DefaultTabFlags & ~TabAllowCopy, 2, 0, -1, TabCopyShort, CommandDisabled, -1},
        {"next with one visible tab", DefaultTabFlags, 1, 0, -1, TabNext, CommandDisabled, -1},
        {"select with two tabs", DefaultTabFlags, 2, -1, -1, TabSelect, CommandEnabled, -1},
        {"tooltips on", DefaultTabFlags, 2, 0, -1, 0x80, CommandEnabled, 1},
        {"auto-hide off by default", DefaultTabFlags, 2, 0, -1, 0x81, CommandEnabled, 0},
        {"attach mini off by default", DefaultTabFlags, 2, 0, -1, 0x83, CommandEnabled, 0},
        {"add button without an add command", DefaultTabFlags, 2, 0, -1, 0x86, CommandDisabled, 1},
        {"add button with one", DefaultTabFlags, 2, 0, 300, 0x86, CommandEnabled, 1},
        {"double click with close or attach", TabAllowCustomize | TabAllowAttach, 2, 0, -1, 0x88, CommandEnabled, 0},
        {"drag out not allowed", DefaultTabFlags & ~TabAllowDragOut, 2, 0, -1, 0x8b, CommandDisabled, 1},
        {"tab windows' word offers nothing", 0, 2, 0, -1, TabClose, CommandDisabled, -1},
        {"the add command id is its own", 0, 2, 0, 0x76, TabCloseAll, CommandEnabled, -1},
    };
    for (const Case& c : cases) {
        FakeTabs tabs(c.tabs);
        u32 word = c.word;
        GTab strip(nullptr, &word);
        strip.setListener(&tabs);
        strip.addCommand = c.addCommand;
        EXPECT_EQ(c.state, strip.tabActionState(c.command, c.tab)) << c.what;
        if (c.checked >= 0) {
            EXPECT_EQ(c.checked, strip.commandChecked(c.command)) << c.what;
        }
    }
    // Bit 5 clear disables all twelve toggles, whatever else is set.
    FakeTabs tabs(3);
    u32 word = 0xFFFFFFFFu & ~TabAllowCustomize;
    GTab strip(nullptr, &word);
    strip.setListener(&tabs);
    strip.addCommand = 300;
    for (u32 id = TabFirstOption; id <= TabLastOption; ++id)
        EXPECT_EQ(CommandDisabled, strip.tabActionState(id, 0)) << id;
    EXPECT_EQ(CommandDisabled, strip.tabActionState(TabCustomize, 0));
    EXPECT_EQ(CommandUnknown, strip.tabActionState(0x74, 0));
    EXPECT_EQ(CommandUnknown, strip.commandState(0x8c));
    // The attached tab answers checked.
    strip.toggleAttached(0);
    EXPECT_EQ(1, strip.commandChecked(TabAttach));
}

TEST(TabActions, ClosingByRuleStopsAtTheFirstRefusal) {
    u32 word = DefaultTabFlags;
    {
        FakeTabs tabs(5);
        GTab strip(nullptr, &word);
        strip.setListener(&tabs);
        strip.select(1);
        tabs.items[2]->refuses = true;
        EXPECT_FALSE(closeAllTabs(strip));
        // t4 and t3 closed from the end, then t2 refused: the rest stays open.
        EXPECT_EQ("t0 t1 t2", tabs.names());
        EXPECT_EQ(1, strip.current);
        tabs.items[2]->refuses = false;
        EXPECT_TRUE(closeAllTabs(strip));
        EXPECT_EQ("", tabs.names());
        EXPECT_EQ(-1, strip.current);
    }
    {
        FakeTabs tabs(5);
        GTab strip(nullptr, &word);
        strip.setListener(&tabs);
        strip.select(3);
        EXPECT_TRUE(closeAllTabsExcept(strip, 1));
        EXPECT_EQ("t1", tabs.names());
        EXPECT_EQ(0, strip.current);
        EXPECT_FALSE(closeAllTabsExcept(strip, 5));  // out of range
        EXPECT_FALSE(closeAllTabsExcept(strip, -1));
    }
    {
        FakeTabs tabs(5);
        GTab strip(nullptr, &word);
        strip.setListener(&tabs);
        strip.select(2);
        strip.toggleAttached(1);
        strip.toggleAttached(4);
        EXPECT_TRUE(closeAllDetachedTabs(strip));
        EXPECT_EQ("t1 t4", tabs.names());
        // The attached tabs can still be closed by hand.
        strip.runTabAction(TabClose, 0);
        EXPECT_EQ("t4", tabs.names());
    }
}

TEST(TabActions, CustomizeListsTheOptionsInIdOrderAndTogglesReachEveryStrip) {
    TestApplication test;
    registerTabActions();
    InputFrame frame(nullptr, 10, 10, 300, 100);
    u32 saved = tabFlagWord;
    FakeTabs tabs(3);
    GTab* a = new GTab(&frame, &tabFlagWord);
    a->create();
    a->setListener(&tabs);
    GTab* b = new GTab(&frame, &tabFlagWord);
    b->create();
    Parent pa, pb;
    pa.addChild(a);
    pb.addChild(b);

    GPopupMenu menu;
    a->fillContextMenu(menu, 0, false);
    i32 customize = -1;
    for (i32 i = 0; i < GetMenuItemCount(menu.menu); ++i)
        if (menuItemCommandId(menu.menu, i) == (i32)TabCustomize) customize = i;
    ASSERT_GE(customize, 0);
    HMENU sub = GetSubMenu(menu.menu, customize);
    ASSERT_TRUE(sub);
    std::vector<i32> ids;
    for (i32 i = 0; i < GetMenuItemCount(sub); ++i) ids.push_back(menuItemCommandId(sub, i));
    // The add-button and add-click toggles are left out without an add command (disabled).
    EXPECT_EQ((std::vector<i32>{0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x87, 0x88, 0x8a, 0x8b}), ids);
    a->addCommand = 300;
    GPopupMenu withAdd;
    a->fillContextMenu(withAdd, -1, true);
    ASSERT_EQ(1, GetMenuItemCount(withAdd.menu));
    sub = GetSubMenu(withAdd.menu, 0);
    ids.clear();
    for (i32 i = 0; i < GetMenuItemCount(sub); ++i) ids.push_back(menuItemCommandId(sub, i));
    EXPECT_EQ((std::vector<i32>{0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x8b}), ids);

    a->runTabAction(0x81, 0);
    EXPECT_EQ(saved ^ TabOptionAutoHide, tabFlagWord);
    EXPECT_EQ(1, pa.relayouts);
    EXPECT_EQ(1, pb.relayouts);
    EXPECT_EQ(1, b->commandChecked(0x81));
    a->runTabAction(0x81, 0);
    EXPECT_EQ(saved, tabFlagWord);

    // The options dialog's boxes write bits 16.. and lay the strips out again.
    std::vector<GCheckBox*> boxes;
    for (int i = 0; i < 12; ++i) {
        GCheckBox* box = new GCheckBox(&frame);
        box->state = i % 2;
        boxes.push_back(box);
    }
    applyTabOptionCheckBoxes(boxes.data(), 12);
    EXPECT_EQ(0xAAA0000u, tabFlagWord & TabOptionBits);
    EXPECT_EQ(saved & ~TabOptionBits, tabFlagWord & ~TabOptionBits);
    EXPECT_EQ(3, pa.relayouts);
    u32 other = 0xF;
    applyOptionCheckBoxes(boxes.data(), 4, &other, 0);
    EXPECT_EQ(0xAu, other);
    for (GCheckBox* box : boxes) delete box;
    tabFlagWord = saved;
    pa.removeChild(a);
    pb.removeChild(b);
    delete a;
    delete b;
}
