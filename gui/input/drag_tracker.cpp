#include "gui/input/drag_tracker.h"

#include "gui/input/cursor.h"
#include "gui/input/input_event.h"
#include "gui/kernel/window.h"
#include "gui/paint/saved_dc.h"

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
    delete source;
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
    scratchValid = false;
    drawn = false;
    HCURSOR cursor = nullptr;
    if (showLevel <= 0 || !lastPointInside() || !source->overlayAt(lastX, lastY, &cursor)) return;
    HiddenCursor hidden;
    source->drawOverlay(dc, lastX, lastY);
    drawn = true;
}

// The next frame in the scratch buffer: the clean area where the overlay was, the overlay at its
// new place, and to the window what changed. GDI's bounds of the drawing tell where it went; where
// they are unknown the whole buffer is copied.
void GDragTracker::drawBuffered(HDC window, const RECT& client, i32 x, i32 y) {
    RECT restore = scratchValid ? overlayBounds : client;
    BitBlt(scratch.dc(), restore.left, restore.top, restore.right - restore.left, restore.bottom - restore.top,
           background.dc(), restore.left, restore.top, SRCCOPY);
    SetBoundsRect(scratch.dc(), nullptr, DCB_ENABLE | DCB_RESET);
    scratchValid = false;
    source->drawOverlay(scratch.dc(), x, y);
    RECT bounds;
    bool known = (GetBoundsRect(scratch.dc(), &bounds, DCB_RESET) & DCB_SET) != 0;
    SetBoundsRect(scratch.dc(), nullptr, DCB_DISABLE);
    if (known) {
        InflateRect(&bounds, 1, 1);
        IntersectRect(&bounds, &bounds, &client);
    } else {
        bounds = client;
    }
    RECT changed;
    UnionRect(&changed, &restore, &bounds);
    BitBlt(window, changed.left, changed.top, changed.right - changed.left, changed.bottom - changed.top,
           scratch.dc(), changed.left, changed.top, SRCCOPY);
    overlayBounds = bounds;
    scratchValid = true;
}

void GDragTracker::update(i32 x, i32 y, bool erase, bool draw) {
    HWND hwnd = watched ? watched->hwnd : nullptr;
    if (!hwnd) return;
    HCURSOR cursor = arrowCursor();
    RECT client;
    GetClientRect(hwnd, &client);
    bool visible = draw && showLevel > 0 && x >= 0 && y >= 0 && rectContainsPoint(client, x, y) &&
                   source->overlayAt(x, y, &cursor);
    bool moved = x != lastX || y != lastY;
    if (moved || erase != draw || drawn != visible) {
        // The cursor stays hidden while the overlay is drawn, whatever a step throws.
        GSavedDC dc(hwnd, GSavedDC::HideCursor);
        if (drawn && visible && erase && draw) {
            i32 width = client.right, height = client.bottom;
            if (!background.exists()) {
                source->drawOverlay(dc.dc(), lastX, lastY);
                if (background.ensure(dc.dc(), width, height))
                    BitBlt(background.dc(), 0, 0, width, height, dc.dc(), 0, 0, SRCCOPY);
                source->drawOverlay(dc.dc(), x, y);
                scratchValid = false;
            } else if (scratch.ensure(dc.dc(), width, height)) {
                drawBuffered(dc.dc(), client, x, y);
            }
        } else {
            background.drop();
            scratchValid = false;
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
    // Setting the cursor costs a round trip even when it does not change.
    if (GetCursor() != cursor) SetCursor(cursor);
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
        bool visible = pointerOverWindow(hwnd, x, y);
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
