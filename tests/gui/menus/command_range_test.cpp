#include <windows.h>

#include <gtest/gtest.h>

#include "gui/menus/action_image.h"
#include "gui/menus/action_table.h"
#include "gui/menus/action_texts.h"
#include "gui/menus/command_range.h"
#include "gui/menus/menu.h"
#include "gui/menus/menu_painter.h"
#include "gui/menus/pane_color_group.h"
#include "gui/paint/color_swatch.h"
#include "tests/gui/dib_canvas.h"

namespace {
// Actions 500 and 502 exist; 501 has no record.
struct RegisteredActions {
    RegisteredActions() {
        for (GActionItem* a : {&first, &third}) registerAction(a);
    }
    ~RegisteredActions() {
        for (GActionItem* a : {&first, &third}) unregisterAction(a);
    }
    char* title = (char*)"Colour";
    GActionItem first = make(500), third = make(502);
    GActionItem make(u32 id) {
        GActionItem a;
        a.id = id;
        a.title = &title;
        return a;
    }
};

CommandRange rangeOf(i32 first, i32 last, u32 base) {
    CommandRange r(first, last);
    for (i32 id = first; id <= last; ++id) r.valueOf(id) = base + (u32)(id - first);
    r.flag = 3;
    r.value = 77;
    return r;
}

// A group of three colours whose defaults are 1, 2 and 3.
struct CountedGroup : PaneColorGroup {
    CommandRange colours{500, 502};
    int defaults = 0;
    const char* name() override { return "group"; }
    CommandRange* range() override { return &colours; }
    void restoreDefaults() override {
        ++defaults;
        for (u32 i = 0; i < 3; ++i) colours.values[i] = i + 1;
    }
    void apply() override {}
};

// Paints the owner-drawn menu item at the position into a 200 x 24 canvas.
void paintItem(DibCanvas& canvas, HMENU menu, i32 position) {
    DRAWITEMSTRUCT d = {};
    d.CtlType = ODT_MENU;
    d.itemAction = ODA_DRAWENTIRE;
    d.hDC = canvas.dc();
    d.rcItem = {0, 0, 200, 24};
    d.itemData = (ULONG_PTR)menuItemDataAt(menu, position);
    ASSERT_TRUE(paintMenuItem(nullptr, WM_DRAWITEM, (LPARAM)&d));
}
}  // namespace

TEST(CommandRange, CopyAndAssign) {
    RegisteredActions actions;
    CommandRange source = rangeOf(500, 502, 0x10);
    source.ensureEntries();
    CommandRange copy(source);
    EXPECT_EQ(copy.first, 500);
    EXPECT_EQ(copy.last, 502);
    EXPECT_EQ(copy.flag, 3);
    EXPECT_EQ(copy.value, 77u);
    EXPECT_EQ(copy.valueOf(502), 0x12u);
    EXPECT_EQ(copy.swatches, nullptr);
    EXPECT_NE(copy.values, source.values);

    CommandRange other = rangeOf(600, 603, 0x40);
    other.flag = 9;
    other.value = 5;
    copy.assign(other);
    EXPECT_EQ(copy.first, 600);
    EXPECT_EQ(copy.last, 603);
    EXPECT_EQ(copy.valueOf(603), 0x43u);
    EXPECT_EQ(copy.flag, 9);
    EXPECT_EQ(copy.value, 77u);  // the value stays
}

TEST(CommandRange, SwatchesBecomeActionImagesAndFollowTheValues) {
    RegisteredActions actions;
    CommandRange range = rangeOf(500, 502, RGB(255, 0, 0));
    range.ensureEntries();
    ColorSwatch* swatch = range.swatch(500);
    ASSERT_NE(swatch, nullptr);
    range.ensureEntries();  // once only
    EXPECT_EQ(range.swatch(500), swatch);
    EXPECT_EQ(swatch->size().cx, 20);
    EXPECT_EQ(actions.first.image, swatch);
    EXPECT_TRUE(actions.first.flags & ActionImageCached);
    EXPECT_EQ(actions.third.image, range.swatch(502));
    EXPECT_EQ(actionImageList(&actions.first, nullptr), swatch);
    EXPECT_EQ(actionDrawable(swatch), swatch);

    // Built once; a changed value shows at the next paint.
    GMenu menu(CreatePopupMenu(), true);
    const i32 ids[] = {500, 502};
    fillMenuFromIds(nullptr, menu, ids, 2, MenuContext);
    DibCanvas canvas(200, 24, RGB(1, 2, 3));
    paintItem(canvas, menu.menu, 0);
    const i32 x = 2 + 10, y = 12;  // the swatch's middle
    EXPECT_EQ(canvas.pixel(x, y), RGB(255, 0, 0));
    range.valueOf(500) = RGB(0, 0, 255);
    paintItem(canvas, menu.menu, 0);
    EXPECT_EQ(canvas.pixel(x, y), RGB(0, 0, 255));

    // After assign the actions show no swatch, and the built menu paints none (the old one is freed).
    range.assign(rangeOf(500, 502, RGB(0, 255, 0)));
    EXPECT_EQ(actions.first.image, nullptr);
    EXPECT_FALSE(actions.first.flags & ActionImageCached);
    EXPECT_EQ(actionDrawable(swatch), nullptr);
    paintItem(canvas, menu.menu, 0);
    EXPECT_NE(canvas.pixel(x, y), RGB(0, 0, 255));
    range.ensureEntries();
    EXPECT_EQ(actionImageList(&actions.first, nullptr), range.swatch(500));
}

TEST(CommandRange, DestroyedRangeLeavesNoImage) {
    RegisteredActions actions;
    {
        CommandRange range = rangeOf(500, 502, 0);
        range.ensureEntries();
        ASSERT_NE(actions.third.image, nullptr);
    }
    EXPECT_EQ(actions.third.image, nullptr);
    EXPECT_FALSE(actions.third.flags & ActionImageCached);
}

// A group never given its colours (all black) takes its defaults before a pane reads them; one that
// holds any colour keeps what it holds, black entries included.
TEST(CommandRange, PanesGiveAnUnsetColourGroupItsDefaults) {
    RegisteredActions actions;
    const struct Case {
        u32 held[3];
        int defaults;
        u32 after[3];
    } cases[] = {
        {{0, 0, 0}, 1, {1, 2, 3}},
        {{0, 0, 7}, 0, {0, 0, 7}},
        {{9, 8, 7}, 0, {9, 8, 7}},
    };
    for (const Case& c : cases) {
        CountedGroup group;
        for (u32 i = 0; i < 3; ++i) group.colours.values[i] = c.held[i];
        ensurePaneColors(&group);
        EXPECT_EQ(group.defaults, c.defaults) << c.held[2];
        for (u32 i = 0; i < 3; ++i) EXPECT_EQ(group.colours.values[i], c.after[i]) << i;
        EXPECT_EQ(actions.first.image, group.colours.swatch(500));
        ensurePaneColors(&group);
        EXPECT_EQ(group.defaults, c.defaults);
    }
    ensurePaneColors(nullptr);
}
