// A real GGraph under the window system: zoom commands and their states, the wheel, fits, zoom
// mode, notifications, and what the paint and the overlays put on the screen.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "gui/input/system_input.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/message_boxes.h"
#include "gui/menus/action_table.h"
#include "gui/menus/action_texts.h"
#include "gui/paint/saved_dc.h"
#include "gui/views/graph.h"
#include "gui/views/graph_axis.h"
#include "tests/gui/control_fixture.h"
#include "tests/gui/dib_canvas.h"

using namespace controls;

static bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {
// A curve of `count` values of one constant, counting its reads; its selection is settable.
struct TestCurve : GGraphCurve {
    double value = 0.5, odd = 0.5;  // the value of even and of odd columns
    i32 reads = 0;
    double valueAt(i32 i) override {
        ++reads;
        return i % 2 ? odd : value;
    }
};

struct TestGraph : GGraph {
    using GGraph::GGraph;
    double low = 0, high = 0;
    void selection(double* l, double* h) override {
        *l = low;
        *h = high;
    }
};

POINT fakeCursor{-5000, -5000};
BOOL fakeCursorPos(POINT* p) {
    *p = fakeCursor;
    return TRUE;
}

std::string lastHint;
i32 hintSink(const MessageBoxDescription*, GWindow*, const char* text) {
    lastHint = text ? text : "";
    return 1;
}

struct GraphFixture : Fixture {
    TestGraph* graph = new TestGraph(dialog);
    TestCurve* curve = new TestCurve;
    SystemInput savedInput = systemInput;

    explicit GraphFixture(i32 width = 804, i32 height = 300) : Fixture(width + 20, height + 20) {
        systemInput.cursorPos = fakeCursorPos;
        fakeCursor = POINT{-5000, -5000};
        curve->flags |= CurveLine;
        curve->extentRight.factor = 1000;
        curve->extentAbove.factor = 1;
        curve->extentBelow.factor = 1;
        graph->addItem(curve);
        graph->create(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
        graph->setRect(RECT{0, 0, width, height}, SWP_NOZORDER);
        graph->invalidateLayout();
        setMessageBoxSink(hintSink);
    }
    ~GraphFixture() {
        systemInput = savedInput;
        setMessageBoxSink(nullptr);
    }
    LRESULT command(u32 id) { return SendMessageA(graph->hwnd, WM_COMMAND, id, 0); }
    LRESULT wheel(i32 delta, u32 keys) {
        return SendMessageA(graph->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(keys, (u16)(i16)delta), 0);
    }
    i32 state(u32 id) { return graph->commandState(id); }
    std::vector<u32> codes() {
        std::vector<u32> c;
        for (const GControlNotification& n : dialog->notifications)
            if (n.source == graph) c.push_back(n.code);
        return c;
    }
    void paintNow() { RedrawWindow(graph->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }
};
}  // namespace

TEST(GraphScale, NextScaleSteps) {
    struct Case {
        double scale;
        bool up;
        double next;
    };
    const Case cases[] = {{1.0, true, 1.5},   {1.0, false, 0.75}, {10, true, 15},   {1.5, true, 2},
                          {7.5, true, 10},    {0.1, false, 0.075}, {2.5, false, 2}, {100, true, 150},
                          {0.8, true, 1},     {0.8, false, 0.75}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(c.next, nextScale(c.scale, c.up)) << c.scale << " " << c.up;
}

TEST(GraphScale, CommandStatesAtTheLimitsAndWhenNotScalable) {
    GraphFixture f;
    TestGraph& g = *f.graph;
    EXPECT_EQ(CommandDisabled, f.state(GraphScaleNormal));
    g.setScale(0.1, 0.1);
    EXPECT_EQ(CommandDisabled, f.state(GraphScaleMinus));
    EXPECT_EQ(CommandDisabled, f.state(GraphHScaleMinus));
    EXPECT_EQ(CommandEnabled, f.state(GraphScalePlus));
    EXPECT_EQ(CommandEnabled, f.state(GraphScaleNormal));
    for (int i = 0; i < 40; ++i) f.command(GraphScalePlus), f.command(GraphHScalePlus);
    EXPECT_EQ(100.0, g.scaleX);
    EXPECT_EQ(100.0, g.scaleY);
    EXPECT_EQ(CommandDisabled, f.state(GraphScalePlus));
    EXPECT_EQ(CommandDisabled, f.state(GraphHScalePlus));
    EXPECT_EQ(CommandEnabled, f.state(GraphScaleMinus));
    EXPECT_EQ(CommandDisabled, f.state(GraphFitSelection));
    g.low = 10;
    g.high = 20;
    EXPECT_EQ(CommandEnabled, f.state(GraphFitSelection));
    EXPECT_EQ(0, g.commandChecked(GraphZoom));
    EXPECT_EQ(CommandEnabled, f.state(178));
    EXPECT_EQ(CommandEnabled, f.state(GraphScaleMenu));
    EXPECT_EQ(CommandUnknown, f.state(180));
    g.scalable = false;
    for (u32 id : {GraphScaleNormal, GraphScalePlus, GraphHScalePlus, GraphScaleMinus, GraphHScaleMinus, GraphFitX,
                   GraphFitY, GraphFitSelection, GraphZoom})
        EXPECT_EQ(CommandDisabled, f.state(id)) << id;
    f.command(GraphScaleMinus);
    EXPECT_EQ(100.0, g.scaleY);
}

TEST(GraphScale, ActionsShowTheirImages) {
    for (u32 id : {GraphScaleNormal, GraphScalePlus, GraphHScalePlus, GraphScaleMinus, GraphHScaleMinus, GraphFitX,
                   GraphFitY, GraphFitSelection, GraphZoom, GraphScaleMenu}) {
        GActionItem* action = actionById((i32)id);
        ASSERT_NE(nullptr, action) << id;
        EXPECT_NE(nullptr, actionImageList(action, nullptr)) << id;
    }
}

TEST(GraphScale, WheelZoomsByItsKeysAboutTheCentreOutside) {
    GraphFixture f;
    TestGraph& g = *f.graph;
    f.wheel(120, MK_SHIFT);
    EXPECT_EQ(1.5, g.scaleY);
    EXPECT_EQ(1.0, g.scaleX);
    f.wheel(-120, MK_SHIFT | MK_CONTROL);
    EXPECT_EQ(0.75, g.scaleX);
    // Ctrl alone scrolls: no zoom.
    f.wheel(120, MK_CONTROL);
    EXPECT_EQ(0.75, g.scaleX);
    // The cursor is outside: the value at the centre column stays there.
    g.setScale(1.0, g.scaleY);
    GScrollRange h = g.horizontal, v = g.vertical;
    h.setPosition(100);
    g.setScrollState(h, v);
    double centre = (402 - g.itemAt(0)->pixelX) / g.itemAt(0)->scaleX;
    f.wheel(120, MK_SHIFT | MK_CONTROL);
    EXPECT_EQ(1.5, g.scaleX);
    EXPECT_NEAR(centre, (402 - g.itemAt(0)->pixelX) / g.itemAt(0)->scaleX, 1.0);
}

TEST(GraphFit, WidthAndHeight) {
    GraphFixture f;
    TestGraph& g = *f.graph;
    f.command(GraphFitX);
    EXPECT_DOUBLE_EQ(0.8, g.scaleX);
    EXPECT_EQ(0, g.horizontal.origin);
    // Values 2..5: the fit takes 0..5.
    f.curve->value = 2;
    f.curve->odd = 5;
    f.curve->extentAbove.factor = 10;
    g.invalidateLayout();
    f.command(GraphFitY);
    EXPECT_DOUBLE_EQ((300 - 4) / 5.0, g.scaleY);
}

TEST(GraphZoom, TwiceRestoresScalesAndOriginsAndNotifies) {
    GraphFixture f;
    TestGraph& g = *f.graph;
    g.normalScaleY = 3;
    g.setScale(2.5, 0.7);
    GScrollRange h = g.horizontal, v = g.vertical;
    h.setPosition(333);
    g.setScrollState(h, v);
    f.dialog->notifications.clear();
    f.command(GraphZoom);
    EXPECT_TRUE(g.zoomMode());
    EXPECT_EQ(1, g.commandChecked(GraphZoom));
    EXPECT_EQ(std::string(guiText(GuiText::GraphZoomHint)), lastHint);
    f.wheel(120, 0);  // in zoom mode the plain wheel zooms horizontally
    EXPECT_EQ(3.0, g.scaleX);
    g.setScale(7.5, 0.2);
    f.command(GraphZoom);
    EXPECT_FALSE(g.zoomMode());
    EXPECT_EQ(2.5, g.scaleX);
    EXPECT_EQ(0.7, g.scaleY);
    EXPECT_EQ(333, g.horizontal.origin);
    EXPECT_EQ((std::vector<u32>{12, 5, 5, 5, 12}), f.codes());

    // Escape ends zoom mode as the command does.
    f.command(GraphZoom);
    GInputEvent escape = keyEvent(KeyDown, VK_ESCAPE);
    EXPECT_EQ(2, g.handleKey(&escape));
    EXPECT_FALSE(g.zoomMode());
}

TEST(GraphZoom, ViewChangeUnderTheRedrawLockIsSentOnceAtItsRelease) {
    GraphFixture f;
    TestGraph& g = *f.graph;
    f.dialog->notifications.clear();
    g.beginRedrawLock();
    f.command(GraphHScalePlus);
    f.command(GraphScalePlus);
    EXPECT_TRUE(f.codes().empty());
    EXPECT_NE(0u, g.flags & (WindowLayoutEventBase << GraphViewChanged));
    EXPECT_EQ(0x4000u, WindowLayoutEventBase << GraphViewChanged);
    g.endRedrawLock();
    EXPECT_EQ((std::vector<u32>{5}), f.codes());
}

TEST(GraphZoom, ToSelectionAndIntoView) {
    GraphFixture f;
    TestGraph& g = *f.graph;
    g.low = 100;
    g.high = 300;
    f.command(GraphFitSelection);
    EXPECT_DOUBLE_EQ(804 / 200.0, g.scaleX);
    EXPECT_EQ(0, g.itemAt(0)->valueToPixelX(100));
    g.setScale(1.0, 1.0);
    GScrollRange h = g.horizontal, v = g.vertical;
    h.setPosition(0);
    g.setScrollState(h, v);
    g.maxScaleX = 1000;
    g.scrollToValue(0, 900);  // right of the page: 10 pixels inside the right edge
    EXPECT_EQ(804 - 10, g.itemAt(0)->valueToPixelX(900));
    g.scrollToValue(0, 50);  // left of it: 10 pixels inside the left edge
    EXPECT_EQ(10, g.itemAt(0)->valueToPixelX(50));
    g.scrollToValue(0, 5);  // the origin stops at the start
    EXPECT_EQ(5, g.itemAt(0)->valueToPixelX(5));
}

// Pixels of the graph's window.
TEST(GraphPaint, DockedItemStaysInItsStripAndOffPlotCurvesReadNothing) {
    GraphFixture f(200, 100);
    TestGraph& g = *f.graph;
    g.background = RGB(255, 255, 255);
    struct Filler : GGraphItem {
        void paint(GSavedDC& dc, GGraph&, const RECT&) override {
            RECT all{-5000, -5000, 5000, 5000};
            HBRUSH b = CreateSolidBrush(RGB(0, 0, 255));
            FillRect(dc.dc(), &all, b);
            DeleteObject(b);
        }
    };
    Filler* filler = new Filler;
    filler->flags = GraphDockLeft;
    filler->extentLeft.pixels = 19;
    g.addItem(filler);
    g.invalidateLayout();
    f.curve->reads = 0;
    f.paintNow();
    RECT plot = plotAreaRect(g);
    EXPECT_EQ(20, plot.left);
    EXPECT_EQ((RECT{0, plot.top, 20, plot.bottom}), boundsOf(g.hwnd, RGB(0, 0, 255)));
    EXPECT_GT(f.curve->reads, 0);
    // Scrolled off the plot area: no value is read.
    f.curve->reads = 0;
    f.curve->pixelX = -5000;
    ASSERT_GT(f.curve->columnCount, 0);
    GSavedDC dc(g.hwnd);
    g.drawCurves(dc, *f.curve);
    EXPECT_EQ(0, f.curve->reads);
}

TEST(GraphPaint, FarValuesAreDrawnAtTheClamp) {
    GraphFixture f(200, 100);
    TestGraph& g = *f.graph;
    g.background = RGB(255, 255, 255);
    f.curve->colour = RGB(255, 0, 0);
    f.curve->flags = CurveStems;
    f.curve->value = f.curve->odd = 1e9;  // far above: each stem runs to the top edge
    g.invalidateLayout();
    f.paintNow();
    RECT red = boundsOf(g.hwnd, RGB(255, 0, 0));
    EXPECT_EQ(0, red.top);
    EXPECT_EQ(g.itemAt(0)->anchorPixelY() + 1, red.bottom);
}

TEST(GraphPaint, XorOverlaysDrawnTwiceRestoreThePixels) {
    GraphFixture f(200, 100);
    TestGraph& g = *f.graph;
    g.background = RGB(255, 255, 255);
    g.border = 4;
    f.curve->flags = CurveStems;
    f.curve->colour = RGB(0, 0, 0);
    f.curve->value = f.curve->odd = 20;
    GGraphItem* top = new GGraphItem;
    top->flags = GraphDockTop;
    top->extentBelow.pixels = 9;
    g.addItem(top);
    g.invalidateLayout();
    f.paintNow();
    RECT client{0, 0, 200, 100};
    auto snapshot = [&] {
        std::vector<COLORREF> p;
        HDC dc = GetDC(g.hwnd);
        for (i32 y = 0; y < client.bottom; ++y)
            for (i32 x = 0; x < client.right; ++x) p.push_back(GetPixel(dc, x, y));
        ReleaseDC(g.hwnd, dc);
        return p;
    };
    std::vector<COLORREF> before = snapshot();
    RECT plot = plotAreaRect(g);
    i32 x = g.itemAt(0)->valueToPixelX(50);
    {
        GSavedDC dc(g.hwnd);
        g.drawXorLine(dc, RGB(0, 128, 0), 50);
    }
    std::vector<COLORREF> once = snapshot();
    auto at = [&](const std::vector<COLORREF>& p, i32 px, i32 py) { return p[py * client.right + px]; };
    i32 mid = (plot.top + plot.bottom) / 2;
    EXPECT_EQ(at(before, x, mid), at(once, x, mid));      // the column itself stays
    EXPECT_NE(at(before, x - 1, mid), at(once, x - 1, mid));
    EXPECT_NE(at(before, x + 1, mid), at(once, x + 1, mid));
    EXPECT_NE(at(before, x, plot.top - 1), at(once, x, plot.top - 1));  // the top strip's column
    {
        GSavedDC dc(g.hwnd);
        g.drawXorLine(dc, RGB(0, 128, 0), 50);
    }
    EXPECT_EQ(before, snapshot());
    g.low = 20;
    g.high = 60;
    for (int i = 0; i < 2; ++i) {
        GSavedDC dc(g.hwnd);
        g.drawSelectionFrame(dc, RGB(200, 0, 0));
        if (i == 0) {
            EXPECT_NE(before, snapshot());
        }
    }
    EXPECT_EQ(before, snapshot());
}

// Two axes and a sine: the labels of both stand in their strips, beside their ticks.
TEST(GraphPaint, AxisLabelsBesideThePlotArea) {
    GraphFixture f(600, 300);
    TestGraph& g = *f.graph;
    g.background = RGB(255, 255, 255);
    struct Sine : GGraphCurve {
        double valueAt(i32 i) override { return std::sin(i * 0.02); }
    };
    Sine* sine = new Sine;
    sine->flags = CurveLine;
    sine->extentRight.factor = 1000;
    sine->extentAbove.factor = sine->extentBelow.factor = 1;
    sine->colour = RGB(200, 0, 0);
    g.addItem(sine);
    const COLORREF leftLabels = RGB(0, 0, 255), bottomLabels = RGB(0, 160, 0);
    GGraphAxis* left = new GGraphAxis;
    left->flags |= GraphDockLeft | AxisVertical | AxisLabels | AxisShortTicks | AxisEndArrow;
    left->extentAbove.factor = left->extentBelow.factor = 1;
    left->labelColour = leftLabels;
    left->setTitles("low", "Level");
    g.addItem(left);
    GGraphAxis* bottom = new GGraphAxis;
    bottom->flags |= GraphDockBottom | AxisLabels | AxisLongTicks | AxisEndArrow | AxisTime;
    bottom->extentRight.factor = 1000;
    bottom->labelColour = bottomLabels;
    bottom->setTitles("Start", "Time");
    g.addItem(bottom);
    g.invalidateLayout();
    f.command(GraphFitX);
    f.command(GraphFitY);
    f.paintNow();
    DibCanvas shot(600, 300);
    HDC dc = GetDC(g.hwnd);
    BitBlt(shot.dc(), 0, 0, 600, 300, dc, 0, 0, SRCCOPY);
    ReleaseDC(g.hwnd, dc);
    saveShot(shot, "graph_axes.bmp");

    RECT plot = plotAreaRect(g);
    ASSERT_GT(bottom->tickStep, 0);
    RECT b = boundsOf(g.hwnd, bottomLabels);
    EXPECT_GE(b.top, (LONG)std::floor(bottom->pixelY) + bottom->labelRect.top);
    EXPECT_LE(b.bottom, (LONG)std::floor(bottom->pixelY) + bottom->labelRect.bottom);
    EXPECT_GE(b.top, plot.bottom);
    EXPECT_GE(b.left, bottom->valueToPixelX(0) + 2);  // "0.000" two pixels after its tick
    EXPECT_LT(b.left, bottom->valueToPixelX(0) + 6);
    EXPECT_GT(b.right, bottom->valueToPixelX(bottom->tickStep));  // and the next label
    RECT l = boundsOf(g.hwnd, leftLabels);
    EXPECT_LT(l.right, plot.left);
    EXPECT_GE(l.top, plot.top);
    EXPECT_LT(l.top, left->valueToPixelY(1));          // "1" centred on its tick
    EXPECT_GT(l.bottom, left->valueToPixelY(-1));       // down to "-1"
}

// Points every 50 values, alternating +20 and -20; counts the points read.
TEST(GraphPaint, PointCurveReadsOnlyThePointsAcrossThePlotArea) {
    struct Zigzag : GGraphPointCurve {
        i32 reads = 0;
        void pointAt(i32 i, double* x, double* y) override {
            ++reads;
            *x = 50.0 * i;
            *y = i % 2 ? -20 : 20;
        }
        i32 findPoint(double value) override { return value < 0 ? -1 : (i32)std::floor(value / 50); }
    };
    GraphFixture f(200, 100);
    TestGraph& g = *f.graph;
    g.background = RGB(255, 255, 255);
    f.curve->flags |= 0x1;  // hidden
    Zigzag* zig = new Zigzag;
    zig->pointCount = 21;
    zig->colour = RGB(255, 0, 0);
    zig->extentRight.factor = 1000;
    zig->extentAbove.factor = zig->extentBelow.factor = 20;
    zig->anchorY.pixels = 25;
    g.addItem(zig);
    g.currentItem = 1;
    double low, high;
    zig->valueRangeX(&low, &high);
    EXPECT_EQ(0, low);
    EXPECT_EQ(1000, high);
    zig->valueRangeY(&low, &high);
    EXPECT_EQ(-20, low);
    EXPECT_EQ(20, high);
    g.invalidateLayout();
    f.paintNow();
    RECT plot = plotAreaRect(g);
    RECT red = boundsOf(g.hwnd, RGB(255, 0, 0));
    EXPECT_EQ(plot.left, red.left);
    EXPECT_EQ(plot.right, red.right);
    EXPECT_EQ(zig->valueToPixelY(20), red.top);
    EXPECT_EQ(zig->valueToPixelY(-20) + 1, red.bottom);

    // Scrolled to 475..675: the points from 450 to 700 are read, and the line reaches both edges.
    GScrollRange h = g.horizontal, v = g.vertical;
    h.setPosition(h.origin + zig->valueToPixelX(475) - plot.left);
    g.setScrollState(h, v);
    zig->reads = 0;
    f.paintNow();
    EXPECT_EQ(6, zig->reads);
    RECT column{plot.left, plot.top, plot.left + 1, plot.bottom};
    EXPECT_EQ(1, countColour(g.hwnd, column, RGB(255, 0, 0)));
    column = RECT{plot.right - 1, plot.top, plot.right, plot.bottom};
    EXPECT_EQ(1, countColour(g.hwnd, column, RGB(255, 0, 0)));
    // The line passes through a point.
    EXPECT_EQ(RGB(255, 0, 0), pixelAt(g.hwnd, zig->valueToPixelX(550), zig->valueToPixelY(-20)));
}
