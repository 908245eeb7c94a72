// The page stack and the page switch item: which page shows, where, and how a header and a hidden
// field switch pages.
#include <gtest/gtest.h>

#include <string>

#include "gui/controls/page_switch_item.h"
#include "gui/layout/layout_rows.h"

namespace {
class Box : public GLayoutCell {
public:
    Box(i32 w, i32 h) : w(w), h(h) {}
    void getPreferredSize(i32* width, i32* height) override {
        *width = w;
        *height = h;
    }
    i32 w, h;
};

class Header : public Box, public GIndexSelector {
public:
    Header() : Box(60, 20) {}
    i32 selectedIndex() override { return selected; }
    void selectIndex(i32 index) override { selected = index; }
    i32 selected = 0;
};

// The container above the switch item, recording what comes up.
class Recorder : public GLayoutItem {
public:
    Recorder() : GLayoutItem(nullptr) {}
    bool onControlNotify(void* n) override {
        codes.push_back(static_cast<GControlNotification*>(n)->code);
        return true;
    }
    std::vector<u32> codes;
};

std::string str(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

std::string shown(GPageStack* stack) {
    std::string s;
    for (int i = 0; i < stack->childCount(); ++i) s += stack->childAt(i)->visible() ? '1' : '0';
    return s;
}
}  // namespace

TEST(PageStack, InsertingKeepsTheCurrentPageAndHidesTheNewOne) {
    GPageStack stack(nullptr);
    Box* a = new Box(10, 10);
    Box* b = new Box(10, 10);
    stack.addChild(a);
    stack.addChild(b);
    EXPECT_EQ("00", shown(&stack));
    stack.setCurrentPage(1);
    EXPECT_EQ("01", shown(&stack));
    struct Case {
        int at;
        i32 current;
        const char* visible;
    } cases[] = {
        {0, 2, "001"},     // before the current page
        {2, 3, "0001"},    // at the current index: the old page stays current, the new one hidden
        {4, 3, "00010"},   // after it
    };
    for (const Case& c : cases) {
        stack.insertChild(c.at, new Box(10, 10));
        EXPECT_EQ(c.current, stack.current) << c.at;
        EXPECT_EQ(c.visible, shown(&stack)) << c.at;
    }
    EXPECT_EQ(b, stack.currentPage());
    stack.setCurrentPage(-1);
    EXPECT_EQ("00000", shown(&stack));
    EXPECT_EQ(nullptr, stack.currentPage());
}

TEST(PageStack, SizeAndPlaceUseTheFourMargins) {
    GPageStack stack(nullptr);
    setLayoutDigits(&stack, "1234");
    Box* big = new Box(50, 30);
    Box* small = new Box(20, 40);
    stack.addChild(big);
    stack.addChild(small);
    stack.setCurrentPage(0);
    stack.refreshLayoutFlags();
    i32 w, h;
    preferredSizeOf(&stack, &w, &h);
    EXPECT_EQ(50 + 1 + 2, w);
    EXPECT_EQ(40 + 3 + 4, h);
    applyLayoutChange(&stack, RECT{0, 0, 100, 80});
    EXPECT_EQ("1,3,98,76", str(big->rect));
    // Margins wider than the rectangle give an empty place, never an inverted one.
    applyLayoutChange(&stack, RECT{0, 0, 2, 5});
    EXPECT_LE(big->rect.left, big->rect.right);
    EXPECT_LE(big->rect.top, big->rect.bottom);
}

TEST(PageSwitch, HeaderSelectionAndHiddenFieldsSwitchThePage) {
    Recorder recorder;
    GPageSwitchItem* item = new GPageSwitchItem(nullptr, '^');
    recorder.addChild(item);
    Header* header = new Header;
    item->addChild(header);
    GColumnsItem* first = new GColumnsItem(nullptr);
    first->addChild(new Box(40, 40));
    GColumnsItem* second = new GColumnsItem(nullptr);
    Box* field = new Box(30, 30);
    second->addChild(field);
    item->addChild(first);
    item->addChild(second);
    EXPECT_EQ(header, item->childAt(0));
    EXPECT_EQ(2, item->stack->childCount());
    item->stack->setCurrentPage(0);

    item->refreshLayoutFlags();
    i32 w, h;
    preferredSizeOf(item, &w, &h);
    EXPECT_EQ(60, w);
    EXPECT_EQ(20 + 8 + 40, h);
    applyLayoutChange(item, RECT{0, 0, 200, 100});
    EXPECT_EQ("0,28,200,100", str(item->stack->rect));

    // The header's notification 3 shows its page and goes on up.
    header->selected = 1;
    GControlNotification n{header, HeaderSelectionChanged, 1};
    EXPECT_TRUE(notifyUp(header, &n));
    EXPECT_EQ(1, item->stack->current);
    EXPECT_TRUE(second->visible());
    EXPECT_FALSE(first->visible());
    EXPECT_EQ(std::vector<u32>{HeaderSelectionChanged}, recorder.codes);
    // Other codes and other sources are not taken.
    GControlNotification other{header, 4, 0};
    EXPECT_FALSE(item->onControlNotify(&other));

    // A field of a hidden page that asks to be shown brings its page forward and the header along.
    item->stack->setCurrentPage(0);
    header->selected = 0;
    ASSERT_FALSE(field->visible());
    field->notify(LayoutReveal);
    EXPECT_EQ(1, item->stack->current);
    EXPECT_EQ(1, header->selected);
    EXPECT_TRUE(field->visible());
}

TEST(PageSwitch, HeaderOnTheSide) {
    GPageSwitchItem item(nullptr, '<');
    Header* header = new Header;
    item.setHeader(header);
    item.addChild(new Box(40, 50));
    item.stack->setCurrentPage(0);
    item.refreshLayoutFlags();
    i32 w, h;
    preferredSizeOf(&item, &w, &h);
    EXPECT_EQ(60 + 8 + 40, w);
    EXPECT_EQ(50, h);
    applyLayoutChange(&item, RECT{0, 0, 200, 100});
    EXPECT_EQ(0, header->rect.left);
    EXPECT_EQ("68,0,200,100", str(item.stack->rect));
    // A header set later replaces the first.
    Header* replacement = new Header;
    item.setHeader(replacement);
    EXPECT_EQ(replacement, item.childAt(0));
}
