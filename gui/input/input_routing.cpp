#include "gui/input/input_routing.h"

#include <ctime>

#include "gui/kernel/child_window.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"

namespace {
// The deepest toolkit child window at a client point of the window.
GItemBase* nativeItemAt(GWindow* window, i32 x, i32 y) {
    POINT point = {x, y};
    GChildWindow* found = childWindowAtPoint(window, &point);
    return found ? found->item() : nullptr;
}

// A top-level window asks its layout (a hit on a child window goes on into the child windows
// inside it); other windows their child windows.
GItemBase* layoutItemAt(GWindow* window, i32 x, i32 y) {
    GParentWindow* parent = window->item()->asParentWindow();
    GLayoutCell* root = parent && parent->content ? parent->content->asLayoutCell() : nullptr;
    if (!root) return nativeItemAt(window, x, y);
    GLayoutCell* hit = itemAtPoint(root, x, y);
    if (hit && hit->asChildWindow()) {
        GItemBase* inside = nativeItemAt(window, x, y);
        if (inside) return inside;
    }
    return hit;
}

// A window's origin from the native windows; an item's from its rectangle in its owner window.
POINT itemOrigin(GItemBase* item, GWindow* window) {
    POINT origin = {0, 0};
    if (GWindow* own = windowOfItem(item)) {
        if (own->hwnd && window->hwnd) MapWindowPoints(own->hwnd, window->hwnd, &origin, 1);
    } else if (GLayoutCell* cell = item->asLayoutCell()) {
        origin = {cell->rect.left, cell->rect.top};
        if (cell->owner && cell->owner != window && cell->owner->hwnd && window->hwnd)
            MapWindowPoints(cell->owner->hwnd, window->hwnd, &origin, 1);
    }
    return origin;
}

bool itemVisible(GItemBase* item) {
    GWindow* window = windowOfItem(item);
    if (window) return window->hwnd && IsWindowVisible(window->hwnd);
    GLayoutCell* cell = item->asLayoutCell();
    return !cell || cell->visible();
}
}  // namespace

const InputItemTree layoutItemTree = {nextReceiver, layoutItemAt, itemOrigin, itemVisible};
InputItemTree inputItemTree = layoutItemTree;

GWindow* windowOfItem(GItemBase* item) {
    if (!item) return nullptr;
    if (GChildWindow* child = item->asChildWindow()) return child;
    if (GParentWindow* parent = item->asParentWindow()) return parent;
    return nullptr;
}

bool routeKeyEvent(GInputEvent* event) {
    if (event->kind == KeyDown) lastKeyDownTime = (i64)time(nullptr);
    for (GItemBase* item = event->target; item; item = inputItemTree.parentItem(item)) {
        LifeGuard guard(item->lifeRecord());
        i32 answer = item->handleKey(event);
        if (answer == 1) return false;
        if (answer == 2) return true;
        if (!guard.alive()) return false;
    }
    return false;
}

bool routeMouseEvent(GInputEvent* event) {
    GItemBase* target = event->target;
    if (!target) return false;
    if (event->action == MouseMove) return target->handleCapturedMouse(event);
    lastMouseActionTime = (i64)time(nullptr);
    GWindow* window = windowOfItem(target);
    LifeGuard guard(target->lifeRecord());
    if (window && window->hwnd) {
        GItemBase* item = inputItemTree.itemAtPoint(window, event->x, event->y);
        for (; item && item != target; item = inputItemTree.parentItem(item)) {
            if (!inputItemTree.itemVisible(item)) continue;
            GInputEvent copy = *event;
            POINT origin = inputItemTree.itemOrigin(item, window);
            copy.x -= origin.x;
            copy.y -= origin.y;
            LifeGuard itemGuard(item->lifeRecord());
            if (item->handleMouse(&copy)) return true;
            if (!guard.alive()) return true;
            if (!itemGuard.alive()) break;
        }
    }
    return target->handleMouse(event);
}

bool routeKeyMessage(GWindow* window, const MSG* message) {
    GInputEvent event;
    if (!keyModifierState(message->message, message->wParam, message->lParam, &event)) return false;
    GChildWindow* focused = focusWindow;
    bool inside = focused && focused->hwnd && window->hwnd && GetAncestor(focused->hwnd, GA_ROOT) == window->hwnd;
    event.target = inside ? focused->item() : window->item();
    return routeKeyEvent(&event);
}

bool translateInput(GWindow* window, u32 message, uintptr_t wParam, intptr_t lParam) {
    GInputEvent event;
    if (!mouseEventFromMessage(message, wParam, lParam, &event)) return false;
    event.target = window->item();
    return routeMouseEvent(&event);
}
