#pragma once
// The columns of a table: one record per model column, their display order and visibility, the
// column-string parser, header hit testing, moving and the saved state. The table owns one
// GTableColumns; the records own their titles.
#include "core/bag.h"
#include "core/types.h"

class GDrawable;

// Sort states of a column.
enum : i32 { ColumnSortable = 0, ColumnAscending = 1, ColumnDescending = 2, ColumnNotSortable = 3 };

struct GTableColumn {
    i32 sortState = ColumnNotSortable;
    i32 left = 0;  // content pixels, set by layout
    i32 width = 40;
    i32 extraWidth = 0;  // part of the width that is not saved
    i32 minWidth = 0;
    i32 maxWidth = 1000;
    i32 position = 0;  // display position of this column
    i32 columnAt = 0;  // the column shown at display position equal to this record's index
    char* title = nullptr;
    GDrawable* icon = nullptr;
    u8 visible = 1;
    u8 autoWidth = 0;
    u32 formatParam = 0;

    bool resizable() const { return minWidth < maxWidth; }
};

// How the widths of a column string are measured; the table answers with its fonts.
class GColumnMetrics {
public:
    enum Formatter { PlainText, CheckBox, Button };
    virtual ~GColumnMetrics() = default;
    virtual i32 cellTextWidth(const char* text, Formatter formatter) = 0;
    virtual i32 headerTextWidth(const char* text) = 0;
    virtual i32 averageCharWidth() = 0;
    // The base of per-cent widths.
    virtual i32 percentBase() = 0;
};

class GTableColumns {
public:
    GTableColumns() = default;
    GTableColumns(const GTableColumns&) = delete;
    GTableColumns& operator=(const GTableColumns&) = delete;
    ~GTableColumns() { setCount(0); }

    // Grows with default records (at their own position) or shrinks, freeing titles.
    void setCount(i32 n);
    i32 count() const { return n; }
    GTableColumn& operator[](i32 i) { return records[i]; }
    const GTableColumn& operator[](i32 i) const { return records[i]; }
    // The column shown at a display position.
    i32 atPosition(i32 position) const { return records[position].columnAt; }

    // "title:X=value:...,title:..." in model order; columns past the count are appended.
    void parseSpec(const char* spec, GColumnMetrics& metrics);
    void setTitle(i32 column, const char* title);

    // Sum of width + 1 over the visible columns.
    i32 totalWidth() const;
    // Sets each visible column's left, in display order, from x.
    void layout(i32 x);
    // False when newPosition is the column's own position or the next one.
    bool moveColumn(i32 newPosition, i32 column);
    i32 previousVisibleColumn(i32 column) const;
    // The column under x (content pixels) and whether x is on a border that resizes it; flags are
    // the table's style bits (0x100: resizable).
    bool hitTest(i32 x, i32* column, bool* onBorder, u32 flags) const;
    // Rebuilds columnAt from the positions.
    void rebuildOrder();

    // Per column: u32 width - extraWidth, u32 position, u8 visible.
    void save(GBag& bag) const;
    // Reads what save wrote. Positions that are not each display position once fall back to the
    // model order; a bag that ends early throws GBagException after the order is made valid.
    void load(GBag& bag);

    i32 fillColumn = -1;
    i32 fillBaseWidth = 0;

private:
    bool positionsArePermutation() const;
    // Positions that are not each display position once fall back to the model order; then
    // rebuildOrder.
    void repairOrder();

    GTableColumn* records = nullptr;
    i32 n = 0;
};
