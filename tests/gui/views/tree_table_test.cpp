// Tree tables through real windows and messages: expanding, collapsing, revealing, the caret path,
// keys and clicks, the gutter's pixels, the row model and the expansion walk; the file block tree's
// columns and commands.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gui/kernel/dialog.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/paint/colors.h"
#include "gui/paint/gui_settings.h"
#include "gui/views/file_block_tree.h"
#include "gui/views/tree_table.h"
#include "tests/gui/gui_fixture.h"

namespace {
u32 idOf(const char* name) {
    u32 id = 0x20202020;
    for (u32 i = 0; i < 4 && name[i]; ++i) id = (id & ~(0xFFu << (8 * i))) | (u32)(u8)name[i] << (8 * i);
    return id;
}
BlockBase* node(BlockBase* parent, const char* name, u64 start = 0, u64 size = 0) {
    return new BlockBase(parent, idOf(name), start, size);
}

class FreeItem : public GLayoutItem {
public:
    using GLayoutItem::GLayoutItem;
    void setRect(const RECT& r) override { rect = r; }
};

// R { A { A1 { A1x { dp } }, A2 }, B, C { C1 } }
struct Fixture {
    TestApplication app;
    GDialog owner{nullptr, "index.htm"};
    FreeItem* root;
    GTreeTable* tree;
    BlockBase* top;

    explicit Fixture(bool blocks = false) {
        createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 420, 320, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        root = new FreeItem(&owner);
        owner.setContent(root);
        if (blocks) {
            tree = createFileBlockTree(root, &owner);
        } else {
            GTableDesc desc;
            desc.columnCount = 2;
            desc.columnSpec = "Name:W=150,Size:W=60";
            tree = createTreeTable(root, &owner, desc);
        }
        tree->setRect(RECT{10, 10, 400, 300});
        top = node(nullptr, "R", 0, 100);
        BlockBase* a = node(top, "A", 8, 40);
        BlockBase* a1 = node(a, "A1", 16, 20);
        node(node(a1, "A1x", 24, 10), "dp", 32, 2);
        node(a, "A2", 36, 12);
        node(top, "B", 48, 10);
        node(node(top, "C", 58, 42), "C1", 66, 34);
        GTreeRoot holder{top, true};
        tree->addRoot(holder);
        EXPECT_FALSE(holder.owned);
    }
    ~Fixture() {
        SetWindowLongA(owner.hwnd, GWL_STYLE, GetWindowLongA(owner.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(owner.hwnd);
    }
    std::string rows() const {
        std::string s;
        GString name;
        for (BlockBase* n : tree->rowNodes) {
            n->displayName(name);
            s += std::string(name.c_str()) + (n->state ? "+ " : " ");
        }
        return s;
    }
    BlockBase* find(const char* name) {
        std::vector<BlockBase*> all;
        std::vector<BlockBase*> stack{top};
        while (!stack.empty()) {
            BlockBase* n = stack.back();
            stack.pop_back();
            if (n->id == idOf(name)) return n;
            for (u32 i = 0; i < n->childCount(); ++i) stack.push_back(n->child(i));
        }
        return nullptr;
    }
    // Through the message loop to the focused tree; true once the rows read so.
    bool key(u32 vk, const char* expected) {
        SetForegroundWindow(owner.hwnd);
        SetActiveWindow(owner.hwnd);
        EXPECT_TRUE(pumpUntil([&] { return GetActiveWindow() == owner.hwnd; }));
        giveFocus(tree);
        EXPECT_EQ(GetFocus(), tree->hwnd);
        PostMessageA(tree->hwnd, WM_KEYDOWN, vk, 0);
        return pumpUntil([&] { return rows() == expected; }, 1000);
    }
    RECT box(u64 row) {
        RECT cell = tree->cellRect(row, 0);
        i32 x = cell.left + (i32)tree->rowNode(row)->depth() * TreeLevelWidth + 2, y = (cell.top + cell.bottom) / 2 - 1;
        return RECT{x, y - 4, x + 9, y + 5};
    }
    COLORREF pixel(i32 x, i32 y) {
        UpdateWindow(tree->hwnd);
        HDC dc = GetDC(tree->hwnd);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(tree->hwnd, dc);
        return c;
    }
};
}  // namespace

TEST(TreeTable, ExpandAndCollapseRows) {
    Fixture f;
    EXPECT_EQ(f.rows(), "R ");
    EXPECT_EQ(f.tree->indentWidth(), 15);  // one level
    EXPECT_TRUE(f.tree->expandRow(0));
    EXPECT_EQ(f.rows(), "R+ A B C ");
    EXPECT_EQ(f.tree->rowCount(), 4u);
    EXPECT_EQ(f.tree->indentWidth(), 28);
    // A childless node, an expanded node, a negative row: nothing.
    EXPECT_FALSE(f.tree->expandRow(2));
    EXPECT_FALSE(f.tree->expandRow(0));
    EXPECT_FALSE(f.tree->expandRow(-1));
    EXPECT_FALSE(f.tree->collapseRow(1));  // collapsed
    EXPECT_TRUE(f.tree->expandRow(1));
    EXPECT_TRUE(f.tree->expandRow(2));
    EXPECT_EQ(f.rows(), "R+ A+ A1+ A1x A2 B C ");
    // Collapsing the root takes every shown descendant; expanding shows only its children, collapsed.
    EXPECT_TRUE(f.tree->collapseRow(0));
    EXPECT_EQ(f.rows(), "R ");
    EXPECT_TRUE(f.tree->toggleRow(0));
    EXPECT_EQ(f.rows(), "R+ A B C ");
    EXPECT_TRUE(f.tree->toggleRow(0));
    EXPECT_FALSE(f.tree->toggleRow(-1));
    EXPECT_EQ(f.tree->rowNodeCount(), 1);
}

TEST(TreeTable, RevealNodeAndTheCaretPath) {
    Fixture f;
    BlockBase* deep = f.find("A1x");
    EXPECT_TRUE(f.tree->revealNode(deep));
    EXPECT_EQ(f.rows(), "R+ A+ A1+ A1x A2 B C ");
    EXPECT_EQ(f.tree->caretNode(), deep);
    EXPECT_EQ(f.tree->selection()->caret(), 3);
    BlockBase orphan;
    EXPECT_FALSE(f.tree->revealNode(&orphan));

    GBag path;
    f.tree->saveCaretPath(path);
    const u8 expected[] = {0, 0, 0, 0, 'R', 0, 0, 0, 0, 0, 'A', 0, 0, 0, 0, 0, 'A', '1', 0,
                           0, 0, 0, 0, 'A', '1', 'x', 0, 0xFF, 0xFF, 0xFF, 0xFF};
    ASSERT_EQ(path.size, sizeof expected);
    EXPECT_EQ(memcmp(path.data, expected, sizeof expected), 0);

    // Round trip into a fresh tree of the same shape.
    Fixture g;
    path.pos = 0;
    EXPECT_TRUE(g.tree->restoreCaretPath(path));
    EXPECT_EQ(g.tree->caretNode(), g.find("A1x"));
    // A second label that differs: the caret stays.
    Fixture h;
    h.find("A")->id = idOf("Q");
    path.pos = 0;
    EXPECT_FALSE(h.tree->restoreCaretPath(path));
    EXPECT_EQ(h.rows(), "R ");
    EXPECT_EQ(h.tree->caretNode(), h.top);
    // An index out of range and a bag that ends early.
    struct Case {
        std::vector<u8> bytes;
    } cases[] = {{{5, 0, 0, 0, 'R', 0, 0xFF, 0xFF, 0xFF, 0xFF}}, {{0, 0, 0, 0, 'R'}}, {{0, 0}}};
    for (const Case& c : cases) {
        GBag bag;
        bagWriteBytes(bag, c.bytes.data(), (u32)c.bytes.size());
        bag.pos = 0;
        EXPECT_FALSE(h.tree->restoreCaretPath(bag));
    }
    // No caret: only the end mark.
    h.tree->clearTree();
    EXPECT_EQ(h.tree->rowCount(), 0u);
    GBag none;
    h.tree->saveCaretPath(none);
    EXPECT_EQ(none.size, 4u);
}

TEST(TreeTable, KeysAndClicksToggleRows) {
    Fixture f;
    f.tree->setCaretRow(0);
    EXPECT_TRUE(f.key(VK_SUBTRACT, "R+ A B C "));  // keypad minus on a collapsed node with children expands it
    EXPECT_TRUE(f.key(VK_SUBTRACT, "R "));
    EXPECT_TRUE(f.key(VK_ADD, "R+ A B C "));
    EXPECT_TRUE(f.key(VK_ADD, "R "));  // already expanded: falls back to toggling
    EXPECT_TRUE(f.key(VK_RETURN, "R+ A B C "));
    ASSERT_EQ(f.tree->rowCount(), 4u);

    // A press in the box toggles without moving the caret; beside it the caret moves.
    RECT box = f.box(1);
    SendMessageA(f.tree->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.left + 4, box.top + 4));
    SendMessageA(f.tree->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(box.left + 4, box.top + 4));
    EXPECT_EQ(f.rows(), "R+ A+ A1 A2 B C ");
    EXPECT_EQ(f.tree->selection()->caret(), 0);
    // A double click on the text of a row with children toggles it.
    RECT text = f.tree->cellRect(2, 0);
    SendMessageA(f.tree->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(text.left + 60, text.top + 3));
    SendMessageA(f.tree->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(text.left + 60, text.top + 3));
    EXPECT_EQ(f.tree->selection()->caret(), 2);
    EXPECT_EQ(f.rows(), "R+ A+ A1 A2 B C ");
    SendMessageA(f.tree->hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(text.left + 60, text.top + 3));
    EXPECT_EQ(f.rows(), "R+ A+ A1+ A1x A2 B C ");
    // Over a box the hand cursor.
    box = f.box(0);
    SendMessageA(f.tree->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(box.left + 3, box.top + 3));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
}

TEST(TreeTable, GutterPixelsShowBoxesAndClosingLines) {
    Fixture f;
    f.tree->revealNode(f.find("A1x"));
    f.tree->setCaretRow(6);
    ASSERT_EQ(f.rows(), "R+ A+ A1+ A1x A2 B C ");
    COLORREF pen = toolkitColors.text, window = toolkitColors.window;
    ASSERT_NE(pen, window);
    // The boxes: their edges in the pen; a plus when collapsed, a minus when expanded.
    RECT expanded = f.box(2), collapsed = f.box(6);
    i32 mid = (expanded.top + expanded.bottom) / 2;
    EXPECT_EQ(f.pixel(expanded.left, expanded.top + 4), pen);
    EXPECT_EQ(f.pixel(expanded.right - 1, expanded.top + 4), pen);
    EXPECT_EQ(f.pixel(expanded.left + 4, expanded.top), pen);
    EXPECT_EQ(f.pixel(expanded.left + 4, mid), pen);      // the minus
    EXPECT_NE(f.pixel(expanded.left + 4, mid - 2), pen);  // no upright
    EXPECT_EQ(f.pixel(collapsed.left + 4, (collapsed.top + collapsed.bottom) / 2 - 2), pen);
    // Row 3 (depth 3) is followed by row 4 (depth 2): its bottom line starts 14 pixels left of its
    // text; row 2's line starts at its text.
    RECT deep = f.tree->cellRect(3, 0), a1 = f.tree->cellRect(2, 0);
    i32 deepText = deep.left + 3 * 13 + 15, a1Text = a1.left + 2 * 13 + 15;
    EXPECT_EQ(f.pixel(deepText - 14, deep.bottom - 1), pen);
    EXPECT_EQ(f.pixel(deepText - 15, deep.bottom - 1), window);
    EXPECT_EQ(f.pixel(a1Text + 2, a1.bottom - 1), pen);
    EXPECT_EQ(f.pixel(a1Text - 3, a1.bottom - 1), window);
    // The last row's line spans the whole cell.
    RECT last = f.tree->cellRect(6, 0);
    EXPECT_EQ(f.pixel(last.left + 1, last.bottom - 1), pen);
}

TEST(TreeTable, RowModelWalksAndSorts) {
    Fixture f;
    // Depth 1: the root opens, its children stay closed, leaves keep the flag clear.
    f.tree->rebuildRows(1);
    EXPECT_EQ(f.rows(), "R+ A B C ");
    f.tree->rebuildRows(3);
    EXPECT_EQ(f.rows(), "R+ A+ A1+ A1x A2 B C+ C1 ");
    // Below zero the flags stay: every child of an open node is listed, closed ones hide theirs.
    f.find("A")->state = 0;
    f.tree->rebuildRows(-1);
    EXPECT_EQ(f.rows(), "R+ A B C+ C1 ");
    std::vector<BlockBase*> rows;
    EXPECT_EQ(walkTreeRows(f.find("C"), -1, rows), 2u);
    EXPECT_EQ(walkTreeRows(f.find("C"), 0, rows), 1u);
    EXPECT_EQ(f.find("C")->state, 0);

    // Sorting by the name column reorders rows, flags untouched; swapping and removing.
    f.tree->rebuildRows(2);
    ASSERT_EQ(f.rows(), "R+ A+ A1 A2 B C+ C1 ");
    f.tree->model()->sortByColumn(0, false);
    EXPECT_EQ(f.rows(), "R+ C1 C+ B A2 A1 A+ ");
    f.tree->model()->swapRows(0, 6);
    EXPECT_EQ(f.rows(), "A+ C1 C+ B A2 A1 R+ ");
    f.tree->model()->removeRows(1, 3);
    EXPECT_EQ(f.rows(), "A+ B A2 A1 R+ ");
    EXPECT_EQ(f.tree->model()->insertRows(0, nullptr, 1), 0u);
    GString scratch;
    EXPECT_STREQ(f.tree->model()->cellText(scratch, 1, 0), "B");
}

TEST(FileBlockTree, ColumnsAndCommandsFollowTheViewFlags) {
    Fixture f(true);
    EXPECT_STREQ(f.tree->className(), "GFileBlockTree");
    EXPECT_TRUE(f.tree->isKindOf(TypeTreeTable));
    EXPECT_TRUE(f.tree->isKindOf(TypeTable));
    auto* blocks = static_cast<GFileBlockTree*>(f.tree);
    EXPECT_EQ(blocks->caretBlockOffset(), 0);
    f.tree->revealNode(f.find("C1"));
    EXPECT_EQ(blocks->caretBlockOffset(), 66);
    u32 saved = guiSettings.viewFlags;
    guiSettings.viewFlags = 0;
    GString scratch;
    GTableModel* model = f.tree->model();
    EXPECT_EQ(model->columnCount(), 7);
    EXPECT_STREQ(model->cellText(scratch, 4, 1), "66");
    // The set base offset makes the caret block's offset the origin.
    EXPECT_EQ(f.tree->commandState(TableSetBaseOffset), CommandEnabled);
    EXPECT_EQ(f.tree->commandState(TableViewAsFirst), CommandDisabled);
    f.tree->onCommand(TableSetBaseOffset, nullptr);
    EXPECT_STREQ(model->cellText(scratch, 4, 1), "0");
    EXPECT_STREQ(model->cellText(scratch, 3, 1), "-8");
    f.tree->onCommand(TableViewOffsetAsHex, nullptr);
    EXPECT_STREQ(model->cellText(scratch, 3, 3), "00000000H");
    f.tree->onCommand(TableZeroBaseOffset, nullptr);
    EXPECT_STREQ(model->cellText(scratch, 4, 1), "00000042H");
    EXPECT_STREQ(model->cellText(scratch, 4, 0), "C1");
    guiSettings.viewFlags = saved;
    // A tree view under its own name.
    GTreeView* view = createTreeView(f.root, &f.owner, "**");
    ASSERT_NE(view, nullptr);
    EXPECT_STREQ(view->className(), "GTreeView");
    EXPECT_TRUE(view->isKindOf(TypeTreeTable));
    EXPECT_FALSE(view->hasHeader());
}
