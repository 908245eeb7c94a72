#include "gui/layout/deferred_focus.h"

#include "gui/kernel/child_window.h"
#include "gui/kernel/parent_window.h"
#include "gui/layout/layout_transaction.h"

namespace {
GLifeRecord* g_waiting = nullptr;  // the waiting window's record, referenced

void setWaiting(GLifeRecord* record) {
    if (record) record->addRef();
    if (g_waiting) g_waiting->release();
    g_waiting = record;
}

GWindow* asWindow(GItemBase* item) {
    if (!item) return nullptr;
    if (GChildWindow* child = item->asChildWindow()) return child;
    return item->asParentWindow();
}
}  // namespace

bool layoutBatchOpen(GWindow* window) {
    if (layoutTransactionDepth > 0) return true;
    for (GWindow* w = window; w; w = w->ownerWindow()) {
        GChildWindow* child = w->item()->asChildWindow();
        if (!child) break;
        if (child->redrawLock != 0) return true;
    }
    return false;
}

GWindow* deferredFocusWindow() { return g_waiting ? asWindow(g_waiting->object) : nullptr; }

void applyDeferredFocus() {
    GWindow* window = deferredFocusWindow();
    if (!window) {
        setWaiting(nullptr);
        return;
    }
    if (layoutBatchOpen(window)) return;
    setWaiting(nullptr);
    if (window->hwnd && !window->destroyed()) SetFocus(window->hwnd);
}

void GWindow::setFocusSafe() {
    if (GChildWindow* child = item()->asChildWindow()) {
        for (GWindow* w = child->ownerWindow(); w; w = w->ownerWindow())
            if (GParentWindow* parent = w->item()->asParentWindow()) {
                parent->focusChild = child;
                break;
            }
    }
    if (layoutBatchOpen(this)) {
        setWaiting(item()->lifeRecord());
        return;
    }
    if (deferredFocusWindow() == this) setWaiting(nullptr);
    if (hwnd && !destroyed()) SetFocus(hwnd);
}
