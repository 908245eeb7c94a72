#pragma once
// GBinView ("GBinView", type 37): a table of one row per byte of a source, its first column merged
// over the field or block that covers the bytes. Made by createBinView; it owns its byte source
// model, which owns the source when it is given as owned, and deletes an owned one when replaced.
#include "core/block_base.h"
#include "core/block_data_source.h"
#include "gui/views/table.h"

const u32 TypeBinView = 37;

// Notification sent up by the byte views when their base offset changed.
const u32 ViewBaseOffsetChanged = 13;

class GBinView : public GTable {
public:
    using GTable::GTable;
    bool isKindOf(u32 id) const override { return id == TypeBinView || GTable::isKindOf(id); }
    const char* className() const override { return "GBinView"; }
    u32 typeId() const override { return TypeBinView; }

    // The source and the blocks that name its bytes (both may be null); length -1 is the source's
    // own size. The blocks stay the caller's. Reloads.
    void setSource(BlockBase* blocks, BlockDataSource* source, bool owned, i64 length);
    void clearSource() { setSource(nullptr, nullptr, false, 0); }
    // A structure laid over the bytes instead of the blocks (null: none); not owned. Repaints.
    void setRootField(const FieldDescriptor* root);
    void setOrigin(i64 origin);
    i64 origin() const;
    // The caret row: the byte offset in the source; -1 without a caret.
    i64 caretPosition();
    BlockDataSource* source() const;

    bool hasByteViewCommands(u32 command) override {
        return command == TableViewOffsetAsHex || (command >= TableSetBaseOffset && command <= TableViewAsLast);
    }
    i64 baseOffsetValue() override { return caretPosition() < 0 ? 0 : caretPosition(); }
    // The origin; tells the layout tree when it changed.
    void setBaseOffset(i64 offset) override;
    i64 baseOffset() const override { return origin(); }
};

// alignment: two letters, '*' keeps a letter's default.
GBinView* createBinView(GLayoutItem* parent, GWindow* owner, const char* alignment = nullptr);

// The bytes of a view-as type (0..10 of guiSettings.viewMode).
u32 viewAsElementSize(u32 viewMode);
// The hex and value texts of the element at the bytes (available of them, at most 16); false when
// fewer are available than the element needs.
bool viewAsTexts(u32 viewMode, const u8* bytes, u32 available, GString* hex, GString* value);
