// A combo over a large model: each key step selects, repaints and paints at once.
#include <algorithm>
#include <vector>

#include "bench/bench.h"
#include "gui/controls/combo.h"
#include "gui/input/input_event.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/views/string_list_model.h"

RAVO_BENCH(combo_steps) {
    GParentWindow* frame = new GParentWindow;
    if (!createTopLevelWindow(frame, WS_POPUP | WS_CLIPCHILDREN, 0, "")) {
        delete frame;  // no display: the creation failed and the object is ours
        benchResult("combo key and paint steps (no display)", -1, "ms");
        return;
    }
    SetWindowPos(frame->hwnd, HWND_TOP, 50, 50, 300, 60, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    GStringListModel* model = new GStringListModel;
    char text[32];
    for (int i = 0; i < 100000; ++i) {
        snprintf(text, sizeof text, "Choice %d", i);
        model->addItem(text);
    }
    GLayoutBuilder builder(frame);
    GCombo* combo = GCombo::create(builder, model, 0, 20);
    MoveWindow(combo->hwnd, 10, 10, 200, 24, TRUE);
    UpdateWindow(combo->hwnd);
    GInputEvent down;
    keyModifierState(WM_KEYDOWN, VK_DOWN, 0, &down);
    down.target = combo;
    GInputEvent end = down;
    end.key = VK_END;
    std::vector<double> steps;
    for (int i = 0; i < 200; ++i) {
        double start = benchSeconds();
        combo->handleKey(i == 100 ? &end : &down);
        UpdateWindow(combo->hwnd);
        GdiFlush();
        steps.push_back((benchSeconds() - start) * 1000.0);
    }
    std::sort(steps.begin(), steps.end());
    benchResult("combo of 100000 items, key and paint per step (median of 200, goal 5 ms)", steps[100], "ms");
    benchResult("combo of 100000 items, key and paint per step (slowest of 200)", steps.back(), "ms");
    DestroyWindow(frame->hwnd);
}
