#pragma once
// GStripItem: cells kept in rows (orientation 0: rows stacked, cells side by side) or columns
// (orientation 1), as the tool-bar strips of a page. Its area has its own background, painted with
// the uncovered area of a layout transaction. Owns its cells like any item.
#include <vector>

#include "gui/layout/layout_cell.h"

class GLayoutBuilder;

class GStripItem : public GLayoutItem {
public:
    GStripItem(GWindow* owner, u32 key, u8 orientation);

    void getPreferredSize(i32* width, i32* height) override;
    void setRect(const RECT& rect) override;
    void notify(int event) override;
    // Row 0, at the end.
    void addChild(GLayoutCell* child) override;
    void removeChild(GLayoutCell* child) override;

    // A negative row makes a new first row; a negative index appends; an index past the end pads
    // the row with empty places; an occupied index inserts before it. letter: the cell's letter
    // along the strip ('<' '>' '|'; 0 for the default).
    void add(GLayoutCell* cell, int row, int index, char letter);
    // Drops empty places and empty rows.
    void compact();

    static GStripItem* create(GLayoutBuilder& builder, u32 key, u8 orientation, const char* code);
    // Tool bars in a strip get a grip.
    bool wantsGrip() override { return true; }
    // The row and index of the cell; false when the strip does not hold it.
    bool findCell(GLayoutCell* cell, int* row, int* index) const;
    // Moves a cell of a strip to a row and index of the target (which may be its own strip), with
    // the target's default letter, and lays the target's window out again in one transaction.
    static void moveCell(GLayoutCell* cell, GStripItem* target, int row, int index);
    // The row's first entry; null for a missing or empty row.
    static GLayoutCell* firstCellOfRow(GStripItem* strip, int row);

    std::vector<std::vector<GLayoutCell*>> rows;
    u32 key;
    u8 orientation;
    GLayoutCell* dragged = nullptr;  // shown in dragRect while it is dragged
    RECT dragRect = {0, 0, 0, 0};

private:
    char letterOf(GLayoutCell* cell) const { return orientation == 0 ? cell->hAlign : cell->vAlign; }
};

// A cell's container as a strip; null when it is not one.
inline GStripItem* stripOf(GLayoutItem* container) {
    return container && container->wantsGrip() ? static_cast<GStripItem*>(container) : nullptr;
}
