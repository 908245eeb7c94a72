// GStructView and its field source model.
#include "gui/views/struct_view.h"

#include <algorithm>
#include <cstring>

#include "gui/input/input_event.h"
#include "gui/kernel/gui_texts.h"
#include "gui/layout/layout_cell.h"
#include "gui/paint/gui_settings.h"
#include "gui/views/bin_view.h"
#include "gui/views/source_table_model.h"
#include "gui/views/value_type.h"

namespace {
struct PathEntry {
    const FieldDescriptor* record;
    i64 caretRow;
    i64 baseOffset;
};

class FieldSourceModel : public SourceTableModel {
public:
    u64 rowCount() override { return rows; }
    i32 columnCount() override { return 6; }
    const char* cellText(GString& scratch, u64 row, i32 column) override;
    void cellSpan(u64 row, i32 column, u64* spanRows, i32* columns, u64* rowOffset, i32* columnOffset) override;
    const GValueType& type() const { return valueType(current->type); }
    bool parentRow(u64 row) const { return !path.empty() && row == 0; }
    u64 childOf(u64 row) const { return path.empty() ? row : row - 1; }
    void recount() { rows = type().childCount(*current) + (path.empty() ? 0 : 1); }

    FieldDescriptor root{"", 0, 0, FieldType::Structure, nullptr};
    std::vector<PathEntry> path;
    i64 baseOffset = 0;
    const FieldDescriptor* current = &root;
    u64 rows = 0;
    i64 origin = 0;
};

const char* FieldSourceModel::cellText(GString& scratch, u64 row, i32 column) {
    stringClear(scratch);
    if (row >= rows) return nullptr;
    if (parentRow(row)) return column == 0 ? guiText(GuiText::StructViewParentRow) : nullptr;
    u64 i = childOf(row);
    u32 flags = guiSettings.viewFlags;
    const GValueType& t = type();
    switch (column) {
    case 0: t.childOffsetText(scratch, *current, i, flags & 1, (u64)(baseOffset - origin)); break;
    case 1: t.childSizeText(scratch, *current, i, (flags & 2) != 0); break;
    case 2: t.childName(scratch, *current, i, (flags & 4) != 0); break;
    case 3: t.childTypeName(scratch, *current, i, (flags & 4) != 0); break;
    case 4:
    case 5: {
        u64 offset = 0, size = 0;
        const GValueType* childType = t.childSpan(*current, i, (u64)baseOffset, &offset, &size);
        const FieldDescriptor* child = t.child(*current, i);
        if (!childType || !child || !source) return nullptr;
        u32 n = (u32)std::min<u64>(size, 16);
        u8 bytes[16] = {};
        if (n) {
            const u8* read = source->readAt(offset, n);
            if (!read) return nullptr;
            memcpy(bytes, read, n);
        }
        bool ok = column == 4 ? childType->valueText(scratch, *child, bytes) : childType->rawText(scratch, *child, bytes);
        return ok ? scratch.c_str() : nullptr;
    }
    default:
        return nullptr;
    }
    return scratch.c_str();
}

void FieldSourceModel::cellSpan(u64 row, i32 column, u64* spanRows, i32* columns, u64* rowOffset,
                                i32* columnOffset) {
    *spanRows = 1;
    *columns = 1;
    *rowOffset = 0;
    *columnOffset = 0;
    if (row >= rows) return;
    if (parentRow(row)) {
        *columns = 6;
        *columnOffset = column;
        return;
    }
    if (column < 4) return;
    u64 offset, size;
    const GValueType* childType = type().childSpan(*current, childOf(row), 0, &offset, &size);
    if (childType && childType->valueKind() == 2) {
        *columns = 2;
        *columnOffset = column - 4;
    }
}

FieldSourceModel* modelOf(const GTable* view) { return static_cast<FieldSourceModel*>(view->model()); }
}  // namespace

void GStructView::setBlock(const FieldDescriptor* fields, BlockDataSource* source, bool owned, i64 baseOffset,
                           i64 size) {
    FieldSourceModel* m = modelOf(this);
    if (m->source != source) m->dropSource();
    m->source = source;
    m->owned = source && owned;
    u64 total = 0;
    if (source) {
        source->reset();
        total = source->size() > (u64)baseOffset ? source->size() - (u64)baseOffset : 0;
    }
    if (size >= 0) total = std::min<u64>(total, (u64)size);
    m->baseOffset = baseOffset;
    m->path.clear();
    m->root.size = total;
    m->root.sub = fields;
    m->current = &m->root;
    m->rows = fields ? m->type().childCount(m->root) : 0;
}

void GStructView::setBlockAndReload(const FieldDescriptor* fields, BlockDataSource* source, bool owned,
                                    i64 baseOffset, i64 size) {
    setBlock(fields, source, owned, baseOffset, size);
    reload(0);
    invalidate();
}

void GStructView::setOrigin(i64 origin) {
    modelOf(this)->origin = origin;
    invalidate();
}

i64 GStructView::origin() const { return modelOf(this)->origin; }

u32 GStructView::depth() const { return (u32)modelOf(this)->path.size(); }

i64 GStructView::openRow(u64 row) {
    FieldSourceModel* m = modelOf(this);
    if (row >= m->rows) return -1;
    if (m->parentRow(row)) {
        PathEntry up = m->path.back();
        m->path.pop_back();
        m->current = up.record;
        m->baseOffset = up.baseOffset;
        m->recount();
        return up.caretRow;
    }
    u64 i = m->childOf(row);
    const FieldDescriptor* child = m->type().child(*m->current, i);
    u64 offset, size;
    if (!child || !m->type().childSpan(*m->current, i, (u64)m->baseOffset, &offset, &size) ||
        valueType(child->type).childCount(*child) == 0)
        return -1;
    m->path.push_back(PathEntry{m->current, (i64)row, m->baseOffset});
    m->baseOffset = (i64)offset;
    m->current = child;
    m->recount();
    return 0;
}

bool GStructView::caretField(u64* offset, u64* size) {
    FieldSourceModel* m = modelOf(this);
    i64 caret = selection()->caret();
    if (caret < 0 || (u64)caret >= m->rows || m->parentRow((u64)caret)) return false;
    return m->type().childSpan(*m->current, m->childOf((u64)caret), (u64)m->baseOffset, offset, size) != nullptr;
}

bool GStructView::openAndMove(u64 row) {
    i64 caret = openRow(row);
    if (caret < 0) return false;
    reload((u64)caret);
    setCaretRow((u64)caret);
    invalidate();
    return true;
}

i32 GStructView::handleKey(GInputEvent* event) {
    i64 caret = selection()->caret();
    if (event->isKeyDown(VK_RETURN, 0) && caret >= 0 && openAndMove((u64)caret)) return 2;
    return GTable::handleKey(event);
}

bool GStructView::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (message == WM_LBUTTONDBLCLK) {
        i64 row = rowAt((i16)HIWORD(lParam));
        if (row >= 0 && openAndMove((u64)row)) {
            *result = 0;
            return true;
        }
    }
    return GTable::handleMessage(message, wParam, lParam, result);
}

i64 GStructView::baseOffsetValue() {
    u64 offset = 0, size = 0;
    return caretField(&offset, &size) ? (i64)offset : 0;
}

void GStructView::setBaseOffset(i64 offset) {
    if (offset == origin()) return;
    setOrigin(offset);
    GControlNotification n;
    n.source = this;
    n.code = ViewBaseOffsetChanged;
    notifyUp(this, &n);
}

GStructView* createStructView(GLayoutItem* parent, GWindow* owner, const char* alignment) {
    GTableDesc desc;
    desc.columnCount = 6;
    desc.columnSpec = guiText(GuiText::StructViewColumns);
    desc.model = new FieldSourceModel;
    GStructView* view = new GStructView(owner);
    if (!view->create(desc)) {
        delete desc.model;
        delete view;
        return nullptr;
    }
    if (parent) parent->addChild(view);
    setAlignmentCode(view, alignment);
    return view;
}
