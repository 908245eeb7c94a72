#include "gui/views/tree_table.h"

#include <algorithm>
#include <cstring>

#include "core/exceptions.h"
#include "gui/input/cursor.h"
#include "gui/input/input_event.h"
#include "gui/layout/layout_cell.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/saved_dc.h"
#include "gui/views/cell_format.h"
#include "gui/views/tree_glyphs.h"

namespace {
// The rows of a tree table, answered by their nodes.
class TreeRowModel : public GTableModel {
public:
    TreeRowModel(GTreeTable* tree, i32 columns) : tree(tree), columns(columns) {}
    u64 rowCount() override { return tree->rowNodes.size(); }
    i32 columnCount() override { return columns; }
    const char* cellText(GString& scratch, u64 row, i32 column) override {
        return tree->rowNodes[row]->columnText(scratch, column, tree->columnContext());
    }
    i32 cellValue(u64 row, i32 column) override { return (i32)tree->rowNodes[row]->columnValue(column); }
    void* cellImage(u64 row, i32 column) override { return column == 0 ? tree->rowNodes[row]->image() : nullptr; }
    GCellFormat* cellFormat(u64 row, i32 column) override {
        void* object = row < tree->rowNodes.size() ? tree->rowNodes[row]->cellObject(column) : nullptr;
        return object ? static_cast<GCellFormat*>(object) : defaultCellFormat();
    }
    void clearRows() override { tree->rowNodes.clear(); }
    void removeRows(u64 first, u64 end) override {
        auto& rows = tree->rowNodes;
        end = std::min<u64>(end, rows.size());
        if (first < end) rows.erase(rows.begin() + (std::ptrdiff_t)first, rows.begin() + (std::ptrdiff_t)end);
    }
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }
    void swapRows(u64 a, u64 b) override {
        auto& rows = tree->rowNodes;
        if (a < rows.size() && b < rows.size()) std::swap(rows[a], rows[b]);
    }
    // A tree of more rows than a sort takes keeps its order.
    void sortByColumn(i32 column, bool ascending) override {
        auto& rows = tree->rowNodes;
        if (rows.empty() || rows.size() > MaxSortedRows) return;
        SortedRows sorted = sortModelRowsByText(*this, column, ascending, (i32)rows.size());
        std::vector<BlockBase*> order(rows.size());
        for (u32 i = 0; i < sorted.count; ++i) order[i] = rows[sorted[i].row];
        rows.swap(order);
    }

private:
    GTreeTable* tree;
    i32 columns;
};

// What paintTreeGlyphs asks of a node, over the chain from a row's node to its root.
class GlyphNode : public TreeGlyphNode {
public:
    GlyphNode(const BlockBase* node, const GlyphNode* up) : node(node), up(up) {}
    TreeGlyphNode* glyphParent() const override { return const_cast<GlyphNode*>(up); }
    bool hasChildren() const override { return node->hasChildren(); }
    bool isExpanded() const override { return node->state != 0; }
    bool isLastChild() const override {
        return node->parent && node->parent->child(node->parent->childCount() - 1) == node;
    }

private:
    const BlockBase* node;
    const GlyphNode* up;
};

void writeLabel(GBag& bag, const BlockBase* node) {
    GString label;
    node->displayName(label);
    bagWriteBytes(bag, label.c_str(), label.length + 1);
}

void readLabel(GBag& bag, GString& out) {
    stringClear(out);
    for (u8 c; bagReadU8(bag, &c), c != 0;) stringAppendChar(out, (char)c);
}
}  // namespace

u32 walkTreeRows(BlockBase* node, i32 depth, std::vector<BlockBase*>& rows) {
    rows.push_back(node);
    u32 n = 1;
    if (depth > 0) {
        if (node->hasChildren()) node->state = 1;
        for (u32 i = 0; i < node->childCount(); ++i) n += walkTreeRows(node->child(i), depth - 1, rows);
    } else if (depth == 0) {
        node->state = 0;
    } else if (node->state) {
        // Every child is a row; only the expanded ones show their own.
        for (u32 i = 0; i < node->childCount(); ++i) n += walkTreeRows(node->child(i), depth, rows);
    }
    return n;
}

GTreeTable::~GTreeTable() {
    for (GTreeRoot* holder : roots) {
        if (holder->owned) delete holder->node;
        delete holder;
    }
}

bool GTreeTable::createTree(GTableDesc& desc) {
    delete desc.model;
    desc.model = new TreeRowModel(this, (i32)desc.columnCount);
    desc.flags &= ~(u32)TableModelNotOwned;
    textColour = toolkitColors.text;
    return create(desc);
}

void GTreeTable::addRoot(GTreeRoot& holder) {
    RedrawLockScope lock(this);
    GTreeRoot* kept = new GTreeRoot(holder);
    holder.owned = false;
    roots.push_back(kept);
    rowNodes.push_back(kept->node);
    i64 caret = selection()->caret();
    rowsChanged(caret > 0 ? (u64)caret : 0);
    if (tableFlags & TableAutoFit) fitColumnWidths(-1, false);
}

void GTreeTable::clearTree() {
    RedrawLockScope lock(this);
    rowNodes.clear();
    rowsChanged(0);
    for (GTreeRoot* holder : roots) {
        if (holder->owned) delete holder->node;
        delete holder;
    }
    roots.clear();
}

void GTreeTable::rebuildRows(i32 depth) {
    std::vector<BlockBase*> rows;
    for (GTreeRoot* holder : roots) walkTreeRows(holder->node, depth, rows);
    rowNodes.swap(rows);
    rowsChanged(0);
}

void GTreeTable::rowsChanged(u64 caretRow) {
    reload(std::min<u64>(caretRow, rowNodes.empty() ? 0 : rowNodes.size() - 1));
    // The indent column: the deepest level shown.
    if (tableFlags & TableAutoFit) return;
    u32 levels = 1;
    for (const BlockBase* node : rowNodes) levels = std::max(levels, node->depth() + 1);
    i32 width = (i32)levels * TreeLevelWidth + 2;
    if (width == indent) return;
    indent = width;
    if (tableFlags & TableFitFirstColumn) {
        fitColumnWidths(0, false);
        invalidate();
    }
}

u64 GTreeTable::caretRowOf(const BlockBase* caret, i64 row) const {
    i64 at = caret ? rowOf(caret) : -1;
    return (u64)(at >= 0 ? at : row);
}

u32 GTreeTable::visibleRowsOf(u64 row) const {
    // The rows below that are deeper than the node are its visible descendants.
    u32 depth = rowNodes[row]->depth(), n = 0;
    for (u64 r = row + 1; r < rowNodes.size() && rowNodes[r]->depth() > depth; ++r) ++n;
    return n;
}

bool GTreeTable::expandRow(i64 row) {
    if (row < 0 || (u64)row >= rowNodes.size()) return false;
    BlockBase* node = rowNodes[(size_t)row];
    if (node->state || !node->hasChildren()) return false;
    BlockBase* caret = caretNode();
    node->state = 1;
    for (u32 i = 0; i < node->childCount(); ++i) node->child(i)->state = 0;
    rowNodes.insert(rowNodes.begin() + row + 1, (BlockBase**)node->children.data,
                    (BlockBase**)node->children.data + node->childCount());
    rowsChanged(caretRowOf(caret, row));
    return true;
}

bool GTreeTable::collapseRow(i64 row) {
    if (row < 0 || (u64)row >= rowNodes.size()) return false;
    u32 n = visibleRowsOf((u64)row);
    if (n == 0) return false;
    BlockBase* caret = caretNode();
    rowNodes.erase(rowNodes.begin() + row + 1, rowNodes.begin() + row + 1 + n);
    rowNodes[(size_t)row]->state = 0;
    rowsChanged(caretRowOf(caret, row));
    return true;
}

bool GTreeTable::toggleRow(i64 row) {
    if (row < 0 || (u64)row >= rowNodes.size()) return false;
    return rowNodes[(size_t)row]->state ? collapseRow(row) : expandRow(row);
}

BlockBase* GTreeTable::caretNode() {
    i64 caret = selection()->caret();
    return caret >= 0 ? rowNode((u64)caret) : nullptr;
}

i64 GTreeTable::rowOf(const BlockBase* node, u64 from) const {
    for (u64 r = from; r < rowNodes.size(); ++r)
        if (rowNodes[r] == node) return (i64)r;
    return -1;
}

bool GTreeTable::revealNode(BlockBase* node) {
    if (!node) return false;
    i64 row = rowOf(node);
    if (row < 0) {
        std::vector<BlockBase*> path;
        for (BlockBase* n = node; n; n = n->parent) path.push_back(n);
        row = rowOf(path.back());
        if (row < 0) return false;
        for (size_t i = path.size() - 1; i > 0; --i) {
            BlockBase* above = path[i];
            if (!above->state) {
                above->state = 1;
                for (u32 c = 0; c < above->childCount(); ++c) above->child(c)->state = 0;
                rowNodes.insert(rowNodes.begin() + row + 1, (BlockBase**)above->children.data,
                                (BlockBase**)above->children.data + above->childCount());
            }
            row = rowOf(path[i - 1], (u64)row + 1);
            if (row < 0) return false;
        }
        rowsChanged((u64)row);
    }
    setCaretRow((u64)row);
    scrollRowIntoView((u64)row);
    return true;
}

void GTreeTable::saveCaretPath(GBag& bag) {
    std::vector<BlockBase*> path;
    for (BlockBase* n = caretNode(); n; n = n->parent) path.push_back(n);
    for (size_t i = path.size(); i-- > 0;) {
        BlockBase* n = path[i];
        i32 index = -1;
        if (n->parent) {
            for (u32 c = 0; c < n->parent->childCount(); ++c)
                if (n->parent->child(c) == n) index = (i32)c;
        } else {
            for (size_t r = 0; r < roots.size(); ++r)
                if (roots[r]->node == n) index = (i32)r;
        }
        bagWriteI32(bag, index);
        writeLabel(bag, n);
    }
    bagWriteI32(bag, -1);
}

bool GTreeTable::restoreCaretPath(GBag& bag) {
    BlockBase* node = nullptr;
    GString label, own;
    try {
        for (;;) {
            i32 index;
            bagReadI32(bag, &index);
            if (index < 0) break;
            u32 count = node ? node->childCount() : (u32)roots.size();
            if ((u32)index >= count) return false;
            BlockBase* next = node ? node->child((u32)index) : roots[(size_t)index]->node;
            readLabel(bag, label);
            next->displayName(own);
            if (strcmp(own.c_str(), label.c_str()) != 0) return false;
            node = next;
        }
    } catch (const GBagException&) {
        return false;
    }
    return node && revealNode(node);
}

i32 GTreeTable::textIndent(const BlockBase* node) const {
    if (tableFlags & TableFixedIndent) return indent;
    return (i32)node->depth() * TreeLevelWidth + 15;
}

bool GTreeTable::expanderRect(u64 row, RECT* box) {
    BlockBase* node = rowNode(row);
    if (!node || !node->hasChildren()) return false;
    RECT cell = cellRect(row, 0);
    i32 x = cell.left + (i32)node->depth() * TreeLevelWidth + 2, y = (cell.top + cell.bottom) / 2 - 1;
    *box = RECT{x, y - 4, x + 9, y + 5};
    return true;
}

void GTreeTable::paint(HDC dc, const RECT& update, bool erase) {
    COLORREF normal = textColour;
    bool disabled = !IsWindowEnabled(hwnd);
    if (disabled) textColour = toolkitColors.darkShade;
    GTable::paint(dc, update, erase);
    textColour = normal;
}

void GTreeTable::paintCell(GSavedDC& dc, const RECT& cell, u64 row, i32 column, bool selected) {
    BlockBase* node = rowNode(row);
    if (column != 0 || !node) return GTable::paintCell(dc, cell, row, column, selected);
    i32 textStart = cell.left + textIndent(node);
    // The glyphs of the node's chain, root last.
    std::vector<GlyphNode> chain;
    u32 depth = node->depth();
    chain.reserve(depth + 1);
    std::vector<const BlockBase*> up;
    for (const BlockBase* n = node; n; n = n->parent) up.push_back(n);
    for (size_t i = up.size(); i-- > 0;) chain.emplace_back(up[i], chain.empty() ? nullptr : &chain.back());
    RECT gutter{cell.left, cell.top, std::min<LONG>(textStart, cell.right), cell.bottom};
    dc.selectSolidBrush(toolkitColors.window);
    dc.selectPen(textColour);
    paintTreeGlyphs(dc, &chain.back(), gutter, toolkitColors.window, toolkitColors.darkShade);
    if (textStart < cell.right) GTable::paintCell(dc, RECT{textStart, cell.top, cell.right, cell.bottom}, row, 0, selected);
    // The bottom line closes the levels that end at this row.
    dc.selectPen(separatorColour ? *separatorColour : toolkitColors.text);
    i32 from = textStart;
    if (row + 1 >= rowNodes.size()) {
        from = cell.left;
    } else {
        u32 next = rowNodes[row + 1]->depth();
        if (next < depth) from -= (i32)(depth - next) * TreeLevelWidth + 1;
    }
    drawHLine(dc, std::max<i32>(from, cell.left), cell.right - 1, cell.bottom - 1);
    drawLine(dc, textStart - 1, cell.top, cell.bottom - 1);
    drawLine(dc, cell.right - 1, cell.top, cell.bottom - 1);
}

i32 GTreeTable::measureCell(GSavedDC& dc, u64 row, i32 column) {
    i32 width = GTable::measureCell(dc, row, column);
    BlockBase* node = rowNode(row);
    return column == 0 && node ? width + textIndent(node) : width;
}

i32 GTreeTable::handleKey(GInputEvent* event) {
    if (!event->mouse && event->kind == KeyDown && !event->modifiers &&
        (event->key == VK_RETURN || event->key == VK_ADD || event->key == VK_SUBTRACT)) {
        i64 caret = selection()->caret();
        bool changed = event->key == VK_ADD ? expandRow(caret) : event->key == VK_SUBTRACT && collapseRow(caret);
        if (!changed) changed = toggleRow(caret);
        if (changed) {
            invalidate();
            return 2;
        }
    }
    return GTable::handleKey(event);
}

bool GTreeTable::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    i32 x = (i16)LOWORD(lParam), y = (i16)HIWORD(lParam);
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
        i64 row;
        i32 column;
        RECT box;
        if (cellAt(x, y, &row, &column) && column == 0 &&
            model()->cellFormat((u64)row, 0) == defaultCellFormat() && expanderRect((u64)row, &box)) {
            bool inBox = PtInRect(&box, POINT{x, y}) != FALSE;
            if (inBox || message == WM_LBUTTONDBLCLK) {
                if (GetFocus() != hwnd) SetFocus(hwnd);
                toggleRow(row);
                invalidate();
                if (inBox) {
                    *result = 0;
                    return true;
                }
            }
        }
    } else if (message == WM_MOUSEMOVE) {
        i64 row = rowAt(y);
        RECT box;
        if (row >= 0 && expanderRect((u64)row, &box) && PtInRect(&box, POINT{x, y})) {
            setCursorById(IDC_HAND);
            *result = 0;
            return true;
        }
        if (row < 0) setCursorById(IDC_ARROW);
    }
    return GTable::handleMessage(message, wParam, lParam, result);
}

GTreeTable* createTreeTable(GLayoutItem* parent, GWindow* owner, GTableDesc& desc) {
    GTreeTable* tree = new GTreeTable(owner);
    if (!tree->createTree(desc)) {
        delete tree;
        return nullptr;
    }
    if (parent) parent->addChild(tree);
    setAlignmentCode(tree, "UC");
    return tree;
}

GTreeView* createTreeView(GLayoutItem* parent, GWindow* owner, const char* alignment, i32 minRowTextHeight) {
    GTableDesc desc;
    desc.flags &= ~(u32)TableHeader;
    desc.minRowTextHeight = minRowTextHeight;
    GTreeView* view = new GTreeView(owner);
    if (!view->createTree(desc)) {
        delete view;
        return nullptr;
    }
    if (parent) parent->addChild(view);
    if (alignment && alignment[0] && alignment[1] && alignment[0] != '*' && alignment[1] != '*')
        setAlignmentCode(view, alignment);
    return view;
}
