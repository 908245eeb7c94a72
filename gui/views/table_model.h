#pragma once
// GTableModel: the rows and cells behind a table, a tree, a list or a combo. Rows are counted in
// 64 bits, columns in 32. The view that shows a model owns it unless it is told otherwise. The
// defaults here serve every model; a model overrides what it holds.
#include "core/gstring.h"
#include "core/types.h"

class GCellFormat;

class GTableModel {
public:
    GTableModel() = default;
    GTableModel(const GTableModel&) = delete;
    GTableModel& operator=(const GTableModel&) = delete;
    virtual ~GTableModel() = default;

    virtual u64 rowCount() = 0;
    virtual i32 columnCount() = 0;
    // The cell's text, in scratch or held by the model; null for none.
    virtual const char* cellText(GString& scratch, u64 row, i32 column) = 0;
    virtual void setCellText(u64 /*row*/, i32 /*column*/, const char* /*text*/) {}
    // The size of the span the cell belongs to and how far its anchor (top-left) cell lies before
    // it; 1 x 1 at offset 0 when it is not spanned.
    virtual void cellSpan(u64 row, i32 column, u64* rows, i32* columns, u64* rowOffset, i32* columnOffset);
    virtual i32 cellValue(u64 /*row*/, i32 /*column*/) { return 0; }
    // The first row whose cell text equals the text byte for byte; -1 when none or text is null.
    virtual i64 findRowByText(const char* text, i32 column);
    // The same without letter case (lower-cased in the user's locale; texts of other length differ).
    virtual i64 findRowByTextNoCase(const char* text, i32 column);
    virtual void clearRows() = 0;
    // Removes [first, end).
    virtual void removeRows(u64 first, u64 end) = 0;
    // Appends n rows of columnCount texts each, row by row (null: n empty rows); answers how many
    // rows were added.
    virtual u64 appendRows(const char* const* texts, i32 n) = 0;
    virtual u64 insertRows(u64 at, const char* const* texts, i32 n) = 0;
    // The same with rows in the model's own form (records, say); by default the rows are texts.
    virtual u64 appendRecords(const void* rows, i32 n) { return appendRows(static_cast<const char* const*>(rows), n); }
    virtual u64 insertRecords(u64 at, const void* rows, i32 n) {
        return insertRows(at, static_cast<const char* const*>(rows), n);
    }
    // Unsupported by default: throws GException.
    virtual void sortByColumn(i32 column, bool ascending);
    virtual bool cellChecked(u64 /*row*/, i32 /*column*/) { return false; }
    virtual void setCellChecked(u64 /*row*/, i32 /*column*/, bool) {}
    virtual GCellFormat* cellFormat(u64 row, i32 column);
    // The picture before the cell's text: a cached image list or a registered drawable; null: none.
    virtual void* cellImage(u64 /*row*/, i32 /*column*/) { return nullptr; }
    virtual void swapRows(u64 /*a*/, u64 /*b*/) {}
};

// One row of a sort by text: its index and a heap copy of its cell text (null stays null).
struct SortedRow {
    u64 row;
    char* text;
};

// The rows and texts of a sort; frees the texts and the array when it ends.
class SortedRows {
public:
    SortedRows() = default;
    SortedRows(SortedRow* rows, u32 count) : rows(rows), count(count) {}
    SortedRows(SortedRows&& other) noexcept : rows(other.rows), count(other.count) {
        other.rows = nullptr;
        other.count = 0;
    }
    SortedRows(const SortedRows&) = delete;
    SortedRows& operator=(const SortedRows&) = delete;
    ~SortedRows();

    const SortedRow& operator[](u32 i) const { return rows[i]; }

    SortedRow* rows = nullptr;
    u32 count = 0;
};

enum : u32 { MaxSortedRows = 0x100000 };

// The first n rows ordered by the column's text in byte order (null as empty). n outside
// 1..MaxSortedRows throws it as an i32.
SortedRows sortModelRowsByText(GTableModel& model, i32 column, bool ascending, i32 n);
