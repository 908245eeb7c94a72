#include "gui/kernel/user_window.h"

#include <algorithm>

#include "gui/input/input_event.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/rect_list.h"
#include "gui/layout/scroll_bar.h"
#include "gui/layout/sized_box.h"
#include "gui/paint/memory_dc.h"

bool GUserWindow::create(u32 style, u32 exStyle) { return createUserWindow(this, style, exStyle); }

bool GUserWindow::onFocus(bool gained, HWND other) {
    bool taken = GChildWindow::onFocus(gained, other);
    invalidate();
    return taken;
}

bool GUserWindow::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    switch (message) {
    case WM_PAINT: {
        if (redrawLock) break;
        if (!GetUpdateRect(hwnd, nullptr, FALSE)) {
            *result = 0;
            return true;
        }
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        {
            GSavedDC target(dc);
            GMemoryDC buffer(target);
            RECT client;
            GetClientRect(hwnd, &client);
            u32 fill = cellFlags & CellOwnBackground ? BufferFlag::FillTabHighlight : BufferFlag::FillBackground;
            if ((drawStyle & DrawOffscreen) && buffer.offscreenBuffer(client, fill)) {
                paint(buffer.dc(), ps.rcPaint, ps.fErase != 0);
                buffer.copyOffscreen();
            } else {
                paint(dc, ps.rcPaint, ps.fErase != 0);
            }
        }
        EndPaint(hwnd, &ps);
        *result = 0;
        return true;
    }
    case WM_ERASEBKGND:
        *result = 1;
        return true;
    case WM_SIZE:
    case WM_ENABLE:
        if (drawStyle & DrawRepaintOnResize) invalidate();
        break;
    default:
        break;
    }
    return GChildWindow::handleMessage(message, wParam, lParam, result);
}

// ---- scrolling window ----

bool GUserImage::create(i64 contentWidth, i64 contentHeight, u32 style, u32 exStyle) {
    horizontal.setTotalAndStep(contentWidth, 1);
    vertical.setTotalAndStep(contentHeight, 1);
    drawStyle |= DrawScrollable;
    return GUserWindow::create(style, exStyle);
}

void GUserImage::getPreferredSize(i32* width, i32* height) {
    const RECT& area = primaryWorkArea();
    *width = (area.right - area.left) / 4;
    *height = (area.bottom - area.top) / 4;
}

i32 GUserImage::handleKey(GInputEvent* e) {
    if (!(drawStyle & DrawScrollable)) return 0;
    GScrollRange h = horizontal, v = vertical;
    if (!scrollRangesOnKey(*e, h, v, ScrollHorizontal | ScrollVertical)) return 0;
    setScrollState(h, v);
    return 2;
}

bool GUserImage::onWheel(i32 delta, u32, bool isVertical) {
    if (!(drawStyle & DrawScrollable)) return false;
    i32 pixels = -delta * wheelStep / WHEEL_DELTA;
    if (isVertical)
        scrollBy(0, pixels);
    else
        scrollBy(pixels, 0);
    return true;
}

bool GUserImage::onSize(i32, i32) {
    GScrollRange h = horizontal, v = vertical;
    setScrollState(h, v);
    return false;
}

// The whole units that fit in the extent between the range's margins; at least one.
static i32 pageOf(const GScrollRange& r, i32 extent, i32 unit) {
    return std::max<i32>(1, (extent - r.leadingInset - r.trailingInset) / std::max(unit, 1));
}

// The window's own scroll bars show the two ranges.
static void syncScrollBars(HWND hwnd, const GScrollRange& h, const GScrollRange& v) {
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    if (style & WS_HSCROLL) GScrollBar{hwnd, SB_HORZ}.sync(h);
    if (style & WS_VSCROLL) GScrollBar{hwnd, SB_VERT}.sync(v);
}

// Pixels to units: a non-zero distance moves at least one unit.
static i64 unitsOf(i32 pixels, i32 unit) {
    if (pixels == 0 || unit <= 0) return 0;
    i64 n = pixels / unit;
    return n != 0 ? n : (pixels > 0 ? 1 : -1);
}

void GUserImage::scrollBy(i32 dx, i32 dy) {
    GScrollRange h = horizontal, v = vertical;
    if (i64 n = unitsOf(dx, unitWidth)) h.scrollBy(n);
    if (i64 n = unitsOf(dy, unitHeight)) v.scrollBy(n);
    setScrollState(h, v);
}

void GUserImage::setScrollState(const GScrollRange& hIn, const GScrollRange& vIn) {
    GScrollRange h = hIn, v = vIn;
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    i32 pageW = pageOf(h, client.right, unitWidth);
    i32 pageH = pageOf(v, client.bottom, unitHeight);
    bool whole = false;
    auto settle = [&whole](GScrollRange& next, const GScrollRange& old, i32 page) {
        if (page != old.page || next.leadingInset != old.leadingInset || next.trailingInset != old.trailingInset) {
            next.setPage(page);
            whole = true;
        } else {
            // A copy taken before a nested resize may still hold the old page.
            next.page = page;
            next.normalize();
        }
    };
    settle(h, horizontal, pageW);
    settle(v, vertical, pageH);
    i64 dx = (horizontal.origin - h.origin) * unitWidth;
    i64 dy = (vertical.origin - v.origin) * unitHeight;
    horizontal = h;
    vertical = v;
    if (!hwnd) return;
    if (redrawLock != 0) {
        if (whole || dx || dy) flags |= WindowRepaintPending;
    } else if (whole || (drawStyle & DrawRepaintOnScroll) || repaintOnScroll()) {
        if (whole || dx || dy) invalidate();
    } else if (dx || dy) {
        scrollWithMargins(dx, dy);
    }
    syncScrollBars(hwnd, horizontal, vertical);
}

void GUserImage::refreshScrollState(u32 refreshFlags) {
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    bool moved = false, resized = false;
    auto refresh = [&](GScrollRange& r, i32 extent, i32 unit, bool centre) {
        i32 page = pageOf(r, extent, unit);
        i64 origin = r.origin;
        if (page != r.page) {
            r.setPage(page);
            resized = true;
        }
        if (centre) r.setOrigin(r.page < r.total ? (r.total - r.page) / 2 : 0);
        moved |= r.origin != origin;
    };
    refresh(horizontal, client.right, unitWidth, refreshFlags & 2);
    refresh(vertical, client.bottom, unitHeight, refreshFlags & 4);
    if (hwnd) {
        syncScrollBars(hwnd, horizontal, vertical);
        invalidate();
    }
    if (refreshFlags & 1) {
        if (moved) markDirty(1);
        if (resized) markDirty(2);
    }
}

void GUserImage::scrollWithMargins(i64 dx64, i64 dy64) {
    i32 dx = (i32)std::max<i64>(-0x7FFFFFF, std::min<i64>(dx64, 0x7FFFFFF));
    i32 dy = (i32)std::max<i64>(-0x7FFFFFF, std::min<i64>(dy64, 0x7FFFFFF));
    i32 L = horizontal.leadingInset, R = horizontal.trailingInset;
    i32 T = vertical.leadingInset, B = vertical.trailingInset;
    RECT client;
    GetClientRect(hwnd, &client);
    // The central area: the client area less the margins.
    i32 W = std::max<i32>(0, client.right - L - R), H = std::max<i32>(0, client.bottom - T - B);
    auto scroll = [this](const RECT& area, i32 x, i32 y) {
        if (rectEmpty(area)) return;
        ScrollWindowEx(hwnd, x, y, &area, &area, nullptr, nullptr, SW_INVALIDATE);
    };
    scroll(RECT{L, T, L + W, T + H}, dx, dy);
    if (IsIconic(GetAncestor(hwnd, GA_ROOT))) return;
    if (dx) {
        if (T) scroll(RECT{L, 0, L + W, T}, dx, 0);
        if (B) scroll(RECT{L, T + H, L + W, T + H + B}, dx, 0);
    }
    if (dy) {
        if (L) scroll(RECT{0, T, L, T + H}, 0, dy);
        if (R) scroll(RECT{L + W, T, L + W + R, T + H}, 0, dy);
    }
}

bool GUserImage::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    switch (message) {
    case WM_GETDLGCODE:
        *result = DLGC_WANTARROWS;
        return true;
    case WM_MOUSEACTIVATE:
        if (LOWORD(lParam) == HTCLIENT && GetActiveWindow() != GetAncestor(hwnd, GA_ROOT)) {
            *result = MA_ACTIVATEANDEAT;
            return true;
        }
        break;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        if (lParam || !(drawStyle & DrawScrollable)) break;
        bool isH = message == WM_HSCROLL;
        u32 code = LOWORD(wParam);
        if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK)
            SetScrollPos(hwnd, isH ? SB_HORZ : SB_VERT, HIWORD(wParam), FALSE);
        GScrollRange h = horizontal, v = vertical;
        GScrollRange& r = isH ? h : v;
        GScrollRange before = r;
        r.onScrollCode(code, (i16)HIWORD(wParam));
        if (r.origin != before.origin || r.caret != before.caret) setScrollState(h, v);
        *result = 0;
        return true;
    }
    default:
        break;
    }
    return GUserWindow::handleMessage(message, wParam, lParam, result);
}
