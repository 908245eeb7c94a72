#pragma once
// ReportRow: one key/value line of a report tree. A row owns its children (through BlockBase), its
// cells' texts and its extra object; the parent given at construction holds it, a root row is
// deleted by its creator.
#include "core/arrays.h"
#include "core/block_base.h"

class GCellFormat;

struct ReportCell {
    char* text = nullptr;  // owned; null until assigned
    u32 value = 0;
    GCellFormat* format;  // shared, not owned
};

class ReportRow : public BlockBase {
public:
    ReportRow(BlockBase* parent, const char* key, const char* value);
    ~ReportRow() override;

    static ReportRow* fromInt(BlockBase* parent, const char* key, i32 value);
    static ReportRow* fromUnsigned(BlockBase* parent, const char* key, u32 value);

    void displayName(GString& out) const override { stringClear(out); }
    // The cell's text; "" for a column beyond the row's or a cell without text.
    const char* columnText(GString& out, i32 column, void* context) const override;
    u32 columnValue(i32 column) const override { return column < columnCount ? cells[column].value : 0; }
    // The cell's formatter (a GCellFormat); the default one beyond the row's columns.
    void* cellObject(i32 column) const override;

    ReportCell* cells;
    GCommonObject* extra = nullptr;  // owned
    i32 columnCount = 2;
};
