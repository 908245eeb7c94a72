// The binary view over a sparse source of 2^32 + 10 bytes: opening, jumping to the last byte and
// paging down, each with its paint.
#include <vector>

#include "bench/bench.h"
#include "core/block_data_source.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/views/bin_view.h"

namespace {
double millisecondsSince(double start) { return (benchSeconds() - start) * 1000.0; }
void paintNow(GBinView* view) { RedrawWindow(view->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
// A key press as the message loop hands it on: the active window's routing first, then dispatch.
void pressKey(GParentWindow* frame, HWND target, WPARAM key) {
    MSG message{};
    message.hwnd = target;
    message.message = WM_KEYDOWN;
    message.wParam = key;
    message.lParam = 1;
    if (frame->preTranslateMessage(&message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}
}  // namespace

RAVO_BENCH(bin_view) {
    GParentWindow* frame = new GParentWindow;
    if (!createTopLevelWindow(frame, WS_POPUP | WS_VISIBLE, 0, "")) {
        delete frame;
        benchResult("binary view (no display)", -1, "ms");
        return;
    }
    SetWindowPos(frame->hwnd, HWND_TOP, 0, 0, 640, 480, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    GLayoutItem* root = new GLayoutItem(frame);
    frame->setContent(root);
    const u64 length = (1ull << 32) + 10;
    std::vector<double> open, last, page;
    u64 filled = 0;
    bool paged = true;
    for (int run = 0; run < 5; ++run) {
        GBinView* view = createBinView(root, frame);
        view->setRect(RECT{0, 0, 620, 460});
        MemoryDataSource* source = new MemoryDataSource(nullptr, length, false, 16);
        double start = benchSeconds();
        view->setSource(nullptr, source, true, -1);
        paintNow(view);
        open.push_back(millisecondsSince(start));
        start = benchSeconds();
        view->setCaretRow(length - 1);
        paintNow(view);
        last.push_back(millisecondsSince(start));
        view->setCaretRow(length / 2);
        view->setFocusSafe();
        paintNow(view);
        start = benchSeconds();
        pressKey(frame, view->hwnd, VK_NEXT);
        paintNow(view);
        page.push_back(millisecondsSince(start));
        paged = paged && view->caretPosition() > (i64)(length / 2);
        filled = source->bytesFilled;
        DestroyWindow(view->hwnd);
    }
    DestroyWindow(frame->hwnd);
    benchResult("binary view open, 2^32+10 bytes (median of 5)", benchMedian(open), "ms (goal 20)");
    benchResult("binary view to the last byte (median of 5)", benchMedian(last), "ms (goal 20)");
    benchResult("binary view page down (median of 5)", benchMedian(page),
                paged ? "ms (goal 20)" : "ms (the key did not move the caret)");
    benchResult("binary view bytes read over three paints and a page", (double)filled, "bytes");
}
