#include "gui/child_window.h"

#include "gui/window_procedure.h"

GChildWindow::~GChildWindow() {
    destroyNative();
    delete[] toolTipText;
}

void GChildWindow::onDestroy() { ListenerChain::flushDeferredDeletes(lifeRecord()->watchers); }

void GChildWindow::setRect(const RECT& rect, u32 swpFlags) {
    SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 swpFlags | SWP_NOZORDER);
}
