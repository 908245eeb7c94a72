// The piano keyboard: 16 octaves painted whole, with a marked and a hover key.
#include "bench/bench.h"
#include "gui/frame/board_window.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"

RAVO_BENCH(keyboard) {
    GDialog* dialog = new GDialog(nullptr, nullptr);
    if (!createTopLevelWindow(dialog, WS_POPUP | WS_CLIPCHILDREN, 0, "")) {
        benchResult("16-octave keyboard painted (no display)", -1, "ms");
        delete dialog;
        return;
    }
    const i32 width = MaxOctaves * OctaveWidth + 8;
    SetWindowPos(dialog->hwnd, HWND_TOP, 0, 0, width, 140, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    GBoardWindow* board = new GBoardWindow(dialog);
    board->build(9, 4, MaxOctaves);
    i32 w, h;
    board->getPreferredSize(&w, &h);
    MoveWindow(board->hwnd, 0, 0, width, h, TRUE);
    board->hoverAt(OctaveWidth * 6 + 20, 50);
    benchPumpMessages();
    std::vector<double> runs;
    for (int run = 0; run < 21; ++run) {
        const double start = benchSeconds();
        RedrawWindow(board->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        runs.push_back((benchSeconds() - start) * 1000.0);
    }
    benchResult("16-octave keyboard painted whole (median of 21, goal 5 ms)", benchMedian(runs), "ms");
    SetWindowLongA(dialog->hwnd, GWL_STYLE, GetWindowLongA(dialog->hwnd, GWL_STYLE) & ~WS_VISIBLE);
    DestroyWindow(dialog->hwnd);
    delete dialog;
}
