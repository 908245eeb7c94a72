// GTable in a real dialog under Xvfb: heights from the font, preferred size, scroll bars and the
// fill column on resize, row operations with the selection, clicks, the redraw lock.
#include "gui/views/table.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "gui/input/input_event.h"
#include "gui/input/system_input.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/system_metrics.h"
#include "gui/paint/text_measure.h"
#include "gui/views/cell_grid_model.h"
#include "gui/views/table_type_ahead.h"
#include "tests/gui/gui_fixture.h"

namespace {

class TableDialog : public GDialog {
public:
    TableDialog() : GDialog(nullptr, "index.htm") {}
    bool onControlNotify(void* n) override {
        auto* notification = static_cast<GControlNotification*>(n);
        codes[notification->code]++;
        return true;
    }
    std::map<u32, int> codes;
};

// A container that keeps its children where the test puts them.
class FreeItem : public GLayoutItem {
public:
    using GLayoutItem::GLayoutItem;
    void setRect(const RECT& r) override { rect = r; }
};

void addRows(GTable* table, int n) {
    char text[16];
    for (int i = 0; i < n; ++i) {
        snprintf(text, sizeof text, "row %d", i);
        const char* texts[] = {text, text, text};
        table->appendRows(texts);
    }
}

struct Fixture {
    TestApplication app;
    TableDialog dialog;
    GLayoutItem* root = nullptr;

    Fixture() {
        createTopLevelWindow(&dialog, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(dialog.hwnd, HWND_TOP, 0, 0, 400, 300, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        root = new FreeItem(&dialog);
        dialog.setContent(root);
    }
    ~Fixture() {
        if (!IsWindow(dialog.hwnd)) return;
        SetWindowLongA(dialog.hwnd, GWL_STYLE, GetWindowLongA(dialog.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(dialog.hwnd);
    }
    GTable* table(GTableDesc& desc, RECT place = RECT{10, 10, 310, 210}) {
        GTable* t = createTable(root, &dialog, desc);
        t->setRect(place);
        return t;
    }
    // A two-column multi-selection table of n rows.
    GTable* multiTable(int n) {
        GTableDesc desc;
        desc.flags |= TableMultiSelect;
        desc.columnCount = 2;
        GTable* t = table(desc);
        addRows(t, n);
        return t;
    }
};

// Rows 2..4 and 7 selected, the caret on 7.
GMultiSelection* selectTwoToFourAndSeven(GTable* t) {
    GMultiSelection* s = static_cast<GMultiSelection*>(t->selection());
    s->addRange(2, 4, true);
    s->toggleRow(7);
    s->setCaret(7);
    return s;
}

GInputEvent keyDown(u32 key, u32 modifiers = 0) {
    GInputEvent e;
    e.kind = KeyDown;
    e.key = key;
    e.modifiers = modifiers;
    return e;
}

i32 messageFontHeight() {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, getMessageFont()->font);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}


TEST(TableWindow, HeaderAndRowHeightsFollowTheFont) {
    Fixture f;
    i32 font = messageFontHeight();
    struct Case {
        const char* name;
        u32 flags, columns;
        i32 minHeader, headerHeight, rowHeight;
        u8 tall, padded;
        i32 expectedHeader, expectedRow;
    };
    const Case cases[] = {
        {"defaults", 0x10BA0, 2, 0, -1, -1, 0, 0, std::max(font, 10) + 6, font + 7},
        {"tall rows", 0x10BA0, 2, 0, -1, -1, 1, 0, std::max(font, 10) + 6, std::max(font, 19) + 7},
        {"padded", 0x10BA0, 2, 0, -1, -1, 0, 1, std::max(font, 10) + 6, font + 11},
        {"one column without header has no grid", 0, 1, 0, -1, -1, 0, 0, 0, font + 6},
        {"minimum header text", 0x10BA0, 2, 30, -1, -1, 0, 0, 36, font + 7},
        {"fixed", 0x10BA0, 2, 0, 25, 17, 0, 0, 25, 17},
    };
    for (const Case& c : cases) {
        GTableDesc desc;
        desc.flags = c.flags;
        desc.columnCount = c.columns;
        desc.minHeaderTextHeight = c.minHeader;
        desc.headerHeight = c.headerHeight;
        desc.rowHeight = c.rowHeight;
        desc.tallRows = c.tall;
        desc.paddedRows = c.padded;
        GTable* t = f.table(desc);
        EXPECT_EQ(t->headerHeightPixels(), c.expectedHeader) << c.name;
        EXPECT_EQ(t->rowHeightPixels(), c.expectedRow) << c.name;
        EXPECT_EQ(t->hasGrid(), c.columns != 1 || (c.flags & TableHeader)) << c.name;
        EXPECT_STREQ(t->className(), "GTable");
        EXPECT_EQ(t->typeId(), 86u);
        deleteChildCell(t);
    }
}

TEST(TableWindow, LeavesTheSharedMessageFontAlone) {
    Fixture f;
    HFONT shared = getMessageFont()->font;
    GTableDesc desc;
    GTable* t = f.table(desc);
    // Nothing holds the shared font selected, so a wrong delete would take effect.
    selectScreenFont((HFONT)GetStockObject(DEFAULT_GUI_FONT));
    deleteChildCell(t);
    EXPECT_EQ(OBJ_FONT, (int)GetObjectType(shared));
    selectScreenFont(shared);
}

TEST(TableWindow, PreferredSize) {
    Fixture f;
    GTableDesc desc;
    desc.columnSpec = "A:W=100,B:W=60";
    desc.visibleRows = 5;
    GTable* t = f.table(desc);
    i32 w = 0, h = 0;
    t->getPreferredSize(&w, &h);
    EXPECT_EQ(w, 101 + 61 + systemMetrics.cxVScroll + 4);  // client edge
    EXPECT_EQ(h, 5 * t->rowHeightPixels() + t->headerHeightPixels() + systemMetrics.cyHScroll + 4);
}

bool hasBar(GTable* t, int bar) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    LONG style = GetWindowLongA(t->hwnd, GWL_STYLE);
    if (!(style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL))) return false;
    return GetScrollInfo(t->hwnd, bar, &info) && info.nPage < (UINT)info.nMax + 1;
}

TEST(TableWindow, SizeShowsAndHidesBarsAndTheFillColumnTakesTheRest) {
    Fixture f;
    GTableDesc desc;
    desc.columnSpec = "Name:W=80,Rest:F:W=40";
    desc.exStyle = 0;
    GTable* t = f.table(desc, RECT{0, 0, 300, 200});
    RECT client;
    GetClientRect(t->hwnd, &client);
    EXPECT_FALSE(hasBar(t, SB_VERT));
    EXPECT_FALSE(hasBar(t, SB_HORZ));
    EXPECT_EQ(81 + t->columns[1].width + 1, client.right);

    addRows(t, 40);  // taller than the window: a vertical bar, the fill column shrinks by its width
    GetClientRect(t->hwnd, &client);
    EXPECT_TRUE(hasBar(t, SB_VERT));
    EXPECT_FALSE(hasBar(t, SB_HORZ));
    EXPECT_EQ(81 + t->columns[1].width + 1, client.right);
    EXPECT_EQ(client.right, 300 - systemMetrics.cxVScroll);

    t->setRect(RECT{0, 0, 100, 200});  // narrower than the columns at their base: both bars
    EXPECT_TRUE(hasBar(t, SB_VERT));
    EXPECT_TRUE(hasBar(t, SB_HORZ));
    EXPECT_EQ(t->columns[1].width, 40);

    t->setRect(RECT{0, 0, 300, 2000});  // every row fits: no bars
    GetClientRect(t->hwnd, &client);
    EXPECT_FALSE(hasBar(t, SB_VERT));
    EXPECT_FALSE(hasBar(t, SB_HORZ));
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(81 + t->columns[1].width + 1, 300);
}

TEST(TableWindow, RemoveRowsThenEnsureSelection) {
    Fixture f;
    GTable* t = f.multiTable(10);
    GMultiSelection* s = selectTwoToFourAndSeven(t);
    t->removeRows();
    EXPECT_EQ(t->rowCount(), 6u);
    EXPECT_EQ(t->model()->rowCount(), 6u);
    EXPECT_EQ(t->vertical.total, 6 * t->rowHeightPixels());  // the scroll bar no longer covers removed rows
    GString scratch;
    EXPECT_STREQ(t->model()->cellText(scratch, 2, 0), "row 5");
    EXPECT_EQ(t->model()->findRowByText("row 7", 0), -1);
    // The caret row (7, now 4) is selected again.
    EXPECT_EQ(s->caret(), 4);
    EXPECT_EQ(s->selectedCount(), 1);
    EXPECT_TRUE(s->isSelected(4));

    // With no caret the caret goes to row 0 and the view to the top.
    t->setRect(RECT{0, 0, 200, 60});
    t->setCaretRow(5);
    EXPECT_GT(t->vertical.origin, 0);
    s->clearSelection();
    s->setCaret(-1);
    t->ensureSelection();
    EXPECT_EQ(s->caret(), 0);
    EXPECT_TRUE(s->isSelected(0));
    EXPECT_EQ(t->vertical.origin, 0);

    // Everything removed: no rows, nothing selected.
    t->selectAll();
    t->removeRows();
    EXPECT_EQ(t->rowCount(), 0u);
    EXPECT_EQ(s->selectedCount(), 0);
}

TEST(TableWindow, RemoveRowsTakesExactlyTheSelectedRows) {
    struct Case {
        const char* name;
        bool multi;
        int rows;
        std::vector<std::pair<i64, i64>> selected;  // multi: inclusive ranges
        i64 caret;
        std::string left;
        i64 caretAfter;
    };
    const Case cases[] = {
        {"single, caret in the middle", false, 5, {}, 2, "0 1 3 4", 2},
        {"single, caret on the last row", false, 5, {}, 4, "0 1 2 3", 3},
        {"single, caret on the first row", false, 5, {}, 0, "1 2 3 4", 0},
        {"single, the only row", false, 1, {}, 0, "", -1},
        {"single, no caret", false, 5, {}, -1, "0 1 2 3 4", 0},
        {"multi, two ranges", true, 10, {{2, 4}, {7, 7}}, 7, "0 1 5 6 8 9", 4},
        {"multi, first and last rows", true, 6, {{0, 0}, {5, 5}}, 5, "1 2 3 4", 3},
        {"multi, one row of three ranges", true, 8, {{1, 1}, {3, 3}, {5, 6}}, 1, "0 2 4 7", 1},
        {"multi, everything", true, 4, {{0, 3}}, 0, "", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        GTableDesc desc;
        desc.flags = c.multi ? 0x10BA0 | TableMultiSelect : 0x10BA0;
        GTable* t = f.table(desc);
        char text[16];
        for (int i = 0; i < c.rows; ++i) {
            snprintf(text, sizeof text, "%d", i);
            const char* texts[] = {text};
            t->appendRows(texts);
        }
        GSelectionModel* s = t->selection();
        if (c.multi) {
            auto* multi = static_cast<GMultiSelection*>(s);
            multi->clearSelection();
            for (auto& r : c.selected) multi->addRange(r.first, r.second, false);
        }
        s->setCaret(c.caret);
        t->removeRows();
        std::string left;
        GString scratch;
        for (u64 row = 0; row < t->rowCount(); ++row) left += std::string(row ? " " : "") + t->model()->cellText(scratch, row, 0);
        EXPECT_EQ(c.left, left);
        EXPECT_EQ(t->model()->rowCount(), t->rowCount());
        EXPECT_EQ(s->length(), (i64)t->rowCount());
        EXPECT_EQ(c.caretAfter, s->caret());
        // Rows remain: the caret row is the selection again.
        EXPECT_EQ(t->rowCount() ? 1 : 0, s->selectedCount());
        if (c.caretAfter >= 0) EXPECT_TRUE(s->isSelected(c.caretAfter));
        deleteChildCell(t);
    }
}

TEST(TableWindow, RemoveOneRowFromBothRowModels) {
    Fixture f;
    GTable* t = f.multiTable(10);
    GMultiSelection* s = selectTwoToFourAndSeven(t);
    f.dialog.codes.clear();
    GString scratch;
    // Each step: the row removed, then the rows, caret and selection left.
    struct Step {
        u64 row;
        u64 rows;
        i64 caret;
        std::vector<i64> selected;
        const char* rowThree;
    };
    const Step steps[] = {
        {3, 9, 6, {2, 3, 6}, "row 4"},  // inside a range: the range shrinks, rows below move up
        {6, 8, 6, {2, 3}, "row 4"},     // the caret row: the caret stays on the row now there
        {0, 7, 5, {1, 2}, "row 5"},     // above everything: all move up
        {9, 7, 5, {1, 2}, "row 5"},     // past the rows: nothing
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.row);
        tableRemoveRow(t, step.row);
        EXPECT_EQ(t->rowCount(), step.rows);
        EXPECT_EQ(t->model()->rowCount(), step.rows);
        EXPECT_EQ(t->vertical.total, (i64)step.rows * t->rowHeightPixels());
        EXPECT_EQ(s->caret(), step.caret);
        std::vector<i64> selected;
        for (i64 row = s->firstSelected(); row >= 0; row = s->nextSelected(row)) selected.push_back(row);
        EXPECT_EQ(selected, step.selected);
        EXPECT_STREQ(t->model()->cellText(scratch, 3, 0), step.rowThree);
    }
    EXPECT_EQ(f.dialog.codes[TableSelectionChanged], 3);
    EXPECT_EQ(f.dialog.codes[TableCaretMoved], 3);

    // The last row while the caret is on it: the caret goes to the new last row. The view repaints
    // the selection with the shared brush, which outlives the painting.
    s->setCaret(6);
    tableRemoveRow(t, 6);
    EXPECT_EQ(s->caret(), 5);
    COLORREF saved = toolkitColors.selection;
    toolkitColors.selection = RGB(1, 2, 200);
    s->addRange(4, 4, true);
    InvalidateRect(t->hwnd, nullptr, FALSE);
    ASSERT_TRUE(pumpUntil([&] { return !GetUpdateRect(t->hwnd, nullptr, FALSE); }));
    RECT cell = t->cellRect(4, 1);
    HDC dc = GetDC(t->hwnd);
    COLORREF inside = GetPixel(dc, cell.right - 4, cell.top + 2);
    COLORREF above = GetPixel(dc, cell.right - 4, cell.top - 3);
    ReleaseDC(t->hwnd, dc);
    EXPECT_EQ(inside, RGB(1, 2, 200));
    EXPECT_NE(above, RGB(1, 2, 200));
    EXPECT_NE(GetObjectType(getSelectionBrush()), 0u);
    toolkitColors.selection = saved;

    // A single-selection table: the caret row goes, the next row takes the caret.
    GTableDesc desc;
    GTable* single = f.table(desc, RECT{10, 220, 310, 290});
    addRows(single, 3);
    single->setCaretRow(1);
    tableRemoveRow(single, 1);
    EXPECT_EQ(single->selection()->caret(), 1);
    EXPECT_STREQ(single->model()->cellText(scratch, 1, 0), "row 2");
    tableRemoveRow(single, 1);
    tableRemoveRow(single, 0);
    EXPECT_EQ(single->rowCount(), 0u);
    EXPECT_EQ(single->selection()->caret(), -1);
}

TEST(TableWindow, SingleSelectionTableIgnoresRangeOperations) {
    Fixture f;
    GTableDesc desc;
    GTable* t = f.table(desc);
    addRows(t, 5);
    t->setCaretRow(3);
    t->selectAll();
    t->invertSelection();
    t->clearSelection();
    EXPECT_EQ(t->selection()->caret(), 3);
    EXPECT_EQ(t->selection()->selectedCount(), 1);
    t->setRowSelected(1, true);
    EXPECT_EQ(t->selection()->caret(), 1);
    t->setCaretRow(99);  // past the rows: ignored
    EXPECT_EQ(t->selection()->caret(), 1);
    const char* texts[] = {"new"};
    t->insertRows(0, texts, 1);
    EXPECT_EQ(t->selection()->caret(), 2);
    EXPECT_EQ(t->rowCount(), 6u);
}

// A model whose cell (1, 0) spans two rows and two columns.
class SpanModel : public GCellGridModel {
public:
    SpanModel() : GCellGridModel(3) { appendRows(nullptr, 5); }
    void cellSpan(u64 row, i32 column, u64* rows, i32* columns, u64* rowOffset, i32* columnOffset) override {
        GCellGridModel::cellSpan(row, column, rows, columns, rowOffset, columnOffset);
        if (row >= 1 && row <= 2 && column <= 1) {
            *rows = 2;
            *columns = 2;
            *rowOffset = row - 1;
            *columnOffset = column;
        }
    }
};

TEST(TableWindow, RowColumnAndCellAtPoints) {
    Fixture f;
    GTableDesc desc;
    desc.columnSpec = "A:W=50,B:W=60,C:W=70";
    desc.model = new SpanModel;
    desc.exStyle = 0;
    GTable* t = f.table(desc, RECT{0, 0, 300, 300});
    i32 hh = t->headerHeightPixels(), rh = t->rowHeightPixels();
    struct Case {
        i32 x, y;
        i64 row;
        i32 column;
        bool inside;
    };
    const Case cases[] = {
        {5, hh - 1, -1, 0, false},           // header
        {5, hh, 0, 0, true},
        {55, hh + rh + 1, 1, 0, true},       // span anchor
        {55, hh + 2 * rh + 1, 1, 0, true},   // inside the span: its anchor
        {120, hh + 2 * rh + 1, 2, 2, true},  // beside the span
        {5, hh + 5 * rh + 1, -1, 0, false},  // below the last row
        {290, hh + 1, -1, -1, false},        // right of the columns (there is no fill column)
    };
    for (const Case& c : cases) {
        i64 row;
        i32 column;
        EXPECT_EQ(t->cellAt(c.x, c.y, &row, &column), c.inside) << c.x << "," << c.y;
        if (!c.inside) continue;
        EXPECT_EQ(row, c.row) << c.x << "," << c.y;
        EXPECT_EQ(column, c.column) << c.x << "," << c.y;
    }
    EXPECT_EQ(t->rowAt(hh - 1), -1);
    EXPECT_EQ(t->rowAt(hh + 2 * rh + 1), 2);
    EXPECT_EQ(t->rowAt(hh + 5 * rh + 1), -1);
    // Moving a column moves what columnAt answers.
    t->columns.moveColumn(0, 2);
    EXPECT_EQ(t->columnAt(5), 2);
    EXPECT_EQ(t->columnAt(75), 0);
}

TEST(TableWindow, ClickSelectsAndTellsTheDialog) {
    Fixture f;
    GTable* t = f.multiTable(10);
    f.dialog.codes.clear();
    i32 y = t->headerHeightPixels() + 3 * t->rowHeightPixels() + 2;
    SendMessageA(t->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, y));
    EXPECT_EQ(t->selection()->caret(), 3);
    EXPECT_TRUE(t->selection()->isSelected(3));
    EXPECT_EQ(f.dialog.codes[TableSelectionChanged], 1);
    EXPECT_EQ(f.dialog.codes[TableCaretMoved], 1);

    // Keys navigate through the table's ranges: Down, Shift+Down extends, Ctrl+End goes to the last row.
    GInputEvent down = keyDown(VK_DOWN), shiftDown = keyDown(VK_DOWN, ModShift), end = keyDown(VK_END, ModCtrl);
    EXPECT_EQ(t->handleKey(&down), 2);
    EXPECT_EQ(t->selection()->caret(), 4);
    t->handleKey(&shiftDown);
    t->handleKey(&shiftDown);
    EXPECT_EQ(t->selection()->caret(), 6);
    EXPECT_EQ(t->selection()->selectedCount(), 3);
    t->setRect(RECT{0, 0, 200, 80});
    t->handleKey(&end);
    EXPECT_EQ(t->selection()->caret(), 9);
    EXPECT_EQ(t->selection()->selectedCount(), 1);
    EXPECT_EQ(t->vertical.origin, t->vertical.maxOrigin());
    EXPECT_GT(t->vertical.origin, 0);
}

TEST(TableWindow, OperationsUnderOneRedrawLockActOnce) {
    Fixture f;
    GTableDesc desc;
    desc.flags |= TableMultiSelect;
    GTable* t = f.table(desc);
    addRows(t, 30);
    ASSERT_TRUE(pumpUntil([&] { return !GetUpdateRect(t->hwnd, nullptr, FALSE); }));
    f.dialog.codes.clear();
    t->beginRedrawLock();
    t->setCaretRow(20);
    t->selectAll();
    t->invertSelection();
    t->setRowSelected(4, true);
    const char* texts[] = {"more"};
    t->appendRows(texts);
    EXPECT_TRUE(f.dialog.codes.empty());
    EXPECT_NE(t->flags & (0x200u << TableSelectionChanged), 0u);
    t->endRedrawLock();
    EXPECT_EQ(f.dialog.codes[TableSelectionChanged], 1);
    EXPECT_EQ(f.dialog.codes[TableCaretMoved], 1);
    EXPECT_EQ(f.dialog.codes[TableOriginMoved], 1);
    EXPECT_EQ(t->selection()->selectedCount(), 1);
    EXPECT_TRUE(t->selection()->isSelected(4));
    EXPECT_TRUE(GetUpdateRect(t->hwnd, nullptr, FALSE));  // the repaint waited for the release
}

TEST(TableWindow, ColumnStateAndMenuToggle) {
    Fixture f;
    GTableDesc desc;
    desc.columnSpec = "A:W=50,B:W=60,C:W=70";
    GTable* t = f.table(desc);
    t->columns.moveColumn(0, 2);
    t->toggleColumn(1);
    EXPECT_EQ(t->columns[1].visible, 0);
    GBag bag;
    t->saveColumns(bag);
    EXPECT_EQ(bag.size, 3 * 9 + 1u);

    GTableDesc other;
    other.columnSpec = "A,B,C";
    other.flags |= TableAutoFit;
    GTable* u = f.table(other);
    bag.pos = 0;
    u->loadColumns(bag);
    EXPECT_EQ(u->columns.atPosition(0), 2);
    EXPECT_EQ(u->columns[1].visible, 0);
    EXPECT_EQ(u->tableFlags & TableAutoFit, 0u);  // the saved table did not fit
}

}  // namespace

namespace {

// 2^33 rows (or as many as asked), counting every per-row question.
class HugeModel : public GTableModel {
public:
    explicit HugeModel(u64 rows = (u64)1 << 33) : rows(rows) {}
    u64 rowCount() override { return rows; }
    i32 columnCount() override { return 2; }
    const char* cellText(GString&, u64, i32) override {
        ++rowCalls;
        return "x";
    }
    void cellSpan(u64 row, i32 column, u64* rows, i32* columns, u64* rowOffset, i32* columnOffset) override {
        ++rowCalls;
        GTableModel::cellSpan(row, column, rows, columns, rowOffset, columnOffset);
    }
    GCellFormat* cellFormat(u64 row, i32 column) override {
        ++rowCalls;
        return GTableModel::cellFormat(row, column);
    }
    void clearRows() override {}
    void removeRows(u64, u64) override {}
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }
    u64 rows;
    u64 rowCalls = 0;
};

TEST(TableWindow, HugeModelNeedsNoPerRowCalls) {
    Fixture f;
    HugeModel* model = new HugeModel;
    GTableDesc desc;
    desc.flags |= TableMultiSelect;
    desc.style &= ~WS_VISIBLE;  // nothing painted
    desc.model = model;
    GTable* t = f.table(desc);
    t->reload(0);
    u64 last = ((u64)1 << 33) - 1;
    t->setCaretRow(last);
    EXPECT_EQ(t->selection()->caret(), (i64)last);
    EXPECT_EQ(t->vertical.origin, t->vertical.maxOrigin());
    t->selectAll();
    EXPECT_EQ(t->selection()->selectedCount(), (i64)last + 1);
    i64 first, end;
    ASSERT_TRUE(t->selection()->firstRange(&first, &end));
    EXPECT_EQ(end - first, (i64)last + 1);
    EXPECT_FALSE(t->selection()->nextRange(&first, &end));
    EXPECT_EQ(model->rowCalls, 0u);
}

// The first scroll after the table is placed: a stale page in a copied range used to pull the
// origin back to the caret.
TEST(TableWindow, ScrollOriginReachesEveryRowOfAHugeModel) {
    Fixture f;
    GTableDesc desc;
    desc.model = new HugeModel;
    GTable* t = f.table(desc);
    RECT client;
    GetClientRect(t->hwnd, &client);
    EXPECT_EQ(client.bottom - t->headerHeightPixels(), t->vertical.page);
    const u64 huge = (u64)1 << 33;
    const i64 h = t->rowHeightPixels();
    const struct {
        u64 row;
        i64 origin;
    } cases[] = {{5, 5 * h}, {huge / 2 + 3, (i64)(huge / 2 + 3) * h}, {huge - 1, t->vertical.maxOrigin()}, {0, 0}};
    for (const auto& c : cases) {
        t->setScrollOrigin(c.row);
        EXPECT_EQ(c.origin, t->vertical.origin) << c.row;
        EXPECT_EQ(c.origin / h, t->rowAt(t->headerHeightPixels())) << c.row;
    }
}

TEST(TableWindow, FittingMeasuresAllRowsOnlyUpToTenThousand) {
    Fixture f;
    struct Case {
        u64 rows;
        u64 fewestCalls, mostCalls;
    };
    const Case cases[] = {{5000, 2 * 5000, 3 * 2 * 5000}, {20000, 1, 3 * 2 * 100}};
    for (const Case& c : cases) {
        HugeModel* model = new HugeModel(c.rows);
        GTableDesc desc;
        desc.flags |= TableAutoFit;
        desc.model = model;
        GTable* t = f.table(desc);
        model->rowCalls = 0;
        t->fitColumnWidths(-1, true);
        EXPECT_GE(model->rowCalls, c.fewestCalls) << c.rows;
        EXPECT_LE(model->rowCalls, c.mostCalls) << c.rows;
        deleteChildCell(t);
    }
}

TEST(TableWindow, RefreshAllTablesFitsWidths) {
    Fixture f;
    GTableDesc desc;
    desc.flags |= TableAutoFit;
    desc.columnCount = 2;
    GTable* t = f.table(desc);
    const char* texts[] = {"a", "b"};
    t->appendRows(texts);
    i32 narrow = t->columns[0].width;
    t->model()->setCellText(0, 0, "a much longer text than before");
    GTable::refreshAllTables();
    EXPECT_GT(t->columns[0].width, narrow);
}

}  // namespace

namespace {

class TypedTable : public GTable {
public:
    using GTable::GTable;
    void typedText(GTableTypeAhead&, const char* text) override { typed.push_back(text); }
    std::vector<std::string> typed;
};

bool ctrlHeld;
SHORT ctrlKeyState(int key) { return key == VK_CONTROL && ctrlHeld ? (SHORT)0x8000 : 0; }

TEST(TableWindow, TypeAheadCollectsCharacters) {
    Fixture f;
    GTableDesc desc;
    desc.flags |= TableTypeAhead;
    TypedTable* t = new TypedTable(&f.dialog);
    ASSERT_TRUE(t->create(desc));
    f.root->addChild(t);
    ASSERT_NE(t->typeAhead(), nullptr);
    ctrlHeld = false;
    systemInput.keyState = ctrlKeyState;
    struct Step {
        u32 character;
        bool ctrl;
        bool taken;
    };
    const Step steps[] = {{'a', false, true}, {'b', false, true}, {8, false, true}, {1, false, false},
                          {'c', true, false}, {'d', false, true}, {8, false, true}, {8, false, true},
                          {8, false, true}};
    for (const Step& s : steps) {
        ctrlHeld = s.ctrl;
        EXPECT_EQ(t->typeAhead()->onCharacter(s.character), s.taken) << s.character;
    }
    systemInput = systemInputDefaults;
    EXPECT_EQ(t->typed, (std::vector<std::string>{"a", "ab", "a", "ad", "a", "", ""}));
    // Through the window's own messages.
    SendMessageA(t->hwnd, WM_CHAR, 'z', 0);
    EXPECT_EQ(t->typed.back(), "z");
}

}  // namespace
