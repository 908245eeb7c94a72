// Painting a graph: background, strips, items clipped by dock kind, curves and the overlays.
#include <algorithm>
#include <cmath>
#include <vector>

#include "gui/input/drag_tracker.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/fonts.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"
#include "gui/views/graph.h"
#include "gui/views/graph_axis.h"

namespace {
// The curve buffers: they grow to the largest curve drawn and are never shrunk.
template <class T>
struct GrowingBuffer {
    T* data = nullptr;
    size_t capacity = 0;
    ~GrowingBuffer() { delete[] data; }
    T* reserve(size_t n) {
        if (n > capacity) {
            delete[] data;
            capacity = std::max(n, capacity * 2);
            data = new T[capacity];
        }
        return data;
    }
};
GrowingBuffer<POINT> curvePoints;
GrowingBuffer<DWORD> curveCounts;
GrowingBuffer<float> curveValues;

i32 clampPixel(double v) {
    if (!(v >= -kGraphPixelLimit)) return -kGraphPixelLimit;
    return v > kGraphPixelLimit ? kGraphPixelLimit : (i32)std::floor(v);
}

bool emptyRect(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

RECT intersect(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// Segments of two points each through one multi-segment call.
void drawSegments(HDC dc, const POINT* points, size_t segments) {
    if (!segments) return;
    DWORD* counts = curveCounts.reserve(segments);
    for (size_t i = 0; i < segments; ++i) counts[i] = 2;
    PolyPolyline(dc, points, counts, (DWORD)segments);
}

// Exclusive-or drawing of a colour over the background, undone on leaving.
struct XorMode {
    GSavedDC& dc;
    int old;
    XorMode(GSavedDC& dc, COLORREF background, COLORREF colour) : dc(dc), old(SetROP2(dc.dc(), R2_XORPEN)) {
        dc.selectPen((background ^ colour) & 0xFFFFFF);
    }
    ~XorMode() { SetROP2(dc.dc(), old ? old : R2_COPYPEN); }
};
}  // namespace

void GGraphCurve::paint(GSavedDC& dc, GGraph& graph, const RECT&) { graph.drawCurves(dc, *this); }

void GGraph::paint(HDC hdc, const RECT& update, bool) {
    GSavedDC dc(hdc);
    if (!emptyRect(update)) fillSolidRect(dc, update, background);
    SetBkMode(hdc, TRANSPARENT);
    dc.selectFont(getMessageFont()->font);
    RECT client;
    GetClientRect(hwnd, &client);
    RECT plot = plotAreaRect(*this);
    if (!emptyRect(plot)) {
        COLORREF face = toolkitColors.background;
        if (plot.top > 0) fillSolidRect(dc, RECT{0, 0, client.right, plot.top}, face);
        if (vertical.trailingInset) fillSolidRect(dc, RECT{0, plot.bottom, client.right, client.bottom}, face);
        if (plot.left > 0) fillSolidRect(dc, RECT{0, 0, plot.left, client.bottom}, face);
        if (horizontal.trailingInset) fillSolidRect(dc, RECT{plot.right, 0, client.right, client.bottom}, face);
    }
    for (u32 n = itemCount(); n-- > 0;) {
        GGraphItem* item = itemAt(n);
        if (item->hidden()) continue;
        RECT region;
        switch (item->dock()) {
        case GraphDockLeft: region = RECT{0, plot.top, plot.left, plot.bottom}; break;
        case GraphDockRight: region = RECT{plot.right, plot.top, client.right, plot.bottom}; break;
        case GraphDockTop: region = RECT{plot.left, 0, plot.right, plot.top}; break;
        case GraphDockBottom: region = RECT{plot.left, plot.bottom, plot.right, client.bottom}; break;
        case GraphDockWhole: region = update; break;
        default: region = plot; break;
        }
        RECT clip = intersect(region, update);
        if (emptyRect(clip)) continue;
        ClipGuard guard;
        pushClipRect(guard, hdc, clip);
        item->paint(dc, *this, clip);
        popClipRect(guard);
    }
    if (focusFrame && GetFocus() == hwnd && hwnd) DrawFocusRect(hdc, &update);
    if (dragCursor && currentOverlayPainter) currentOverlayPainter->paintInto(hdc);
}

void GGraph::drawCurves(GSavedDC& dc, GGraphCurve& curve) {
    i32 n = curve.columnCount;
    if (n < 1) return;
    RECT plot = plotAreaRect(*this);
    // The curve's value rectangle against the plot area, before any value is read.
    double left = -curve.extentLeft.factor * curve.scaleX + curve.pixelX;
    double right = curve.extentRight.factor * curve.scaleX + curve.pixelX;
    double top = curve.pixelY - curve.extentAbove.factor * curve.scaleY;
    double bottom = curve.pixelY + curve.extentBelow.factor * curve.scaleY;
    if (!(right >= plot.left && left < plot.right && bottom >= plot.top && top < plot.bottom)) return;
    HDC hdc = dc.dc();
    dc.selectPen(curve.colour);
    dc.selectSolidBrush(curve.colour);
    i32 base = curve.anchorPixelY();
    u32 style = curve.flags;
    bool byValue = curve.scaleX > 1.0;
    auto columnX = [&](i32 i) {
        return byValue ? clampPixel((curve.firstValue + i) * curve.scaleX + curve.pixelX) : clampPixel((double)curve.firstPixel + i);
    };
    auto rowOf = [&](double v) { return clampPixel(curve.pixelY - v * curve.scaleY); };
    if (!(style & CurvePairs)) {
        const float* values = curve.valueBuffer();
        if (!values) {
            float* read = curveValues.reserve((size_t)n);
            for (i32 i = 0; i < n; ++i) read[i] = (float)curve.valueAt(i);
            values = read;
        }
        if (style & CurveLine) {
            POINT* p = curvePoints.reserve((size_t)n);
            for (i32 i = 0; i < n; ++i) p[i] = POINT{columnX(i), rowOf(values[i])};
            Polyline(hdc, p, n);
        } else if (style & CurveStems) {
            POINT* p = curvePoints.reserve((size_t)n * 2);
            for (i32 i = 0; i < n; ++i) {
                i32 x = columnX(i), y = rowOf(values[i]);
                p[2 * i] = POINT{x, base};
                p[2 * i + 1] = POINT{x, y + (y >= base ? 1 : -1)};
            }
            drawSegments(hdc, p, (size_t)n);
        } else if (style & CurveMarkers) {
            POINT* p = curvePoints.reserve((size_t)n * 4);
            for (i32 i = 0; i < n; ++i) {
                i32 x = columnX(i), y = rowOf(values[i]);
                p[4 * i] = POINT{x - 1, y};
                p[4 * i + 1] = POINT{x + 2, y};
                p[4 * i + 2] = POINT{x, y - 1};
                p[4 * i + 3] = POINT{x, y + 2};
            }
            drawSegments(hdc, p, (size_t)n * 2);
        }
        return;
    }
    const float* pairs = curve.rangeBuffer();
    if (!pairs) {
        float* read = curveValues.reserve((size_t)n * 2);
        for (i32 i = 0; i < n; ++i) curve.rangeAt(i, &read[2 * i], &read[2 * i + 1]);
        pairs = read;
    }
    auto pairX = [&](i32 i) { return clampPixel((double)curve.firstPixel + i); };
    if (style & CurveLine) {
        POINT* p = curvePoints.reserve((size_t)n * 2);
        for (i32 i = 0; i < n; ++i) {
            p[i] = POINT{pairX(i), rowOf(pairs[2 * i])};
            p[n + i] = POINT{pairX(i), rowOf(pairs[2 * i + 1])};
        }
        Polyline(hdc, p, n);
        Polyline(hdc, p + n, n);
    } else if (style & CurveStems) {
        POINT* p = curvePoints.reserve((size_t)n * 2);
        for (i32 i = 0; i < n; ++i) {
            i32 x = pairX(i), lo = rowOf(pairs[2 * i]), hi = rowOf(pairs[2 * i + 1]);
            p[2 * i] = POINT{x, std::min(lo, hi)};
            p[2 * i + 1] = POINT{x, std::max(lo, hi) + 1};
        }
        drawSegments(hdc, p, (size_t)n);
    } else if (style & CurveMarkers) {
        // A short bar at the low and at the high point, joined by a vertical segment.
        POINT* p = curvePoints.reserve((size_t)n * 6);
        for (i32 i = 0; i < n; ++i) {
            i32 x = pairX(i), lo = rowOf(pairs[2 * i]), hi = rowOf(pairs[2 * i + 1]);
            p[6 * i] = POINT{x - 1, lo};
            p[6 * i + 1] = POINT{x + 2, lo};
            p[6 * i + 2] = POINT{x - 1, hi};
            p[6 * i + 3] = POINT{x + 2, hi};
            p[6 * i + 4] = POINT{x, std::min(lo, hi)};
            p[6 * i + 5] = POINT{x, std::max(lo, hi) + 1};
        }
        drawSegments(hdc, p, (size_t)n * 3);
    }
}

void GGraphPointCurve::paint(GSavedDC& dc, GGraph& graph, const RECT&) {
    if (pointCount < 1 || !(scaleX > 0)) return;
    RECT plot = plotAreaRect(graph);
    double start = -extentLeft.factor, end = extentRight.factor;
    double from = std::max((plot.left - 1 - pixelX) / scaleX, start);
    double to = std::min((plot.right + 1 - pixelX) / scaleX, end);
    if (from > to) return;
    i32 i = std::max(findPoint(from), 0);
    if (!(flags & CurveLine) && (flags & (CurveStems | CurveMarkers))) {
        paintColumns(dc, i, to);
        return;
    }
    POINT* p = curvePoints.reserve((size_t)(pointCount - i));
    i32 n = 0;
    for (; i < pointCount; ++i) {
        double x, y;
        pointAt(i, &x, &y);
        p[n++] = POINT{valueToPixelX(x), valueToPixelY(y)};
        if (x > to) break;
    }
    dc.selectPen(colour);
    if (n > 1) Polyline(dc.dc(), p, n);
}

void GGraphPointCurve::paintColumns(GSavedDC& dc, i32 i, double to) {
    // Points of one pixel column make one mark, as high as the highest of them.
    i32 base = anchorPixelY();
    bool stems = (flags & CurveStems) != 0;
    std::vector<POINT>& p = columnMarks;
    p.clear();
    auto mark = [&](i32 x, i32 y) {
        if (stems) {
            p.push_back(POINT{x, base});
            p.push_back(POINT{x, y + (y >= base ? 1 : -1)});
            return;
        }
        p.push_back(POINT{x - 1, y});
        p.push_back(POINT{x + 2, y});
        p.push_back(POINT{x, y - 1});
        p.push_back(POINT{x, y + 2});
    };
    bool any = false;
    i32 column = 0;
    double top = 0;
    for (; i < pointCount; ++i) {
        double x, y;
        pointAt(i, &x, &y);
        if (!(x <= to)) break;
        i32 c = valueToPixelX(x);
        if (any && c == column) {
            if (y > top) top = y;
            continue;
        }
        if (any) mark(column, valueToPixelY(top));
        any = true;
        column = c;
        top = y;
    }
    if (any) mark(column, valueToPixelY(top));
    dc.selectPen(colour);
    drawSegments(dc.dc(), p.data(), p.size() / 2);
}

void GGraph::drawHintBox(GSavedDC& dc, const char* text) {
    RECT plot = plotAreaRect(*this);
    SIZE size = graphTextExtent(text, dc.dc());
    i32 room = plot.right - plot.left - 20;
    i32 width = std::min<i32>(size.cx + 16, room);
    if (width <= 0) return;
    RECT r{plot.left + (plot.right - plot.left - width) / 2, plot.top + 10, 0, 0};
    r.right = r.left + width;
    r.bottom = r.top + size.cy + 16;
    DrawEdge(dc.dc(), &r, 6, BF_RECT);
    fillSolidRect(dc, RECT{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2}, toolkitColors.background);
    SetBkMode(dc.dc(), TRANSPARENT);
    WideTextBuffer wide(text);
    TextOutW(dc.dc(), r.left + 8, r.top + 8, wide.text(), wide.length());
}

void GGraph::drawSelectionFrame(GSavedDC& dc, COLORREF colour) {
    if (currentItem < 0 || (u32)currentItem >= itemCount()) return;
    double low, high;
    selection(&low, &high);
    if (!(low <= high) || high == 0) return;
    GGraphItem* item = itemAt((u32)currentItem);
    RECT plot = plotAreaRect(*this);
    i32 x1 = item->valueToPixelX(low), x2 = item->valueToPixelX(high);
    if (x2 < plot.left - 2 || x1 >= plot.right + 2) return;
    XorMode mode(dc, background, colour);
    ClipGuard guard;
    pushClipCoords(guard, dc.dc(), plot.left - 2, plot.top, plot.right + 2, plot.bottom);
    drawRectOutline(dc, x1, x2 + 1, plot.top, plot.bottom);
    popClipRect(guard);
}

void GGraph::drawXorLine(GSavedDC& dc, COLORREF colour, double value) {
    if (currentItem < 0 || (u32)currentItem >= itemCount()) return;
    RECT plot = plotAreaRect(*this);
    RECT client;
    GetClientRect(hwnd, &client);
    i32 x = itemAt((u32)currentItem)->valueToPixelX(value);
    XorMode mode(dc, background, colour);
    if (plot.bottom > plot.top) {
        for (i32 side : {x - 1, x + 1})
            if (side >= plot.left && side < plot.right) drawLine(dc, side, plot.top, plot.bottom - 1);
    }
    if (plot.top > border) drawLine(dc, x, border, plot.top - 1);
    if (client.bottom - border > plot.bottom) drawLine(dc, x, plot.bottom, client.bottom - border - 1);
}

void GGraph::drawGridLine(GSavedDC& dc, double value, COLORREF colour, const char* label) {
    if (currentItem < 0 || (u32)currentItem >= itemCount()) return;
    GGraphItem* item = itemAt((u32)currentItem);
    if (!(value >= -item->extentLeft.factor && value <= item->extentRight.factor)) return;
    RECT plot = plotAreaRect(*this);
    i32 x = item->valueToPixelX(value);
    if (x < plot.left || x >= plot.right || plot.bottom <= plot.top) return;
    dc.selectPen(colour);
    drawLine(dc, x, plot.top, plot.bottom - 1);
    if (!label || !*label) return;
    SIZE size = graphTextExtent(label, dc.dc());
    SetBkMode(dc.dc(), TRANSPARENT);
    SetTextColor(dc.dc(), colour);
    WideTextBuffer wide(label);
    TextOutW(dc.dc(), x - size.cx / 2, border, wide.text(), wide.length());
}
