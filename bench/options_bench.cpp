// Opening the options dialog: its window with every page built, shown and painted once.
#include "app/options_dialog.h"
#include "bench/bench.h"
#include "gui/kernel/application.h"
#include "gui/menus/key_bindings.h"

RAVO_BENCH(options_dialog) {
    GApplication app;
    setApplication(&app);
    loadKeyBindings(true);
    std::vector<double> build, show;
    for (int i = 0; i < 5; ++i) {
        OptionsDialog dialog(nullptr);
        double start = benchSeconds();
        if (!buildOptionsPage(dialog)) break;
        double built = benchSeconds();
        ShowWindow(dialog.hwnd, SW_SHOWNOACTIVATE);
        UpdateWindow(dialog.hwnd);
        double shown = benchSeconds();
        build.push_back((built - start) * 1000.0);
        show.push_back((shown - start) * 1000.0);
        // Hidden first: without a window manager a visible window takes seconds to end.
        SetWindowLongA(dialog.hwnd, GWL_STYLE, GetWindowLongA(dialog.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(dialog.hwnd);
    }
    if (show.empty()) {
        benchResult("options dialog (no display)", -1, "ms");
    } else {
        benchResult("options dialog: built with every page, shown and painted (median of 5)", benchMedian(show),
                    "ms (goal under 300 ms)");
        benchResult("options dialog: of which building the window and its pages", benchMedian(build), "ms");
    }
    setApplication(nullptr);
}
