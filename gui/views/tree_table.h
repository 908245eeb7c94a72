#pragma once
// GTreeTable ("GTreeTable", type 74) and GTreeView ("GTreeView", 46): tables whose rows are the
// visible nodes of BlockBase trees, indented by depth with expander boxes in a gutter. The tree
// owns its row model and the holders of its roots, and deletes the roots it was given to own;
// nodes not owned stay their caller's. Made by createTreeTable or createTreeView.
#include <vector>

#include "core/bag.h"
#include "core/block_base.h"
#include "gui/views/table.h"

const u32 TypeTreeTable = 74;
const u32 TypeTreeView = 46;

// Pixels per level of the tree column.
const i32 TreeLevelWidth = 13;

// A root handed to addRoot: the tree takes the node and, with it, its ownership.
struct GTreeRoot {
    BlockBase* node = nullptr;
    bool owned = false;
};

// Appends the node and what the depth shows of it to rows; answers the nodes appended. depth > 0
// expands nodes with children down that many levels; 0 collapses the node; < 0 keeps the flags,
// listing every child of an expanded node and going into those expanded themselves.
u32 walkTreeRows(BlockBase* node, i32 depth, std::vector<BlockBase*>& rows);

class GTreeTable : public GTable {
public:
    explicit GTreeTable(GWindow* owner) : GTable(owner) {}
    ~GTreeTable() override;

    bool isKindOf(u32 id) const override { return id == TypeTreeTable || GTable::isKindOf(id); }
    const char* className() const override { return "GTreeTable"; }
    u32 typeId() const override { return TypeTreeTable; }

    // Creates the table over the tree's own row model.
    bool createTree(GTableDesc& desc);

    // Under the redraw lock; the holder gives up the node's ownership.
    virtual void addRoot(GTreeRoot& holder);
    virtual i32 rowNodeCount() { return (i32)rowNodes.size(); }
    // Under the redraw lock: no rows, the holders go and the owned roots are deleted.
    virtual void clearTree();

    // The node's children become rows below it, collapsed; false for a negative row, an expanded
    // node or one without children.
    bool expandRow(i64 row);
    // Its visible descendants leave the rows; false when there are none.
    bool collapseRow(i64 row);
    bool toggleRow(i64 row);
    // Null without a caret.
    BlockBase* caretNode();
    // Expands the node's collapsed ancestors and puts the caret on it; false when its root is no row.
    bool revealNode(BlockBase* node);
    // The caret node's path, root first: {i32 index, label\0} per level, then i32 -1.
    void saveCaretPath(GBag& bag);
    // True when the whole path matched and the caret moved to its node.
    bool restoreCaretPath(GBag& bag);
    // Rows from the roots by walkTreeRows with the depth.
    void rebuildRows(i32 depth);

    BlockBase* rowNode(u64 row) const { return row < rowNodes.size() ? rowNodes[row] : nullptr; }
    // -1 when the node is no row.
    i64 rowOf(const BlockBase* node, u64 from = 0) const;
    // The indentation of the node's text in the tree column.
    i32 textIndent(const BlockBase* node) const;
    // Width of the levels shown: deepest level x 13 + 2.
    i32 indentWidth() const { return indent; }
    // The context handed to the nodes' column texts.
    virtual void* columnContext() { return nullptr; }

    void paint(HDC dc, const RECT& update, bool erase) override;
    i32 handleKey(GInputEvent* event) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;

    std::vector<BlockBase*> rowNodes;
    std::vector<GTreeRoot*> roots;
    // The pen of the glyphs; the shade while the window is disabled.
    COLORREF textColour = 0;

protected:
    void paintCell(GSavedDC& dc, const RECT& cell, u64 row, i32 column, bool selected) override;
    i32 measureCell(GSavedDC& dc, u64 row, i32 column) override;
    // The row count from the row nodes, the caret at the row; then the indent column.
    void rowsChanged(u64 caretRow);
    // The expander box of the row's node in client pixels; false when the node has no children.
    bool expanderRect(u64 row, RECT* box);

private:
    u32 visibleRowsOf(u64 row) const;
    // The caret stays on its node; the changed row when that is gone.
    u64 caretRowOf(const BlockBase* caret, i64 row) const;
    i32 indent = 15;
};

class GTreeView : public GTreeTable {
public:
    using GTreeTable::GTreeTable;
    bool isKindOf(u32 id) const override { return id == TypeTreeView || GTreeTable::isKindOf(id); }
    const char* className() const override { return "GTreeView"; }
    u32 typeId() const override { return TypeTreeView; }
};

// A tree table made from the record (its model is the tree's own), added with alignment "UC".
GTreeTable* createTreeTable(GLayoutItem* parent, GWindow* owner, GTableDesc& desc);
// A tree view of one column without a header; two alignment letters unless a letter is '*'.
// Rows are at least minRowTextHeight tall inside their insets (room for a picture).
GTreeView* createTreeView(GLayoutItem* parent, GWindow* owner, const char* alignment = nullptr, i32 minRowTextHeight = 0);
