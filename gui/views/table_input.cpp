// GTable's answers to the user beyond the selection model: row moves, the typed-text search,
// presses on check and button cells, and row activation.
#include <windows.h>

#include "core/format.h"
#include "gui/cell_format.h"
#include "gui/layout_cell.h"
#include "gui/life_record.h"
#include "gui/tracked_object.h"
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

bool GTable::pressCell(i32 x, i32 y) {
    pressedRow = -1;
    i64 row;
    i32 column;
    if (!cellAt(x, y, &row, &column)) return false;
    RECT rect = cellRect((u64)row, column);
    u32 bits = 0;
    GCellFormat* format = tableModel->cellFormat((u64)row, column);
    if (!format->press(nullptr, x, y, &rect, &bits, tableModel->cellChecked((u64)row, column))) return false;
    pressedRow = row;
    pressedColumn = column;
    pressedRect = rect;
    SetCapture(hwnd);
    return true;
}

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
