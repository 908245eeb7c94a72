#include "gui/views/graph_item.h"

#include <algorithm>
#include <cmath>

#include "gui/paint/colors.h"
#include "gui/views/graph.h"

void GGraphItem::prepare(GGraph& graph) {
    scaleX = graph.scaleX * zoomX;
    scaleY = graph.scaleY * zoomY;
}

static double roundHalfUp(double v) { return std::floor(v + 0.5); }

void GGraphItem::place(GGraph& graph) {
    if (hidden()) return;
    const GScrollRange& h = graph.horizontal;
    const GScrollRange& v = graph.vertical;
    u32 d = dock();
    if (d == GraphDockLeft)
        pixelX = roundHalfUp(extentLeft.at(scaleX) + graph.border);
    else if (d == GraphDockRight)
        pixelX = roundHalfUp(extentLeft.at(scaleX) + h.leadingInset + h.page);
    else
        pixelX = roundHalfUp(anchorX.at(scaleX) + graph.contentOffsetX - (double)h.origin + h.leadingInset);
    if (d == GraphDockTop)
        pixelY = roundHalfUp(extentAbove.at(scaleY) + graph.border);
    else if (d == GraphDockBottom)
        pixelY = roundHalfUp(extentAbove.at(scaleY) + v.leadingInset + v.page);
    else
        pixelY = roundHalfUp(anchorY.at(scaleY) + graph.contentOffsetY - (double)v.origin + v.leadingInset);
}

void GGraphItem::valueRangeY(double* low, double* high) {
    *low = -extentBelow.factor;
    *high = extentAbove.factor;
}

void GGraphItem::valueRangeX(double* low, double* high) {
    *low = -extentLeft.factor;
    *high = extentRight.factor;
}

// floor, clamped to the pixel limit (NaN goes to the low end).
static i32 clampFloor(double v) {
    if (!(v >= -kGraphPixelLimit)) return -kGraphPixelLimit;
    if (v > kGraphPixelLimit) return kGraphPixelLimit;
    return (i32)std::floor(v);
}

i32 graphClamp(double v) {
    if (!(v >= -kGraphPixelLimit)) return -kGraphPixelLimit;
    if (v > kGraphPixelLimit) return kGraphPixelLimit;
    return (i32)std::floor(v + 0.5);
}

i64 graphLinearPixel(const GGraphItem& item, double v) { return (i64)std::floor(item.scaleX * v + item.pixelX); }

i32 GGraphItem::valueToPixelX(double v) const { return clampFloor(scaleX * v + pixelX); }
i32 GGraphItem::valueToPixelY(double v) const { return clampFloor(pixelY - scaleY * v); }
i32 GGraphItem::anchorPixelX() const { return graphClamp(pixelX); }
i32 GGraphItem::anchorPixelY() const { return graphClamp(pixelY); }

// Whole units at one pixel or more per unit (rounded in 64 bits), else the ceiling.
static double unitsAt(double x, double scale) {
    if (scale >= 1.0) return std::fabs(x) < 9.2e18 ? (double)(i64)std::floor(x + 0.5) : std::floor(x + 0.5);
    return std::ceil(x);
}

double GGraphItem::pixelToValueX(double p) const { return unitsAt((p - pixelX) / scaleX, scaleX); }
double GGraphItem::pixelToValueY(double p) const { return unitsAt((pixelY - p) / scaleY, scaleY); }

void resizeGraphIntArray(GraphIntArray& array, u32 n) {
    if (array.capacity != n) {
        delete[] array.data;
        array.data = n ? new i32[n] : nullptr;
        array.capacity = n;
    }
    array.count = n;
}

i32 graphSearchByKey(void* const* records, i32 count, double (*keyOf)(const void*), double key, bool* found) {
    i32 low = 0, high = count;
    while (low < high) {
        i32 mid = low + (high - low) / 2;
        double k = keyOf(records[mid]);
        if (k == key) {
            *found = true;
            return mid;
        }
        if (k < key)
            low = mid + 1;
        else
            high = mid;
    }
    *found = false;
    return low;
}

GGraphRangeItem::GGraphRangeItem() : colour(toolkitColors.selection) {}

void GGraphCurve::place(GGraph& graph) {
    GGraphItem::place(graph);
    double L = graph.horizontal.leadingInset, R = L + graph.horizontal.page;
    double start = -extentLeft.factor, end = extentRight.factor;
    if (scaleX > 1.0) {
        firstValue = std::min(std::max(std::floor((L - pixelX) / scaleX) - 2, start), end);
        lastValue = std::min(std::max(std::ceil((R - pixelX) / scaleX) + 2, start), end);
        columnCount = (i32)std::max(0.0, std::min(lastValue - firstValue, 1e9));
        return;
    }
    if (!(scaleX > 0.0)) {
        columnCount = 0;
        lastValue = firstValue = start;
        return;
    }
    double first = L - 42;
    firstValue = std::floor((first - pixelX) / scaleX);
    if (firstValue < start) {
        firstValue = start;
        first = std::floor(start * scaleX + pixelX);
        if (std::floor((first - pixelX) / scaleX) > start) first -= 1;
    }
    double last = R + 42;
    // Far off screen the columns are kept within 32 bits; no column there is drawn.
    first = std::max(first, -1e9);
    firstPixel = (i32)first;
    lastPixel = (i32)last;
    if (first < last) {
        columnCount = (i32)(last - first);
        lastValue = std::floor((last - pixelX) / scaleX);
        if (lastValue > end) {
            lastValue = end;
            double lp = std::max(std::floor(end * scaleX + pixelX), -1e9);
            lastPixel = (i32)std::min(lp, 1e9);
            columnCount = (i32)std::max(0.0, std::min(lp - first, 1e9));
            if (std::floor((lp - pixelX) / scaleX) < end) {
                ++lastPixel;
                ++columnCount;
            }
        }
    } else {
        columnCount = 0;
        lastValue = firstValue;
    }
}

double GGraphCurve::valueAtColumn(i32 i) const { return std::floor(((double)firstPixel + i - pixelX) / scaleX); }

void GGraphCurve::valueRangeY(double* low, double* high) {
    *low = *high = 0.0;
    if (columnCount < 1) return;
    if (flags & CurvePairs) {
        float lo, hi;
        rangeAt(0, &lo, &hi);
        *low = lo;
        *high = hi;
        for (i32 i = 1; i < columnCount; ++i) {
            rangeAt(i, &lo, &hi);
            *low = std::min<double>(*low, lo);
            *high = std::max<double>(*high, hi);
        }
        return;
    }
    *low = *high = valueAt(0);
    for (i32 i = 1; i < columnCount; ++i) {
        double v = valueAt(i);
        if (v < *low) *low = v;
        if (v > *high) *high = v;
    }
}

static void pointRange(GGraphPointCurve& curve, bool yAxis, double* low, double* high) {
    for (i32 i = 0; i < curve.pointCount; ++i) {
        double x, y;
        curve.pointAt(i, &x, &y);
        double v = yAxis ? y : x;
        if (i == 0 || v < *low) *low = v;
        if (i == 0 || v > *high) *high = v;
    }
}

void GGraphPointCurve::valueRangeY(double* low, double* high) {
    GGraphItem::valueRangeY(low, high);
    pointRange(*this, true, low, high);
}

void GGraphPointCurve::valueRangeX(double* low, double* high) {
    GGraphItem::valueRangeX(low, high);
    pointRange(*this, false, low, high);
}
