// Table painting: span rectangles kept in 32 bits, the XOR focus frame, a real table over a model
// of 2^33 rows that paints only its visible rows, a derived table's own gutter and cells, and
// widths measured for sample texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/layout/rect_list.h"
#include "gui/paint/colors.h"
#include "gui/paint/saved_dc.h"
#include "gui/views/table.h"
#include "gui/views/table_paint.h"
#include "tests/gui/control_fixture.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/gui_fixture.h"

TEST(TablePaint, SpanExtentStaysInTheVisibleArea) {
    const u64 huge = 1ull << 32;
    struct Case {
        const char* name;
        i64 anchor;
        u64 rows;
        i64 firstRow;
        i32 firstTop;
        LONG top, bottom;
    };
    // Rows of 20 pixels; the visible area runs from 20 to 220.
    const Case cases[] = {
        {"inside", 10, 3, 8, 20, 60, 120},
        {"starts above", 0, 5, 3, 15, 20, 55},
        {"ends below", 12, 50, 8, 20, 100, 220},
        {"billions of rows from far above", 0, huge, (i64)huge / 2, 20, 20, 220},
        {"billions of rows from the first", (i64)huge, huge * 4, (i64)huge, 20, 20, 220},
        {"below the area", 1000000, huge, 0, 20, 220, 220},
    };
    for (const Case& c : cases) {
        LONG top = -1, bottom = -1;
        spanRowExtent(c.anchor, c.rows, c.firstRow, c.firstTop, 20, 20, 220, &top, &bottom);
        EXPECT_EQ(c.top, top) << c.name;
        EXPECT_EQ(c.bottom, bottom) << c.name;
    }
}

TEST(TablePaint, FocusFrameDrawnTwiceRestoresThePixels) {
    const RECT frames[] = {{4, 3, 60, 23}, {0, 0, 80, 30}, {10, 10, 11, 20}, {10, 10, 30, 11}};
    for (const RECT& frame : frames) {
        DibCanvas canvas(80, 30, RGB(255, 255, 255)), before(80, 30, RGB(255, 255, 255));
        // Some content under the frame.
        for (HDC dc : {canvas.dc(), before.dc()}) {
            RECT band{0, 8, 80, 16};
            FillRect(dc, &band, (HBRUSH)GetStockObject(GRAY_BRUSH));
        }
        drawXorFocusFrame(canvas.dc(), frame, RGB(0, 0, 0), RGB(255, 255, 255));
        // Every other pixel of the top line changed, nothing off the frame.
        i32 changedTop = 0, changedOff = 0;
        for (i32 y = 0; y < 30; ++y) {
            for (i32 x = 0; x < 80; ++x) {
                bool onFrame = x >= frame.left && x < frame.right && y >= frame.top && y < frame.bottom &&
                               (x == frame.left || x == frame.right - 1 || y == frame.top || y == frame.bottom - 1);
                bool changed = canvas.pixel(x, y) != before.pixel(x, y);
                if (!onFrame) changedOff += changed;
                if (y == frame.top && onFrame) changedTop += changed;
            }
        }
        i32 width = frame.right - frame.left;
        EXPECT_EQ(0, changedOff);
        EXPECT_GE(changedTop, width / 2);
        EXPECT_LE(changedTop, (width + 1) / 2);
        drawXorFocusFrame(canvas.dc(), frame, RGB(0, 0, 0), RGB(255, 255, 255));
        EXPECT_TRUE(canvas.samePixels(before)) << frame.left << "," << frame.top << "," << frame.right << ","
                                              << frame.bottom;
    }
}

namespace {
// 2^33 rows of two columns; column 0 is one span of 2^32 rows per half. Counts the texts asked for.
class HugeModel : public GTableModel {
public:
    u64 rowCount() override { return 1ull << 33; }
    i32 columnCount() override { return 2; }
    const char* cellText(GString&, u64 row, i32 column) override {
        ++calls[column];
        lastRow[column] = row;
        return column == 0 ? "Span" : "Cell";
    }
    void cellSpan(u64 row, i32 column, u64* rows, i32* columns, u64* rowOffset, i32* columnOffset) override {
        *columns = 1;
        *columnOffset = 0;
        *rows = column == 0 ? 1ull << 32 : 1;
        *rowOffset = column == 0 ? row % (1ull << 32) : 0;
    }
    void clearRows() override {}
    void removeRows(u64, u64) override {}
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }

    u64 calls[2] = {0, 0};
    u64 lastRow[2] = {0, 0};
};

class FreeItem : public GLayoutItem {
public:
    using GLayoutItem::GLayoutItem;
    void setRect(const RECT& r) override { rect = r; }
};
}  // namespace

TEST(TablePaint, PaintsOnlyTheVisibleRowsAndEachSpanOnce) {
    TestApplication app;
    GDialog dialog(nullptr, "index.htm");
    createTopLevelWindow(&dialog, WS_POPUP | WS_CLIPCHILDREN, 0, "");
    SetWindowPos(dialog.hwnd, HWND_TOP, 0, 0, 400, 300, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    GLayoutItem* root = new FreeItem(&dialog);
    dialog.setContent(root);
    auto* model = new HugeModel;
    GTableDesc desc;
    desc.columnCount = 2;
    desc.columnSpec = "Span:W=80,Cell:W=80";
    desc.model = model;
    GTable* table = createTable(root, &dialog, desc);
    table->setRect(RECT{10, 10, 310, 210});
    table->setCaretRow((1ull << 33) - (1ull << 31) + 5);  // inside the second span
    i32 rh = table->rowHeightPixels();
    u64 firstRow = (u64)(table->vertical.origin / rh);
    ASSERT_GT(firstRow, 1ull << 32);
    i32 firstTop = (i32)((i64)firstRow * rh - table->vertical.origin) + table->headerHeightPixels();
    RECT client;
    GetClientRect(table->hwnd, &client);
    i32 rowsShown = (client.bottom - table->vertical.trailingInset - firstTop + rh - 1) / rh;

    DibCanvas canvas(client.right, client.bottom, RGB(1, 2, 3));
    model->calls[0] = model->calls[1] = 0;
    table->paint(canvas.dc(), client, false);

    EXPECT_EQ((u64)rowsShown, model->calls[1]);
    EXPECT_EQ(firstRow + rowsShown - 1, model->lastRow[1]);
    // The span is asked for its anchor's text once, and fills the whole column below the header.
    EXPECT_EQ(1u, model->calls[0]);
    EXPECT_EQ(1ull << 32, model->lastRow[0]);
    const GTableColumn& span = table->columns[0];
    i32 x = span.left + span.width / 2;
    bool textInSpan = false;
    COLORREF fill = canvas.pixel(span.left + 1, table->headerHeightPixels() + 1);
    for (i32 y = table->headerHeightPixels(); y < client.bottom - 1; ++y) {
        ASSERT_NE(RGB(1, 2, 3), canvas.pixel(x, y)) << y;
        for (i32 dx = span.left; dx < span.left + span.width - 1; ++dx) {
            textInSpan |= canvas.pixel(dx, y) != fill;
        }
    }
    EXPECT_TRUE(textInSpan);
    // The separators are drawn in the text colour and follow it when it changes.
    COLORREF savedText = toolkitColors.text;
    const GTableColumn& cell = table->columns[1];
    for (COLORREF shade : {RGB(200, 10, 20), RGB(10, 200, 20)}) {
        toolkitColors.text = shade;
        table->paint(canvas.dc(), client, false);
        EXPECT_EQ(shade, canvas.pixel(cell.left + cell.width, firstTop + 2 * rh + rh / 2));
    }
    toolkitColors.text = savedText;

    SetWindowLongA(dialog.hwnd, GWL_STYLE, GetWindowLongA(dialog.hwnd, GWL_STYLE) & ~WS_VISIBLE);
    DestroyWindow(dialog.hwnd);
}

namespace {
const COLORREF kCorner = RGB(250, 0, 0), kGutter = RGB(0, 0, 250), kGutterSelected = RGB(0, 120, 120);
const COLORREF kFirst = RGB(0, 200, 0), kSecond = RGB(200, 200, 0);

// A row-number gutter of 20 pixels and cells of its own colours; each cell is 30 pixels wide plus
// its row number.
class GutterTable : public GTable {
public:
    using GTable::GTable;
    std::vector<i64> gutterRows;

protected:
    void paintRowGutter(HDC dc, const RECT& r, i64 row, bool selected) override {
        gutterRows.push_back(row);
        fillRectSolid(dc, r, row < 0 ? kCorner : selected ? kGutterSelected : kGutter);
    }
    void paintCell(GSavedDC& dc, const RECT& cell, u64, i32 column, bool) override {
        fillRectSolid(dc.dc(), RECT{cell.left + 2, cell.top + 2, cell.right - 3, cell.bottom - 3},
                      column == 0 ? kFirst : kSecond);
    }
    i32 measureCell(GSavedDC&, u64 row, i32) override { return 30 + (i32)row; }
};

// A shown dialog whose content keeps its children where the test puts them.
struct PaintRig : controls::Fixture {
    GLayoutItem* root = new FreeItem(dialog);
    PaintRig() : controls::Fixture(400, 300) { dialog->setContent(root); }
};
}  // namespace

TEST(TablePaint, ADerivedTablePaintsItsOwnGutterAndCells) {
    PaintRig rig;
    auto* table = new GutterTable(rig.dialog);
    GTableDesc desc;
    desc.columnCount = 2;
    desc.columnSpec = "A:W=80,B:W=80";
    ASSERT_TRUE(table->create(desc));
    rig.root->addChild(table);
    table->setRect(RECT{10, 10, 310, 210});
    for (const char* a : {"a0", "a1", "a2"}) {
        const char* row[] = {a, "b"};
        table->appendRows(row);
    }
    table->horizontal.leadingInset = 20;
    table->updateScrollBars(nullptr, nullptr, true, false);
    RedrawWindow(table->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    HWND w = table->hwnd;
    i32 header = table->headerHeightPixels(), rh = table->rowHeightPixels();
    EXPECT_EQ(kCorner, controls::pixelAt(w, 5, header / 2));
    EXPECT_EQ(kGutterSelected, controls::pixelAt(w, 5, header + rh / 2));  // the caret row 0 is selected
    EXPECT_EQ(kGutter, controls::pixelAt(w, 5, header + rh + rh / 2));
    EXPECT_EQ(toolkitColors.window, controls::pixelAt(w, 5, header + 3 * rh + rh / 2));  // below the rows
    EXPECT_EQ((std::vector<i64>{-1, 0, 1, 2}), table->gutterRows);
    RECT first = table->cellRect(1, 0), second = table->cellRect(1, 1);
    EXPECT_EQ(20, first.left);
    EXPECT_EQ(kFirst, controls::pixelAt(w, (first.left + first.right) / 2, (first.top + first.bottom) / 2));
    EXPECT_EQ(kSecond, controls::pixelAt(w, (second.left + second.right) / 2, (second.top + second.bottom) / 2));
    // The grid around the cells is drawn by the table, in the separator colour.
    EXPECT_EQ(toolkitColors.text, controls::pixelAt(w, first.right - 1, (first.top + first.bottom) / 2));
    EXPECT_EQ(toolkitColors.text, controls::pixelAt(w, (first.left + first.right) / 2, first.bottom - 1));

    // Fitting asks the table's own measure: the widest of 30, 31 and 32.
    table->fitColumnWidths(-1, false);
    EXPECT_EQ(32, table->columns[0].width);
    EXPECT_EQ(32, table->columns[1].width);
}

TEST(TablePaint, TheWidthOfASampleTextShowsItWhole) {
    // Option E measures as the cell formatter draws, with the real fonts: the sample text is drawn
    // the same as in a column with room to spare, so it ends in no ellipsis.
    PaintRig rig;
    const char* samples[] = {"Sample rate 44100 Hz", "W", "Mixed Width Text 0123456789", "iiiiiiiiii"};
    for (const char* sample : samples) {
        SCOPED_TRACE(sample);
        std::string measured = std::string("Name:E=") + sample + ",Rest:W=20";
        GTableDesc fitted, wide;
        fitted.columnCount = wide.columnCount = 2;
        fitted.columnSpec = measured.c_str();
        wide.columnSpec = "Name:W=400,Rest:W=20";
        GTable* a = createTable(rig.root, rig.dialog, fitted);
        GTable* b = createTable(rig.root, rig.dialog, wide);
        for (GTable* t : {a, b}) {
            t->setRect(RECT{0, 0, 450, 100});
            for (int i = 0; i < 2; ++i) {
                const char* row[] = {sample, ""};
                t->appendRows(row);
            }
        }
        RECT client;
        GetClientRect(a->hwnd, &client);
        DibCanvas one(client.right, client.bottom, RGB(1, 2, 3)), two(client.right, client.bottom, RGB(1, 2, 3));
        a->paint(one.dc(), client, false);
        b->paint(two.dc(), client, false);
        RECT cell = a->cellRect(1, 0);  // row 1: not selected
        i32 differing = 0;
        for (i32 y = cell.top; y < cell.bottom - 1; ++y)
            for (i32 x = cell.left; x < cell.right - 1; ++x) differing += one.pixel(x, y) != two.pixel(x, y);
        EXPECT_EQ(0, differing) << "column width " << a->columns[0].width;
        deleteChildCell(a);
        deleteChildCell(b);
    }
}
