// GBinView and its byte source model. Every cell answers from its own row: at most a locate or a
// block search and one read of 16 bytes, never a walk over the source.
#include "gui/views/bin_view.h"

#include <algorithm>
#include <cstring>

#include "gui/kernel/gui_texts.h"
#include "gui/layout/layout_cell.h"
#include "gui/paint/gui_settings.h"
#include "gui/views/source_table_model.h"
#include "gui/views/value_type.h"

u32 viewAsElementSize(u32 viewMode) {
    static const u8 sizes[] = {1, 1, 2, 2, 4, 4, 8, 8, 4, 8, 1};
    return viewMode < 11 ? sizes[viewMode] : 1;
}

bool viewAsTexts(u32 viewMode, const u8* bytes, u32 available, GString* hex, GString* value) {
    u32 size = viewAsElementSize(viewMode);
    if (available < size) return false;
    u64 v = 0;
    for (u32 i = 0; i < size; ++i) v |= (u64)bytes[i] << (8 * i);
    if (hex) {
        static const char* formats[] = {"", "%02llX", "%04llX", "", "%08llX", "", "", "", "%016llX"};
        stringFormat(*hex, formats[size], (unsigned long long)v);
    }
    if (!value) return true;
    switch (viewMode) {
    case 0: stringFormat(*value, "%d", (int)(i8)v); break;
    case 1: stringFormat(*value, "%u", (unsigned)v); break;
    case 2: stringFormat(*value, "%d", (int)(i16)v); break;
    case 3: stringFormat(*value, "%u", (unsigned)v); break;
    case 4: stringFormat(*value, "%d", (int)(i32)v); break;
    case 5: stringFormat(*value, "%u", (unsigned)v); break;
    case 6: stringFormat(*value, "%lld", (long long)v); break;
    case 7: stringFormat(*value, "%llu", (unsigned long long)v); break;
    case 8: {
        f32 f;
        u32 bits = (u32)v;
        memcpy(&f, &bits, 4);
        stringFormat(*value, "%.6G", (f64)f);
        break;
    }
    case 9: {
        f64 d;
        memcpy(&d, &v, 8);
        stringFormat(*value, "%.15G", d);
        break;
    }
    default: {
        char text[17];
        u32 n = 0;
        for (; n < std::min<u32>(available, 16) && bytes[n]; ++n) text[n] = bytes[n] < 32 ? ' ' : (char)bytes[n];
        text[n] = 0;
        stringAssignText(*value, text);
        break;
    }
    }
    return true;
}

namespace {
// The bytes [first, end) of a span, in source offsets.
struct Span {
    u64 first, end;
};

class ByteSourceModel : public SourceTableModel {
public:
    u64 rowCount() override { return length; }
    i32 columnCount() override { return 4; }
    const char* cellText(GString& scratch, u64 row, i32 column) override;
    void cellSpan(u64 row, i32 column, u64* rows, i32* columns, u64* rowOffset, i32* columnOffset) override;
    // The bytes at the row, at most 16: their count, 0 when the read fails.
    u32 bytesAt(u64 row, const u8** bytes) {
        if (!source || row >= length) return 0;
        u32 n = (u32)std::min<u64>(length - row, 16);
        *bytes = source->readAt(row, n);
        return *bytes ? n : 0;
    }
    // The name and span of the cell of column 0 at the row; false when it is a single row without
    // a name.
    bool fieldAt(u64 row, GString* name, Span* span);

    u64 length = 0;
    const FieldDescriptor* rootField = nullptr;
    BlockBase* blocks = nullptr;
    i64 origin = 0;

private:
    bool locatedField(const FieldDescriptor& root, u64 offset, GString* name, Span* span);
};

bool ByteSourceModel::locatedField(const FieldDescriptor& root, u64 offset, GString* name, Span* span) {
    FieldCursor cursor;
    if (!locateField(root, offset, cursor) || !cursor.parent) return false;
    span->first = offset - cursor.offset;
    span->end = span->first + std::max<u64>(cursor.size, 1);
    if (name && cursor.record)
        valueType(cursor.parent->type).childName(*name, *cursor.parent, cursor.index, (guiSettings.viewFlags & 4) != 0);
    return cursor.record != nullptr;
}

bool ByteSourceModel::fieldAt(u64 row, GString* name, Span* span) {
    span->first = row;
    span->end = row + 1;
    if (rootField) return locatedField(*rootField, row, name, span) || span->end - span->first > 1;
    if (!blocks) return false;
    u64 top = blocks->start, at = row + top;
    BlockBase* block = findBlockAt(blocks, at);
    if (!block) return false;
    if (name) block->displayName(*name);
    u64 content = block->start + std::min<u64>(block->headerLength(), block->size);
    u64 ownEnd = block->childCount() ? block->child(0)->start : block->start + block->size;
    const FieldDescriptor* fields = block->fields();
    if (fields) {
        // The fields cover the content; only the header is the block's own cell.
        ownEnd = std::min(ownEnd, content);
        if (at >= content) {
            FieldDescriptor root{"", 0, block->start + block->size - content, FieldType::Structure, fields};
            GString field;
            Span s;
            bool named = locatedField(root, at - content, name ? &field : nullptr, &s);
            if (named) {
                // A field never reaches into a child block.
                u64 lo = content + s.first, hi = content + s.end;
                for (u32 i = 0; i < block->childCount(); ++i) {
                    const BlockBase* c = block->child(i);
                    if (c->start + c->size <= at) lo = std::max(lo, c->start + c->size);
                    else if (c->start > at) {
                        hi = std::min(hi, c->start);
                        break;
                    }
                }
                span->first = lo - top;
                span->end = hi - top;
                if (name) stringAppendFormat(*name, ": %s", field.c_str());
            }
            return true;
        }
    }
    if (at < ownEnd) {
        span->first = block->start - top;
        span->end = ownEnd - top;
    }
    return true;
}

const char* ByteSourceModel::cellText(GString& scratch, u64 row, i32 column) {
    stringClear(scratch);
    if (row >= length) return nullptr;
    switch (column) {
    case 0: {
        Span span;
        fieldAt(row, &scratch, &span);
        return scratch.c_str();
    }
    case 1:
        stringFormat(scratch, (guiSettings.viewFlags & 1) ? "%08llXH" : "%lld", (long long)((i64)row - origin));
        return scratch.c_str();
    case 2:
    case 3: {
        const u8* bytes = nullptr;
        u32 n = bytesAt(row, &bytes);
        if (!n) return nullptr;
        if (!viewAsTexts(guiSettings.viewMode, bytes, n, column == 2 ? &scratch : nullptr,
                         column == 3 ? &scratch : nullptr))
            return guiText(GuiText::BinViewShortData);
        return scratch.c_str();
    }
    default:
        return nullptr;
    }
}

void ByteSourceModel::cellSpan(u64 row, i32 column, u64* rows, i32* columns, u64* rowOffset, i32* columnOffset) {
    *rows = 1;
    *columns = 1;
    *rowOffset = 0;
    *columnOffset = 0;
    if (column != 0 || row >= length) return;
    Span span;
    fieldAt(row, nullptr, &span);
    span.end = std::min(span.end, length);
    if (span.first > row || span.end <= row) return;
    *rows = span.end - span.first;
    *rowOffset = row - span.first;
}

ByteSourceModel* modelOf(const GTable* view) { return static_cast<ByteSourceModel*>(view->model()); }
}  // namespace

void GBinView::setSource(BlockBase* blocks, BlockDataSource* source, bool owned, i64 length) {
    ByteSourceModel* m = modelOf(this);
    if (m->source != source) m->dropSource();
    m->source = source;
    m->owned = source && owned;
    m->blocks = blocks;
    if (source) {
        source->reset();
        m->length = length < 0 ? source->size() : std::min<u64>((u64)length, source->size());
    } else {
        m->length = 0;
    }
    reload(0);
    invalidate();
}

void GBinView::setRootField(const FieldDescriptor* root) {
    modelOf(this)->rootField = root;
    invalidate();
}

void GBinView::setOrigin(i64 origin) {
    modelOf(this)->origin = origin;
    invalidate();
}

i64 GBinView::origin() const { return modelOf(this)->origin; }

i64 GBinView::caretPosition() { return selection()->caret(); }

BlockDataSource* GBinView::source() const { return modelOf(this)->source; }

void GBinView::setBaseOffset(i64 offset) {
    if (offset == origin()) return;
    setOrigin(offset);
    GControlNotification n;
    n.source = this;
    n.code = ViewBaseOffsetChanged;
    n.value = 0;
    notifyUp(this, &n);
}

GBinView* createBinView(GLayoutItem* parent, GWindow* owner, const char* alignment) {
    GTableDesc desc;
    desc.columnCount = 4;
    desc.columnSpec = guiText(GuiText::BinViewColumns);
    desc.flags |= TableMultiSelect;
    desc.model = new ByteSourceModel;
    GBinView* view = new GBinView(owner);
    if (!view->create(desc)) {
        delete desc.model;
        delete view;
        return nullptr;
    }
    if (parent) parent->addChild(view);
    setAlignmentCode(view, alignment);
    return view;
}
