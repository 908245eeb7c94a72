#include "gui/layout/strip_item.h"

#include <algorithm>

#include "gui/kernel/parent_window.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_transaction.h"

GStripItem::GStripItem(GWindow* owner, u32 key, u8 orientation)
    : GLayoutItem(owner), key(key), orientation(orientation) {
    cellFlags |= CellOwnBackground;
}

GStripItem* GStripItem::create(GLayoutBuilder& builder, u32 key, u8 orientation, const char* code) {
    GStripItem* strip = new GStripItem(builder.owner, key, orientation);
    builder.add(strip, code);
    return strip;
}

void GStripItem::add(GLayoutCell* cell, int row, int index, char letter) {
    if (row < 0) {
        rows.insert(rows.begin(), std::vector<GLayoutCell*>());
        row = 0;
    }
    if (row >= (int)rows.size()) rows.resize(row + 1);
    std::vector<GLayoutCell*>& cells = rows[row];
    if (index < 0) {
        cells.push_back(cell);
    } else if (index >= (int)cells.size()) {
        cells.resize(index, nullptr);
        cells.push_back(cell);
    } else if (cells[index]) {
        cells.insert(cells.begin() + index, cell);
    } else {
        cells[index] = cell;
    }
    int at = (int)children.size();
    children.push_back(nullptr);
    insertChild(at, cell);
    if (orientation == 0) {
        cell->hAlign = letter ? letter : '<';
        cell->vAlign = 'C';
    } else {
        cell->hAlign = 'U';
        cell->vAlign = letter ? letter : '^';
    }
}

void GStripItem::addChild(GLayoutCell* child) { add(child, 0, -1, 0); }

void GStripItem::removeChild(GLayoutCell* child) {
    for (std::vector<GLayoutCell*>& cells : rows)
        for (GLayoutCell*& c : cells)
            if (c == child) c = nullptr;
    if (dragged == child) dragged = nullptr;
    GLayoutItem::removeChild(child);
}

void GStripItem::compact() {
    for (std::vector<GLayoutCell*>& cells : rows) cells.erase(std::remove(cells.begin(), cells.end(), nullptr), cells.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [](const std::vector<GLayoutCell*>& r) { return r.empty(); }),
               rows.end());
    children.erase(std::remove(children.begin(), children.end(), nullptr), children.end());
    renumberFrom(0);
}

void GStripItem::getPreferredSize(i32* width, i32* height) {
    compact();
    i32 along = 0, across = 0;
    for (const std::vector<GLayoutCell*>& cells : rows) {
        i32 sum = 0, thick = 0;
        for (GLayoutCell* c : cells) {
            i32 w, h;
            preferredSizeOf(c, &w, &h);
            sum += orientation == 0 ? w : h;
            thick = std::max(thick, orientation == 0 ? h : w);
        }
        along = std::max(along, sum);
        across += thick;
    }
    *width = orientation == 0 ? along : across;
    *height = orientation == 0 ? across : along;
}

void GStripItem::setRect(const RECT& r) {
    if (!rectsEqual(r, rect)) {
        repaintArea(owner, rect);
        repaintArea(owner, r);
    }
    rect = r;
    if (rectEmpty(r)) return;
    compact();
    const bool across0 = orientation == 0;
    // Work in strip coordinates: u along the rows, v across them.
    const i32 uStart = across0 ? r.left : r.top, uEnd = across0 ? r.right : r.bottom;
    const i32 vEnd = across0 ? r.bottom : r.right;
    i32 v = across0 ? r.top : r.left;
    for (const std::vector<GLayoutCell*>& cells : rows) {
        i32 sum = 0, rowThick = 0;
        for (GLayoutCell* c : cells) {
            i32 w, h;
            preferredSizeOf(c, &w, &h);
            sum += across0 ? w : h;
            rowThick = std::max(rowThick, across0 ? h : w);
        }
        i32 vNext = std::min(v + rowThick, vEnd);
        i32 free = std::max(uEnd - uStart - sum, 0);
        int breaks = 0;
        if (free > 0) {
            char prev = '<';
            for (GLayoutCell* c : cells) {
                char letter = letterOf(c);
                if ((letter == '>' || letter == '|' || letter == 'v' || letter == '-') && prev != '>' && prev != 'v')
                    ++breaks;
                prev = letter;
            }
            if (!cells.empty() && prev != '>' && prev != 'v') ++breaks;
        }
        i32 u = uStart;
        char prev = '<';
        for (size_t i = 0; i < cells.size() && u < uEnd; ++i) {
            GLayoutCell* c = cells[i];
            char letter = letterOf(c);
            bool toEnd = letter == '>' || letter == 'v', centre = letter == '|' || letter == '-';
            bool prevEnd = prev == '>' || prev == 'v';
            if (breaks > 0 && (toEnd || centre) && !prevEnd && (letter != prev || centre)) {
                i32 step = free / breaks;
                u += step;
                free -= step;
                --breaks;
            }
            prev = letter;
            RECT room = across0 ? RECT{u, v, uEnd, vNext} : RECT{v, u, vNext, uEnd};
            if (c == dragged)
                placeCellAligned(c, dragRect, '*', '*');
            else
                placeCellAligned(c, room, '<', '^');
            u += across0 ? c->rect.right - c->rect.left : c->rect.bottom - c->rect.top;
        }
        v = vNext;
    }
}

void GStripItem::notify(int event) {
    bool wasVisible = visible();
    GLayoutItem::notify(event);
    if (wasVisible != visible() && layoutTransactionDepth > 0) repaintArea(owner, rect);
}

bool GStripItem::findCell(GLayoutCell* cell, int* row, int* index) const {
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t i = 0; i < rows[r].size(); ++i)
            if (rows[r][i] == cell) {
                *row = (int)r;
                *index = (int)i;
                return true;
            }
    return false;
}

void GStripItem::moveCell(GLayoutCell* cell, GStripItem* target, int row, int index) {
    GLayoutItem* container = cell ? cell->container : nullptr;
    GStripItem* old = stripOf(container);
    int oldRow, oldIndex;
    if (!old || !target || !old->findCell(cell, &oldRow, &oldIndex)) return;
    GWindow* window = target->topLevelWindow();
    beginLayoutTransaction();
    cell->notify(LayoutExclude);
    old->rows[oldRow][oldIndex] = nullptr;
    if (cell->index >= 0 && cell->index < (int)old->children.size()) old->children[cell->index] = nullptr;
    cell->container = nullptr;
    target->add(cell, row, index, 0);
    old->compact();
    cell->notify(LayoutInclude);
    GParentWindow* top = window ? window->item()->asParentWindow() : nullptr;
    if (top && top->hwnd) {
        RECT client;
        GetClientRect(top->hwnd, &client);
        top->layoutContent(client.right, client.bottom);
    }
    endLayoutTransaction(window);
}

GLayoutCell* GStripItem::firstCellOfRow(GStripItem* strip, int row) {
    if (!strip || row < 0 || row >= (int)strip->rows.size() || strip->rows[row].empty()) return nullptr;
    return strip->rows[row][0];
}
