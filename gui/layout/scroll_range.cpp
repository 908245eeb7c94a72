#include "gui/layout/scroll_range.h"

#include <algorithm>
#include <cstdint>

#include "gui/input/input_event.h"
#include "gui/input/system_input.h"

void (*scrollLockHint)() = nullptr;

static i64 clampTo(i64 v, i64 high) { return v < 0 ? 0 : v > high ? high : v; }

// a * b / c for a, b >= 0 and c > 0, without overflow of the product.
static i64 mulDiv(i64 a, i64 b, i64 c) {
    if (b == 0 || a <= INT64_MAX / b) return a * b / c;
    i64 q = a / c, r = a % c;
    return q * b + (i64)((long double)r * b / c);
}

i64 thumbSize(i64 total, i64 page) {
    if (total <= 0) return kThumbScale;
    return std::max<i64>(1, mulDiv(std::max<i64>(page, 0), kThumbScale, total));
}

i64 thumbFromOrigin(i64 total, i64 page, i64 origin) {
    if (page >= total) return 0;
    return mulDiv(clampTo(origin, total - page), kThumbScale - thumbSize(total, page), total - page);
}

i64 originFromThumb(i64 total, i64 page, i64 thumb) {
    if (total <= 0 || page >= total) return 0;
    i64 room = kThumbScale - thumbSize(total, page);
    return mulDiv(total - page, clampTo(thumb, room), room);
}

void GScrollRange::normalize() {
    caret = clampTo(caret, maxCaret());
    origin = clampTo(origin, maxOrigin());
}

void GScrollRange::setTotalAndStep(i64 t, i32 s) {
    if (t == total && s == step) return;
    total = t;
    step = s < 1 ? 1 : s;
    normalize();
    caret = roundDown(caret);
    ensureVisible(caret);
    alignOrigin();
}

void GScrollRange::setTotal(i64 t) { setTotalAndStep(t, step); }

void GScrollRange::setPage(i32 p) {
    if (p == page) return;
    bool whole = step == 1 || origin % step == 0;
    origin = requestedOrigin;
    page = p;
    normalize();
    ensureVisible(caret);
    if (!whole) alignOriginToEnd();
}

void GScrollRange::setCaret(i64 v) { caret = clampTo(v, maxCaret()); }

void GScrollRange::setOrigin(i64 v) {
    requestedOrigin = v;
    origin = clampTo(v, maxOrigin());
}

void GScrollRange::setPosition(i64 v) {
    caret = origin = requestedOrigin = v;
    origin = clampTo(origin, maxOrigin());
    caret = clampTo(caret, maxCaret());
}

void GScrollRange::ensureVisible(i64 v) {
    if (page >= total) return;
    if (page < step) {
        origin = requestedOrigin = v;
    } else if (v < origin) {
        origin = requestedOrigin = v;
    } else if (v + step - page > origin) {
        origin = requestedOrigin = v + step - page;
    }
}

void GScrollRange::alignOrigin() {
    if (step == 1) return;
    origin = std::min(roundDown(origin), maxOrigin());
}

void GScrollRange::alignOriginToEnd() {
    if (step == 1 || page >= total) return;
    origin = std::max<i64>(roundDown(origin + page + step - 1) - page, 0);
}

void GScrollRange::keepCaretInView() {
    if (caret < 0) {
        caret = 0;
    } else if (caret > maxCaret()) {
        caret = maxCaret();
    } else if (page > step) {
        caret = roundDown(caret);
        if (caret < origin)
            caret = std::min(roundDown(origin + step - 1), maxCaret());
        else if (caret > origin + page - step)
            caret = roundDown(origin + page - step);
    } else {
        caret = roundDown(origin);
    }
}

void GScrollRange::scrollBy(i64 n) {
    i64 old = origin;
    origin = clampTo(origin + n * step, maxOrigin());
    caret += origin - old;
    keepCaretInView();
    requestedOrigin = origin;
}

void GScrollRange::moveCaretBy(i64 n) {
    caret += n * step;
    normalize();
    ensureVisible(caret);
    requestedOrigin = origin;
}

void GScrollRange::toStart() { caret = origin = requestedOrigin = 0; }

void GScrollRange::scrollPageBy(i64 distance, bool down) {
    if (page >= total) return;
    if (!down && origin <= distance) {
        toStart();
        return;
    }
    if (down && maxOrigin() - origin <= distance) {
        scrollToEnd();
        return;
    }
    i64 move = distance < step ? distance : distance / step * step;
    origin += down ? move : -move;
    if (distance < step)
        keepCaretInView();
    else if (down)
        caretToPageBottom();
    else
        caretToPageTop();
    requestedOrigin = origin;
}

void GScrollRange::scrollPageUp() { scrollPageBy(page, false); }
void GScrollRange::scrollPageDown() { scrollPageBy(page, true); }
void GScrollRange::scrollThirdUp() { scrollPageBy(std::max(page / 3, 1), false); }
void GScrollRange::scrollThirdDown() { scrollPageBy(std::max(page / 3, 1), true); }

void GScrollRange::scrollToEnd() {
    origin = requestedOrigin = maxOrigin();
    caret = maxCaret();
}

void GScrollRange::caretToPageTop() {
    if (page < step) return;
    if (step == 1) {
        caret = origin;
        return;
    }
    origin = roundDown(origin + step - 1);
    caret = origin;
    origin = std::min(origin, maxOrigin());
    requestedOrigin = origin;
}

void GScrollRange::caretToPageBottom() {
    if (page >= total) {
        scrollToEnd();
        return;
    }
    if (page < step) return;
    if (step == 1) {
        caret = origin + page - 1;
        return;
    }
    origin = roundDown(origin);
    caret = roundDown(origin + page - step);
    requestedOrigin = origin;
}

void GScrollRange::setThumb(i64 pos) {
    if (total == 0 || page >= total) {
        toStart();
        return;
    }
    setPosition(originFromThumb(total, page, pos));
}

bool GScrollRange::onScrollCode(u32 code, i32 thumbPos) {
    switch (code) {
    case 0: scrollBy(-1); return true;
    case 1: scrollBy(1); return true;
    case 2: scrollPageUp(); return true;
    case 3: scrollPageDown(); return true;
    case 4:
    case 5: setThumb((i16)thumbPos); return true;
    case 6: toStart(); return true;
    case 7: scrollToEnd(); return true;
    default: return false;
    }
}

bool GScrollRange::needsFullRepaint(const GScrollRange& a, const GScrollRange& b) {
    if (a.total != b.total || a.page != b.page || a.step != b.step) return true;
    i64 d = a.origin - b.origin;
    return (d < 0 ? -d : d) > a.page;
}

// ---- keys and wheel ----

static void stepCounts(u32 flags, i64* h, i64* v) {
    *h = flags & FastHorizontal ? 8 : 1;
    *v = flags & FastVertical ? 8 : 1;
    if (systemInput.keyState(VK_SCROLL) & 1) {
        *h = *v = 1;
        if (scrollLockHint) scrollLockHint();
    }
}

bool scrollRangesOnKey(const GInputEvent& e, GScrollRange& hr, GScrollRange& vr, u32 flags) {
    if (e.kind != KeyDown || e.key < VK_PRIOR || e.key > VK_DOWN) return false;
    u32 mods = e.modifiers & 7;
    if (mods != 0 && mods != ModCtrl) return false;
    bool ctrl = mods == ModCtrl;
    i64 h, v;
    stepCounts(flags, &h, &v);
    bool horiz = flags & (ScrollHorizontal | CaretHorizontal), vert = flags & (ScrollVertical | CaretVertical);
    auto line = [](GScrollRange& r, bool caret, i64 n) {
        if (caret)
            r.moveCaretBy(n);
        else
            r.scrollBy(n);
    };
    switch (e.key) {
    case VK_UP:
    case VK_DOWN:
        if (ctrl || !vert) return false;
        line(vr, flags & CaretVertical, e.key == VK_UP ? -v : v);
        return true;
    case VK_LEFT:
    case VK_RIGHT:
        if (ctrl) {
            if (!(flags & ScrollHorizontal)) return false;
            if (e.key == VK_LEFT)
                hr.scrollThirdUp();
            else
                hr.scrollThirdDown();
            return true;
        }
        if (!horiz) return false;
        line(hr, flags & CaretHorizontal, e.key == VK_LEFT ? -h : h);
        return true;
    case VK_PRIOR:
    case VK_NEXT:
        if (ctrl) {
            if ((flags & (ScrollVertical | CaretVertical)) != (ScrollVertical | CaretVertical)) return false;
            if (e.key == VK_PRIOR)
                vr.caretToPageTop();
            else
                vr.caretToPageBottom();
            return true;
        }
        if (!(flags & ScrollVertical)) return false;
        if (e.key == VK_PRIOR)
            vr.scrollPageUp();
        else
            vr.scrollPageDown();
        return true;
    case VK_HOME:
    case VK_END: {
        GScrollRange* r = !ctrl && horiz ? &hr : vert ? &vr : nullptr;
        if (!r) return false;
        if (e.key == VK_HOME)
            r->toStart();
        else
            r->scrollToEnd();
        return true;
    }
    default:
        return false;
    }
}

bool scrollRangesOnWheel(GScrollRange& hr, GScrollRange& vr, i32 delta, bool isVertical, u32 flags) {
    i64 h, v;
    stepCounts(flags, &h, &v);
    if (isVertical && (flags & ScrollVertical)) {
        vr.scrollBy(delta > 0 ? -v : v);
        return true;
    }
    if (!isVertical && (flags & ScrollHorizontal)) {
        hr.scrollBy(delta > 0 ? -h : h);
        return true;
    }
    return false;
}
