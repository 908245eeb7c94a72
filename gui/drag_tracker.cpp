#include "gui/drag_tracker.h"

#include "gui/cursor.h"
#include "gui/input_event.h"
#include "gui/saved_dc.h"
#include "gui/window.h"

GDragTracker* currentOverlayPainter = nullptr;

namespace {
// The mouse cursor hidden for a scope.
struct HiddenCursor {
    HiddenCursor() { ShowCursor(FALSE); }
    ~HiddenCursor() { ShowCursor(TRUE); }
    HiddenCursor(const HiddenCursor&) = delete;
    HiddenCursor& operator=(const HiddenCursor&) = delete;
};

HCURSOR arrowCursor() { return LoadCursorA(nullptr, (LPCSTR)IDC_ARROW); }
}  // namespace

bool OverlayBuffer::ensure(HDC like, i32 w, i32 h) {
    if (memory && width == w && height == h) return true;
    drop();
    memory = CreateCompatibleDC(like);
    bitmap = memory ? CreateCompatibleBitmap(like, w, h) : nullptr;
    if (!bitmap) {
        drop();
        return false;
    }
    previous = SelectObject(memory, bitmap);
    width = w;
    height = h;
    return true;
}

void OverlayBuffer::drop() {
    if (memory && previous) SelectObject(memory, previous);
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    memory = nullptr;
    bitmap = nullptr;
    previous = nullptr;
    width = height = 0;
}

GDragTracker::GDragTracker(GWindow* window, GOverlaySource* source) : source(source) {
    beginMouseTracking(this, window);
}

GDragTracker::~GDragTracker() {
    if (currentOverlayPainter == this) currentOverlayPainter = nullptr;
}

bool GDragTracker::lastPointInside() {
    if (!watched || !watched->hwnd || lastX < 0 || lastY < 0) return false;
    RECT client;
    GetClientRect(watched->hwnd, &client);
    return rectContainsPoint(client, lastX, lastY);
}

void GDragTracker::show() {
    ++showLevel;
    if (showLevel <= 1 && currentOverlayPainter == this) update(lastX, lastY, false, true);
}

void GDragTracker::hide() {
    --showLevel;
    if (showLevel >= 0 && currentOverlayPainter == this) update(lastX, lastY, true, false);
}

void GDragTracker::enter(i32 x, i32 y) {
    // One painter at a time: the previous one takes its overlay away first.
    if (currentOverlayPainter && currentOverlayPainter != this) currentOverlayPainter->leave();
    currentOverlayPainter = this;
    update(x, y, false, true);
}

void GDragTracker::leave() {
    if (currentOverlayPainter == this) currentOverlayPainter = nullptr;
    update(-1, -1, true, false);
}

void GDragTracker::paintInto(HDC dc) {
    background.drop();
    drawn = false;
    HCURSOR cursor = nullptr;
    if (showLevel <= 0 || !lastPointInside() || !source->overlayAt(lastX, lastY, &cursor)) return;
    HiddenCursor hidden;
    source->drawOverlay(dc, lastX, lastY);
    drawn = true;
}

void GDragTracker::update(i32 x, i32 y, bool erase, bool draw) {
    HWND hwnd = watched ? watched->hwnd : nullptr;
    if (!hwnd) return;
    // Hides the cursor until the end, whatever a step throws.
    GSavedDC dc(hwnd, GSavedDC::HideCursor);
    HCURSOR cursor = arrowCursor();
    RECT client;
    GetClientRect(hwnd, &client);
    bool visible = draw && showLevel > 0 && x >= 0 && y >= 0 && rectContainsPoint(client, x, y) &&
                   source->overlayAt(x, y, &cursor);
    bool moved = x != lastX || y != lastY;
    if (moved || erase != draw || drawn != visible) {
        if (drawn && visible && erase && draw) {
            i32 width = client.right, height = client.bottom;
            if (!background.exists()) {
                source->drawOverlay(dc.dc(), lastX, lastY);
                if (background.ensure(dc.dc(), width, height))
                    BitBlt(background.dc(), 0, 0, width, height, dc.dc(), 0, 0, SRCCOPY);
                source->drawOverlay(dc.dc(), x, y);
            } else if (scratch.ensure(dc.dc(), width, height)) {
                BitBlt(scratch.dc(), 0, 0, width, height, background.dc(), 0, 0, SRCCOPY);
                source->drawOverlay(scratch.dc(), x, y);
                BitBlt(dc.dc(), 0, 0, width, height, scratch.dc(), 0, 0, SRCCOPY);
            }
        } else {
            background.drop();
            if (erase && drawn) {
                source->drawOverlay(dc.dc(), lastX, lastY);
                drawn = false;
            }
            if (draw && visible) {
                source->drawOverlay(dc.dc(), x, y);
                drawn = true;
            }
        }
    }
    SetCursor(cursor);
    lastX = x;
    lastY = y;
    if (draw && visible && moved) source->overlayMoved();
}

bool GDragTracker::handleMessage(u32 message, uintptr_t, intptr_t lParam, intptr_t* result) {
    HWND hwnd = watched ? watched->hwnd : nullptr;
    if (!hwnd) return false;
    if (isMouseMessage(message) || message == WM_MOUSEHOVER) {
        requestHoverTracking(watched);
        i32 x = (i16)LOWORD(lParam), y = (i16)HIWORD(lParam);
        RECT client;
        GetClientRect(hwnd, &client);
        bool visible = x >= 0 && y >= 0 && rectContainsPoint(client, x, y) && inActiveWindowChain(hwnd) &&
                       windowUnderCursor() == hwnd;
        if (currentOverlayPainter == this) {
            if (visible)
                update(x, y, true, true);
            else
                leave();
        } else if (visible) {
            enter(x, y);
        }
        return false;
    }
    switch (message) {
    case WM_SETCURSOR: {
        HCURSOR cursor = arrowCursor();
        if (showLevel > 0 && lastPointInside()) source->overlayAt(lastX, lastY, &cursor);
        SetCursor(cursor);
        *result = TRUE;
        return true;
    }
    case WM_MOUSELEAVE:
        watched->flags &= ~WindowHoverTracking;
        leave();
        return false;
    default:
        return false;
    }
}
