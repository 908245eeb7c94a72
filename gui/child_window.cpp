#include "gui/child_window.h"

#include "gui/window_procedure.h"

GChildWindow::~GChildWindow() {
    destroyNative();
    delete[] toolTipText;
}

void GChildWindow::onDestroy() { ListenerChain::flushDeferredDeletes(lifeRecord()->watchers); }

// Without the layout order the window goes to the top of its siblings (unless SWP_NOZORDER).
void GChildWindow::setRect(const RECT& rect, u32 swpFlags) {
    SetWindowPos(hwnd, HWND_TOP, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, swpFlags);
}
