#include "gui/child_window.h"

#include "gui/layout_transaction.h"
#include "gui/parent_window.h"
#include "gui/window_behaviour.h"
#include "gui/window_procedure.h"

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

void GChildWindow::setRect(const RECT& rect, u32 swpFlags) {
    SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 swpFlags | SWP_NOZORDER);
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

void GChildWindow::beginRedrawLock() {
    if (redrawLock++ == 0 && hwnd) SendMessageA(hwnd, WM_SETREDRAW, FALSE, 0);
}

void GChildWindow::endRedrawLock() {
    if (redrawLock <= 0 || --redrawLock > 0) return;
    if (hwnd) SendMessageA(hwnd, WM_SETREDRAW, TRUE, 0);
    u32 pending = flags;
    flags &= ~(WindowRepaintPending | ~(WindowLayoutEventBase - 1));
    for (u32 kind = 0; kind < 20; ++kind)
        if (pending & (WindowLayoutEventBase << kind)) onLayoutEvent(kind);
    // WM_SETREDRAW TRUE does not repaint by itself.
    if (pending & WindowRepaintPending) invalidate();
}

void GChildWindow::markDirty(u32 kind) {
    if (redrawLock > 0) {
        flags |= WindowLayoutEventBase << kind;
        return;
    }
    onLayoutEvent(kind);
}
