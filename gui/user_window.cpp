#include "gui/user_window.h"

#include "gui/input_routing.h"
#include "gui/window_procedure.h"

bool GUserWindow::create(u32 style, u32 exStyle) { return createUserWindow(this, style, exStyle); }

bool GUserWindow::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (translateInput(this, message, wParam, lParam)) {
        *result = 0;
        return true;
    }
    switch (message) {
    case WM_PAINT: {
        if (redrawLock) return false;
        if (!GetUpdateRect(hwnd, nullptr, FALSE)) {
            *result = 0;
            return true;
        }
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        int saved = SaveDC(dc);
        paint(dc, ps.rcPaint, ps.fErase != 0);
        RestoreDC(dc, saved);
        EndPaint(hwnd, &ps);
        *result = 0;
        return true;
    }
    case WM_ERASEBKGND:
        *result = 1;
        return true;
    default:
        return false;
    }
}
