#include <gtest/gtest.h>

#include "gui/layout/layout_transaction.h"
#include "gui/layout/strip_item.h"
#include "gui/menus/dock_slot.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
// A cell of a given size that stays where it is put.
class Box : public GLayoutCell {
public:
    Box(const char* name, i32 w = 60, i32 h = 26) : name(name), w(w), h(h) {}
    void getPreferredSize(i32* width, i32* height) override {
        *width = w;
        *height = h;
    }
    const char* name;
    i32 w, h;
};

std::string rowsOf(GStripItem* strip) {
    std::string out;
    for (const auto& row : strip->rows) {
        out += "[";
        for (GLayoutCell* c : row) out += c ? static_cast<Box*>(c)->name : "_";
        out += "]";
    }
    return out;
}

TEST(DockSlot, RowsPositionsAndBands) {
    // Rows of 26: [A B] over [C], in a dock {0, 0, 300, 52}.
    GStripItem dock(nullptr, 1, 0);
    Box* a = new Box("A");
    Box* b = new Box("B");
    Box* c = new Box("C");
    dock.add(a, 0, -1, 0);
    dock.add(b, 0, -1, 0);
    dock.add(c, 1, -1, 0);
    dock.rect = RECT{0, 0, 300, 52};
    a->rect = RECT{0, 0, 60, 26};
    b->rect = RECT{60, 0, 120, 26};
    c->rect = RECT{0, 26, 60, 52};
    Box dragged("X");
    struct Case {
        i32 x, y;
        bool found;
        i32 row, position;
    } cases[] = {
        {70, 0, true, 0, 1},     // right of A's centre, left of B's
        {100, 0, true, 0, 2},    // past every centre: the row's end
        {0, 30, true, 1, 0},     // second row
        {0, 52, true, 1, 0},     // the bottom edge still counts as the last row
        {0, 60, true, 2, 0},     // below: a new last row
        {0, -20, true, -1, 0},   // in the band above: a new first row
        {0, -30, false, 0, 0},   // too far above
        {0, 70, false, 0, 0},    // too far below
        {330, 0, false, 0, 0},   // too far right
        {-26, 0, true, 0, 0},    // the left limit
    };
    for (const Case& k : cases) {
        DockSlot slot;
        bool found = findDockSlot(&dock, &dragged, RECT{k.x, k.y, k.x + 60, k.y + 26}, &slot);
        EXPECT_EQ(found, k.found) << k.x << "," << k.y;
        if (found && k.found) {
            EXPECT_EQ(slot.row, k.row) << k.x << "," << k.y;
            EXPECT_EQ(slot.position, k.position) << k.x << "," << k.y;
            EXPECT_EQ(slot.dock, &dock);
        }
    }
}

TEST(DockSlot, ABarAloneInItsRowAndEmptyDocks) {
    GStripItem dock(nullptr, 1, 0);
    Box* a = new Box("A");
    dock.add(a, 0, -1, 0);
    dock.rect = RECT{0, 0, 300, 26};
    a->rect = RECT{0, 0, 60, 26};
    DockSlot slot;
    // The only row holds just this bar: neither above nor below makes a new row.
    EXPECT_FALSE(findDockSlot(&dock, a, RECT{0, -20, 60, 6}, &slot));
    EXPECT_FALSE(findDockSlot(&dock, a, RECT{0, 32, 60, 58}, &slot));
    EXPECT_TRUE(findDockSlot(&dock, a, RECT{40, 0, 100, 26}, &slot));
    EXPECT_EQ(slot.row, 0);

    // A dock without rows takes a new first row (it never reads a row before the first).
    GStripItem empty(nullptr, 2, 0);
    empty.rect = RECT{0, 100, 300, 100};
    EXPECT_TRUE(findDockSlot(&empty, a, RECT{10, 95, 70, 121}, &slot));
    EXPECT_EQ(slot.row, -1);
    EXPECT_EQ(slot.position, 0);
    EXPECT_EQ(slot.dock, &empty);

    // Columns: the same with x and y exchanged.
    GStripItem column(nullptr, 3, 1);
    Box* v = new Box("V", 26, 60);
    column.add(v, 0, -1, 0);
    column.rect = RECT{0, 0, 26, 300};
    v->rect = RECT{0, 0, 26, 60};
    EXPECT_TRUE(findDockSlot(&column, a, RECT{0, 70, 26, 130}, &slot));
    EXPECT_EQ(slot.row, 0);
    EXPECT_EQ(slot.position, 1);
    EXPECT_TRUE(findDockSlot(&column, a, RECT{30, 0, 56, 60}, &slot));
    EXPECT_EQ(slot.row, 1);
}

class Docks : public ::testing::Test {
protected:
    void SetUp() override {
        ansiMode = 0;
        frame = new InputFrame(nullptr, 100, 100, 300, 200);
        GLayoutItem* root = new GLayoutItem(frame);
        GLayoutItem* inner = new GLayoutItem(frame);
        top = new GStripItem(frame, 1, 0);
        hidden = new GStripItem(frame, 2, 0);
        second = new GStripItem(frame, 2, 0);
        root->addChild(top);
        root->addChild(inner);
        inner->addChild(hidden);
        inner->addChild(second);
        hidden->cellFlags &= ~CellVisible;
        frame->setContent(root);
        a = new Box("A");
        b = new Box("B");
        c = new Box("C");
        top->add(a, 0, -1, 0);
        top->add(b, 0, -1, 0);
        top->add(c, 1, -1, 0);
    }
    void TearDown() override { delete frame; }

    TestApplication test;
    InputFrame* frame = nullptr;
    GStripItem *top = nullptr, *hidden = nullptr, *second = nullptr;
    Box *a = nullptr, *b = nullptr, *c = nullptr;
};

TEST_F(Docks, ListAndKeysSkipHiddenStrips) {
    EXPECT_EQ(dockList(frame), (std::vector<GStripItem*>{top, second}));
    EXPECT_EQ(findStripByKey(frame, 1), top);
    EXPECT_EQ(findStripByKey(frame, 2), second);
    EXPECT_EQ(findStripByKey(frame, 3), nullptr);
    EXPECT_TRUE(top->wantsGrip());
}

TEST_F(Docks, MoveCellBetweenAndWithinStrips) {
    // Into another strip's new first row, with that strip's default letter.
    a->hAlign = '>';
    GStripItem::moveCell(a, second, -1, 0);
    EXPECT_EQ(rowsOf(top), "[B][C]");
    EXPECT_EQ(rowsOf(second), "[A]");
    EXPECT_EQ(a->container, second);
    EXPECT_EQ(a->hAlign, '<');
    EXPECT_EQ(top->childCount(), 2);
    // Within one row, before its neighbour; then onto a new row past the end.
    GStripItem::moveCell(c, top, 0, 0);
    EXPECT_EQ(rowsOf(top), "[CB]");
    GStripItem::moveCell(b, top, 0, 0);
    EXPECT_EQ(rowsOf(top), "[BC]");
    GStripItem::moveCell(c, top, 1, -1);
    EXPECT_EQ(rowsOf(top), "[B][C]");
    // A cell outside any strip stays.
    Box loose("L");
    GStripItem::moveCell(&loose, top, 0, 0);
    EXPECT_EQ(rowsOf(top), "[B][C]");
    EXPECT_EQ(layoutTransactionDepth, 0);

    EXPECT_EQ(GStripItem::firstCellOfRow(top, 0), b);
    EXPECT_EQ(GStripItem::firstCellOfRow(top, 1), c);
    EXPECT_EQ(GStripItem::firstCellOfRow(top, 2), nullptr);
    EXPECT_EQ(GStripItem::firstCellOfRow(top, -1), nullptr);
    EXPECT_EQ(GStripItem::firstCellOfRow(nullptr, 0), nullptr);
}
}  // namespace
