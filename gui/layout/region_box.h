#pragma once
// GRegionBox: a layout item with five places, top, left, centre, right and bottom, framed around the
// centre. Margins and gaps come from its eight digits (left margin, gap after left, gap before right,
// right margin, top margin, gap after top, gap before bottom, bottom margin); a gap goes away when
// the places on one of its sides are empty. Owns its children like any item.
#include "gui/layout/layout_cell.h"

class GRegionBox : public GLayoutItem {
public:
    enum : int { Top = 0, Left = 1, Centre = 2, Right = 3, Bottom = 4, Places = 5 };

    explicit GRegionBox(GWindow* owner = nullptr);

    // Into the next place in order; a sixth child has no place and throws std::length_error
    // (the caller still owns it).
    void addChild(GLayoutCell* child) override;
    GLayoutCell* childAt(int i) override { return i >= 0 && i < Places ? GLayoutItem::childAt(i) : nullptr; }
    // The left and right places stretch.
    bool inheritedFlagFor(GLayoutCell* child) override { return child && (child->index == Left || child->index == Right); }
    void getPreferredSize(i32* width, i32* height) override;
    void setRect(const RECT& rect) override;

    int added = 0;

private:
    struct Measure {
        i32 w[Places], h[Places];
        bool present[Places];
        i32 gap[8];  // the digits with the gaps of empty sides cleared
    };
    void measure(Measure& m);
};
