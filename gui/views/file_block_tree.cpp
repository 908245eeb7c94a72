#include "gui/views/file_block_tree.h"

#include "gui/kernel/gui_texts.h"
#include "gui/layout/layout_cell.h"
#include "gui/paint/gui_settings.h"

i64 GFileBlockTree::caretBlockOffset() {
    BlockBase* node = caretNode();
    return node ? (i64)node->start : 0;
}

void* GFileBlockTree::columnContext() {
    blockColumns.viewFlags = guiSettings.viewFlags;
    return &blockColumns;
}

void GFileBlockTree::setBaseOffset(i64 offset) {
    blockColumns.origin = offset;
    invalidate();
}

GFileBlockTree* createFileBlockTree(GLayoutItem* parent, GWindow* owner) {
    GTableDesc desc;
    desc.flags = 0x50BA0;
    desc.columnCount = BlockColumnCount;
    desc.columnSpec = guiText(GuiText::BlockTreeColumns);
    GFileBlockTree* tree = new GFileBlockTree(owner);
    if (!tree->createTree(desc)) {
        delete tree;
        return nullptr;
    }
    if (parent) parent->addChild(tree);
    setAlignmentCode(tree, "UC");
    return tree;
}
