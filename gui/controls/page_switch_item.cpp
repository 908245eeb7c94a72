#include "gui/controls/page_switch_item.h"

#include <algorithm>

#include "gui/layout/rect_list.h"

GPageSwitchItem::GPageSwitchItem(GWindow* owner, char side) : GLayoutItem(owner), side(side) {
    if (side == '^' || side == 'v')
        digits[3] = 8;
    else
        digits[1] = 8;
    children.assign(2, nullptr);
    stack = new GPageStack(owner);
    insertChild(1, stack);
}

void GPageSwitchItem::setHeader(GLayoutCell* header) {
    GLayoutCell* old = childAt(0);
    if (old == header) return;
    if (old) deleteChildCell(old);
    if (header) {
        if (header->container) header->container->removeChild(header);
        insertChild(0, header);
    }
}

void GPageSwitchItem::addChild(GLayoutCell* child) {
    if (!childAt(0))
        setHeader(child);
    else
        stack->addChild(child);
}

GIndexSelector* GPageSwitchItem::selector() {
    GLayoutCell* header = childAt(0);
    return header ? dynamic_cast<GIndexSelector*>(header) : nullptr;
}

void GPageSwitchItem::getPreferredSize(i32* width, i32* height) {
    const i32 d0 = digits[0], d1 = digits[1], d2 = digits[2], d3 = digits[3], d4 = digits[4];
    i32 hw = 0, hh = 0, sw = 0, sh = 0;
    if (GLayoutCell* header = childAt(0)) preferredSizeOf(header, &hw, &hh);
    preferredSizeOf(stack, &sw, &sh);
    if (side == '<' || side == '>') {
        *width = d0 + d1 + d2 + sw + hw;
        *height = d3 + d4 + std::max(sh, hh);
    } else {
        *width = d0 + d1 + std::max(sw, hw);
        *height = d2 + d3 + d4 + sh + hh;
    }
}

void GPageSwitchItem::setRect(const RECT& r) {
    rect = r;
    const i32 d0 = digits[0], d1 = digits[1], d2 = digits[2], d3 = digits[3], d4 = digits[4];
    GLayoutCell* header = childAt(0);
    RECT box, pages;
    if (side == '<' || side == '>') {
        box = insetRect(r, d0, d3, d2, d4);
        pages = box;
        if (header) {
            placeCellAligned(header, box, side, '*');
            if (side == '<')
                pages.left = std::min<i32>(header->rect.right + d1, box.right);
            else
                pages.right = std::max<i32>(header->rect.left - d1, box.left);
        }
    } else {
        box = insetRect(r, d0, d2, d1, d4);
        pages = box;
        if (header) {
            placeCellAligned(header, box, '*', side);
            if (side == '^')
                pages.top = std::min<i32>(header->rect.bottom + d3, box.bottom);
            else
                pages.bottom = std::max<i32>(header->rect.top - d3, box.top);
        }
    }
    placeCellAligned(stack, pages, 'U', 'C');
}

bool GPageSwitchItem::onControlNotify(void* n) {
    GControlNotification* notification = static_cast<GControlNotification*>(n);
    GLayoutCell* header = childAt(0);
    if (!header || notification->source != header || notification->code != HeaderSelectionChanged) return false;
    GIndexSelector* s = selector();
    i32 index = s ? s->selectedIndex() : (i32)notification->value;
    if (index != stack->current) stack->setCurrentPage(index);
    // Passed on as this item's own notification, which this item does not take.
    GControlNotification up{this, HeaderSelectionChanged, index};
    notifyUp(this, &up);
    return true;
}

void GPageSwitchItem::requestRelayout(GLayoutCell* cell) {
    if (cell == stack)
        if (GIndexSelector* s = selector())
            if (s->selectedIndex() != stack->current) s->selectIndex(stack->current);
    GLayoutItem::requestRelayout(cell);
}
