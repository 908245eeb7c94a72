// Table painting: span rectangles kept in 32 bits, the XOR focus frame, and a real table over a
// model of 2^33 rows that paints only its visible rows.
#include <gtest/gtest.h>

#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/paint/colors.h"
#include "gui/views/table.h"
#include "gui/views/table_paint.h"
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
    // The separators are drawn in the light shade and follow it when it changes.
    COLORREF savedShade = toolkitColors.lightShade;
    const GTableColumn& cell = table->columns[1];
    for (COLORREF shade : {RGB(200, 10, 20), RGB(10, 200, 20)}) {
        toolkitColors.lightShade = shade;
        table->paint(canvas.dc(), client, false);
        EXPECT_EQ(shade, canvas.pixel(cell.left + cell.width, firstTop + 2 * rh + rh / 2));
    }
    toolkitColors.lightShade = savedShade;

    SetWindowLongA(dialog.hwnd, GWL_STYLE, GetWindowLongA(dialog.hwnd, GWL_STYLE) & ~WS_VISIBLE);
    DestroyWindow(dialog.hwnd);
}
