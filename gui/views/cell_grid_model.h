#pragma once
// In-memory table models. GRowArrayModel keeps an array of row pointers it owns and leaves to a
// subclass what a row holds; GCellGridModel's rows are arrays of text cells, one per column, and
// it is the model a table makes for itself when it is given none. The table (or whoever holds the
// model) deletes it; the model deletes its rows.
#include "core/arrays.h"
#include "gui/views/table_model.h"

// A subclass's destructor calls clearRows: deleteRow is its own.
class GRowArrayModel : public GTableModel {
public:

    u64 rowCount() override { return rows.count; }
    void clearRows() override;
    void removeRows(u64 first, u64 end) override;
    // Rows of columnCount texts each, made by makeRow; null texts give empty rows.
    u64 appendRows(const char* const* texts, i32 n) override { return insertRows(rows.count, texts, n); }
    u64 insertRows(u64 at, const char* const* texts, i32 n) override;
    // By the cell text of the column (byte order), the texts gathered once.
    void sortByColumn(i32 column, bool ascending) override;
    void swapRows(u64 a, u64 b) override;

    // Rows made by the caller, taken over by the model; at past the end appends.
    void insertRowPointers(u64 at, void* const* made, i32 n);
    void* row(u64 index) const { return rows[(u32)index]; }

protected:
    // A new row from columnCount texts (null: an empty row).
    virtual void* makeRow(const char* const* texts) = 0;
    virtual void deleteRow(void* row) = 0;
    // Places the rows in the given order of their old indices.
    void reorder(const u64* order, u32 n);
    void** rowSlots() { return rows.data; }

private:
    // Opens n null slots at at (clamped to the count); the index of the first.
    u32 openSlots(u64 at, u32 n);

    PointerArray rows;
};

// One cell of a GCellGridModel row.
struct GGridCell {
    char* text = nullptr;                   // owned; null: no text
    i32 value = 0;
    GCommonObject* attachment = nullptr;    // owned
};

class GCellGridModel : public GRowArrayModel {
public:
    explicit GCellGridModel(i32 columnCount) : columns(columnCount < 1 ? 1 : columnCount) {}
    ~GCellGridModel() override { clearRows(); }

    i32 columnCount() override { return columns; }
    const char* cellText(GString& scratch, u64 row, i32 column) override;
    void setCellText(u64 row, i32 column, const char* text) override;
    i32 cellValue(u64 row, i32 column) override;
    // The same pointer or the same bytes; cells without text are skipped.
    i64 findRowByText(const char* text, i32 column) override;
    // Without case, by the cell texts (none as "").
    void sortByColumn(i32 column, bool ascending) override;

    void setCellValue(u64 row, i32 column, i32 value);
    GCommonObject* attachment(u64 row, i32 column);
    // Deletes the attachment it replaces.
    void setAttachment(u64 row, i32 column, GCommonObject* object);

protected:
    void* makeRow(const char* const* texts) override;
    void deleteRow(void* row) override;

private:
    // A row is one heap block: this header, the cells, then the texts the row was made with. A text
    // inside the block is not freed on its own; a text set later is a heap copy of its own.
    struct RowBlock {
        u32 size;
        u32 reserved = 0;
    };
    static GGridCell* cellsOf(RowBlock* row) { return reinterpret_cast<GGridCell*>(row + 1); }
    void freeText(RowBlock* row, GGridCell& cell);

    // The cell, or null outside the grid.
    GGridCell* cell(u64 row, i32 column);

    i32 columns;
};
