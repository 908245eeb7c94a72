#include "gui/views/cell_grid_model.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "core/format.h"
#include "core/gstring.h"

// ---- row array ----

void GRowArrayModel::clearRows() {
    for (u32 i = 0; i < rows.count; ++i) deleteRow(rows.data[i]);
    arrayFree(rows);
}

void GRowArrayModel::removeRows(u64 first, u64 end) {
    if (end > rows.count) end = rows.count;
    if (first >= end) return;
    for (u64 i = first; i < end; ++i) deleteRow(rows.data[i]);
    memmove(rows.data + first, rows.data + end, sizeof(void*) * (rows.count - end));
    rows.count -= (u32)(end - first);
}

u32 GRowArrayModel::openSlots(u64 at, u32 n) {
    u32 index = at > rows.count ? rows.count : (u32)at;
    if (rows.count + n > rows.capacity) {
        u32 capacity = growCapacity(rows.count + n, rows.capacity);
        rows.data = ptrArrayRealloc(capacity, rows.data, rows.count);
        rows.capacity = capacity;
    }
    memmove(rows.data + index + n, rows.data + index, sizeof(void*) * (rows.count - index));
    memset(rows.data + index, 0, sizeof(void*) * n);
    rows.count += n;
    return index;
}

u64 GRowArrayModel::insertRows(u64 at, const char* const* texts, i32 n) {
    if (n <= 0) return 0;
    i32 step = columnCount();
    u32 index = openSlots(at, (u32)n);
    for (i32 i = 0; i < n; ++i) {
        try {
            rows.data[index + i] = makeRow(texts ? texts + (size_t)i * step : nullptr);
        } catch (...) {
            // The rows not made close up again.
            memmove(rows.data + index + i, rows.data + index + n, sizeof(void*) * (rows.count - index - n));
            rows.count -= (u32)(n - i);
            throw;
        }
    }
    return (u64)n;
}

void GRowArrayModel::insertRowPointers(u64 at, void* const* made, i32 n) {
    if (n <= 0) return;
    u32 index = openSlots(at, (u32)n);
    memcpy(rows.data + index, made, sizeof(void*) * n);
}

void GRowArrayModel::reorder(const u64* order, u32 n) {
    std::vector<void*> placed(n);
    for (u32 i = 0; i < n; ++i) placed[i] = rows.data[order[i]];
    memcpy(rows.data, placed.data(), sizeof(void*) * n);
}

void GRowArrayModel::sortByColumn(i32 column, bool ascending) {
    if (rows.count < 2) return;
    SortedRows sorted = sortModelRowsByText(*this, column, ascending, (i32)rows.count);
    std::vector<u64> order(sorted.count);
    for (u32 i = 0; i < sorted.count; ++i) order[i] = sorted[i].row;
    reorder(order.data(), sorted.count);
}

void GRowArrayModel::swapRows(u64 a, u64 b) {
    if (a >= rows.count || b >= rows.count) return;
    std::swap(rows.data[a], rows.data[b]);
}

// ---- cell grid ----

GGridCell* GCellGridModel::cell(u64 row, i32 column) {
    if (row >= rowCount() || column < 0 || column >= columns) return nullptr;
    return cellsOf(static_cast<RowBlock*>(this->row(row))) + column;
}

const char* GCellGridModel::cellText(GString&, u64 row, i32 column) {
    GGridCell* c = cell(row, column);
    return c ? c->text : nullptr;
}

void GCellGridModel::setCellText(u64 row, i32 column, const char* text) {
    GGridCell* c = cell(row, column);
    if (!c) return;
    freeText(static_cast<RowBlock*>(this->row(row)), *c);
    c->text = copyHeapText(text);
}

i32 GCellGridModel::cellValue(u64 row, i32 column) {
    GGridCell* c = cell(row, column);
    return c ? c->value : 0;
}

void GCellGridModel::setCellValue(u64 row, i32 column, i32 value) {
    if (GGridCell* c = cell(row, column)) c->value = value;
}

GCommonObject* GCellGridModel::attachment(u64 row, i32 column) {
    GGridCell* c = cell(row, column);
    return c ? c->attachment : nullptr;
}

void GCellGridModel::setAttachment(u64 row, i32 column, GCommonObject* object) {
    GGridCell* c = cell(row, column);
    if (!c || c->attachment == object) return;
    delete c->attachment;
    c->attachment = object;
}

i64 GCellGridModel::findRowByText(const char* text, i32 column) {
    if (!text || column < 0 || column >= columns) return -1;
    u64 n = rowCount();
    for (u64 r = 0; r < n; ++r) {
        const char* cellText = cellsOf(static_cast<RowBlock*>(row(r)))[column].text;
        if (cellText && (cellText == text || strcmp(cellText, text) == 0)) return (i64)r;
    }
    return -1;
}

void GCellGridModel::sortByColumn(i32 column, bool ascending) {
    if (rowCount() < 2 || column < 0 || column >= columns) return;
    auto text = [column](void* r) {
        const char* t = cellsOf(static_cast<RowBlock*>(r))[column].text;
        return t ? t : "";
    };
    std::sort(rowSlots(), rowSlots() + rowCount(), [&](void* a, void* b) {
        int c = compareTextNoCase(text(a), text(b));
        return ascending ? c < 0 : c > 0;
    });
}

void* GCellGridModel::makeRow(const char* const* texts) {
    size_t size = sizeof(RowBlock) + sizeof(GGridCell) * columns;
    if (texts)
        for (i32 c = 0; c < columns; ++c)
            if (texts[c]) size += strlen(texts[c]) + 1;
    char* block = new char[size];
    RowBlock* row = new (block) RowBlock{(u32)size};
    GGridCell* cells = cellsOf(row);
    char* next = reinterpret_cast<char*>(cells + columns);
    for (i32 c = 0; c < columns; ++c) {
        new (&cells[c]) GGridCell;
        if (!texts || !texts[c]) continue;
        size_t n = strlen(texts[c]) + 1;
        memcpy(next, texts[c], n);
        cells[c].text = next;
        next += n;
    }
    return row;
}

void GCellGridModel::freeText(RowBlock* row, GGridCell& cell) {
    const char* block = reinterpret_cast<const char*>(row);
    if (cell.text && (cell.text < block || cell.text >= block + row->size)) delete[] cell.text;
    cell.text = nullptr;
}

void GCellGridModel::deleteRow(void* row) {
    RowBlock* block = static_cast<RowBlock*>(row);
    GGridCell* cells = cellsOf(block);
    for (i32 c = 0; c < columns; ++c) {
        delete cells[c].attachment;
        freeText(block, cells[c]);
    }
    delete[] reinterpret_cast<char*>(block);
}
