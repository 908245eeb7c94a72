// Controls: a dialog of 200 labels, buttons and check boxes built, laid out and painted.
#include <string>

#include "bench/bench.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

namespace {
// Rows of a label, a check box and a button in group boxes, then the button row.
void buildControls(GDialog* dialog, int* controls) {
    GLayoutBuilder builder(dialog);
    GColumnsItem* root = new GColumnsItem(dialog);
    setLayoutDigits(root, "88888");
    dialog->setContent(root);
    builder.current = root;
    *controls = 0;
    GRowItem* band = nullptr;
    for (int group = 0; *controls < 198; ++group) {
        if (group % 4 == 0) {
            builder.current = root;
            band = GRowItem::create(builder, "08000");
        }
        builder.current = band;
        GGroupBoxItem* box = new GGroupBoxItem(dialog, "Settings");
        builder.add(box, "U^");
        GColumnsItem* column = new GColumnsItem(dialog);
        box->addChild(column);
        builder.current = column;
        for (int r = 0; r < 6 && *controls < 198; ++r) {
            GRowItem::create(builder, "04000");
            GLabel::create(builder, ("Value " + std::to_string(*controls)).c_str(), 0, "<-");
            GCheckBoxItem::create(builder, "Enabled", r & 1, "<-");
            GButton::create(builder, "Set", ButtonCompact, 1000 + *controls, "<-");
            builder.endContainer();
            *controls += 3;
        }
    }
    builder.current = root;
    GButtonRow::create(builder, "OC", nullptr, "|v");
    *controls += 2;
}
}  // namespace

RAVO_BENCH(controls) {
    std::vector<double> runs;
    int controls = 0;
    for (int run = 0; run < 5; ++run) {
        GDialog* dialog = new GDialog(nullptr, nullptr);
        if (!createTopLevelWindow(dialog, WS_POPUP | WS_CLIPCHILDREN, 0, "")) {
            benchResult("dialog of 200 controls (no display)", -1, "ms");
            delete dialog;
            return;
        }
        SetWindowPos(dialog->hwnd, HWND_TOP, 0, 0, 1100, 800, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        double start = benchSeconds();
        buildControls(dialog, &controls);
        RECT client;
        GetClientRect(dialog->hwnd, &client);
        dialog->layoutContent(client.right, client.bottom);
        RedrawWindow(dialog->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        runs.push_back((benchSeconds() - start) * 1000.0);
        SetWindowLongA(dialog->hwnd, GWL_STYLE, GetWindowLongA(dialog->hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(dialog->hwnd);
        delete dialog;
    }
    std::sort(runs.begin(), runs.end());
    benchResult(("dialog of " + std::to_string(controls) +
                 " labels, buttons and check boxes built, laid out and painted (median of 5, goal 300 ms)")
                    .c_str(),
                runs[2], "ms");
}
