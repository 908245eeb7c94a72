#include "gui/views/report_row.h"

#include "gui/views/cell_format.h"

ReportRow::ReportRow(BlockBase* parent, const char* key, const char* value)
    : BlockBase(parent), cells(new ReportCell[2]) {
    for (i32 i = 0; i < columnCount; ++i) cells[i].format = defaultCellFormat();
    assignCString(&cells[0].text, key);
    assignCString(&cells[1].text, value);
}

ReportRow::~ReportRow() {
    for (i32 i = 0; i < columnCount; ++i) freeHeapText(&cells[i].text);
    delete[] cells;
    delete extra;
}

ReportRow* ReportRow::fromInt(BlockBase* parent, const char* key, i32 value) {
    GString text;
    stringFormat(text, "%d", value);
    return new ReportRow(parent, key, text.c_str());
}

ReportRow* ReportRow::fromUnsigned(BlockBase* parent, const char* key, u32 value) {
    GString text;
    stringFormat(text, "%u", value);
    return new ReportRow(parent, key, text.c_str());
}

const char* ReportRow::columnText(GString&, i32 column, void*) const {
    const char* text = column < columnCount ? cells[column].text : nullptr;
    return text ? text : "";
}

void* ReportRow::cellObject(i32 column) const {
    return column < columnCount ? cells[column].format : defaultCellFormat();
}
