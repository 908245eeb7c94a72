#include "gui/input/cursor.h"

#include "gui/input/input_event.h"
#include "gui/input/system_input.h"
#include "gui/kernel/window.h"

void setCursorById(LPCSTR id) { SetCursor(LoadCursorA(nullptr, id)); }

void getCursorScreenPos(i32* x, i32* y) {
    POINT point = {0, 0};
    systemInput.cursorPos(&point);
    *x = point.x;
    *y = point.y;
}

void getCursorClientPos(HWND window, i32* x, i32* y) {
    POINT point = {0, 0};
    systemInput.cursorPos(&point);
    ScreenToClient(window, &point);
    *x = point.x;
    *y = point.y;
}

HWND windowUnderCursor() {
    POINT point = {0, 0};
    systemInput.cursorPos(&point);
    return WindowFromPoint(point);
}

bool inActiveWindowChain(HWND window) {
    HWND active = systemInput.activeWindow();
    if (!active || !window) return false;
    for (HWND w = GetAncestor(window, GA_ROOT); w; w = GetWindow(w, GW_OWNER))
        if (w == active) return true;
    return false;
}

bool pointInActiveClient(HWND window, i32 x, i32 y) {
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    return rectContainsPoint(client, x, y) && inActiveWindowChain(window);
}

bool pointerOverWindow(HWND window, i32 x, i32 y) {
    return pointInActiveClient(window, x, y) && windowUnderCursor() == window;
}

void requestHoverTracking(GWindow* window) {
    if ((window->flags & WindowHoverTracking) || !window->hwnd) return;
    TRACKMOUSEEVENT track = {sizeof track, TME_HOVER | TME_LEAVE, window->hwnd, 0};
    if (TrackMouseEvent(&track)) window->flags |= WindowHoverTracking;
}
