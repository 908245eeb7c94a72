#pragma once
// GStructView ("GStructView", type 38): the fields of one structure of a source, one row per field,
// composite fields opened in place with a first row that leads back. Made by createStructView; it
// owns its field source model, which owns the source when it is given as owned and deletes an
// owned one when replaced. The field list stays its caller's.
#include <vector>

#include "core/block_data_source.h"
#include "core/field_descriptor.h"
#include "gui/views/table.h"

const u32 TypeStructView = 38;

class GStructView : public GTable {
public:
    using GTable::GTable;
    bool isKindOf(u32 id) const override { return id == TypeStructView || GTable::isKindOf(id); }
    const char* className() const override { return "GStructView"; }
    u32 typeId() const override { return TypeStructView; }

    // The fields of the record at the base offset of the source; size -1 runs to the source's end.
    // The path is emptied. setBlockAndReload also reloads the table; clearBlock shows nothing.
    void setBlock(const FieldDescriptor* fields, BlockDataSource* source, bool owned, i64 baseOffset, i64 size = -1);
    void setBlockAndReload(const FieldDescriptor* fields, BlockDataSource* source, bool owned, i64 baseOffset,
                           i64 size = -1);
    void clearBlock() { setBlockAndReload(nullptr, nullptr, false, 0, 0); }
    void setOrigin(i64 origin);
    i64 origin() const;
    // Opens the row: the parent row goes back up, a composite field goes in. The new caret row, or
    // -1 when nothing opened (a scalar).
    i64 openRow(u64 row);
    // The absolute offset and size of the caret's field; false on the parent row or without one.
    bool caretField(u64* offset, u64* size);
    u32 depth() const;

    i32 handleKey(GInputEvent* event) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    bool hasByteViewCommands(u32 command) override {
        return command >= TableViewOffsetAsHex && command <= TableZeroBaseOffset;
    }
    // The caret field's offset.
    i64 baseOffsetValue() override;
    // The origin; tells the layout tree when it changed.
    void setBaseOffset(i64 offset) override;
    i64 baseOffset() const override { return origin(); }

private:
    // Opens the row and moves the caret there; false when it did not open.
    bool openAndMove(u64 row);
};

GStructView* createStructView(GLayoutItem* parent, GWindow* owner, const char* alignment = nullptr);
