// The tab strip without a window: layout and keep-in-view over fixed widths, the scroll buttons,
// selection, closing and hiding, auto-hide.
#include <gtest/gtest.h>

#include "gui/layout/sized_box.h"
#include "gui/views/tab_actions.h"
#include "tests/gui/views/tab_fixture.h"

namespace {
// A container that counts the strip's requests to be laid out again.
class Parent : public GLayoutItem {
public:
    void requestRelayout(GLayoutCell*) override { ++relayouts; }
    int relayouts = 0;
};

struct Strip {
    explicit Strip(i32 n, i32 width = 20, u32 flags = 0) : tabs(n, width), word(flags), strip(nullptr, &word) {
        strip.setListener(&tabs);
    }
    i32 shownWidth(i32 i) {
        i32 l, r;
        return strip.tabSpan(i, &l, &r) ? r - l : 0;
    }
    bool whole(i32 i) { return shownWidth(i) == tabs.items[i]->record->width; }
    FakeTabs tabs;
    u32 word;
    GTab strip;
};
}  // namespace

TEST(TabLayout, FitsOverflowsAndAligns) {
    struct Case {
        const char* what;
        i32 tabs, width, clientWidth;
        u32 flags;     // expected among the anchor/aligned/fit bits
        i32 left, right;  // tab area
    } cases[] = {
        // 3 tabs of 20 with two gaps: 62 pixels.
        {"fits with room", 3, 20, 100, TabAnchorLeft | TabLeftAligned | TabAllFit, 0, 100},
        {"fits exactly", 3, 20, 62, TabAnchorLeft | TabLeftAligned | TabRightAligned | TabAllFit, 0, 62},
        {"overflow takes the scroll buttons", 10, 20, 100, TabAnchorLeft | TabLeftAligned, 25, 75},
        {"one tab too wide is cut without scroll buttons", 1, 200, 100, TabAnchorLeft | TabLeftAligned, 0, 100},
        {"no room", 3, 20, 0, TabAnchorLeft, 0, 0},
    };
    for (const Case& c : cases) {
        Strip s(c.tabs, c.width);
        s.strip.arrange(c.clientWidth);
        EXPECT_EQ(c.flags, s.strip.stripFlags & (TabAnchorLeft | TabLeftAligned | TabRightAligned | TabAllFit)) << c.what;
        EXPECT_EQ(c.left, s.strip.tabsLeft) << c.what;
        EXPECT_EQ(c.right, s.strip.tabsRight) << c.what;
    }
    // The shown tabs follow each other with 1-pixel gaps.
    Strip s(3, 20);
    s.strip.arrange(100);
    i32 l0, r0, l1, r1;
    ASSERT_TRUE(s.strip.tabSpan(0, &l0, &r0) && s.strip.tabSpan(1, &l1, &r1));
    EXPECT_EQ(0, l0);
    EXPECT_EQ(20, r0);
    EXPECT_EQ(21, l1);
    EXPECT_EQ(-1, s.strip.tabAt(20, 5, nullptr));
    EXPECT_EQ(1, s.strip.tabAt(21, 5, nullptr));
    EXPECT_EQ(1, s.strip.insertionGap(28));
    EXPECT_EQ(2, s.strip.insertionGap(35));
    EXPECT_EQ(3, s.strip.insertionGap(99));
}

TEST(TabLayout, KeepInViewShowsEveryCurrentTabWithinThePassLimit) {
    for (i32 width : {20, 33, 57}) {
        for (i32 current = 0; current < 30; ++current) {
            Strip s(30, width);
            s.strip.arrange(300);
            s.strip.origin = current < 15 ? 29 : 0;  // start far away
            s.strip.stripFlags ^= current % 2 ? (u32)TabAnchorLeft : 0u;
            ASSERT_TRUE(s.strip.select(current) || current == 0);
            s.strip.stripFlags |= TabKeepInView;
            s.strip.arrange(300);
            EXPECT_LE(s.strip.passes, TabFillPassLimit);
            EXPECT_TRUE(s.whole(current)) << "width " << width << " current " << current;
        }
    }
}

TEST(TabLayout, ScrollButtonsShowAndEnableByAlignment) {
    Strip s(10, 20);
    const GTabStripButton* left = tabStripButton(TabScrollLeftButton);
    const GTabStripButton* right = tabStripButton(TabScrollRightButton);
    s.strip.arrange(100);
    ASSERT_EQ(1, left->isShown(s.strip));
    ASSERT_EQ(1, right->isShown(s.strip));
    // Left-aligned at the first tab: scrolling left is disabled.
    EXPECT_FALSE(left->isEnabled(s.strip));
    EXPECT_TRUE(right->isEnabled(s.strip));
    // Scroll right until the last tab is whole at the right edge.
    for (int i = 0; i < 20; ++i) {
        s.strip.scrollRight();
        s.strip.arrange(100);
    }
    EXPECT_TRUE(s.whole(9));
    EXPECT_FALSE(right->isEnabled(s.strip));
    EXPECT_TRUE(left->isEnabled(s.strip));
    for (int i = 0; i < 20; ++i) {
        s.strip.scrollLeft();
        s.strip.arrange(100);
    }
    EXPECT_TRUE(s.whole(0));
    EXPECT_FALSE(left->isEnabled(s.strip));
    // Everything fits: no scroll buttons.
    s.strip.arrange(1000);
    EXPECT_EQ(0, left->isShown(s.strip));
    EXPECT_EQ(0, right->isShown(s.strip));
}

TEST(TabLayout, WidthsAreMeasuredAndCutToAnEighthOfTheWorkArea) {
    Strip s(0);
    s.tabs.add("a");
    FakeTabItem* longOne = s.tabs.add(std::string(400, 'W'));
    FakeTabItem* modified = s.tabs.add("a");
    modified->modified = true;
    s.strip.setListener(&s.tabs);
    s.strip.measureTabs();
    const i32 m = s.strip.miniSize();
    EXPECT_GE(s.tabs.items[0]->record->width, 2 * m + 2 + 9);
    EXPECT_EQ(s.tabs.items[0]->record->width + s.strip.markerWidth, modified->record->width);
    const RECT& area = primaryWorkArea();
    EXPECT_EQ((area.right - area.left) / 8, longOne->record->width);
    s.strip.iconSize = 20;
    s.strip.measureTabs();
    EXPECT_EQ(s.tabs.items[2]->record->width, modified->record->width);
    EXPECT_GE(s.tabs.items[0]->record->width, 2 * m + 2 + 9 + 21);
    EXPECT_EQ("Fake: C:\\a", std::string(s.tabs.items[0]->record->tooltip.c_str()));
}

TEST(TabLayout, SelectCloseAndHideKeepTheCurrentTabSound) {
    Strip s(4);
    EXPECT_EQ(0, s.strip.current);
    EXPECT_FALSE(s.strip.select(0));   // already current
    EXPECT_FALSE(s.strip.select(7));   // out of range
    EXPECT_TRUE(s.strip.select(3));
    EXPECT_EQ("changed 0>3", s.tabs.log.back());
    // Closing the last tab while current: the one before becomes current.
    EXPECT_TRUE(s.strip.closeTab(3));
    EXPECT_EQ(2, s.strip.current);
    EXPECT_EQ("changed 3>2", s.tabs.log[s.tabs.log.size() - 2]);
    // Closing a tab before the current one moves the index down.
    EXPECT_TRUE(s.strip.closeTab(0));
    EXPECT_EQ(1, s.strip.current);
    EXPECT_EQ("t1 t2", s.tabs.names());
    // Closing the current first tab: the next takes its place.
    EXPECT_TRUE(s.strip.select(0));
    EXPECT_TRUE(s.strip.closeTab(0));
    EXPECT_EQ(0, s.strip.current);
    EXPECT_EQ("t2", s.tabs.names());
    s.tabs.items[0]->refuses = true;
    EXPECT_FALSE(s.strip.closeTab(0));
    s.tabs.items[0]->refuses = false;
    EXPECT_TRUE(s.strip.closeTab(0));
    EXPECT_EQ(-1, s.strip.current);
    // Out of range and without a listener: false or -1 everywhere.
    EXPECT_FALSE(s.strip.closeTab(0));
    EXPECT_FALSE(s.strip.closeTab(-2));
    GTab bare(nullptr, &s.word);
    EXPECT_FALSE(bare.select(-1));
    EXPECT_FALSE(bare.closeTab(0));
    EXPECT_EQ(-1, bare.nextVisibleTab(0, 1));
    EXPECT_EQ(-1, bare.lastVisibleTab());
    bare.arrange(100);
    EXPECT_EQ(-1, bare.current);

    Strip h(3);
    h.strip.select(1);
    h.strip.hideTab(1);
    EXPECT_EQ(2, h.strip.current);
    EXPECT_FALSE(h.strip.select(1));
    h.strip.hideTab(2);
    EXPECT_EQ(0, h.strip.current);
    h.strip.selectNext();
    EXPECT_EQ(0, h.strip.current);  // the only visible tab
    h.strip.showTab(2);
    h.strip.selectNext();
    EXPECT_EQ(2, h.strip.current);
    h.strip.selectNext();
    EXPECT_EQ(0, h.strip.current);  // wraps
    h.strip.selectPrevious();
    EXPECT_EQ(2, h.strip.current);
}

TEST(TabLayout, AutoHideMeasuresNothingUntilASecondTab) {
    Strip s(1, 20, TabOptionAutoHide);
    Parent parent;
    parent.addChild(&s.strip);
    i32 w = -1, h = -1;
    s.strip.getPreferredSize(&w, &h);
    EXPECT_EQ(0, w);
    EXPECT_EQ(0, h);
    s.tabs.add("second");
    s.strip.tabInserted(1);
    EXPECT_EQ(1, parent.relayouts);
    w = -1;
    s.strip.getPreferredSize(&w, &h);
    EXPECT_GT(w, 0);
    EXPECT_GE(h, 24);
    // Closing back to one tab hides it again.
    EXPECT_TRUE(s.strip.closeTab(1));
    EXPECT_EQ(2, parent.relayouts);
    s.strip.getPreferredSize(&w, &h);
    EXPECT_EQ(0, h);
    parent.removeChild(&s.strip);
}
