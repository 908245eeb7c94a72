// A graph 1000 pixels wide with two rulers and a curve of 10^9 values at 0.001 pixels per value:
// the values read per paint, the paint time, and layout and placing on a scroll.
#include "bench/bench.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/graph.h"
#include "gui/views/graph_axis.h"

namespace {
struct SineCurve : GGraphCurve {
    long long reads = 0;
    double valueAt(i32 column) override {
        ++reads;
        return (column % 200) / 100.0 - 1.0;
    }
};
}  // namespace

RAVO_BENCH(graph) {
    const i32 width = 1000, height = 400;
    GParentWindow frame;
    createTopLevelWindow(&frame, WS_POPUP, 0, "");
    SetWindowPos(frame.hwnd, nullptr, 0, 0, width, height, SWP_NOACTIVATE | SWP_NOZORDER);
    GGraph* graph = new GGraph(&frame);
    graph->minScaleX = 1e-9;
    graph->scaleX = 0.001;
    graph->scaleY = 150;
    GGraphAxis* time = new GGraphAxis;
    time->flags |= GraphDockBottom | AxisTime | AxisLabels | AxisLongTicks;
    time->zoomX = 1.0 / 44100;
    time->extentRight.factor = 1e9 * 44100 / 44100;
    GGraphAxis* level = new GGraphAxis;
    level->flags |= GraphDockLeft | AxisVertical | AxisLabels | AxisShortTicks;
    level->extentAbove.factor = level->extentBelow.factor = 1;
    SineCurve* curve = new SineCurve;
    curve->flags |= CurveStems;
    curve->extentRight.factor = 1e9;
    curve->extentAbove.factor = curve->extentBelow.factor = 1;
    graph->addItem(curve);
    graph->addItem(time);
    graph->addItem(level);
    graph->create(WS_CHILD | WS_VISIBLE);
    graph->setRect(RECT{0, 0, width, height}, SWP_NOZORDER);
    graph->invalidateLayout();

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all{0, 0, width, height};
    curve->reads = 0;
    graph->paint(memory, all, true);
    benchResult("graph values read per paint", (double)curve->reads, "values");
    benchResult("graph paint, 1000 pixels, two rulers, one curve", medianMilliseconds([&] {
                    for (int i = 0; i < 10; ++i) graph->paint(memory, all, true);
                }) / 10,
                "ms");
    benchResult("graph layout and placing on a scroll", medianMilliseconds([&] {
                    for (int i = 0; i < 1000; ++i) {
                        i64 origin = graph->horizontal.origin + 1;
                        computeGraphLayout(*graph);
                        graph->horizontal.setPosition(origin);
                        graph->placeItems();
                    }
                }) / 1000 * 1000,
                "us");
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DestroyWindow(frame.hwnd);
}
