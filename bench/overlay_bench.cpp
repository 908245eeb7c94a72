// The pointer overlay of a large pane: moves drawn through the clean-area buffer, no repaint.
#include <algorithm>
#include <vector>

#include "bench/bench.h"
#include "gui/input/drag_tracker.h"
#include "gui/input/system_input.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/user_window.h"
#include "gui/kernel/window_procedure.h"

namespace {
const int kWidth = 1200, kHeight = 800;

class BenchPane : public GUserWindow, public GOverlaySource {
public:
    using GUserWindow::GUserWindow;
    void paint(HDC dc, const RECT& update, bool) override {
        ++paints;
        HBRUSH light = CreateSolidBrush(RGB(235, 240, 220));
        FillRect(dc, &update, light);
        DeleteObject(light);
        for (int x = 0; x < kWidth; x += 100) PatBlt(dc, x, 0, 2, kHeight, BLACKNESS);
    }
    void drawOverlay(HDC dc, i32 x, i32) override { PatBlt(dc, x, 0, 1, kHeight, DSTINVERT); }
    bool overlayAt(i32, i32, HCURSOR* cursor) override {
        *cursor = LoadCursorA(nullptr, (LPCSTR)IDC_SIZEWE);
        return true;
    }
    int paints = 0;
};

POINT g_cursor;
HWND g_active;
}  // namespace

RAVO_BENCH(overlay) {
    GParentWindow frame;
    createTopLevelWindow(&frame, WS_POPUP, WS_EX_TOPMOST, "");
    SetWindowPos(frame.hwnd, HWND_TOPMOST, 0, 0, kWidth, kHeight, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    BenchPane* pane = new BenchPane(&frame);
    pane->create(WS_CHILD | WS_VISIBLE);
    MoveWindow(pane->hwnd, 0, 0, kWidth, kHeight, TRUE);
    UpdateWindow(pane->hwnd);
    new GDragTracker(pane, new GOverlayForwarder(pane));
    g_active = frame.hwnd;
    systemInput.activeWindow = [] { return g_active; };
    systemInput.cursorPos = [](POINT* p) -> BOOL {
        *p = g_cursor;
        return TRUE;
    };
    int paints = pane->paints;
    std::vector<double> runs;
    for (int run = 0; run < 3; ++run) {
        double start = benchSeconds();
        for (int i = 0; i < 1000; ++i) {
            g_cursor = {10 + i, 400};
            SendMessageA(pane->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(g_cursor.x, g_cursor.y));
        }
        GdiFlush();
        runs.push_back(benchSeconds() - start);
    }
    std::sort(runs.begin(), runs.end());
    systemInput = systemInputDefaults;
    benchResult("1000 overlay moves over 1200x800 (goal 1000 ms)", runs[1] * 1000, "ms");
    benchResult("WM_PAINT during the moves", pane->paints - paints, "paints");
    frame.destroyNative();
}
