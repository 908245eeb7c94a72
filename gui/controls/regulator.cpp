#include "gui/controls/regulator.h"

#include <cmath>

#include "gui/input/hot_tracker.h"
#include "gui/input/input_event.h"
#include "gui/input/mouse_capture.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/layout/layout_builder.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/gradients.h"
#include "gui/paint/paint_composite.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"

namespace {
// max - min as an unsigned width; 0 for an empty or inverted range.
u64 rangeOf(i64 minimum, i64 maximum) { return maximum > minimum ? (u64)maximum - (u64)minimum : 0; }

i64 addSaturated(i64 a, i64 b) {
    i64 sum;
    if (__builtin_add_overflow(a, b, &sum)) return b < 0 ? INT64_MIN : INT64_MAX;
    return sum;
}

// offset × length / range, offset in [0, range]: exact while the product fits, else on the top 32
// bits of the range (off by at most a pixel).
i64 scaleDown(u64 offset, i32 length, u64 range) {
    u64 product;
    if (!__builtin_mul_overflow(offset, (u64)length, &product)) return (i64)(product / range);
    while (range > 0xFFFFFFFFull) {
        range >>= 1;
        offset >>= 1;
    }
    return range ? (i64)(offset * (u64)length / range) : 0;
}

// The next multiple of s (s > 0) strictly above (direction +1) or below (-1) v, saturated.
i64 nextMultiple(i64 v, i64 s, i32 direction) {
    i64 toward = v / s * s;  // truncated toward zero: inside the type
    if (toward == v) return addSaturated(v, direction > 0 ? s : -s);
    if ((v > 0) == (direction > 0)) return addSaturated(toward, direction > 0 ? s : -s);
    return toward;
}

// The thumb: outlined, a stepped fill, a drop shadow.
const u32 kThumbStyle = 0x400000 | 2 | 0x4000;
}  // namespace

GRegulator* GRegulator::create(GLayoutBuilder& builder, u32 style, i32 minimum, i32 maximum, const char* alignment) {
    GRegulator* r = new GRegulator(builder.owner, style);
    r->minimum = minimum;
    r->maximum = maximum;
    r->createWindow();
    builder.add(r, alignment);
    return r;
}

GRegulator* GRegulator::createSized(GLayoutBuilder& builder, i32* variable, i32 minimum, i32 maximum) {
    GRegulator* r = new GRegulator(builder.owner, RegulatorVertical | RegulatorTicksBefore | RegulatorTicksAfter);
    r->minimum = minimum;
    r->maximum = maximum;
    r->bound = variable;
    r->value = r->clamp(*variable);
    r->createWindow();
    r->nextBound = builder.boundRegulators;
    builder.boundRegulators = r;
    builder.add(r, "|C");
    return r;
}

bool GRegulator::createWindow() {
    hover = new GHotTracker(this);
    press = new GMouseCapture(this);
    return GUserWindow::create(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
}

void storeBoundRegulators(GRegulator* first) {
    for (GRegulator* r = first; r; r = r->nextBound) r->storeBound();
}

void GRegulator::storeBound() {
    if (bound) *bound = (i32)value;
}

SIZE GRegulator::formatValue(const char* text, const FontHolder* font) { return textExtent(font, text); }

i64 GRegulator::clamp(i64 v) const {
    if (v > maximum) v = maximum;
    if (v < minimum) v = minimum;
    return v;
}

void GRegulator::setValue(i64 v) {
    if (v == value) return;
    value = v;
    changed();
}

void GRegulator::changed() {
    if (redrawLock != 0) {
        markDirty(0);
        flags |= WindowRepaintPending;
        return;
    }
    // The receiver may end this window.
    LifeGuard life(lifeRecord());
    GControlNotification notification{this, 0, 0};
    notifyUp(this, &notification);
    if (life.alive() && hwnd && IsWindowVisible(hwnd)) invalidate();
}

void GRegulator::onLayoutEvent(u32 kind) {
    if (kind != 0) return;
    GControlNotification notification{this, 0, 0};
    notifyUp(this, &notification);
}

// ---- geometry ----

RegulatorGeometry GRegulator::geometry() const {
    RECT client = {0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    return geometry(client);
}

RegulatorGeometry GRegulator::geometry(const RECT& client) const {
    RegulatorGeometry g;
    g.vertical = (style & RegulatorVertical) != 0;
    bool flat = (style & RegulatorFlat) != 0;
    RECT t = {client.left + 2, client.top + 2, client.right - 2, client.bottom - 2};
    i32 before = (style & RegulatorTicksBefore) ? 12 : flat ? 2 : 5;
    i32 after = (style & RegulatorTicksAfter) ? 10 : flat ? 0 : 3;
    if (g.vertical) {
        t.left = client.left + before;
        t.right -= after;
        g.start = t.top + 4;
        g.end = t.bottom - 5;
    } else {
        t.top = client.top + before;
        t.bottom -= after;
        g.start = t.left + 4;
        g.end = t.right - 5;
    }
    g.track = t;
    return g;
}

i32 GRegulator::positionOf(const RegulatorGeometry& g, i64 v) const {
    u64 range = rangeOf(minimum, maximum);
    i32 length = g.length();
    if (!range || length <= 0) return g.vertical ? g.end : g.start;
    v = clamp(v);
    i64 share;
    i64 a, b;
    // Each share divided and truncated by itself, as long as the products fit.
    if (!__builtin_mul_overflow(v, (i64)length, &a) && !__builtin_mul_overflow(minimum, (i64)length, &b))
        share = a / (i64)range - b / (i64)range;
    else
        share = scaleDown((u64)v - (u64)minimum, length, range);
    return g.vertical ? g.end - (i32)share : g.start + (i32)share;
}

RECT GRegulator::thumbRect(const RegulatorGeometry& g, i32 p) const {
    i32 widen = (style & RegulatorFlat) ? 0 : 2;
    if (g.vertical) return {g.track.left - widen, p - 4, g.track.right + widen, p + 5};
    return {p - 4, g.track.top - widen, p + 5, g.track.bottom + widen};
}

i64 GRegulator::lineStep(i32 length) const {
    u64 range = rangeOf(minimum, maximum);
    if (length <= 0 || range <= (u64)length) return 1;
    u64 s = range / (u64)length;
    return s > (u64)INT64_MAX ? INT64_MAX : (i64)s;
}

i64 GRegulator::tickStep(i32 length) const {
    u64 range = rangeOf(minimum, maximum);
    if (length <= 0 || !range) return 1;
    double r = (double)range;
    double s = std::pow(10.0, std::floor(std::log10(r * 5 / length)));
    if (s < 1) s = 1;
    while (s * length / r < 5 && s < 1e18) s *= 10;
    return (i64)s;
}

i64 GRegulator::pageFrom(i64 v, i32 direction, i32 length) const {
    return clamp(nextMultiple(v, tickStep(length), direction));
}

i64 GRegulator::valueAtPoint(i32 x, i32 y) const {
    RegulatorGeometry g = geometry();
    i32 p = g.vertical ? y : x;
    i32 length = g.length();
    u64 range = rangeOf(minimum, maximum);
    if (length <= 0 || !range) return minimum;
    if (p <= g.start) return g.vertical ? maximum : minimum;
    if (p >= g.end) return g.vertical ? minimum : maximum;
    u64 offset = g.vertical ? (u64)(g.end - p) : (u64)(p - g.start);
    u64 product;
    i64 share;
    if (!__builtin_mul_overflow(offset, range, &product) && product <= UINT64_MAX - (u64)length / 2)
        share = (i64)((product + (u64)length / 2) / (u64)length);
    else
        share = (i64)((long double)offset * (long double)range / length + 0.5L);
    i64 v = (i64)((u64)minimum + (u64)share);
    if (quantum > 1) v = v / quantum * quantum;
    return clamp(v);
}

void GRegulator::getPreferredSize(i32* width, i32* height) {
    bool flat = (style & RegulatorFlat) != 0;
    i32 thickness = (style & RegulatorTicksBefore) ? 22 : flat ? 12 : 15;
    thickness += (style & RegulatorTicksAfter) ? 10 : flat ? 0 : 3;
    thickness += 4;
    i32 length = preferredLength + 4;
    bool vertical = (style & RegulatorVertical) != 0;
    if (*width < 0) *width = vertical ? thickness : length;
    *height = vertical ? length : thickness;
}

// ---- input ----

i32 GRegulator::handleKey(GInputEvent* e) {
    if (e->kind != KeyDown) return 0;
    u32 mods = e->modifiers & 7;
    i32 length = geometry().length();
    if ((style & RegulatorHasDefault) && e->key == VK_SPACE && mods == 0) {
        setValue(defaultValue);
        return 2;
    }
    i64 v = value;
    if (!(style & RegulatorVertical)) {
        if (mods == ModCtrl && e->key == VK_RIGHT)
            v = pageFrom(value, +1, length);
        else if (mods == ModCtrl && e->key == VK_LEFT)
            v = pageFrom(value, -1, length);
        else if (mods != 0)
            return 0;
        else if (e->key == VK_RIGHT)
            v = clamp(addSaturated(value, lineStep(length)));
        else if (e->key == VK_LEFT)
            v = clamp(addSaturated(value, -lineStep(length)));
        else if (e->key == VK_HOME)
            v = minimum;
        else if (e->key == VK_END)
            v = maximum;
        else
            return 0;
    } else {
        if (mods != 0) return 0;
        switch (e->key) {
        case VK_PRIOR: v = pageFrom(value, +1, length); break;
        case VK_NEXT: v = pageFrom(value, -1, length); break;
        case VK_UP: v = clamp(addSaturated(value, lineStep(length))); break;
        case VK_DOWN: v = clamp(addSaturated(value, -lineStep(length))); break;
        case VK_HOME: v = maximum; break;
        case VK_END: v = minimum; break;
        default: return 0;
        }
    }
    setValue(v);
    return 2;
}

bool GRegulator::onWheel(i32 delta, u32, bool) {
    i64 step = lineStep(geometry().length());
    setValue(clamp(addSaturated(value, delta > 0 ? step : -step)));
    return true;
}

bool GRegulator::dragBegin(GMouseCapture*, i32 x, i32 y) {
    if (hwnd && GetFocus() != hwnd) setFocusSafe();
    LifeGuard life(lifeRecord());
    setValue(valueAtPoint(x, y));
    if (!life.alive()) return false;
    invalidate();
    return true;
}

bool GRegulator::dragMove(GMouseCapture*, i32, i32, i32 x, i32 y) {
    setValue(valueAtPoint(x, y));
    return true;
}

void GRegulator::dragDrop(GMouseCapture*, i32, i32) { invalidate(); }

bool GRegulator::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (message == WM_LBUTTONDBLCLK && (style & RegulatorHasDefault)) {
        setValue(defaultValue);
        *result = 0;
        return true;
    }
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS) invalidate();
    return GUserWindow::handleMessage(message, wParam, lParam, result);
}

bool GRegulator::hitPart(GHotTracker*, i32 x, i32 y, tagRECT* rect, u32* partFlags) {
    RegulatorGeometry g = geometry();
    RECT thumb = thumbRect(g, positionOf(g, value));
    if (!rectContainsPoint(thumb, x, y)) return false;
    *rect = thumb;
    *partFlags = 0;
    return true;
}

bool GRegulator::getToolTip(i32 x, i32 y, GString* text, tagRECT* rect, tagRECT* second) {
    RegulatorGeometry g = geometry();
    RECT thumb = thumbRect(g, positionOf(g, value));
    if (!rectContainsPoint(thumb, x, y)) return false;
    if (!GUserWindow::getToolTip(x, y, text, rect, second)) stringFormat(*text, "%lld", (long long)value);
    *rect = thumb;
    *second = thumb;
    return true;
}

// ---- paint ----

void GRegulator::paint(HDC hdc, const RECT&, bool) {
    RECT client;
    GetClientRect(hwnd, &client);
    GSavedDC dc(hdc);
    fillRectSolid(hdc, client, toolkitColors.background);
    SetBkMode(hdc, TRANSPARENT);
    RegulatorGeometry g = geometry(client);
    i32 length = g.length();
    RECT thumb = thumbRect(g, positionOf(g, value));
    bool enabled = IsWindowEnabled(hwnd) != 0;
    if (length > 0 && thumb.right - thumb.left >= 3 && thumb.bottom - thumb.top >= 3) {
        if (style & (RegulatorTicksBefore | RegulatorTicksAfter)) {
            dc.selectPen(enabled ? toolkitColors.darkShade : toolkitColors.lightShade);
            i64 s = tickStep(length);
            // The first multiple at or above the minimum (truncation keeps it inside the type).
            i64 first = minimum / s * s;
            if (first < minimum) first = addSaturated(first, s);
            for (i64 v = first; v <= maximum && v >= first; v = addSaturated(v, s)) {
                i32 p = positionOf(g, v);
                if (g.vertical) {
                    if (style & RegulatorTicksBefore) drawHLine(dc, client.left + 2, client.left + 7, p);
                    if (style & RegulatorTicksAfter) drawHLine(dc, client.right - 8, client.right - 3, p);
                } else {
                    if (style & RegulatorTicksBefore) drawLine(dc, p, client.top + 2, client.top + 7);
                    if (style & RegulatorTicksAfter) drawLine(dc, p, client.bottom - 8, client.bottom - 3);
                }
                if (v == maximum) break;
            }
        }
        RECT t = g.track;
        i32 thickness = g.vertical ? t.right - t.left : t.bottom - t.top;
        dc.selectPen(enabled ? toolkitColors.text : toolkitColors.lightShade);
        // Disabled: a flat groove in the greyed outline instead of the shaded one.
        if (thickness >= 3 && enabled) drawGradientSteps(dc, t, toolkitColors.lightShade, toolkitColors.darkShade, !g.vertical);
        if (thickness >= 1) drawRectOutline(dc, t.left, t.right - 1, t.top, t.bottom - 1);
        if (!(style & RegulatorFlat) && minimum <= 0 && maximum >= 0) {
            i32 zero = positionOf(g, 0);
            if (g.vertical)
                drawHLine(dc, client.left + 2, client.right - 3, zero);
            else
                drawLine(dc, zero, client.top + 2, client.bottom - 3);
        }
        GEmptyElement nothing;
        u32 extra = (enabled ? 0 : 1) | (press && press->dragging ? 0x30000 : 0);
        paintComposite(dc, thumb, &nothing, frameStateStyle(kThumbStyle, thumb, hover, 0, extra));
    }
    if (client.right >= 4 && client.bottom >= 4) {
        RECT border = client;
        DrawEdge(hdc, &border, BDR_SUNKENOUTER, BF_RECT);
        if (focusWindow == this) {
            LOGBRUSH brush = {BS_SOLID, toolkitColors.text, 0};
            HPEN pen = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr);
            HGDIOBJ oldPen = SelectObject(hdc, pen);
            HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(NULL_BRUSH));
            Rectangle(hdc, client.left + 1, client.top + 1, client.right - 1, client.bottom - 1);
            SelectObject(hdc, oldBrush);
            SelectObject(hdc, oldPen);
            DeleteObject(pen);
        }
    }
}

// ---- the item ----

GRegulatorItem* GRegulatorItem::create(GLayoutBuilder& builder, bool widthFromBoth, bool heightFromBoth) {
    GRegulatorItem* item = new GRegulatorItem(builder.owner, widthFromBoth, heightFromBoth);
    builder.pushContainer(item, nullptr, nullptr);
    return item;
}

void GRegulatorItem::getPreferredSize(i32* width, i32* height) {
    i32 w[2] = {0, 0}, h[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        GLayoutCell* child = childAt(i);
        if (!child) continue;
        i32 cw = -1, ch = 0;
        preferredSizeOf(child, &cw, &ch);
        w[i] = cw;
        h[i] = ch;
    }
    i32 pw = widthFromBoth ? (w[0] > w[1] ? w[0] : w[1]) : w[1];
    if (*width < 0) *width = pw;
    *height = heightFromBoth ? (h[0] > h[1] ? h[0] : h[1]) : h[1];
}
