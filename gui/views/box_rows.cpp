// The row operations of a stand-alone list box over its ListRowModel.
#include <cstring>

#include "gui/layout_cell.h"
#include "gui/views/box.h"

namespace {
ListRow* lastRow(ListRowModel* model) { return model->row(model->rows.count - 1); }
}  // namespace

void GBox::addItem(u32 value, u32 secondValue, ListRowObject* object, u32 data) {
    ListRowModel* m = rowModel();
    if (!m || !appendRows(nullptr)) {
        delete object;
        return;
    }
    ListRow* row = lastRow(m);
    row->value = value;
    row->secondValue = secondValue;
    row->object = object;
    row->data = data;
}

void GBox::insertRow(u64 at, u32 value, u32 secondValue, u32 data) {
    ListRowModel* m = rowModel();
    if (!m) return;
    if (at > rowCount()) at = rowCount();
    if (!insertRows(at, nullptr, 1)) return;
    ListRow* row = m->row(at);
    row->value = value;
    row->secondValue = secondValue;
    row->data = data;
}

char* GBox::rowText(u64 i) {
    ListRowModel* m = rowModel();
    ListRow* row = m ? m->row(i) : nullptr;
    if (!row || !row->text) return nullptr;
    size_t n = strlen(row->text) + 1;
    char* copy = new char[n];
    memcpy(copy, row->text, n);
    return copy;
}

void GBox::setRowText(const char* const* texts, i32 n, u32 value) {
    ListRowModel* m = rowModel();
    if (!m || n <= 0) return;
    u64 first = rowCount();
    beginRedrawLock();
    insertRows(first, texts, n);
    for (i32 i = 0; i < n; ++i) m->row(first + i)->value = value;
    bool outer = redrawLock == 1;
    if (!outer) flags |= WindowRelayoutPending | WindowRepaintPending;
    endRedrawLock();
    if (outer) updateScrollBars(nullptr, nullptr, true, false);
}

GBox* addTable(GLayoutItem* parent, GWindow* owner, GTableDesc& desc) {
    desc.model = new ListRowModel;
    GBox* box = new GBox(owner);
    if (!box->create(desc)) {
        delete box;
        return nullptr;
    }
    if (parent) parent->addChild(box);
    return box;
}
