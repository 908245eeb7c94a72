#pragma once
// GGridLayout: children in rows and columns, row by row; every column as wide as its widest cell,
// every row as high as its highest. One column and one row may take the space left, with those
// before packed from the start and those after from the end. Owned like any item; owns its cells.
#include "gui/layout/layout_cell.h"

class GLayoutBuilder;

class GGridLayout : public GLayoutItem {
public:
    // Digits: left margin, column gap, right margin, top margin, row gap, bottom margin.
    GGridLayout(GWindow* owner, i32 columns, i32 rows);

    void getPreferredSize(i32* width, i32* height) override;
    void setRect(const RECT& rect) override;
    // At the end; a full grid grows by one row first.
    void addChild(GLayoutCell* child) override;

    // Column widths and row heights of the present cells (an excluded cell is absent).
    void measure(std::vector<i32>& widths, std::vector<i32>& heights);

    i32 columns, rows;
    i32 stretchColumn = -1, stretchRow = -1;
};

// A grid on the builder's owner, gaps 8 and 8; it becomes the builder's current container.
GGridLayout* addGridLayout(i32 columns, i32 rows, GLayoutBuilder& builder, const char* alignment);

// Spans of one axis: each size packed from `start` (before the stretch index) and from `end`
// (after it) with the gap, clamped at the edges; the stretch index takes what lies between.
void packSpans(const std::vector<i32>& sizes, i32 stretch, i32 gap, i32 start, i32 end, std::vector<i32>& from,
               std::vector<i32>& to);
