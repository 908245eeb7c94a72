// Painting an axis: ticks, line and arrows, titles, labels.
#include <algorithm>
#include <cmath>

#include "gui/paint/drawing.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"
#include "gui/views/graph.h"
#include "gui/views/graph_axis.h"

namespace {
bool crosses(const RECT& a, i32 left, i32 top, i32 right, i32 bottom) {
    return left < a.right && right > a.left && top < a.bottom && bottom > a.top;
}

i32 clampPixel(double v) {
    if (!(v >= -kGraphPixelLimit)) return -kGraphPixelLimit;
    return v > kGraphPixelLimit ? kGraphPixelLimit : (i32)std::floor(v);
}

// Axis geometry along its own direction: the pixel of a value and the values of a pixel span.
struct AxisFrame {
    bool vertical;
    double origin, scale;  // pixel of value 0; pixels per value (negative upwards)
    double start, end;
    i32 line;              // the line's pixel across the axis

    explicit AxisFrame(const GGraphAxis& a) {
        vertical = (a.flags & AxisVertical) != 0;
        origin = vertical ? a.pixelY : a.pixelX;
        scale = vertical ? -a.scaleY : a.scaleX;
        start = vertical ? -a.extentBelow.factor : -a.extentLeft.factor;
        end = vertical ? a.extentAbove.factor : a.extentRight.factor;
        line = clampPixel(vertical ? a.pixelX : a.pixelY);
    }
    double pixelOf(double v) const { return std::floor(origin + scale * v); }
    // The value interval of the pixels lo..hi, within the axis.
    bool valuesIn(double lo, double hi, double* a, double* b) const {
        double v1 = (lo - origin) / scale, v2 = (hi - origin) / scale;
        *a = std::max(std::min(v1, v2), start);
        *b = std::min(std::max(v1, v2), end);
        return *a <= *b;
    }
};
}  // namespace

void GGraphAxis::paint(GSavedDC& dc, GGraph& graph, const RECT& clip) {
    if (flags & AxisCrossTicks) paintTicks(dc, clip);
    if (flags & AxisLine) paintLine(dc, clip);
    if ((titleStart && *titleStart) || (titleEnd && *titleEnd)) paintTitles(dc, graph);
    if (flags & AxisLabels) paintLabels(dc, graph, clip);
}

void GGraphAxis::paintLine(GSavedDC& dc, const RECT& clip) {
    AxisFrame f(*this);
    i32 ps = clampPixel(f.pixelOf(f.start)), pe = clampPixel(f.pixelOf(f.end));
    i32 lo = std::min(ps, pe), hi = std::max(ps, pe);
    dc.selectPen(lineColour);
    dc.selectSolidBrush(lineColour);
    if (f.vertical) {
        if (crosses(clip, f.line, lo, f.line + 1, hi + 2)) drawLine(dc, f.line, lo, hi + 1);
        if ((flags & AxisStartArrow) && crosses(clip, f.line - 4, ps, f.line + 5, ps + 9)) drawArrowDown(dc, f.line, ps);
        if ((flags & AxisEndArrow) && crosses(clip, f.line - 4, pe - 8, f.line + 5, pe + 1)) drawArrowUp(dc, f.line, pe);
    } else {
        if (crosses(clip, lo, f.line, hi + 2, f.line + 1)) drawHLine(dc, lo, hi + 1, f.line);
        if ((flags & AxisStartArrow) && crosses(clip, ps - 8, f.line - 4, ps + 1, f.line + 5)) drawArrowLeft(dc, ps, f.line);
        if ((flags & AxisEndArrow) && crosses(clip, pe, f.line - 4, pe + 9, f.line + 5)) drawArrowRight(dc, pe, f.line);
    }
}

void GGraphAxis::paintTicks(GSavedDC& dc, const RECT& clip) {
    double minor = chooseTickStep(5);
    if (!(minor > 0)) return;
    AxisFrame f(*this);
    double a, b;
    if (f.vertical ? !f.valuesIn(clip.top, clip.bottom, &a, &b) : !f.valuesIn(clip.left, clip.right, &a, &b)) return;
    u32 kind = flags & AxisCrossTicks;
    i64 period = (flags & AxisTime) && minor >= 9.9 && minor <= 10.1 ? 6 : 10;
    i32 L = kind == AxisShortTicks ? 5 : 10;
    bool farSide = (flags & AxisTicksFar) != 0;
    // Far side: right of a vertical axis (+), above a horizontal one (-).
    i32 dir = f.vertical ? (farSide ? 1 : -1) : (farSide ? -1 : 1);
    double crossEnd = f.vertical ? pixelX + crossAnchor.at(scaleX) : pixelY - crossAnchor.at(scaleY);
    i32 cross = clampPixel(crossEnd);
    i64 k0 = (i64)std::ceil(a / minor), k1 = (i64)std::floor(b / minor);
    if (k1 - k0 > 20000) return;
    dc.selectPen(kind == AxisCrossTicks ? crossColour : tickColour);
    for (i64 k = k0; k <= k1; ++k) {
        i32 p = clampPixel(f.pixelOf((double)k * minor));
        i64 phase = ((k % period) + period) % period;
        bool major = phase == 0;
        if (kind == AxisCrossTicks) {
            if (major) {
                if (f.vertical)
                    drawHLine(dc, f.line, cross, p);
                else
                    drawLine(dc, p, f.line, cross);
            } else if (f.vertical) {
                drawDottedLine(dc, f.line, p, cross, p, crossColour);
            } else {
                drawDottedLine(dc, p, f.line, p, cross, crossColour);
            }
            continue;
        }
        i32 length = L;
        if (kind == AxisLongTicks && !major) length = phase == period / 2 ? L / 2 : L / 4;
        if (length <= 0) continue;
        i32 from = f.line + dir, to = f.line + dir * length;
        if (f.vertical)
            drawHLine(dc, from, to, p);
        else
            drawLine(dc, p, from, to);
    }
}

void GGraphAxis::paintTitles(GSavedDC& dc, GGraph& graph) {
    AxisFrame f(*this);
    RECT plot = plotAreaRect(graph);
    i32 ps = clampPixel(f.pixelOf(f.start)), pe = clampPixel(f.pixelOf(f.end));
    // The high end near the leading border or the low end past the far edge: no titles.
    if (f.vertical ? (pe > plot.bottom - 20 || ps < plot.top) : (pe < plot.left + 20 || ps > plot.right)) return;
    RECT client;
    GetClientRect(graph.hwnd, &client);
    SetTextColor(dc.dc(), titleColour);
    auto draw = [&](const char* text, const RECT& rel, i32 at) {
        if (!text || !*text) return;
        RECT r = f.vertical ? RECT{f.line + rel.left, at + rel.top, f.line + rel.right, at + rel.bottom}
                            : RECT{at + rel.left, f.line + rel.top, at + rel.right, f.line + rel.bottom};
        if (flags & AxisTitlesKept) {
            LONG* lo = f.vertical ? &r.top : &r.left;
            LONG* hi = f.vertical ? &r.bottom : &r.right;
            LONG nearEdge = f.vertical ? client.top : client.left, farEdge = f.vertical ? client.bottom : client.right;
            if (*hi > farEdge) {
                LONG d = *hi - farEdge;
                *lo -= d;
                *hi -= d;
            }
            if (*lo < nearEdge) {
                LONG d = nearEdge - *lo;
                *lo += d;
                *hi += d;
            }
        }
        if (!crosses(client, r.left, r.top, r.right, r.bottom)) return;
        WideTextBuffer wide(text);
        TextOutW(dc.dc(), r.left, r.top, wide.text(), wide.length());
    };
    draw(titleStart, titleStartRect, ps);
    draw(titleEnd, titleEndRect, pe);
}

void GGraphAxis::paintLabels(GSavedDC& dc, GGraph& graph, const RECT& clip) {
    AxisFrame f(*this);
    double distance = std::fabs(f.scale) * tickStep;
    if (!(tickStep > 0) || !(distance >= 1) || !std::isfinite(distance)) return;
    RECT plot = plotAreaRect(graph);
    // The label band, limited to the plot area along the axis.
    RECT band = f.vertical ? RECT{f.line + labelRect.left, plot.top, f.line + labelRect.right, plot.bottom}
                           : RECT{plot.left, f.line + labelRect.top, plot.right, f.line + labelRect.bottom};
    if (!crosses(clip, band.left, band.top, band.right, band.bottom)) return;
    i32 h = labelRect.bottom - labelRect.top;
    double a, b;
    bool any = f.vertical ? f.valuesIn(plot.top - h, plot.bottom + h, &a, &b)
                          : f.valuesIn(plot.left - labelRect.right - 2, plot.right + 1, &a, &b);
    if (!any) return;
    i64 k0 = (i64)std::ceil(a / tickStep), k1 = (i64)std::floor(b / tickStep);
    if (k1 - k0 > 20000) return;
    SetTextColor(dc.dc(), labelColour);
    char text[64];
    for (i64 k = k0; k <= k1; ++k) {
        double v = (double)k * tickStep;
        i32 p = clampPixel(f.pixelOf(v));
        RECT r = f.vertical ? RECT{band.left, p - h / 2, band.right, p - h / 2 + h}
                            : RECT{p + 2 + labelRect.left, band.top, p + 2 + labelRect.right, band.bottom};
        // Along the axis only: the labels stand beside the plot area.
        bool inPlot = f.vertical ? r.top < plot.bottom && r.bottom > plot.top : r.left < plot.right && r.right > plot.left;
        if (!inPlot) continue;
        labelText(text, sizeof text, v);
        WideTextBuffer wide(text);
        u32 align = f.vertical ? ((flags & AxisLabelsFar) ? DT_LEFT : DT_RIGHT) : DT_LEFT;
        DrawTextW(dc.dc(), wide.text(), wide.length(), &r, align | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
    }
}
