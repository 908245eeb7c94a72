#include "gui/views/graph_axis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/format.h"
#include "gui/paint/colors.h"
#include "gui/paint/fonts.h"
#include "gui/paint/text_measure.h"
#include "gui/views/graph.h"

static SIZE measureInMessageFont(const char* text) { return textExtent(getMessageFont(), text); }
SIZE (*graphMeasureText)(const char* text) = measureInMessageFont;

SIZE graphTextExtent(const char* text, HDC dc) { return textExtentW(dc, text, -1); }

GGraphAxis::GGraphAxis()
    : lineColour(toolkitColors.text),
      tickColour(toolkitColors.text),
      crossColour(toolkitColors.text),
      titleColour(toolkitColors.text),
      labelColour(toolkitColors.text) {
    flags = AxisLine;
}

GGraphAxis::~GGraphAxis() {
    delete[] titleStart;
    delete[] titleEnd;
}

static char* copyTitle(const char* text) {
    if (!text) return nullptr;
    size_t n = strlen(text) + 1;
    char* copy = new char[n];
    memcpy(copy, text, n);
    return copy;
}

void GGraphAxis::setTitles(const char* start, const char* end) {
    delete[] titleStart;
    delete[] titleEnd;
    titleStart = copyTitle(start);
    titleEnd = copyTitle(end);
}

void tickLabelText(char* out, u32 size, double value, bool time) {
    if (!time) {
        snprintf(out, size, "%.15G", value);
        return;
    }
    double ms = std::floor(std::fabs(value) * 1000 + 0.5);
    u32 sign = value < 0 && ms > 0 ? 1 : 0;
    if (sign && size > 1) out[0] = '-';
    formatTime(out + sign, size - sign, ms < 1.8e19 ? (u64)ms : ~0ull);
}

void tickLabelMask(char* out, u32 size, double value, bool time) {
    tickLabelText(out, size, value, time);
    size_t n = strlen(out);
    for (size_t i = 0; i < n; ++i)
        if (out[i] >= '0' && out[i] <= '9') out[i] = '8';
    if (n + 1 < size) {
        out[n] = '8';
        out[n + 1] = 0;
    }
}

double GGraphAxis::chooseTickStep(double minimum) const {
    double s = (flags & AxisVertical) ? scaleY : scaleX;
    // A zero, negative or non-finite scale has no step.
    if (!(s > 0) || !std::isfinite(s) || !(minimum > 0)) return 0.0;
    double step = std::pow(10.0, std::floor(std::log10(minimum / s)));
    if (!std::isfinite(step) || step <= 0) return 0.0;
    bool timeRule = (flags & AxisTime) != 0;
    for (;;) {
        if (timeRule && step >= 99) {
            step *= 0.6;
            timeRule = false;
        }
        if (step * s >= minimum) return std::isfinite(step) ? step : 0.0;
        step *= 10;
    }
}

void GGraphAxis::labelText(char* out, u32 size, double value) const { tickLabelText(out, size, value, (flags & AxisTime) != 0); }

// The widest mask of four values' labels: digits as '8', one '8' more.
static i32 widestMask(const GGraphAxis& axis, const double* values) {
    i32 widest = 0;
    char text[64];
    for (i32 i = 0; i < 4; ++i) {
        axis.labelText(text, sizeof text - 1, values[i]);
        size_t n = strlen(text);
        for (size_t k = 0; k < n; ++k)
            if (text[k] >= '0' && text[k] <= '9') text[k] = '8';
        text[n] = '8';
        text[n + 1] = 0;
        widest = std::max<i32>(widest, graphMeasureText(text).cx);
    }
    return widest;
}

static void growTo(GraphPair& pair, i32 v) { pair.pixels = std::max(pair.pixels, v); }

void GGraphAxis::measure(GGraph& graph) {
    GGraphItem::prepare(graph);
    extentLeft.pixels = extentAbove.pixels = extentRight.pixels = extentBelow.pixels = 0;
    tickStep = 0.0;
    if (hidden()) return;
    u32 ticks = flags & AxisCrossTicks;
    i32 L = ticks == AxisShortTicks ? 5 : ticks == AxisLongTicks ? 10 : 0;
    bool time = (flags & AxisTime) != 0;
    i32 textHeight = graphMeasureText("Q/").cy;
    bool hasStart = titleStart && *titleStart, hasEnd = titleEnd && *titleEnd;
    if (flags & AxisVertical) {
        if (flags & AxisStartArrow) extentBelow.pixels = 10;
        if (flags & AxisEndArrow) growTo(extentAbove, 10);
        if (flags & (AxisStartArrow | AxisEndArrow)) {
            growTo(extentLeft, 4);
            growTo(extentRight, 4);
        }
        auto title = [&](const char* text, bool atStart, RECT& r) {
            SIZE size = graphMeasureText(text);
            i32 gap = (flags & (atStart ? AxisStartArrow : AxisEndArrow)) ? 6 : 2;
            bool inward = (flags & AxisTitlesInward) != 0;
            // Below the start end or above the high end, unless turned inwards.
            bool below = atStart != inward;
            r.top = below ? 0 : -size.cy;
            r.bottom = below ? size.cy : 0;
            if (flags & AxisTitlesOther) {
                r.left = -(gap + size.cx);
                r.right = -gap;
                growTo(extentLeft, gap + size.cx);
            } else {
                r.left = gap;
                r.right = gap + size.cx;
                growTo(extentRight, gap + size.cx);
            }
            if (!inward) growTo(atStart ? extentBelow : extentAbove, size.cy);
        };
        if (hasStart) title(titleStart, true, titleStartRect);
        if (hasEnd) title(titleEnd, false, titleEndRect);
        if (L > 0) growTo((flags & AxisTicksFar) ? extentRight : extentLeft, L);
        if (flags & AxisLabels) {
            tickStep = chooseTickStep(textHeight);
            double start = -extentBelow.factor, end = extentAbove.factor;
            double values[4] = {start, start + tickStep, end, end - tickStep};
            i32 widest = widestMask(*this, values);
            if (flags & AxisLabelsFar) {
                labelRect.left = (flags & AxisTicksFar) ? L + 3 : 3;
                labelRect.right = labelRect.left + widest;
                growTo(extentRight, labelRect.right);
            } else {
                labelRect.right = (flags & AxisTicksFar) ? -1 : -1 - L;
                labelRect.left = labelRect.right - widest;
                growTo(extentLeft, -labelRect.left);
            }
            labelRect.top = 0;
            labelRect.bottom = textHeight;
        }
        if (flags & AxisLine) {
            extentLeft.pixels += 2;
            extentRight.pixels += 2;
        }
        return;
    }
    if (flags & AxisStartArrow) extentLeft.pixels = 10;
    if (flags & AxisEndArrow) growTo(extentRight, 10);
    if (flags & (AxisStartArrow | AxisEndArrow)) {
        growTo(extentAbove, 4);
        growTo(extentBelow, 4);
    }
    auto title = [&](const char* text, bool atStart, RECT& r) {
        SIZE size = graphMeasureText(text);
        i32 gap = (flags & (atStart ? AxisStartArrow : AxisEndArrow)) ? 5 : 1;
        bool inward = (flags & AxisTitlesInward) != 0;
        // Left of the start end or right of the high end, unless turned inwards.
        bool leftOf = atStart != inward;
        r.left = leftOf ? -size.cx : 0;
        r.right = leftOf ? 0 : size.cx;
        if (flags & AxisTitlesOther) {
            r.top = -(size.cy + gap);
            r.bottom = -gap;
            growTo(extentAbove, size.cy + gap);
        } else {
            r.top = gap;
            r.bottom = size.cy + gap;
            growTo(extentBelow, size.cy + gap);
        }
        if (!inward) growTo(atStart ? extentLeft : extentRight, size.cx);
    };
    if (hasStart) title(titleStart, true, titleStartRect);
    if (hasEnd) title(titleEnd, false, titleEndRect);
    if (L > 0) growTo((flags & AxisTicksFar) ? extentAbove : extentBelow, L);
    if (flags & AxisLabels) {
        double step = chooseTickStep(5);
        double start = -extentLeft.factor, end = extentRight.factor;
        i32 room = 0;
        // Ten times the step until the four masks fit; no step, no labels.
        while (step > 0) {
            if (time && step >= 99 && step <= 101) step *= 0.6;
            double span = std::ceil(scaleX * step);
            if (!(span < 1e9)) {
                room = 1000000000;
                break;
            }
            room = (i32)span - 10;
            double values[4] = {start, start + step, end, end - step};
            if (widestMask(*this, values) <= room) break;
            step *= 10;
        }
        tickStep = step;
        labelRect.left = 0;
        labelRect.right = room;
        if (flags & AxisLabelsFar) {
            labelRect.bottom = (flags & AxisTicksFar) ? -2 - L : -2;
            labelRect.top = labelRect.bottom - textHeight;
            growTo(extentAbove, -labelRect.top);
        } else {
            labelRect.top = (flags & AxisTicksFar) ? 2 : L + 2;
            labelRect.bottom = labelRect.top + textHeight;
            growTo(extentBelow, labelRect.bottom);
        }
    }
    if (flags & AxisLine) {
        extentAbove.pixels += 2;
        extentBelow.pixels += 2;
    }
}
