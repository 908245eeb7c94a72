// Graph items without a window: tick steps, label room, conversions, layout of docked rulers and
// curve placement.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "gui/views/graph.h"
#include "gui/views/graph_axis.h"

static bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {
// Texts 7 pixels a byte, 12 high; or every text `fixedWidth` wide.
i32 fixedWidth = 0;
SIZE fakeMeasure(const char* text) { return SIZE{fixedWidth ? fixedWidth : 7 * (LONG)strlen(text), 12}; }

struct FakeMeasure {
    SIZE (*saved)(const char*) = graphMeasureText;
    explicit FakeMeasure(i32 width = 0) {
        fixedWidth = width;
        graphMeasureText = fakeMeasure;
    }
    ~FakeMeasure() { graphMeasureText = saved; }
};

struct CountingItem : GGraphItem {
    i32 prepared = 0, placed = 0;
    void prepare(GGraph& g) override {
        ++prepared;
        GGraphItem::prepare(g);
    }
    void place(GGraph& g) override {
        ++placed;
        GGraphItem::place(g);
    }
};
}  // namespace

TEST(GraphAxis, TickStepsInBothModes) {
    struct Case {
        double scale, minimum;
        bool time;
        double step;
    };
    const Case cases[] = {
        {1.0, 5, false, 10},   {1.0, 5, true, 10},      {0.1, 5, false, 100},   {0.1, 5, true, 60},
        {0.01, 5, false, 1000}, {0.01, 5, true, 600},   {100, 5, false, 0.1},   {0.5, 12, false, 100},
        // No step for a scale that allows none.
        {0.0, 5, false, 0},    {-1.0, 5, true, 0},      {NAN, 5, false, 0},     {INFINITY, 5, false, 0},
    };
    for (const Case& c : cases) {
        GGraphAxis axis;
        axis.flags |= c.time ? (u32)AxisTime : 0u;
        axis.scaleX = c.scale;
        EXPECT_DOUBLE_EQ(c.step, axis.chooseTickStep(c.minimum)) << c.scale << (c.time ? " time" : "");
    }
}

TEST(GraphAxis, LabelRoomGrowsTheStepUntilTheMasksFit) {
    FakeMeasure measure(63);
    struct Case {
        u32 flags;
        double scale, step;
        i32 room;
    };
    const Case cases[] = {
        {AxisLabels, 1.0, 100, 90},
        {AxisLabels | AxisTime, 1.0, 600, 590},
        // A zero zoom: no step and no labels, and measuring ends.
        {AxisLabels, 0.0, 0, 0},
    };
    for (const Case& c : cases) {
        GGraph graph(nullptr);
        graph.scaleX = c.scale;
        GGraphAxis* axis = new GGraphAxis;
        axis->flags |= c.flags;
        axis->extentRight.factor = 1000;
        graph.addItem(axis);
        computeGraphLayout(graph);
        EXPECT_DOUBLE_EQ(c.step, axis->tickStep) << c.flags;
        EXPECT_EQ(c.room, axis->labelRect.right) << c.flags;
    }
    char mask[64];
    tickLabelMask(mask, sizeof mask, -12.5, false);
    EXPECT_STREQ("-88.88", mask);
    tickLabelMask(mask, sizeof mask, 75, true);
    EXPECT_STREQ("8:88.8888", mask);
}

TEST(GraphItem, Conversions) {
    struct Case {
        double scale, pixel;
        double value;   // to pixelToValueX
        double expect;
    };
    const Case cases[] = {
        {1.0, 10, 15.5, 6},   {1.0, 10, 15.4, 5},   {1.0, 10, 14.5, 5},  {1.0, 10, 9.5, 0},
        {0.5, 10, 11, 2},     {0.5, 10, 11.2, 3},   {0.5, 10, 9, -2},    {2.0, 0, 5, 3},
    };
    for (const Case& c : cases) {
        GGraphItem item;
        item.scaleX = item.scaleY = c.scale;
        item.pixelX = item.pixelY = c.pixel;
        EXPECT_EQ(c.expect, item.pixelToValueX(c.value)) << c.scale << " " << c.value;
    }
    GGraphItem item;
    item.pixelY = 10;
    EXPECT_EQ(6, item.pixelToValueY(4.5));
    item.scaleX = 0.5;
    item.pixelX = 10;
    item.pixelY = 100;
    EXPECT_EQ(11, item.valueToPixelX(3));
    EXPECT_EQ(10000, item.valueToPixelX(1e12));
    EXPECT_EQ(-10000, item.valueToPixelX(-1e12));
    EXPECT_EQ(-10000, item.valueToPixelY(1e12));
    EXPECT_EQ(80, item.valueToPixelY(20));
    EXPECT_EQ(10000, graphClamp(20000.4));
    EXPECT_EQ(-10000, graphClamp(-1e300));
    EXPECT_EQ(4, graphClamp(3.5));
}

TEST(GraphItem, PositionsNear2To40RoundTrip) {
    const double base = std::ldexp(1.0, 40);
    for (double scale : {1.0, 1.5, 2.0, 8.0}) {
        for (double v : {base - 3, base, base + 7, base * 3 + 1}) {
            GGraphItem item;
            item.scaleX = scale;
            item.pixelX = -base * scale + 100;  // scrolled far to the right
            double p = (double)graphLinearPixel(item, v);
            EXPECT_EQ(v, item.pixelToValueX(p)) << scale << " " << v;
        }
    }
}

TEST(GraphLayout, DockedRulersHiddenItemsAndTotals) {
    FakeMeasure measure;
    GGraph graph(nullptr);
    graph.border = 3;
    GGraphAxis* left = new GGraphAxis;
    left->flags |= GraphDockLeft | AxisVertical | AxisLabels | AxisShortTicks;
    left->extentAbove.factor = 50;
    GGraphAxis* top = new GGraphAxis;
    top->flags |= GraphDockTop | AxisLabels;
    top->extentRight.factor = 1000;
    GGraphRangeItem* data = new GGraphRangeItem;
    data->extentRight.factor = 1000;
    data->extentAbove.factor = data->extentBelow.factor = 1;
    CountingItem* hidden = new CountingItem;
    hidden->flags = 0x2 | GraphDockRight;
    hidden->extentRight.factor = 1e6;
    CountingItem* hiddenFloating = new CountingItem;
    hiddenFloating->flags = 0x1;
    hiddenFloating->extentBelow.factor = 1e6;
    for (GGraphItem* item : {(GGraphItem*)left, (GGraphItem*)top, (GGraphItem*)data, (GGraphItem*)hidden,
                             (GGraphItem*)hiddenFloating})
        graph.addItem(item);
    computeGraphLayout(graph);
    graph.horizontal.page = 500;
    graph.vertical.page = 200;
    graph.placeItems();

    // Left: ticks 5, labels "-888" and "8888" 28 wide past them, the line 2 each side.
    EXPECT_EQ(100, left->tickStep);
    EXPECT_EQ((RECT{-34, 0, -6, 12}), left->labelRect);
    EXPECT_EQ(36, left->extentLeft.pixels);
    EXPECT_EQ(2, left->extentRight.pixels);
    EXPECT_EQ(1 + 36 + 2 + 3, graph.horizontal.leadingInset);
    EXPECT_EQ(3, graph.horizontal.trailingInset);
    // Top: labels 2..14 below the line, the line 2 each side.
    EXPECT_EQ(1 + 2 + 16 + 3, graph.vertical.leadingInset);
    EXPECT_EQ(3, graph.vertical.trailingInset);
    EXPECT_EQ(1000, graph.horizontal.total);
    EXPECT_EQ(51, graph.vertical.total);
    EXPECT_EQ(1, hidden->prepared);
    EXPECT_EQ(1, hiddenFloating->prepared);
    EXPECT_EQ(0, hidden->pixelX);
    EXPECT_EQ(0, hiddenFloating->pixelY);
    EXPECT_EQ(36 + 3, left->pixelX);
    EXPECT_EQ(42, data->pixelX) << "the content starts at the plot area's left edge";
    EXPECT_EQ(2 + 3, top->pixelY);
    EXPECT_EQ(22 + 50, data->pixelY);
    EXPECT_EQ((RECT{42, 22, 542, 222}), plotAreaRect(graph));

    // Only docked items visible: an empty content, totals 0.
    data->flags |= 0x1;
    left->flags |= 0x1;
    top->flags = (top->flags & ~GraphDockMask) | GraphDockBottom;
    computeGraphLayout(graph);
    EXPECT_EQ(0, graph.contentHeight);
    EXPECT_EQ(0, graph.vertical.total);
}

TEST(GraphCurve, PlacingKeepsToTheShownColumns) {
    struct Case {
        double scale;
        double firstValue, lastValue;
        i32 firstPixel, columns;
    };
    // A plot 1000 pixels wide from x = 0; the curve from value 0 to 10^9 at pixel 0.
    const Case cases[] = {
        {0.001, 0, 1042000, 0, 1042},
        {1.0, 0, 1042, 0, 1042},
        {2.0, 0, 502, 0, 502},
    };
    for (const Case& c : cases) {
        GGraph graph(nullptr);
        graph.scaleX = c.scale;
        GGraphCurve* curve = new GGraphCurve;
        curve->extentRight.factor = 1e9;
        graph.addItem(curve);
        computeGraphLayout(graph);
        graph.horizontal.page = 1000;
        graph.placeItems();
        EXPECT_EQ(c.firstValue, curve->firstValue) << c.scale;
        EXPECT_EQ(c.lastValue, curve->lastValue) << c.scale;
        EXPECT_EQ(c.columns, curve->columnCount) << c.scale;
        if (c.scale <= 1.0) {
            EXPECT_EQ(c.firstPixel, curve->firstPixel);
            EXPECT_EQ(std::floor(1 / c.scale), curve->valueAtColumn(1));
        }
    }
}
