// The grid layout: measuring with hidden cells, growing rows, stretch packing and clamping.
#include <gtest/gtest.h>

#include <string>

#include "gui/layout/grid_layout.h"

namespace {
class Box : public GLayoutCell {
public:
    Box(i32 w, i32 h) : w(w), h(h) { hAlign = 'U'; vAlign = 'C'; }
    void getPreferredSize(i32* width, i32* height) override {
        *width = w;
        *height = h;
    }
    i32 w, h;
};

std::string str(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}
}  // namespace

TEST(GridLayout, MeasuresPresentCellsAndGrowsByRows) {
    struct Case {
        const char* what;
        i32 columns, rows;
        std::vector<std::pair<i32, i32>> cells;
        i32 hidden;  // index of an excluded cell, -1 none
        i32 width, height, rowsAfter;
    } cases[] = {
        {"2x2 full", 2, 2, {{10, 5}, {20, 6}, {30, 7}, {40, 8}}, -1, 30 + 8 + 40, 6 + 8 + 8, 2},
        {"hidden cell counts as empty", 2, 2, {{10, 5}, {20, 6}, {30, 7}, {40, 8}}, 3, 30 + 8 + 20, 6 + 8 + 7, 2},
        {"a column all hidden takes no gap", 2, 1, {{10, 5}, {20, 6}}, 1, 10, 5, 1},
        {"fifth child adds a row", 2, 2, {{10, 5}, {10, 5}, {10, 5}, {10, 5}, {10, 5}}, -1, 28, 31, 3},
        {"no columns: margins only", 0, 0, {}, -1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        GGridLayout grid(nullptr, c.columns, c.rows);
        for (auto& s : c.cells) grid.addChild(new Box(s.first, s.second));
        if (c.hidden >= 0) grid.childAt(c.hidden)->notify(LayoutExclude);
        i32 w = -1, h = -1;
        grid.getPreferredSize(&w, &h);
        EXPECT_EQ(c.width, w) << c.what;
        EXPECT_EQ(c.height, h) << c.what;
        EXPECT_EQ(c.rowsAfter, grid.rows) << c.what;
        EXPECT_EQ(c.columns, grid.columns) << c.what;
    }
    GGridLayout margins(nullptr, 0, 0);
    margins.digits[0] = 3;
    margins.digits[2] = 4;
    margins.digits[3] = 5;
    margins.digits[5] = 6;
    i32 w, h;
    margins.getPreferredSize(&w, &h);
    EXPECT_EQ(7, w);
    EXPECT_EQ(11, h);
}

TEST(GridLayout, PlacesColumnsAroundTheStretchColumnAndClampsAtTheEdges) {
    struct Case {
        const char* what;
        i32 stretchColumn;
        RECT rect;
        const char* cell0;
        const char* cell1;
        const char* cell2;
    } cases[] = {
        // Widths 10, 20, 30 with gaps 8: 10 + 8 + 20 + 8 + 30 = 76.
        {"no stretch packs from the left", -1, {0, 0, 200, 50}, "0,0,10,5", "18,0,38,5", "46,0,76,5"},
        {"stretch 1 takes the rest", 1, {0, 0, 200, 50}, "0,0,10,5", "18,0,162,5", "170,0,200,5"},
        {"stretch 0: the rest packs from the right", 0, {0, 0, 200, 50}, "0,0,134,5", "142,0,162,5", "170,0,200,5"},
        {"narrow: later columns clamp at the right edge", -1, {0, 0, 30, 50}, "0,0,10,5", "18,0,30,5", "30,0,30,5"},
    };
    for (const Case& c : cases) {
        GGridLayout grid(nullptr, 3, 1);
        grid.stretchColumn = c.stretchColumn;
        grid.addChild(new Box(10, 5));
        grid.addChild(new Box(20, 5));
        grid.addChild(new Box(30, 5));
        grid.setRect(c.rect);
        EXPECT_EQ(c.cell0, str(grid.childAt(0)->rect)) << c.what;
        EXPECT_EQ(c.cell1, str(grid.childAt(1)->rect)) << c.what;
        EXPECT_EQ(c.cell2, str(grid.childAt(2)->rect)) << c.what;
    }
}

TEST(GridLayout, RowsStretchAndCellsKeepTheirOwnAlignment) {
    GGridLayout grid(nullptr, 1, 3);
    grid.stretchRow = 1;
    grid.stretchColumn = 0;
    grid.addChild(new Box(10, 5));
    Box* middle = new Box(10, 5);
    middle->vAlign = '^';
    middle->hAlign = '>';
    grid.addChild(middle);
    grid.addChild(new Box(10, 6));
    grid.setRect(RECT{0, 0, 40, 100});
    EXPECT_EQ("0,0,40,5", str(grid.childAt(0)->rect));
    // Row 1 spans 13..86; the cell sits at its top right at its own size.
    EXPECT_EQ("30,13,40,18", str(middle->rect));
    EXPECT_EQ("0,94,40,100", str(grid.childAt(2)->rect));
}

TEST(GridLayout, PackSpansNeverPassTheOppositeEdge) {
    std::vector<i32> from, to;
    packSpans({50, 0, 50}, 1, 8, 10, 40, from, to);
    EXPECT_EQ((std::vector<i32>{10, 40, 40}), from);
    EXPECT_EQ((std::vector<i32>{40, 40, 40}), to);
}
