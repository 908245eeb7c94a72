#include "gui/views/table_columns.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/exceptions.h"

namespace {

// Every character is 7 pixels in cells and 9 in the header; a check box adds 16, a button 20.
class FixedMetrics : public GColumnMetrics {
public:
    i32 cellTextWidth(const char* text, Formatter formatter) override {
        i32 w = 7 * (i32)strlen(text);
        return formatter == CheckBox ? w + 16 : formatter == Button ? w + 20 : w;
    }
    i32 headerTextWidth(const char* text) override { return 9 * (i32)strlen(text ? text : ""); }
    i32 averageCharWidth() override { return 6; }
    i32 percentBase() override { return 300; }
};

// "title width [hidden] [auto] [fill]" per column.
std::string describe(const GTableColumns& columns) {
    std::string out;
    for (i32 i = 0; i < columns.count(); ++i) {
        const GTableColumn& c = columns[i];
        if (i) out += ", ";
        out += std::string(c.title ? c.title : "-") + " " + std::to_string(c.width);
        if (!c.visible) out += " hidden";
        if (c.autoWidth) out += " auto";
        if (columns.fillColumn == i) out += " fill";
    }
    return out;
}

std::string order(const GTableColumns& columns) {
    std::string out;
    for (i32 p = 0; p < columns.count(); ++p) out += std::to_string(columns.atPosition(p));
    return out;
}

TEST(TableColumns, ColumnStrings) {
    struct Case {
        const char* spec;
        i32 count;  // columns before parsing
        const char* expected;
    };
    const Case cases[] = {
        {"Name:W=120,Size:W=60:I", 2, "Name 120, Size 60 hidden"},
        {"Name", 1, "Name 50"},
        {"Both:W=20:W=80", 1, "Both 80"},
        {"Wide:E=abcd", 1, "Wide 28"},
        {"Box:C:E=ab:E=abcdef", 1, "Box 42"},     // the formatter holds for the next E only
        {"Push:B:E=ab", 1, "Push 34"},
        {"Header:H", 1, "Header 54"},
        {"Pc:P=50,Chars:X=10", 1, "Pc 150, Chars 60"},  // columns beyond the count are appended
        {"Auto:A:W=30,Rest:F:W=70", 2, "Auto 30 auto, Rest 70 fill"},
        {"Odd:Z=5:Q:W=33", 1, "Odd 33"},  // unknown letters are ignored
        {"Empty::W=12,", 2, "Empty 12,  50"},
    };
    FixedMetrics metrics;
    for (const Case& c : cases) {
        GTableColumns columns;
        columns.setCount(c.count);
        columns.parseSpec(c.spec, metrics);
        EXPECT_EQ(describe(columns), c.expected) << c.spec;
        EXPECT_EQ(order(columns).size(), (size_t)columns.count());
    }
}

TEST(TableColumns, HitTestGrabZones) {
    // Columns of 12, 40 and 30 pixels from x = 0; the middle one cannot be resized.
    GTableColumns columns;
    columns.setCount(3);
    columns[0].width = 12;
    columns[1].width = 40;
    columns[1].minWidth = columns[1].maxWidth = 40;
    columns[2].width = 30;
    columns.layout(0);  // lefts 0, 13, 54; right edges 12, 53, 84
    struct Case {
        i32 x;
        u32 flags;
        bool found;
        i32 column;
        bool border;
    };
    const Case cases[] = {
        {7, 0x100, true, 0, false},   // outside the 4-pixel grab of a 12-pixel column
        {8, 0x100, true, 0, true},    // within 4 of its right edge
        {15, 0x100, true, 0, true},   // left zone of column 1 gives the resizable column 0
        {20, 0x100, true, 1, false},
        {50, 0x100, true, 1, false},  // right zone of a column that does not resize
        {56, 0x100, true, 2, false},  // left zone: column 1 before it does not resize
        {82, 0x100, true, 2, true},
        {88, 0x100, true, 2, true},   // right of all columns, within 5 of the last border
        {90, 0x100, false, -1, false},
        {8, 0, true, 0, false},       // not resizable: never a border
        {88, 0, false, -1, false},
    };
    for (const Case& c : cases) {
        i32 column = -1;
        bool border = false;
        EXPECT_EQ(columns.hitTest(c.x, &column, &border, c.flags), c.found) << c.x;
        if (!c.found) continue;
        EXPECT_EQ(column, c.column) << c.x;
        EXPECT_EQ(border, c.border) << c.x;
    }
    // A hidden last column: the border test uses the nearest visible one before it.
    columns.moveColumn(0, 2);
    columns[1].visible = 0;
    columns.layout(0);  // order 2, 0, (1 hidden)
    i32 column = -1;
    bool border = false;
    EXPECT_TRUE(columns.hitTest(columns[0].left + columns[0].width + 3, &column, &border, 0x100));
    EXPECT_EQ(column, 0);
    EXPECT_TRUE(border);
}

TEST(TableColumns, MoveColumn) {
    struct Case {
        i32 newPosition, column;
        bool moved;
        const char* order;
    };
    const Case cases[] = {
        {0, 0, false, "0123"},  // its own position
        {1, 0, false, "0123"},  // the next one
        {4, 0, true, "1230"},   // to the end
        {0, 3, true, "3012"},
        {3, 1, true, "0213"},
        {1, 2, true, "0213"},
    };
    for (const Case& c : cases) {
        GTableColumns columns;
        columns.setCount(4);
        EXPECT_EQ(columns.moveColumn(c.newPosition, c.column), c.moved);
        EXPECT_EQ(order(columns), c.order) << c.newPosition << " " << c.column;
        for (i32 i = 0; i < 4; ++i) EXPECT_EQ(columns.atPosition(columns[i].position), i);
    }
}

TEST(TableColumns, SavedStateRoundTripAndBadBags) {
    GTableColumns columns;
    columns.setCount(3);
    columns[0].width = 80;
    columns[0].extraWidth = 10;
    columns[2].visible = 0;
    columns.moveColumn(0, 2);
    GBag bag;
    columns.save(bag);
    ASSERT_EQ(bag.size, 27u);

    GTableColumns back;
    back.setCount(3);
    back[0].extraWidth = 4;
    bag.pos = 0;
    back.load(bag);
    EXPECT_EQ(back[0].width, 74);  // stored 70 plus this table's extra width
    EXPECT_EQ(back[2].visible, 0);
    EXPECT_EQ(order(back), "201");

    // Duplicate, out-of-range and negative positions fall back to the model order.
    struct Bad {
        const char* name;
        u32 positions[3];
    };
    const Bad bad[] = {{"duplicate", {0, 0, 1}}, {"past the count", {0, 1, 7}}, {"negative", {0xFFFFFFFF, 1, 2}}};
    for (const Bad& b : bad) {
        GBag corrupt;
        for (u32 p : b.positions) {
            bagWriteU32(corrupt, 40);
            bagWriteU32(corrupt, p);
            bagWriteU8(corrupt, 1);
        }
        GTableColumns target;
        target.setCount(3);
        target.moveColumn(0, 2);
        corrupt.pos = 0;
        target.load(corrupt);
        EXPECT_EQ(order(target), "012") << b.name;
    }

    // A bag of fewer columns throws, keeps what it read and leaves a valid order.
    GTableColumns two;
    two.setCount(2);
    two[0].width = 33;
    two.moveColumn(0, 1);
    GBag shortBag;
    two.save(shortBag);
    GTableColumns three;
    three.setCount(3);
    shortBag.pos = 0;
    EXPECT_THROW(three.load(shortBag), GBagException);
    EXPECT_EQ(three[0].width, 33);
    EXPECT_EQ(order(three), "102");  // positions 1, 0 and the untouched 2 do not clash: kept

    // A short bag whose positions clash with the unread columns' falls back to the model order.
    GTableColumns moved;
    moved.setCount(3);
    moved.moveColumn(0, 2);  // column 2 at position 0
    shortBag.pos = 0;
    EXPECT_THROW(moved.load(shortBag), GBagException);
    EXPECT_EQ(order(moved), "012");
}

}  // namespace
