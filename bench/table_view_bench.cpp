// Tables over very many rows: the work of a table must not depend on its row count.
#include <algorithm>
#include <vector>

#include "bench/bench.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/views/cell_grid_model.h"
#include "gui/views/table.h"
#include "gui/views/table_type_ahead.h"

namespace {
// 2^33 rows of one text.
class HugeModel : public GTableModel {
public:
    u64 rowCount() override { return (u64)1 << 33; }
    i32 columnCount() override { return 2; }
    const char* cellText(GString&, u64, i32) override { return "x"; }
    void clearRows() override {}
    void removeRows(u64, u64) override {}
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }
};

double millisecondsSince(double start) { return (benchSeconds() - start) * 1000.0; }
}  // namespace

RAVO_BENCH(table_rows) {
    GParentWindow* frame = new GParentWindow;
    if (!createTopLevelWindow(frame, WS_POPUP, 0, "")) {
        delete frame;  // no display: the creation failed and the object is ours
        benchResult("table rows (no display)", -1, "ms");
        return;
    }
    GLayoutItem* root = new GLayoutItem(frame);
    frame->setContent(root);
    std::vector<double> create, reload, caret, all, append;
    for (int run = 0; run < 5; ++run) {
        GTableDesc desc;
        desc.flags |= TableMultiSelect;
        desc.style &= ~WS_VISIBLE;
        desc.model = new HugeModel;
        double start = benchSeconds();
        GTable* table = createTable(root, frame, desc);
        create.push_back(millisecondsSince(start));
        start = benchSeconds();
        table->reload(0);
        reload.push_back(millisecondsSince(start));
        start = benchSeconds();
        table->setCaretRow(((u64)1 << 33) - 1);
        caret.push_back(millisecondsSince(start));
        start = benchSeconds();
        table->selectAll();
        all.push_back(millisecondsSince(start));

        GTableDesc gridDesc;
        gridDesc.columnCount = 2;
        gridDesc.style &= ~WS_VISIBLE;
        GTable* grid = createTable(root, frame, gridDesc);
        auto* model = static_cast<GCellGridModel*>(grid->model());
        const char* texts[] = {"name", "value"};
        start = benchSeconds();
        for (int i = 0; i < 1000000; ++i) model->appendRows(texts, 1);
        grid->reload(0);
        append.push_back(millisecondsSince(start));
        DestroyWindow(grid->hwnd);
        DestroyWindow(table->hwnd);
    }
    DestroyWindow(frame->hwnd);
    benchResult("table create, 2^33 rows (median of 5)", benchMedian(create), "ms (goal 5)");
    benchResult("table reload, 2^33 rows (median of 5)", benchMedian(reload), "ms (goal 5)");
    benchResult("table setCaretRow last, 2^33 rows (median of 5)", benchMedian(caret), "ms (goal 5)");
    benchResult("table selectAll, 2^33 rows (median of 5)", benchMedian(all), "ms (goal 5)");
    benchResult("cell grid 10^6 rows appended + reload (median of 5)", benchMedian(append), "ms (goal 200)");
}

// One paint of a 40-row table over 2^33 rows near their end, and the typed-text search over
// 100 000 rows with a text no row holds (every row read).
RAVO_BENCH(table_paint) {
    GParentWindow* frame = new GParentWindow;
    if (!createTopLevelWindow(frame, WS_POPUP, 0, "")) {
        delete frame;
        benchResult("table paint (no display)", -1, "ms");
        return;
    }
    GLayoutItem* root = new GLayoutItem(frame);
    frame->setContent(root);
    GTableDesc desc;
    desc.model = new HugeModel;
    desc.columnCount = 2;
    GTable* table = createTable(root, frame, desc);
    table->setRect(RECT{0, 0, 400, table->headerHeightPixels() + 40 * table->rowHeightPixels() + 4});
    table->setCaretRow(((u64)1 << 33) - 100);
    RECT client;
    GetClientRect(table->hwnd, &client);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    std::vector<double> paint, search;
    for (int run = 0; run < 5; ++run) {
        double start = benchSeconds();
        table->paint(memory, client, false);
        paint.push_back(millisecondsSince(start));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    GTableDesc gridDesc;
    gridDesc.columnCount = 2;
    gridDesc.flags |= TableTypeAhead;
    GTable* grid = createTable(root, frame, gridDesc);
    auto* model = static_cast<GCellGridModel*>(grid->model());
    const char* texts[] = {"Some Row Name", "value"};
    for (int i = 0; i < 100000; ++i) model->appendRows(texts, 1);
    grid->reload(0);
    for (int run = 0; run < 5; ++run) {
        stringAssignText(grid->typeAhead()->text, "q");
        double start = benchSeconds();
        grid->typedText(*grid->typeAhead(), "q");
        search.push_back(millisecondsSince(start));
    }
    DestroyWindow(frame->hwnd);
    benchResult("table paint, 40 rows of 2^33 (median of 5)", benchMedian(paint), "ms (goal 20)");
    benchResult("typed-text search, 10^5 rows, no match (median of 5)", benchMedian(search), "ms (goal 100)");
}
