// GBox as the combo's drop-down on real windows: the list is a headerless table in a pop-up that
// never takes the activation, and a click on a row chooses it; the item operations of a combo.
#include "gui/views/box.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/bag.h"
#include "gui/controls/combo.h"
#include "gui/controls/combo_items.h"
#include "gui/layout/layout_builder.h"
#include "gui/menus/popup_menu.h"
#include "gui/views/table_menu.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
struct BoxInstall {
    BoxInstall() : saved(comboListFactory) { installBoxList(); }
    ~BoxInstall() { comboListFactory = saved; }
    ComboListFactory saved;
};
}  // namespace

TEST(Box, DropsDownWithoutActivationAndAClickChoosesARow) {
    TestApplication app;
    BoxInstall install;
    InputFrame frame(nullptr, 200, 200, 400, 300);
    SetForegroundWindow(frame.hwnd);
    SetActiveWindow(frame.hwnd);
    ASSERT_TRUE(pumpUntil([&] { return GetActiveWindow() == frame.hwnd; }));

    GBag bag;
    for (const char* t : {"alpha", "beta", "gamma", "delta", "epsilon"}) bagWriteString(bag, t);
    GLayoutBuilder builder(&frame);
    GCombo* combo = GCombo::create(builder, &bag, 0, 12);
    MoveWindow(combo->hwnd, 10, 10, 150, 22, TRUE);

    combo->listMetric = 18;  // an image box of 18 pixels before each item
    combo->dropDown();
    ASSERT_TRUE(combo->dropped());
    auto* list = static_cast<GBoxList*>(combo->list());
    ASSERT_NE(nullptr, list->box);
    EXPECT_EQ(18u, list->box->columns[0].formatParam);
    EXPECT_STREQ("GBox", list->box->className());
    EXPECT_TRUE(list->box->isKindOf(TypeBox) && list->box->isKindOf(TypeTable));
    EXPECT_FALSE(list->box->hasHeader());
    GPopupMenu rowMenu;  // a right click on a row shows no menu
    list->box->rowMenuProvider()->fillMenu(*list->box, rowMenu, 0, 0);
    EXPECT_EQ(0, GetMenuItemCount(rowMenu.menu));
    EXPECT_EQ(0, list->currentRow());
    EXPECT_EQ(MA_NOACTIVATE, SendMessageA(list->popupWindow(), WM_MOUSEACTIVATE, (WPARAM)frame.hwnd,
                                          MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
    EXPECT_EQ(frame.hwnd, GetActiveWindow());

    // Rows answer at their places; the caret follows the pointer.
    i32 rh = list->box->rowHeightPixels();
    EXPECT_EQ(3, list->rowAtPoint(5, 3 * rh + rh / 2));
    list->forwardMouse(WM_MOUSEMOVE, 0, 5, 2 * rh + 1);
    EXPECT_EQ(2, list->currentRow());

    // A click on row 3, as the combo that holds the capture while open receives it.
    POINT p{5, 3 * rh + rh / 2};
    ClientToScreen(list->listWindow(), &p);
    ScreenToClient(combo->hwnd, &p);
    SendMessageA(combo->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageA(combo->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    EXPECT_FALSE(combo->dropped());
    EXPECT_EQ(3, combo->selection);
    EXPECT_EQ(frame.hwnd, GetActiveWindow());
}

TEST(ComboItems, FillAndQueryACombo) {
    TestApplication app;
    InputFrame frame(nullptr, 200, 200, 400, 300);
    GBag bag;
    for (const char* t : {"alpha", "beta"}) bagWriteString(bag, t);
    GLayoutBuilder builder(&frame);
    GCombo* combo = GCombo::create(builder, &bag, 0, 12);
    GComboItems items(combo);

    items.addItem("gamma");
    EXPECT_EQ(3, items.itemCount());
    EXPECT_EQ(2, items.findItem("gamma"));
    EXPECT_EQ(-1, items.findItem("Gamma"));
    GString text;
    ASSERT_TRUE(items.itemText(1, text));
    EXPECT_STREQ("beta", text.c_str());
    EXPECT_FALSE(items.itemText(3, text));

    struct Step {
        const char* name;
        void (GComboItems::*call)(i32);
        i32 index;
        i32 current;
    };
    const Step steps[] = {
        {"set", &GComboItems::setCurrentItem, 2, 2},
        {"set at the count: nothing", &GComboItems::setCurrentItem, 3, 2},
        {"set negative: nothing", &GComboItems::setCurrentItem, -1, 2},
        {"select none", &GComboItems::selectItem, -1, -1},
        {"select", &GComboItems::selectItem, 1, 1},
    };
    for (const Step& s : steps) {
        (items.*s.call)(s.index);
        EXPECT_EQ(s.current, items.currentItem()) << s.name;
    }
}

TEST(ComboItems, CreateHandleAndCurrentIndex) {
    TestApplication app;
    InputFrame frame(nullptr, 200, 200, 400, 300);
    GLayoutBuilder builder(&frame);
    GCombo* tall = new GCombo(&frame);
    ASSERT_TRUE(tall->createHandle(30));
    builder.add(tall);
    MoveWindow(tall->hwnd, 10, 10, 150, 22, TRUE);
    EXPECT_EQ(std::max(tall->lineHeight, 30) + 6, tall->itemHeight);
    EXPECT_EQ(WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP,
              (u32)GetWindowLongA(tall->hwnd, GWL_STYLE) & (WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP));
    EXPECT_EQ(0, tall->items().itemCount());
    EXPECT_EQ(-1, tall->items().currentItem());
    GCombo* plain = GCombo::create(builder, (const GBag*)nullptr, -1, 10);
    EXPECT_EQ(plain->lineHeight + 6, plain->itemHeight);

    for (const char* t : {"alpha", "beta"}) tall->items().addItem(t);
    struct Step {
        i32 index, current;
        bool repainted;
    };
    // At or past the count nothing changes; a negative index is none.
    const Step steps[] = {{1, 1, true}, {2, 1, false}, {7, 1, false}, {0, 0, true}, {-4, -1, true}};
    for (const Step& s : steps) {
        ValidateRect(tall->hwnd, nullptr);
        tall->setCurrentIndex(s.index);
        EXPECT_EQ(s.current, tall->selection) << s.index;
        EXPECT_EQ(s.repainted, GetUpdateRect(tall->hwnd, nullptr, FALSE) != 0) << s.index;
    }
}
