#pragma once
// GFileBlockTree ("GFileBlockTree", type 92): the tree of a file's blocks with one column per block
// property, shown by the display flags of the toolkit settings from a base offset. Made by
// createFileBlockTree; it owns the roots it is given to own, as every tree table.
#include "gui/views/tree_table.h"

const u32 TypeFileBlockTree = 92;

class GFileBlockTree : public GTreeTable {
public:
    using GTreeTable::GTreeTable;
    bool isKindOf(u32 id) const override { return id == TypeFileBlockTree || GTreeTable::isKindOf(id); }
    const char* className() const override { return "GFileBlockTree"; }
    u32 typeId() const override { return TypeFileBlockTree; }

    // The offset of the caret row's block; 0 without a caret.
    i64 caretBlockOffset();
    void* columnContext() override;
    // The number formats and the base offset (149..153).
    bool hasByteViewCommands(u32 command) override {
        return command >= TableViewOffsetAsHex && command <= TableZeroBaseOffset;
    }
    i64 baseOffsetValue() override { return caretBlockOffset(); }
    void setBaseOffset(i64 offset) override;
    i64 baseOffset() const { return blockColumns.origin; }

private:
    BlockColumns blockColumns;
};

GFileBlockTree* createFileBlockTree(GLayoutItem* parent, GWindow* owner);
