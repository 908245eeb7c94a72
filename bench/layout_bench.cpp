// Layout: measuring and arranging a large dialog tree, and one layout transaction that moves many
// child windows and repaints them.
#include <algorithm>
#include <vector>

#include "bench/bench.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/user_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/layout_transaction.h"

namespace {
// A label: natural size one line; its height depends on the width it gets.
class Label : public GLayoutCell {
public:
    Label(i32 length, const char* code) : length(length) {
        setAlignmentCode(this, code);
        cellFlags |= CellHeightForWidth;
    }
    void getPreferredSize(i32* width, i32* height) override {
        i32 natural = length * 7;
        if (*width < 0) {
            *width = natural;
            *height = 16;
        } else {
            *height = 16 * std::max(1, (natural + std::max(*width, 1) - 1) / std::max(*width, 1));
        }
    }
    i32 length;
};

class Field : public GLayoutCell {
public:
    void getPreferredSize(i32* width, i32* height) override {
        *width = 80;
        *height = 22;
    }
};

class Swatch : public GUserWindow {
public:
    using GUserWindow::GUserWindow;
    void paint(HDC dc, const RECT&, bool) override {
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(dc, &r, (HBRUSH)GetStockObject(GRAY_BRUSH));
    }
};

// Groups of rows (label, field, label) and columns of wrapping labels: 500 cells and items.
GLayoutItem* buildDialog(int* count) {
    GColumnsItem* root = new GColumnsItem(nullptr);
    setLayoutDigits(root, "88888");
    *count = 1;
    while (*count < 500) {
        GGroupBoxItem* group = new GGroupBoxItem(nullptr, "Settings");
        GColumnsItem* column = new GColumnsItem(nullptr);
        setLayoutDigits(column, "00040");
        group->addChild(column);
        root->addChild(group);
        *count += 3;
        for (int r = 0; r < 6 && *count < 500; ++r) {
            GRowItem* row = new GRowItem(nullptr);
            setLayoutDigits(row, "08000");
            row->addChild(new Label(8 + r, "<-"));
            row->addChild(new Field);
            row->addChild(new Label(30 + 5 * r, "U^"));
            column->addChild(row);
            *count += 4;
        }
        column->addChild(new Label(120, "U^"));
        ++*count;
    }
    return root;
}
}  // namespace

RAVO_BENCH(layout) {
    int items = 0;
    GLayoutItem* dialog = buildDialog(&items);
    i32 height = 0;
    double ms = medianMilliseconds([&] {
        for (int width : {640, 500, 800}) {
            dialog->refreshLayoutFlags();
            height = heightForWidth(dialog, width);
            applyLayoutChange(dialog, RECT{0, 0, width, height});
        }
    });
    benchResult(("dialog of " + std::to_string(items) + " items measured and laid out (3 widths, goal 3 x 5 ms)").c_str(),
                ms, height > 0 ? "ms" : "ms (nothing laid out)");
    delete dialog;

    // 200 child windows moved in one transaction and painted.
    GParentWindow* frame = new GParentWindow;
    if (!createTopLevelWindow(frame, WS_POPUP | WS_CLIPCHILDREN, 0, "")) {
        delete frame;  // no display: the creation failed and the object is ours
        benchResult("transaction moving 200 child windows (no display)", -1, "ms");
        return;
    }
    SetWindowPos(frame->hwnd, HWND_TOP, 0, 0, 1000, 700, SWP_SHOWWINDOW);
    GLayoutItem* root = new GLayoutItem(frame);
    frame->setContent(root);
    std::vector<Swatch*> windows;
    for (int i = 0; i < 200; ++i) {
        Swatch* w = new Swatch(frame);
        w->create(WS_CHILD | WS_VISIBLE);
        root->addChild(w);
        w->setRect(RECT{(i % 20) * 48, (i / 20) * 60, (i % 20) * 48 + 40, (i / 20) * 60 + 50});
        windows.push_back(w);
    }
    UpdateWindow(frame->hwnd);
    int shift = 0;
    std::vector<double> ends, totals;
    for (int run = 0; run < 5; ++run) {
        shift = shift ? 0 : 5;
        double start = benchSeconds();
        beginLayoutTransaction();
        for (int i = 0; i < 200; ++i) {
            RECT r{(i % 20) * 48 + shift, (i / 20) * 60 + shift, (i % 20) * 48 + 40 + shift, (i / 20) * 60 + 50 + shift};
            windows[i]->setRect(r);
        }
        endLayoutTransaction(frame);
        double end = benchSeconds();
        RedrawWindow(frame->hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        ends.push_back((end - start) * 1000.0);
        totals.push_back((benchSeconds() - start) * 1000.0);
    }
    std::sort(ends.begin(), ends.end());
    std::sort(totals.begin(), totals.end());
    benchResult("transaction moving 200 child windows: moves, uncovered area, invalidation (goal 50 ms)", ends[2], "ms");
    benchResult("the same with the 200 windows' own paints", totals[2], "ms");
    SetWindowLongA(frame->hwnd, GWL_STYLE, GetWindowLongA(frame->hwnd, GWL_STYLE) & ~WS_VISIBLE);
    DestroyWindow(frame->hwnd);
}
