// The row operations and the list interface of a stand-alone list box over its ListRowModel.
#include "core/bag.h"
#include "gui/layout/layout_cell.h"
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
    return row ? copyHeapText(row->text) : nullptr;
}

void GBox::setRowText(const char* const* texts, i32 n, u32 value) {
    ListRowModel* m = rowModel();
    if (!m || n <= 0) return;
    u64 first = rowCount();
    RedrawLockScope lock(this);
    insertRows(first, texts, n);
    for (i32 i = 0; i < n; ++i) m->row(first + i)->value = value;
    flags |= WindowRelayoutPending | WindowRepaintPending;
}

void GBox::addTextRow(const char* text) {
    if (rowModel()) appendRows(&text);
}

void GBox::setRows(StringList& texts) {
    for (u32 i = 0; i < texts.count; ++i) delete[] static_cast<char*>(texts.data[i]);
    texts.count = 0;
    u64 n = rowModel() ? rowCount() : 0;
    for (u64 i = 0; i < n; ++i) appendSlot(texts, rowText(i));
}

void GBox::setItems(GBag& texts, i32 select) {
    ListRowModel* m = rowModel();
    if (!m) return;
    RedrawLockScope lock(this);
    try {
        fillRowsFromTextList(*m, texts, this);
    } catch (...) {
        reload(0);
        throw;
    }
    reload(0);
    selectItem(select);
}

void GBox::selectItem(i32 index) {
    if (index < 0 || (u64)index >= rowCount()) return;
    selection()->selectOnly(index);
    scrollRowIntoView((u64)index);
    invalidate();
}

GBox* addTable(GLayoutItem* parent, GWindow* owner, GTableDesc& desc, u32 flags, const char* alignment) {
    GBox* box = new GBox(owner);
    if (!GTableWindow::setModel(box, desc, new ListRowModel, flags)) {
        delete box;
        return nullptr;
    }
    if (parent) parent->addChild(box);
    setAlignmentCode(box, alignment);
    return box;
}
