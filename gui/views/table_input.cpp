// GTable's answers to the user beyond the selection model: row moves, the typed-text search,
// presses on check and button cells, and row activation.
#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "core/format.h"
#include "gui/kernel/life_record.h"
#include "gui/kernel/tracked_object.h"
#include "gui/layout/layout_cell.h"
#include "gui/views/cell_format.h"
#include "gui/views/input_bubbling.h"
#include "gui/views/table.h"
#include "gui/views/table_type_ahead.h"

void GTable::sendUp(u32 code, intptr_t value) {
    GControlNotification n;
    n.source = this;
    n.code = code;
    n.value = value;
    notifyUp(this, &n);
}

void GTable::caretUp() {
    i64 r = selectionModel->nextSelected(-1);
    if (r <= 0) return;
    for (; r >= 0; r = selectionModel->nextSelected(r)) tableModel->swapRows((u64)r - 1, (u64)r);
    selectionModel->moveBy(-1);
    invalidate();
    markDirty(TableSelectionChanged);
}

void GTable::caretDown() {
    i64 r = selectionModel->lastSelected();
    if (r < 0 || (u64)r + 1 >= rows) return;
    for (; r >= 0; r = selectionModel->previousSelected(r)) tableModel->swapRows((u64)r, (u64)r + 1);
    selectionModel->moveBy(1);
    invalidate();
    markDirty(TableSelectionChanged);
}

void GTable::typedText(GTableTypeAhead& collector, const char* text) {
    invalidate();
    i32 column = selectionModel->column();
    if (text && *text && column >= 0 && column < columnCount) {
        GString scratch, lower;
        for (u64 row = 0; row < rows; ++row) {
            const char* cell = tableModel->cellText(scratch, row, column);
            if (!cell) continue;
            stringAssignText(lower, cell);
            textToLowerInPlace(lower.data, lower.length);
            if (stringFind(lower, text, 0) >= 0) {
                scrollRowIntoView(row);
                break;
            }
        }
    }
    stringClear(collector.text);
}

RECT GTable::cellRect(u64 row, i32 column) {
    columns.layout(horizontal.leadingInset - (i32)horizontal.origin);
    const GTableColumn& c = columns[column];
    i32 top = (i32)((i64)row * rowHeight - vertical.origin) + headerHeightPixels();
    return RECT{c.left, top, c.left + c.width + 1, top + rowHeight};
}

bool GTable::cellElementAt(GHotTracker* asking, i32 x, i32 y, i64* row, i32* column, RECT* rect, u32* bits) {
    if (!cellAt(x, y, row, column)) return false;
    *rect = cellRect((u64)*row, *column);
    *bits = 0;
    GCellFormat* format = tableModel->cellFormat((u64)*row, *column);
    return format->press(asking, x, y, rect, bits, tableModel->cellChecked((u64)*row, *column));
}

bool GTable::pressCell(i32 x, i32 y) {
    pressedRow = -1;
    i64 row;
    i32 column;
    RECT rect;
    u32 bits;
    if (!cellElementAt(tracker, x, y, &row, &column, &rect, &bits)) return false;
    pressedRow = row;
    pressedColumn = column;
    pressedRect = rect;
    SetCapture(hwnd);
    return true;
}

bool GTable::hitPart(GHotTracker* asking, i32 x, i32 y, tagRECT* rect, u32* flags) {
    if (pressedHeader >= 0 || resizingColumn >= 0 || bandActive) return false;
    i64 row;
    i32 column;
    return cellElementAt(asking, x, y, &row, &column, rect, flags);
}

bool GTable::cellInput(GInputEvent& event, u64, i32) { return bubbleInputEvent(this, &event); }

bool GTable::releaseCell(i32 x, i32 y) {
    if (pressedRow < 0) return false;
    i64 row = pressedRow;
    i32 column = pressedColumn;
    pressedRow = -1;
    if (GetCapture() == hwnd) ReleaseCapture();
    POINT at{x, y};
    if (!PtInRect(&pressedRect, at) || (u64)row >= rows) return true;
    u32 bits = tableModel->cellFormat((u64)row, column)->inputBits();
    LifeGuard guard(lifeRecord());
    if (bits & CellReleaseNotifies) sendUp(TableCellButton, (intptr_t)row);
    if ((bits & CellReleaseToggles) && guard.alive()) toggleCheck((u64)row, column);
    return true;
}

void GTable::toggleCheck(u64 row, i32 column) {
    bool value = !tableModel->cellChecked(row, column);
    if (!selectionModel->isSelected((i64)row)) {
        tableModel->setCellChecked(row, column, value);
    } else {
        for (i64 r = selectionModel->nextSelected(-1); r >= 0; r = selectionModel->nextSelected(r))
            tableModel->setCellChecked((u64)r, column, value);
    }
    invalidate();
    sendUp(TableCheckToggled, (intptr_t)row);
}

bool GTable::pressHeader(i32 x, i32 y, bool doubleClick, u32 keys) {
    if (!hasHeader() || y < 0 || y >= headerHeight) return false;
    columns.layout(horizontal.leadingInset - (i32)horizontal.origin);
    i32 column = -1;
    bool onBorder = false;
    if (!columns.hitTest(x, &column, &onBorder, tableFlags)) return true;
    if (onBorder) {
        if (doubleClick) {
            fitColumnWidths((keys & MK_CONTROL) ? -1 : column, (keys & MK_SHIFT) != 0);
            updateScrollBars(nullptr, nullptr, true, false);
            invalidate();
        } else {
            resizingColumn = column;
            SetCapture(hwnd);
        }
        return true;
    }
    pressedHeader = column;
    headerPressX = headerDragX = x;
    draggingColumn = false;
    SetCapture(hwnd);
    invalidate();
    return true;
}

bool GTable::dragHeader(i32 x) {
    if (pressedHeader >= 0) {
        if (!draggingColumn && (tableFlags & TableMovableColumns) && std::abs(x - headerPressX) >= 4)
            draggingColumn = true;
        if (draggingColumn && x != headerDragX) {
            headerDragX = x;
            invalidate();
        }
        return true;
    }
    if (resizingColumn < 0) return false;
    columns.layout(horizontal.leadingInset - (i32)horizontal.origin);
    GTableColumn& c = columns[resizingColumn];
    i32 width = std::min(std::max(x - c.left, c.minWidth), c.maxWidth);
    if (width != c.width) {
        c.width = width;
        // The fill column keeps the width it is given as its base.
        if (resizingColumn == columns.fillColumn) columns.fillBaseWidth = width;
        updateScrollBars(nullptr, nullptr, true, false);
        invalidate();
    }
    return true;
}

bool GTable::releaseHeader(i32 x, i32 y) {
    if (resizingColumn < 0 && pressedHeader < 0) return false;
    i32 pressed = pressedHeader;
    bool resized = resizingColumn >= 0;
    bool moved = false;
    if (draggingColumn) {
        i32 border = 0;
        moved = columns.moveColumn(dropPosition(x, &border), pressed);
    }
    bool dragged = draggingColumn;
    pressedHeader = resizingColumn = -1;
    draggingColumn = false;
    if (GetCapture() == hwnd) ReleaseCapture();
    // The fill column takes the room left after the drag.
    if (resized) updateScrollBars(nullptr, nullptr, true, false);
    invalidate();
    if (resized || moved) markDirty(TableColumnsChanged);
    if (resized || dragged) return true;
    i32 column = -1;
    bool onBorder = false;
    if (y >= 0 && y < headerHeight && columns.hitTest(x, &column, &onBorder, tableFlags) && !onBorder &&
        column == pressed)
        sortColumn(column);
    return true;
}

bool GTable::dragBand(i32 x, i32 y) {
    if (!bandArmed || !rows) return false;
    i32 ax = bandAnchorX - (i32)horizontal.origin;
    i64 ay = bandAnchorY - vertical.origin;
    if (!bandActive) {
        if ((i64)(x - ax) * (x - ax) + (y - ay) * (y - ay) < 16) return false;
        bandActive = true;
        SetCapture(hwnd);
    }
    bandPointer = POINT{x, y};
    auto rowOf = [&](i64 contentY) {
        i64 row = (contentY - headerHeightPixels()) / rowHeight;
        return (u64)std::min<i64>(std::max<i64>(row, 0), (i64)rows - 1);
    };
    u64 first = rowOf(bandAnchorY), last = rowOf(y + vertical.origin);
    if (first > last) std::swap(first, last);
    clickRow(first, last);
    invalidate();
    return true;
}

i32 GTable::dropPosition(i32 x, i32* borderX) {
    columns.layout(horizontal.leadingInset - (i32)horizontal.origin);
    i32 end = horizontal.leadingInset - (i32)horizontal.origin;
    for (i32 p = 0; p < columns.count(); ++p) {
        const GTableColumn& c = columns[columns.atPosition(p)];
        if (!c.visible) continue;
        if (x < c.left + (c.width + 1) / 2) {
            *borderX = c.left;
            return p;
        }
        end = c.left + c.width + 1;
    }
    *borderX = end;
    return columns.count();
}

void GTable::sortColumn(i32 column) {
    i32 state = columns[column].sortState;
    if (state == ColumnNotSortable) return;
    bool ascending = state != ColumnAscending;
    tableModel->sortByColumn(column, ascending);
    for (i32 i = 0; i < columns.count(); ++i)
        if (columns[i].sortState != ColumnNotSortable) columns[i].sortState = ColumnSortable;
    columns[column].sortState = ascending ? ColumnAscending : ColumnDescending;
    if (rows) setCaretRow(std::min<u64>((u64)(vertical.origin / rowHeight), rows - 1));
    invalidate();
    markDirty(TableColumnsChanged);
}
