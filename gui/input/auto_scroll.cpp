#include "gui/input/auto_scroll.h"

#include "gui/input/cursor.h"
#include "gui/input/input_event.h"
#include "gui/kernel/window.h"

namespace {
bool insideClient(HWND hwnd, i32 x, i32 y) {
    RECT client;
    GetClientRect(hwnd, &client);
    return rectContainsPoint(client, x, y);
}
}  // namespace

bool GAutoScrollTracker::handleMessage(u32 message, uintptr_t, intptr_t lParam, intptr_t*) {
    HWND hwnd = owner() ? owner()->hwnd : nullptr;
    if (!hwnd) return false;
    i32 x = (i16)LOWORD(lParam), y = (i16)HIWORD(lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (insideClient(hwnd, x, y)) begin(x, y);
        break;
    case WM_MOUSEMOVE:
        if (!active) break;
        lastX = x;
        lastY = y;
        if (insideClient(hwnd, x, y))
            removeTimer(&timer);
        else if (!scrolling())
            addTimer(&timer, AutoScrollInterval, this, nullptr);
        break;
    default:
        if (message == WM_LBUTTONUP || message == WM_CAPTURECHANGED || isOtherButtonMessage(message)) end();
        break;
    }
    return false;
}

void GAutoScrollTracker::end() {
    removeTimer(&timer);
    GMouseCapture::end();
}

void GAutoScrollTracker::onTimer(TimerRecord*) {
    HWND hwnd = owner() ? owner()->hwnd : nullptr;
    GItemBase* item = ownerItem();
    if (!hwnd || !item || !active) return;
    i32 x, y;
    getCursorClientPos(hwnd, &x, &y);
    RECT client;
    GetClientRect(hwnd, &client);
    i32 dx = 0, dy = 0;
    if (y < client.top)
        dy = y - client.top;
    else if (y >= client.bottom)
        dy = y - client.bottom + 1;
    if (x < client.left)
        dx = x - client.left;
    else if (x >= client.right)
        dx = x - client.right + 1;
    LifeGuard guard(lifeRecord());
    if (dx || dy) item->scrollBy(dx, dy);
    if (!guard.alive()) return;
    if (x == lastX && y == lastY) PostMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((u16)x, (u16)y));
}
