#pragma once
// GPageStack: a layout container that shows one of its children (pages) at a time; the others are
// excluded from the layout. Its margins are digits 0..3 (left, right, top, bottom). Owned like any
// item (by its container); it owns its pages.
#include "gui/layout/layout_cell.h"

class GPageStack : public GLayoutItem {
public:
    using GLayoutItem::GLayoutItem;

    // The pages' preferred size plus the margins.
    void getPreferredSize(i32* width, i32* height) override;
    // The current page fills the rectangle less the margins.
    void setRect(const RECT& rect) override;
    // Inserts the page at the index (later pages move up); it stays hidden, and the current page
    // stays current.
    void insertChild(int index, GLayoutCell* page) override;
    void addChild(GLayoutCell* page) override { insertChild(childCount(), page); }
    // A page asking to be laid out again while hidden becomes current.
    void requestRelayout(GLayoutCell* cell) override;

    // Hides the current page and shows page `index` (-1: none) inside one layout transaction.
    void setCurrentPage(i32 index);
    GLayoutCell* currentPage() { return childAt(current); }

    i32 current = -1;
};
