#include "gui/host_window.h"

#include "gui/drawing.h"
#include "gui/life_record.h"
#include "gui/window_procedure.h"

GHostWindow* GHostWindow::make(GWindow* owner, GItemBase* watcher) {
    GHostWindow* host = new GHostWindow(owner);
    host->create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
    attachWatcher(host, watcher);
    return host;
}

void GHostWindow::release(GHostWindow* host, GItemBase* watcher) {
    if (!host || windowFromHandle(host->hwnd) != host) return;
    detachWatcher(watcher);
    DestroyWindow(host->hwnd);
}

void GHostWindow::paint(HDC dc, const RECT&, bool) {
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, backgroundBrush());
}

void GHostWindow::place(const RECT& rect) {
    SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool isShown(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }

void showChild(HWND window, bool on) {
    if (isShown(window) != on) ShowWindow(window, on ? SW_SHOWNA : SW_HIDE);
}
