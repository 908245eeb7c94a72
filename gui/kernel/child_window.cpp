#include "gui/kernel/child_window.h"

#include "gui/input/input_event.h"
#include "gui/input/input_routing.h"
#include "gui/input/system_input.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/deferred_focus.h"
#include "gui/layout/layout_transaction.h"

GChildWindow::~GChildWindow() {
    destroyNative();
    delete[] toolTipText;
}

void GChildWindow::onDestroy() {
    ListenerChain::flushDeferredDeletes(lifeRecord()->watchers);
    if (layoutTransactionDepth > 0) removeFromLayoutTransaction(this);
    if (focusWindow == this) focusWindow = nullptr;
    GWindow* top = topLevelWindow();
    if (top) {
        GParentWindow* parent = static_cast<GParentWindow*>(top);
        if (parent->focusChild == this) parent->focusChild = nullptr;
    }
    markOwnerDirty(owner);
}

bool GChildWindow::handleMouse(GInputEvent* event) {
    if (!event->isPress() || this == focusWindow || destroyed() || !hwnd) return false;
    u32 style = (u32)GetWindowLongA(hwnd, GWL_STYLE);
    if ((style & (WS_VISIBLE | WS_TABSTOP | WS_DISABLED)) != (WS_VISIBLE | WS_TABSTOP) || !acceptsFocus())
        return false;
    setFocusSafe();
    return false;
}

bool GChildWindow::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (translateInput(this, message, wParam, lParam)) {
        *result = 0;
        return true;
    }
    switch (message) {
    case WM_SIZE:
        if (styleChangeInProgress || !onSize(LOWORD(lParam), HIWORD(lParam))) return false;
        *result = 0;
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (!onFocus(message == WM_SETFOCUS, (HWND)wParam)) return false;
        *result = 0;
        return true;
    case WM_ENABLE:
        markOwnerDirty(owner);
        return false;
    case WM_WINDOWPOSCHANGED:
        if (reinterpret_cast<WINDOWPOS*>(lParam)->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) markOwnerDirty(owner);
        return false;
    case WM_ERASEBKGND:
        if (redrawLock == 0) return false;
        *result = 1;
        return true;
    case WM_NCPAINT:
        if (redrawLock == 0) return false;
        *result = DefWindowProcA(hwnd, message, wParam, lParam);
        return true;
    case WM_SETCURSOR:
        if (!onSetCursor()) return false;
        *result = 1;
        return true;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
        // The window under the cursor takes the wheel; any other hands it to its owner, whose
        // forwarding guard stops a second round.
        *result = 0;
        POINT p;
        systemInput.cursorPos(&p);
        if (IsWindowVisible(hwnd) && (GetCapture() == hwnd || WindowFromPoint(p) == hwnd)) {
            LRESULT hit = SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
            bool vertical = hit == HTVSCROLL ? true : hit == HTHSCROLL ? false : message == WM_MOUSEWHEEL;
            onWheel((i16)HIWORD(wParam), LOWORD(wParam), vertical);
        } else if (owner && owner->hwnd) {
            SendMessageA(owner->hwnd, message, wParam, lParam);
        }
        return true;
    }
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
        flags &= ~WindowHoverTracking;
        return false;
    default:
        return false;
    }
}

bool GChildWindow::onFocus(bool gained, HWND) {
    GParentWindow* top = static_cast<GParentWindow*>(topLevelWindow());
    if (gained) {
        if (destroyed() || !top || top->focusChild != this) return false;
        focusWindow = this;
    } else if (focusWindow == this) {
        focusWindow = nullptr;
    }
    markOwnerDirty(owner);
    return false;
}

// The window goes behind the window before it in layout order on the same parent, so that the
// z-order follows the layout; the first goes to the top.
void GChildWindow::setRect(const RECT& rect, u32 swpFlags) {
    HWND after = HWND_TOP;
    if (!(swpFlags & SWP_NOZORDER)) {
        if (GChildWindow* previous = previousSiblingWindow(this)) after = previous->hwnd;
        // Placed there before: the z-order is left alone (changing it is slow).
        if (after == placedAfter)
            swpFlags |= SWP_NOZORDER;
        else
            placedAfter = after;
    }
    SetWindowPos(hwnd, after, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, swpFlags);
}

void GChildWindow::setRect(const RECT& r) { setWindowRect(this, r); }

void GChildWindow::notify(int event) {
    bool wasVisible = visible();
    GLayoutCell::notify(event);
    if (wasVisible == visible() || !hwnd) return;
    if (layoutTransactionDepth > 0) {
        // Listed with its visibility before the change; the end hides or shows it.
        if (!transactionPending) {
            u32 now = cellFlags;
            cellFlags = wasVisible ? (cellFlags | CellVisible) : (cellFlags & ~CellVisible);
            recordInLayoutTransaction(this);
            cellFlags = now;
        }
        return;
    }
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (visible() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void GChildWindow::invalidate() { invalidateWindow(this); }

// A visible window is locked with WM_SETREDRAW (counter above 0); a hidden one only by the counter
// (below 0), since WM_SETREDRAW TRUE would show it.
void GChildWindow::beginRedrawLock() {
    if (redrawLock > 0) {
        ++redrawLock;
        return;
    }
    if (redrawLock < 0) {
        --redrawLock;
        return;
    }
    if (!hwnd || !IsWindowVisible(hwnd)) {
        redrawLock = -1;
        return;
    }
    redrawLock = 1;
    RECT pending;
    if (GetUpdateRect(hwnd, &pending, FALSE)) flags |= WindowRepaintPending;
    SendMessageA(hwnd, WM_SETREDRAW, FALSE, 0);
}

void GChildWindow::endRedrawLock() {
    if (redrawLock == 0) return;
    bool shown = redrawLock > 0;
    redrawLock += shown ? -1 : 1;
    if (redrawLock != 0) return;
    if (shown && hwnd) SendMessageA(hwnd, WM_SETREDRAW, TRUE, 0);
    if (flags & WindowRelayoutPending) {
        flags &= ~WindowRelayoutPending;
        onDeferredRelayout();
    }
    if (flags & WindowRepaintPending) {
        flags &= ~WindowRepaintPending;
        // WM_SETREDRAW TRUE does not repaint by itself; the frame was left out too.
        if (shown && hwnd && layoutTransactionDepth == 0)
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
        else
            invalidate();
    }
    u32 events = flags & (WindowLayoutEventBase * 0x7F);
    flags &= ~(WindowLayoutEventBase * 0x7F);
    for (u32 kind = 0; kind < 7; ++kind)
        if (events & (WindowLayoutEventBase << kind)) markDirty(kind);
    applyDeferredFocus();
}

void GChildWindow::markDirty(u32 kind) {
    // Only kinds 0 to 6 have a bit to wait in.
    if (redrawLock != 0 && kind < 7) {
        flags |= WindowLayoutEventBase << kind;
        return;
    }
    onLayoutEvent(kind);
}
