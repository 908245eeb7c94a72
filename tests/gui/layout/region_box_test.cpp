#include <gtest/gtest.h>

#include <stdexcept>

#include "gui/layout/region_box.h"

namespace {

struct FixedCell : GLayoutCell {
    FixedCell(i32 w, i32 h, bool* deleted = nullptr) : w(w), h(h), deleted(deleted) { hAlign = 'U', vAlign = 'C'; }
    ~FixedCell() override {
        if (deleted) *deleted = true;
    }
    void getPreferredSize(i32* width, i32* height) override { *width = w, *height = h; }
    i32 w, h;
    bool* deleted;
};

// Digits: left margin 1, gap after left 2, gap before right 3, right margin 4, top margin 5,
// gap after top 6, gap before bottom 7, bottom margin 8.
GRegionBox* makeBox(FixedCell* (&cells)[5], const i32 (&sizes)[5][2]) {
    GRegionBox* box = new GRegionBox;
    setLayoutDigits(box, "12345678");
    for (int i = 0; i < 5; ++i) {
        cells[i] = sizes[i][0] >= 0 ? new FixedCell(sizes[i][0], sizes[i][1]) : nullptr;
        box->addChild(cells[i]);
    }
    return box;
}

void expectRect(const GLayoutCell* c, RECT r) {
    EXPECT_EQ(c->rect.left, r.left);
    EXPECT_EQ(c->rect.top, r.top);
    EXPECT_EQ(c->rect.right, r.right);
    EXPECT_EQ(c->rect.bottom, r.bottom);
}

}  // namespace

TEST(RegionBox, SizesAndGaps) {
    // Sizes per place (top, left, centre, right, bottom); -1 = empty place.
    struct Case {
        const char* name;
        i32 sizes[5][2];
        i32 width, height;
    } cases[] = {
        // Only a centre: the margins and the centre, no inner gaps.
        {"centre", {{-1, 0}, {-1, 0}, {50, 20}, {-1, 0}, {-1, 0}}, 1 + 4 + 50, 5 + 8 + 20},
        // Top and bottom with the middle row empty: both gaps stay.
        {"top and bottom", {{30, 10}, {-1, 0}, {-1, 0}, {-1, 0}, {40, 12}}, 1 + 4 + 40, 5 + 8 + 6 + 7 + 10 + 12},
        // All five.
        {"all", {{30, 10}, {10, 25}, {50, 20}, {12, 15}, {40, 12}}, 1 + 4 + 2 + 3 + 10 + 50 + 12,
         5 + 8 + 6 + 7 + 10 + 12 + 25},
        // Left alone in its row: neither side gap.
        {"left and top", {{30, 10}, {10, 25}, {-1, 0}, {-1, 0}, {-1, 0}}, 1 + 4 + 30, 5 + 8 + 6 + 10 + 25},
        // Left and right without a centre keep both side gaps.
        {"left and right", {{-1, 0}, {10, 25}, {-1, 0}, {12, 15}, {-1, 0}}, 1 + 4 + 2 + 3 + 22, 5 + 8 + 25},
        // A child of no size is absent.
        {"empty centre", {{30, 10}, {-1, 0}, {0, 20}, {-1, 0}, {-1, 0}}, 1 + 4 + 30, 5 + 8 + 10},
    };
    for (const Case& c : cases) {
        FixedCell* cells[5];
        GRegionBox* box = makeBox(cells, c.sizes);
        i32 w = -1, h = -1;
        box->getPreferredSize(&w, &h);
        EXPECT_EQ(w, c.width) << c.name;
        EXPECT_EQ(h, c.height) << c.name;
        delete box;
    }
}

TEST(RegionBox, ArrangesAroundTheCentre) {
    FixedCell* cells[5];
    const i32 sizes[5][2] = {{30, 10}, {10, 25}, {50, 20}, {12, 15}, {40, 12}};
    GRegionBox* box = makeBox(cells, sizes);
    EXPECT_TRUE(box->inheritedFlagFor(cells[1]));
    EXPECT_TRUE(box->inheritedFlagFor(cells[3]));
    EXPECT_FALSE(box->inheritedFlagFor(cells[2]));
    box->setRect({0, 0, 200, 100});
    expectRect(cells[0], {1, 5, 196, 15});      // top: full width under the top margin
    expectRect(cells[4], {1, 80, 196, 92});     // bottom: above the bottom margin
    expectRect(cells[1], {1, 21, 11, 73});      // left: between the top and bottom gaps
    expectRect(cells[3], {184, 21, 196, 73});   // right
    expectRect(cells[2], {13, 21, 181, 73});    // centre: what remains inside the side gaps

    // A hidden child counts as empty: the top gap goes and the middle row moves up.
    cells[0]->cellFlags |= CellExcluded;
    for (int i = 0; i < 5; ++i) cells[i]->cellFlags &= ~CellSizeCached;
    i32 w, h;
    box->getPreferredSize(&w, &h);
    EXPECT_EQ(h, 5 + 8 + 7 + 12 + 25);
    box->setRect({0, 0, 200, 100});
    expectRect(cells[1], {1, 5, 11, 73});

    // A rectangle smaller than the margins keeps every side from crossing.
    box->setRect({0, 0, 3, 3});
    EXPECT_LE(cells[2]->rect.left, cells[2]->rect.right);
    EXPECT_LE(cells[2]->rect.top, cells[2]->rect.bottom);
    delete box;
}

TEST(RegionBox, FivePlacesOnly) {
    GRegionBox box;
    bool deleted[6] = {};
    FixedCell* cells[6];
    for (int i = 0; i < 5; ++i) box.addChild(cells[i] = new FixedCell(1, 1, &deleted[i]));
    cells[5] = new FixedCell(1, 1, &deleted[5]);
    EXPECT_THROW(box.addChild(cells[5]), std::length_error);
    EXPECT_EQ(cells[5]->container, nullptr);
    EXPECT_EQ(box.childCount(), 5);
    EXPECT_EQ(box.childAt(5), nullptr);
    delete cells[5];

    box.removeChild(cells[2]);
    EXPECT_EQ(box.childAt(2), nullptr);
    EXPECT_EQ(box.childAt(3), cells[3]) << "the other places keep their children";
    delete cells[2];
    {
        GRegionBox* owner = new GRegionBox;
        bool gone = false;
        owner->addChild(new FixedCell(1, 1, &gone));
        delete owner;
        EXPECT_TRUE(gone) << "the box deletes its children";
    }
}
