// Layout computed without windows: cells of fixed or width-dependent size in rows, columns,
// equal rows, sized boxes and splitters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/exceptions.h"
#include "gui/layout/align.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/layout_transaction.h"
#include "gui/layout/sized_box.h"
#include "gui/layout/splitter.h"
#include "gui/layout/strip_item.h"

namespace {
// A cell of a fixed size; with `area` set, a text that wraps: height = ceil(area / width), one line
// of width `area` when the width is free.
class Box : public GLayoutCell {
public:
    Box(i32 w, i32 h, const char* code = nullptr, i32 area = 0) : w(w), h(h), area(area) {
        setAlignmentCode(this, code);
        if (area) cellFlags |= CellHeightForWidth;
    }
    void getPreferredSize(i32* width, i32* height) override {
        ++asked;
        if (area) {  // one line when the width is free
            *height = *width > 0 ? (area + *width - 1) / *width : 1;
            if (*width < 0) *width = area;
            return;
        }
        *width = w;
        *height = h;
    }
    i32 w, h, area;
    int asked = 0;
};

std::string str(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

template <class Item>
Item* itemWith(const char* digits, std::vector<Box*> boxes) {
    Item* item = new Item(nullptr);
    setLayoutDigits(item, digits);
    for (Box* b : boxes) item->addChild(b);
    return item;
}

void arrange(GLayoutCell* item, RECT r) { applyLayoutChange(item, r); }

SIZE measure(GLayoutCell* item) {
    item->refreshLayoutFlags();
    i32 w, h;
    preferredSizeOf(item, &w, &h);
    return SIZE{w, h};
}
}  // namespace

TEST(LayoutAlign, LettersPlaceASizeInARoom) {
    struct Case {
        char h, v;
        RECT size, room;
        const char* expected;
    } cases[] = {
        {'<', '^', {0, 0, 10, 5}, {100, 50, 200, 90}, "100,50,110,55"},
        {'>', 'v', {0, 0, 10, 5}, {100, 50, 200, 90}, "190,85,200,90"},
        {'|', '-', {0, 0, 11, 6}, {100, 50, 200, 90}, "144,67,155,73"},
        {'U', 'C', {0, 0, 10, 5}, {100, 50, 200, 90}, "100,50,200,90"},
        {'<', '^', {0, 0, 300, 50}, {100, 50, 200, 90}, "100,50,200,90"},  // a room too small is used whole
        {'x', 'y', {0, 0, 10, 5}, {100, 50, 200, 90}, "0,0,10,5"},          // unknown letters leave it
    };
    for (const Case& c : cases) {
        RECT r = c.size;
        alignRect(r, c.room, c.h, c.v);
        EXPECT_EQ(c.expected, str(r)) << c.h << c.v;
    }
}

TEST(LayoutAlign, PlaceCellAlignedReadsDefaultsAndTheTopFlag) {
    RECT room{10, 10, 110, 60};
    Box fill(20, 10);  // "??" reads as "UC": the room unchanged, the size not asked
    placeCellAligned(&fill, room, '*', '*');
    EXPECT_EQ("10,10,110,60", str(fill.rect));
    EXPECT_EQ(0, fill.asked);

    Box top(20, 10, "|C");
    top.cellFlags |= CellCentreIsTop;
    placeCellAligned(&top, room, '*', '*');
    EXPECT_EQ("50,10,70,20", str(top.rect));

    Box text(0, 0, "<^", 600);  // height for the room's width
    placeCellAligned(&text, room, '*', '*');
    EXPECT_EQ("10,10,110,16", str(text.rect));
}

TEST(LayoutRow, LettersAndShares) {
    struct Case {
        const char* name;
        std::vector<std::pair<i32, const char*>> children;  // width, code
        i32 roomWidth;
        std::vector<const char*> expected;
    } cases[] = {
        // The first two pack from the left, the last two from the right (the second '?' reads '>').
        {"packing", {{10, "<?"}, {10, "??"}, {10, ">?"}, {10, "??"}}, 100, {"0,0,10,20", "10,0,20,20", "80,0,90,20", "90,0,100,20"}},
        {"U short", {{30, "U?"}, {10, "U?"}}, 20, {"0,0,15,20", "15,0,20,20"}},
        {"U surplus", {{30, "U?"}, {10, "U?"}}, 47, {"0,0,33,20", "33,0,47,20"}},
        {"surplus before first right", {{10, "<?"}, {10, ">?"}, {10, ">?"}}, 100, {"0,0,10,20", "80,0,90,20", "90,0,100,20"}},
        {"centre takes a share", {{10, "<?"}, {10, "|?"}}, 50, {"0,0,10,20", "25,0,35,20"}},
    };
    for (const Case& c : cases) {
        std::vector<Box*> boxes;
        for (auto& child : c.children) boxes.push_back(new Box(child.first, 20, child.second));
        GRowItem* row = itemWith<GRowItem>("", boxes);
        arrange(row, RECT{0, 0, c.roomWidth, 20});
        for (size_t i = 0; i < boxes.size(); ++i) EXPECT_EQ(c.expected[i], str(boxes[i]->rect)) << c.name << " " << i;
        delete row;
    }
}

TEST(LayoutRow, DigitsGiveMarginsAndGaps) {
    Box* a = new Box(10, 5, "<^");
    Box* b = new Box(20, 7, "<^");
    GRowItem* row = itemWith<GRowItem>("88488", {a, b});
    SIZE s = measure(row);
    EXPECT_EQ(8 + 10 + 8 + 20 + 4, s.cx);
    EXPECT_EQ(8 + 7 + 8, s.cy);
    arrange(row, RECT{0, 0, 100, 40});
    EXPECT_EQ("8,8,18,13", str(a->rect));
    EXPECT_EQ("26,8,46,15", str(b->rect));
    // A room smaller than the margins gives empty cells, never inverted ones.
    arrange(row, RECT{0, 0, 6, 10});
    EXPECT_LE(a->rect.left, a->rect.right);
    EXPECT_LE(b->rect.top, b->rect.bottom);
    delete row;
}

TEST(LayoutColumn, NeverShrinksAndPutsSurplusAboveTheFirstBottomChild) {
    Box* a = new Box(10, 30, "U^");
    Box* b = new Box(10, 30, "Uv");
    Box* c = new Box(10, 30, "U?");  // reads 'v' after a 'v'
    GColumnsItem* column = itemWith<GColumnsItem>("00000", {a, b, c});
    arrange(column, RECT{0, 0, 50, 100});
    EXPECT_EQ("0,0,50,30", str(a->rect));
    EXPECT_EQ("0,40,50,70", str(b->rect));
    EXPECT_EQ("0,70,50,100", str(c->rect));
    arrange(column, RECT{0, 0, 50, 40});  // free below 0: children keep their height, clamped
    EXPECT_EQ(30, a->rect.bottom - a->rect.top);
    delete column;

    Box* top = new Box(10, 10, "U^");
    Box* fill = new Box(10, 10, "UC");
    GColumnsItem* stretch = itemWith<GColumnsItem>("00040", {top, fill});
    arrange(stretch, RECT{0, 0, 20, 100});
    EXPECT_EQ("0,14,20,100", str(fill->rect));
    delete stretch;
}

TEST(LayoutColumn, HeightForWidthFlowsUpThroughTheTree) {
    // Two wrapping texts in a column in a row beside a fixed box.
    Box* t1 = new Box(0, 0, "U^", 1000);
    Box* t2 = new Box(0, 0, "U^", 500);
    GColumnsItem* column = itemWith<GColumnsItem>("00050", {t1, t2});
    GRowItem* row = new GRowItem(nullptr);
    Box* fixed = new Box(40, 10, "<^");
    row->addChild(fixed);
    row->addChild(column);
    setAlignmentCode(column, "U^");
    EXPECT_EQ((u32)CellHeightForWidth, row->refreshLayoutFlags());
    EXPECT_EQ(10 + 5 + 5, heightForWidth(column, 100));  // 1000 / 100, the gap, 500 / 100
    applyLayoutChange(row, RECT{0, 0, 140, 60});
    EXPECT_EQ("40,0,140,10", str(t1->rect));   // 1000 / 100
    EXPECT_EQ("40,15,140,20", str(t2->rect));  // 500 / 100 after the gap
    int asked = t1->asked;
    EXPECT_EQ(20, heightForWidth(column, 100));  // cached
    EXPECT_EQ(asked, t1->asked);
    delete row;
}

TEST(LayoutEqualRow, EveryEntryOwnsACellAndMeasuresTheLargest) {
    Box* a = new Box(10, 5);
    Box* c = new Box(30, 9);
    GEqualRowItem* row = new GEqualRowItem(nullptr);
    setLayoutDigits(row, "24611");
    row->addChild(a);
    row->addChild(new Box(1, 1));
    row->addChild(c);
    delete row->childAt(1);  // leaves an empty entry that still owns its cell
    EXPECT_EQ(nullptr, row->childAt(1));
    SIZE s = measure(row);
    EXPECT_EQ(2 + 6 + 4 * 2 + 3 * 30, s.cx);
    EXPECT_EQ(1 + 1 + 9, s.cy);
    arrange(row, RECT{0, 0, 110, 20});
    EXPECT_EQ("2,1,33,19", str(a->rect));    // (110 - 8 - 8) / 3 = 31.33: 31, 31, 32
    EXPECT_EQ("72,1,104,19", str(c->rect));
    delete row;
}

TEST(LayoutItem, EventsAndTheChildList) {
    GLayoutItem* item = new GLayoutItem(nullptr);
    Box* a = new Box(5, 5);
    Box* b = new Box(7, 3);
    Box* c = new Box(1, 1);
    item->addChild(a);
    item->addChild(b);
    item->addChild(c);
    EXPECT_EQ("7,5", std::to_string(measure(item).cx) + "," + std::to_string(measure(item).cy));

    // Removing nulls the entry; the count stays.
    item->removeChild(b);
    EXPECT_EQ(3, item->childCount());
    EXPECT_EQ(nullptr, item->childAt(1));
    EXPECT_EQ(nullptr, item->childAt(7));
    EXPECT_EQ(-1, b->index);
    delete b;

    // Hide spreads to the children; a hidden item ignores another hide; show inside a
    // transaction only marks the cell.
    item->notify(LayoutHide);
    EXPECT_FALSE(a->visible());
    a->cellFlags |= CellVisible;
    item->notify(LayoutHide);
    EXPECT_TRUE(a->visible());
    a->cellFlags &= ~CellVisible;
    beginLayoutTransaction();
    a->notify(LayoutShow);
    EXPECT_TRUE(a->visible());
    EXPECT_TRUE(a->cellFlags & CellRelayoutRequested);
    endLayoutTransaction(nullptr);
    // Excluded cells do not come back with show; include brings them back.
    c->notify(LayoutExclude);
    c->notify(LayoutShow);
    EXPECT_FALSE(c->visible());
    item->cellFlags |= CellVisible;
    c->notify(LayoutInclude);
    EXPECT_TRUE(c->visible());

    EXPECT_EQ(CommandUnknown, item->commandState(999));
    EXPECT_EQ(CommandEnabled, item->commandState(1000));
    EXPECT_EQ(CommandUnknown, item->commandState(10000));
    delete item;
}

TEST(LayoutItem, CompactingListOperations) {
    struct Case {
        int from, to;
        const char* order;
    } cases[] = {{0, 0, "ABC"}, {0, 1, "ABC"}, {0, 3, "BCA"}, {2, 0, "CAB"}, {1, 3, "ACB"}};
    for (const Case& c : cases) {
        GLayoutItem item(nullptr);
        const char* names = "ABC";
        for (int i = 0; i < 3; ++i) item.insertChildAt(i, new Box(names[i], 1));
        item.moveChild(c.from, c.to);
        std::string order;
        for (int i = 0; i < item.childCount(); ++i) {
            order += (char)static_cast<Box*>(item.childAt(i))->w;
            EXPECT_EQ(i, item.childAt(i)->index);
        }
        EXPECT_EQ(c.order, order) << c.from << "->" << c.to;
    }
    GLayoutItem item(nullptr);
    Box* a = new Box(1, 1);
    Box* b = new Box(2, 2);
    item.insertChildAt(0, b);
    item.insertChildAt(0, a);
    EXPECT_EQ(1, b->index);
    GLayoutCell* out = item.takeOutAt(0);
    EXPECT_EQ(a, out);
    EXPECT_EQ(nullptr, a->container);
    EXPECT_EQ(0, b->index);
    EXPECT_EQ(1, item.childCount());
    delete out;
    item.removeAt(0);
    EXPECT_EQ(0, item.childCount());
}

TEST(LayoutTree, WalksAndRouting) {
    GLayoutItem* root = new GLayoutItem(nullptr);
    GLayoutItem* inner = new GLayoutItem(nullptr);
    Box* a = new Box(1, 1);
    Box* b = new Box(1, 1);
    Box* c = new Box(1, 1);
    root->addChild(a);
    root->addChild(inner);
    inner->addChild(b);
    root->addChild(c);
    EXPECT_EQ(inner, nextCellInTreeOrder(a, true));
    EXPECT_EQ(b, nextCellInTreeOrder(inner, true));
    EXPECT_EQ(c, nextCellInTreeOrder(b, true));
    EXPECT_EQ(nullptr, nextCellInTreeOrder(c, true));
    EXPECT_EQ(c, lastDescendant(root));
    EXPECT_TRUE(isWithin(b, root));
    EXPECT_FALSE(isWithin(a, inner));

    a->rect = RECT{0, 0, 10, 10};
    inner->rect = RECT{0, 0, 50, 50};
    b->rect = RECT{5, 5, 10, 10};
    root->rect = RECT{0, 0, 100, 100};
    EXPECT_EQ(b, itemAtPoint(root, 6, 6));  // the last hit wins
    EXPECT_EQ(inner, itemAtPoint(root, 20, 20));
    EXPECT_EQ(root, itemAtPoint(root, 80, 80));
    EXPECT_EQ(nullptr, itemAtPoint(root, 100, 5));  // right edge exclusive

    struct Catcher : GLayoutItem {
        bool onControlNotify(void* n) override {
            caught = static_cast<GControlNotification*>(n);
            return true;
        }
        GControlNotification* caught = nullptr;
    };
    Catcher* top = new Catcher;
    top->addChild(root);
    GControlNotification n{b, 3, 0};
    EXPECT_TRUE(notifyUp(b, &n));
    EXPECT_EQ(&n, top->caught);
    delete top;
}

TEST(LayoutBuilder, ContainersNestAndTakeTheirDigits) {
    GLayoutBuilder builder(nullptr);
    GColumnsItem* root = GColumnsItem::create(builder, "3", "U^");
    EXPECT_EQ(root, builder.current);
    EXPECT_EQ(8, root->digits[3]);  // the default gap stays when the string is shorter
    EXPECT_EQ(3, root->digits[0]);
    EXPECT_EQ('U', root->hAlign);
    GRowItem* row = new GRowItem(nullptr);
    builder.pushContainer(row, "1234", "*v");
    EXPECT_EQ(root, row->container);
    EXPECT_EQ('?', row->hAlign);
    EXPECT_EQ('v', row->vAlign);
    EXPECT_EQ(4, row->digits[3]);
    builder.add(new Box(1, 1), "<^");
    EXPECT_EQ(row, builder.last->container);
    builder.endContainer();
    EXPECT_EQ(root, builder.current);
    GColumnsItem* column = GColumnsItem::create(builder, "000000", nullptr);
    EXPECT_EQ(0, column->digits[3]);  // the string reaches the gap
    builder.endContainer();
    builder.endContainer();
    EXPECT_EQ(0, builder.depth);
    delete root;
}

TEST(SizedBox, PercentOfTheWorkAreaOrTheChildsSize) {
    const RECT& area = primaryWorkArea();
    GSizedBox box(nullptr, 50, -1);
    box.margins[0] = 3;
    box.margins[1] = 4;
    box.margins[2] = 5;
    box.margins[3] = 6;
    Box* child = new Box(40, 30, "<^");
    box.setChild(child);
    SIZE s = measure(&box);
    EXPECT_EQ(50 * (area.right - area.left) / 100 + 7, s.cx);
    EXPECT_EQ(30 + 11, s.cy);
    applyLayoutChange(&box, RECT{0, 0, 100, 100});
    EXPECT_EQ("3,5,43,35", str(child->rect));
    applyLayoutChange(&box, RECT{0, 0, 5, 5});  // margins larger than the room: never inverted
    EXPECT_LE(child->rect.left, child->rect.right);
    EXPECT_LE(child->rect.top, child->rect.bottom);
}

TEST(Splitter, ExtentsByTheSplitValues) {
    struct Case {
        i32 a, b, length;
        i32 pane1, bar, pane2;
    } cases[] = {
        {-1, -1, 107, 50, 6, 51},   // equal halves, the odd pixel to pane 2
        {100, -1, 206, 170, 6, 30}, // pane 2 keeps its preferred 30
        {-1, 100, 206, 20, 6, 180}, // pane 1 keeps its preferred 20
        {1, 3, 406, 100, 6, 300},
        {0, 0, 106, 40, 6, 60},     // 0 reads the preferred extents 20 : 30
        {5, 5, 6, 0, 6, 0},         // not larger than the bar: all to the bar
    };
    for (const Case& c : cases) {
        GSplitterItem split(nullptr, false, c.a, c.b);
        split.addChild(new Box(20, 10));
        split.addChild(new Box(30, 10));
        GSplitterItem::Extents e = split.splitExtents(c.length);
        EXPECT_EQ(c.pane1, e.pane1) << c.a << "," << c.b;
        EXPECT_EQ(c.bar, e.bar);
        EXPECT_EQ(c.pane2, e.pane2);
    }
    // Two proportions of nothing share equally instead of dividing by zero.
    GSplitterItem empty(nullptr, true, 0, 0);
    empty.addChild(new Box(0, 0));
    empty.addChild(new Box(0, 0));
    GSplitterItem::Extents e = empty.splitExtents(46);
    EXPECT_EQ(20, e.pane1);
    EXPECT_EQ(20, e.pane2);
    // One pane takes everything.
    GSplitterItem single(nullptr, false, 1, 1);
    single.addChild(new Box(1, 1));
    EXPECT_EQ(77, single.splitExtents(77).pane1);
}

TEST(Splitter, ArrangesMovesAndReadsItsState) {
    GSplitterItem split(nullptr, true, -1, -1);
    Box* top = new Box(10, 10);
    Box* bottom = new Box(10, 10);
    split.addChild(top);
    split.addChild(bottom);
    EXPECT_TRUE(split.inheritedFlagFor(split.childAt(1)) == false);  // stacked panes: a top/bottom bar
    EXPECT_EQ(split.bar, split.childAt(1));
    SIZE s = measure(&split);
    EXPECT_EQ(10, s.cx);
    EXPECT_EQ(26, s.cy);
    applyLayoutChange(&split, RECT{0, 0, 40, 106});
    EXPECT_EQ("0,0,40,50", str(top->rect));
    EXPECT_EQ("0,56,40,106", str(bottom->rect));

    split.moveSplit(25);
    EXPECT_EQ("0,0,40,75", str(top->rect));
    EXPECT_EQ("0,81,40,106", str(bottom->rect));
    split.moveSplit(-90);  // pane 1 would go negative: 0
    EXPECT_EQ(0, split.sizeA);
    EXPECT_EQ(115, split.sizeB);

    GBag bag;
    bagWriteU32(bag, 1);
    bagWriteU32(bag, 3);
    bag.pos = 0;
    split.readState(bag);
    EXPECT_EQ("0,0,40,25", str(top->rect));
    EXPECT_EQ(75, bottom->rect.bottom - bottom->rect.top);
    EXPECT_THROW(split.readState(bag), GBagException);
}

TEST(GroupBoxItem, FrameAroundTheContent) {
    GGroupBoxItem group(nullptr, "Format");
    Box* content = new Box(40, 20);
    group.addChild(content);
    EXPECT_EQ(2, group.childCount());
    EXPECT_EQ(group.frame, group.childAt(0));
    EXPECT_EQ(content, group.childAt(1));
    i32 caption = group.frame->captionHeight();
    ASSERT_GT(caption, 0);
    i32 bw, bh;
    group.frame->getPreferredSize(&bw, &bh);
    SIZE s = measure(&group);
    EXPECT_EQ(std::max(40 + 8 + 8, bw) + 4, s.cx);
    EXPECT_EQ(4 + 20 + 8 + bh + 2, s.cy);
    applyLayoutChange(&group, RECT{0, 0, 200, 100});
    EXPECT_EQ("0,0,200,100", str(group.frame->rect));
    EXPECT_EQ("10," + std::to_string(caption + 4) + ",190,90", str(content->rect));
    // An empty caption leaves 2 pixels at the top.
    GGroupBoxItem bare(nullptr, "");
    Box* inner = new Box(1, 1);
    bare.addChild(inner);
    applyLayoutChange(&bare, RECT{0, 0, 50, 50});
    EXPECT_EQ("10,6,40,40", str(inner->rect));
}

TEST(StripItem, RowsPlacesAndBreakPoints) {
    GStripItem strip(nullptr, 7, 0);
    EXPECT_TRUE(strip.cellFlags & CellOwnBackground);
    Box* a = new Box(10, 20);
    Box* b = new Box(10, 15);
    Box* c = new Box(10, 15);
    Box* d = new Box(10, 10);
    Box* e = new Box(10, 10);
    strip.add(a, 0, -1, 0);
    strip.add(c, 0, -1, '>');
    strip.add(b, 0, 1, '>');  // occupied: inserted before c
    strip.add(e, 1, 3, 0);    // past the end: padded with empty places
    strip.add(d, 1, 0, '|');
    ASSERT_EQ(2u, strip.rows.size());
    EXPECT_EQ(4u, strip.rows[1].size());
    EXPECT_EQ('<', a->hAlign);
    EXPECT_EQ('C', a->vAlign);
    EXPECT_EQ(5, strip.childCount());

    SIZE size = measure(&strip);
    EXPECT_EQ(30, size.cx);
    EXPECT_EQ(30, size.cy);
    EXPECT_EQ(2u, strip.rows[1].size());  // measuring compacts

    applyLayoutChange(&strip, RECT{0, 0, 100, 40});
    EXPECT_EQ("0,0,10,20", str(a->rect));
    EXPECT_EQ("80,0,90,15", str(b->rect));  // the free room before the first right-aligned cell
    EXPECT_EQ("90,0,100,15", str(c->rect));
    EXPECT_EQ("40,20,50,30", str(d->rect));  // half the free room: one break before, one at the end
    EXPECT_EQ("50,20,60,30", str(e->rect));

    Box* top = new Box(5, 5);
    strip.add(top, -1, -1, 0);  // a new first row
    delete b;
    applyLayoutChange(&strip, RECT{0, 0, 100, 40});
    EXPECT_EQ(3u, strip.rows.size());
    EXPECT_EQ("0,0,5,5", str(top->rect));
    EXPECT_EQ("90,5,100,20", str(c->rect));
}
