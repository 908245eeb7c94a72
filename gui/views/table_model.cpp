#include "gui/views/table_model.h"

#include <algorithm>
#include <cstring>

#include "core/exceptions.h"
#include "core/format.h"
#include "gui/views/cell_format.h"

void GTableModel::cellSpan(u64, i32, u64* rows, i32* columns, u64* rowOffset, i32* columnOffset) {
    *rows = 1;
    *columns = 1;
    *rowOffset = 0;
    *columnOffset = 0;
}

namespace {
// Walks the rows with one scratch text until the test holds.
template <class Test>
i64 findRow(GTableModel& model, i32 column, Test matches) {
    GString scratch;
    u64 n = model.rowCount();
    for (u64 row = 0; row < n; ++row) {
        const char* cell = model.cellText(scratch, row, column);
        if (cell && matches(cell)) return (i64)row;
    }
    return -1;
}
}  // namespace

i64 GTableModel::findRowByText(const char* text, i32 column) {
    if (!text) return -1;
    return findRow(*this, column, [text](const char* cell) { return strcmp(cell, text) == 0; });
}

i64 GTableModel::findRowByTextNoCase(const char* text, i32 column) {
    if (!text) return -1;
    u32 length = (u32)strlen(text);
    return findRow(*this, column, [text, length](const char* cell) {
        return compareNoCase(cell, (u32)strlen(cell), text, length) == 0;
    });
}

void GTableModel::sortByColumn(i32, bool) { throw GException(); }

GCellFormat* GTableModel::cellFormat(u64, i32) { return defaultCellFormat(); }

SortedRows::~SortedRows() {
    for (u32 i = 0; i < count; ++i) delete[] rows[i].text;
    delete[] rows;
}

SortedRows sortModelRowsByText(GTableModel& model, i32 column, bool ascending, i32 n) {
    if (n < 1 || n > (i32)MaxSortedRows) throw n;
    SortedRows sorted(new SortedRow[n], 0);
    GString scratch;
    for (i32 i = 0; i < n; ++i) {
        sorted.rows[i] = {(u64)i, copyHeapText(model.cellText(scratch, (u64)i, column))};
        sorted.count = (u32)i + 1;
    }
    auto text = [](const SortedRow& r) { return r.text ? r.text : ""; };
    std::sort(sorted.rows, sorted.rows + n, [&](const SortedRow& a, const SortedRow& b) {
        int order = strcmp(text(a), text(b));
        return ascending ? order < 0 : order > 0;
    });
    return sorted;
}
