#pragma once
// GSizedBox: a layout item with one child and a size in per cent of the primary work area (a
// negative value takes the child's preferred size), plus four margins. Placers are built on it,
// and pop-ups use it as the root of their content. Owns its child like any item.
#include "gui/layout/layout_cell.h"

class GSizedBox : public GLayoutItem {
public:
    GSizedBox(GWindow* owner, i32 widthPercent, i32 heightPercent);

    void getPreferredSize(i32* width, i32* height) override;
    void setRect(const RECT& rect) override;
    // The child is always child 0.
    void addChild(GLayoutCell* child) override;
    void setChild(GLayoutCell* child) { addChild(child); }

    i32 widthPercent, heightPercent;
    u8 margins[4] = {0, 0, 0, 0};  // left, right, top, bottom
};
// The name pop-up content builders use: GGridItem(owner, -1, -1).
typedef GSizedBox GGridItem;

// The primary work area, read once.
const RECT& primaryWorkArea();
