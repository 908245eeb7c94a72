// The tab window: titles from the comma list, the strip's alignment from the style, pages in the
// stack, moving tabs with their titles, and child reveal.
#include <gtest/gtest.h>

#include "gui/controls/page_stack.h"
#include "gui/layout/layout_builder.h"
#include "gui/views/tab.h"
#include "gui/views/tab_window.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

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

std::string titlesOf(GTabWindow* window) {
    std::string s;
    for (i32 i = 0; i < window->tabCount(); ++i)
        s += (i ? "|" : "") + std::string(window->tabItem(i)->shortText().c_str());
    return s;
}
}  // namespace

TEST(TabWindow, TitlesAndStyleGiveTheTabsAndTheStripsAlignment) {
    TestApplication test;
    InputFrame frame(nullptr, 10, 10, 300, 200);
    struct Case {
        const char* style;
        const char* titles;
        const char* expected;
        i32 count;
        char h, v;
    } cases[] = {
        {"UC", "One,Two,Three", "One|Two|Three", 3, '<', '^'},
        {"UCU^", "Only", "Only", 1, 'U', '^'},
        {"UC*-", "", "", 1, '<', '-'},
        {"UC", nullptr, "", 0, '<', '^'},
    };
    for (const Case& c : cases) {
        GLayoutBuilder builder(&frame);
        GLayoutItem root(&frame);
        builder.current = &root;
        GTabWindow* window = createTabWindow(c.style, builder, c.titles);
        EXPECT_EQ(window, builder.current) << c.style;
        EXPECT_EQ(c.count, window->tabCount()) << c.style;
        EXPECT_EQ(c.expected, titlesOf(window)) << c.style;
        EXPECT_EQ(c.h, window->strip->hAlign) << c.style;
        EXPECT_EQ(c.v, window->strip->vAlign) << c.style;
        EXPECT_EQ(c.count ? 0 : -1, window->strip->current) << c.style;
        EXPECT_EQ(window->strip, window->childAt(0));
        EXPECT_EQ(window->pages, window->childAt(1));
        if (c.count) {
            EXPECT_STREQ("GTabPlacerItem", window->tabItem(0)->typeName());
        }
    }
}

TEST(TabWindow, PagesFollowTheTabsAndMovedTitlesKeepTheirItems) {
    TestApplication test;
    InputFrame frame(nullptr, 10, 10, 300, 200);
    GLayoutBuilder builder(&frame);
    GLayoutItem root(&frame);
    builder.current = &root;
    GTabWindow* window = createTabWindow("UC", builder, "A,B,C");
    Box* pages[3] = {new Box(50, 20), new Box(80, 40), new Box(30, 10)};
    for (Box* p : pages) builder.add(p);
    builder.endContainer();
    EXPECT_EQ(3, window->pages->childCount());
    EXPECT_EQ(0, window->pages->current);
    EXPECT_TRUE(pages[0]->visible());
    EXPECT_FALSE(pages[1]->visible());

    i32 w = -1, h = -1;
    window->getPreferredSize(&w, &h);
    i32 sw, sh;
    window->strip->getPreferredSize(&sw, &sh);
    EXPECT_EQ(std::max(sw, 80), w);
    EXPECT_EQ(sh + 40, h);
    window->setRect(RECT{0, 0, 200, 150});
    EXPECT_EQ(200, window->strip->width());
    EXPECT_EQ(sh, window->strip->height());
    EXPECT_EQ(sh, pages[0]->rect.top);
    EXPECT_EQ(150, pages[0]->rect.bottom);

    EXPECT_TRUE(window->strip->select(2));
    EXPECT_EQ(2, window->pages->current);
    EXPECT_TRUE(pages[2]->visible());
    EXPECT_FALSE(pages[0]->visible());

    // The first tab moved to the end: titles B, C, A, every item still there.
    GTabItem* items[3] = {window->tabItem(0), window->tabItem(1), window->tabItem(2)};
    window->moveTab(0, 3, 1);
    EXPECT_EQ("B|C|A", titlesOf(window));
    EXPECT_EQ(items[0], window->tabItem(2));
    EXPECT_EQ(items[1], window->tabItem(0));
    EXPECT_EQ(pages[0], window->pages->childAt(2));
    EXPECT_EQ(pages[2], window->pages->childAt(1));
    EXPECT_EQ(1, window->pages->current);
    window->moveTab(1, 2, 1);  // onto the gap after itself: nothing
    EXPECT_EQ("B|C|A", titlesOf(window));

    // Revealing a page selects its tab.
    window->strip->current = 1;
    window->revealChild(pages[1]);
    EXPECT_EQ(0, window->strip->current);
    EXPECT_EQ(0, window->pages->current);
    window->revealChild(window->strip);
    EXPECT_EQ(0, window->strip->current);

    // Closing a tab before the current one takes its page out and keeps the current page.
    window->strip->select(2);
    EXPECT_TRUE(window->strip->closeTab(0));
    EXPECT_EQ("C|A", titlesOf(window));
    EXPECT_EQ(2, window->pages->childCount());
    EXPECT_EQ(1, window->pages->current);
    EXPECT_EQ(pages[0], window->pages->currentPage());
    EXPECT_EQ(1, window->strip->current);
}
