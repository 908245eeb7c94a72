#include "gui/controls/page_stack.h"

#include <algorithm>

#include "gui/layout/layout_transaction.h"
#include "gui/layout/rect_list.h"

void GPageStack::getPreferredSize(i32* width, i32* height) {
    GLayoutItem::getPreferredSize(width, height);
    *width += digits[0] + digits[1];
    *height += digits[2] + digits[3];
}

void GPageStack::setRect(const RECT& r) {
    GLayoutItem::setRect(insetRect(r, digits[0], digits[2], digits[1], digits[3]));
    rect = r;
}

void GPageStack::insertChild(int index, GLayoutCell* page) {
    if (!page) return;
    index = std::max(0, std::min(index, childCount()));
    insertChildAt(index, page);
    page->notify(LayoutExclude);
    if (current >= 0 && index <= current && current + 1 < childCount()) ++current;
}

void GPageStack::requestRelayout(GLayoutCell* cell) {
    if (cell && cell->container == this && cell->index != current) setCurrentPage(cell->index);
    // Passed up, so that a page switch item's header follows.
    GLayoutItem::requestRelayout(cell);
}

void GPageStack::setCurrentPage(i32 index) {
    if (index == current) return;
    LayoutTransaction transaction(owner);
    if (GLayoutCell* old = childAt(current)) old->notify(LayoutExclude);
    current = index;
    GLayoutCell* page = childAt(current);
    if (!page) return;
    page->notify(LayoutInclude);
    if (rect.right >= 0 && visible()) applyLayoutChange(this, rect);
}
