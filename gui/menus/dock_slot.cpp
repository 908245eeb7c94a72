#include "gui/menus/dock_slot.h"

#include "gui/kernel/parent_window.h"
#include "gui/layout/strip_item.h"

namespace {
// Pre-order over the tree; hidden items are entered, strips are visited and not entered.
void walkStrips(GLayoutCell* cell, std::vector<GStripItem*>& out) {
    if (!cell) return;
    if (cell->wantsGrip()) {
        if (cell->visible()) out.push_back(static_cast<GStripItem*>(cell));
        return;
    }
    if (GLayoutItem* item = cell->asLayoutItem())
        for (int i = 0; i < item->childCount(); ++i) walkStrips(item->childAt(i), out);
}
bool rowHoldsOnly(const std::vector<GLayoutCell*>& row, GLayoutCell* cell) {
    return row.size() == 1 && row[0] == cell;
}
}  // namespace

std::vector<GStripItem*> dockList(GParentWindow* window) {
    std::vector<GStripItem*> out;
    if (window && window->content) walkStrips(window->content->asLayoutCell(), out);
    return out;
}

GStripItem* findStripByKey(GParentWindow* window, u32 key) {
    for (GStripItem* strip : dockList(window))
        if (strip->key == key) return strip;
    return nullptr;
}

bool findDockSlot(GStripItem* dock, GLayoutCell* cell, const RECT& bar, DockSlot* slot) {
    const bool across = dock->orientation == 0;  // rows stack downward
    // v: the axis the rows stack along; u: along a row.
    const i32 v = across ? bar.top : bar.left, u = across ? bar.left : bar.top;
    const i32 vStart = across ? dock->rect.top : dock->rect.left, vEnd = across ? dock->rect.bottom : dock->rect.right;
    const i32 uStart = across ? dock->rect.left : dock->rect.top, uEnd = across ? dock->rect.right : dock->rect.bottom;
    if (v < vStart - DockRowPitch || v > vEnd + DockRowPitch / 2 || u < uStart - DockRowPitch || u > uEnd + DockRowPitch)
        return false;
    const i32 count = (i32)dock->rows.size();
    slot->dock = dock;
    slot->position = 0;
    if (v >= vStart - DockRowPitch / 2 && v <= vEnd) {
        if (count == 0) {
            slot->row = -1;  // an empty dock takes a new first row
            return true;
        }
        i32 row = (v - vStart + DockRowPitch / 2) / DockRowPitch;
        if (row > count - 1) row = count - 1;
        const std::vector<GLayoutCell*>& cells = dock->rows[row];
        i32 position = (i32)cells.size();
        for (size_t i = 0; i < cells.size(); ++i) {
            const RECT& r = cells[i]->rect;
            i32 centre = across ? (r.left + r.right) / 2 : (r.top + r.bottom) / 2;
            if (centre > u) {
                position = (i32)i;
                break;
            }
        }
        slot->row = row;
        slot->position = position;
        return true;
    }
    if (v > vEnd) {
        if (count > 0 && rowHoldsOnly(dock->rows[count - 1], cell)) return false;
        slot->row = count;
        return true;
    }
    if (count == 0 || rowHoldsOnly(dock->rows[0], cell)) return false;
    slot->row = -1;
    return true;
}

