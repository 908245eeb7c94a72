#include "gui/input/hover_tracker.h"

#include "gui/input/cursor.h"
#include "gui/input/input_event.h"
#include "gui/kernel/window.h"

bool GHoverTracker::pointInside(uintptr_t wParam, i32 x, i32 y) const {
    HWND hwnd = owner() ? owner()->hwnd : nullptr;
    if (!hwnd) return false;
    if (kind == HoverWhileHeld && (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) return true;
    if (kind == HoverWhileHeld && !IsWindowEnabled(hwnd)) return pointInActiveClient(hwnd, x, y);
    return pointerOverWindow(hwnd, x, y);
}

bool GHoverTracker::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t*) {
    if (message == WM_CAPTURECHANGED || (message == WM_KILLFOCUS && cancelOnFocusLoss)) {
        if (active) cancel();
        return false;
    }
    if (!isMouseMessage(message)) return false;
    i32 x = (i16)LOWORD(lParam), y = (i16)HIWORD(lParam);
    bool inside = pointInside(wParam, x, y);
    if (inside && !active) {
        begin(x, y);
        onEnter(x, y);
    } else if (inside) {
        onHover(x, y);
    } else if (active) {
        end();
        onLeave();
    }
    return false;
}

void GHoverTracker::cancel() {
    if (!active) return;
    end();
    onLeave();
}
