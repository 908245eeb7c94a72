#include "gui/kernel/window_behaviour.h"

#include "gui/kernel/application.h"
#include "gui/kernel/child_window.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_transaction.h"

GChildWindow* focusWindow = nullptr;
bool relayoutPending = false;

static GParentWindow* topLevelParent(GWindow* window) { return static_cast<GParentWindow*>(topLevelOf(window)); }

void markOwnerDirty(GWindow* window) {
    GParentWindow* top = topLevelParent(window);
    if (!top) return;
    top->flags |= WindowDirty;
    relayoutPending = true;
    installIdleRefresh();
}

static GLayoutCell* rootCell(GParentWindow* parent) {
    return parent && parent->content ? parent->content->asLayoutCell() : nullptr;
}

// Tree order from `cell` (exclusive) to the first window, staying under root.
static GChildWindow* windowAfter(GLayoutCell* root, GLayoutCell* cell, bool descend) {
    for (GLayoutCell* c = cell ? nextCellInTreeOrder(cell, descend) : root; c; c = nextCellInTreeOrder(c, true)) {
        if (!isWithin(c, root)) return nullptr;
        if (GChildWindow* w = c->asChildWindow()) return w;
    }
    return nullptr;
}

GChildWindow* firstChildWindow(GParentWindow* parent) {
    GLayoutCell* root = rootCell(parent);
    return root ? windowAfter(root, nullptr, true) : nullptr;
}

GChildWindow* nextWindow(GChildWindow* window) {
    GLayoutCell* root = rootCell(topLevelParent(window->owner));
    return root ? windowAfter(root, window, false) : nullptr;
}

GChildWindow* lastChildWindow(GParentWindow* parent) {
    GChildWindow* last = nullptr;
    for (GChildWindow* w = firstChildWindow(parent); w; w = nextWindow(w)) last = w;
    return last;
}

GChildWindow* previousWindow(GChildWindow* window) {
    GChildWindow* previous = nullptr;
    for (GChildWindow* w = firstChildWindow(topLevelParent(window->owner)); w && w != window; w = nextWindow(w))
        previous = w;
    return previous;
}

// The last window of a subtree owned by `owner`, depth first from the end.
static GChildWindow* lastWindowIn(GLayoutCell* cell, GWindow* owner) {
    if (!cell) return nullptr;
    if (GChildWindow* w = cell->asChildWindow()) return w->owner == owner && w->hwnd ? w : nullptr;
    if (GLayoutItem* item = cell->asLayoutItem())
        for (int i = item->childCount() - 1; i >= 0; --i)
            if (GChildWindow* w = lastWindowIn(item->childAt(i), owner)) return w;
    return nullptr;
}

GChildWindow* previousSiblingWindow(GChildWindow* window) {
    for (GLayoutCell* c = window; c->container; c = c->container)
        for (int i = c->index - 1; i >= 0; --i)
            if (GChildWindow* w = lastWindowIn(c->container->childAt(i), window->owner)) return w;
    return nullptr;
}

bool canTakeFocus(GChildWindow* window, bool needTabStop) {
    if (!window || window->destroyed() || !window->hwnd || !window->acceptsFocus()) return false;
    LONG style = GetWindowLongA(window->hwnd, GWL_STYLE);
    if (!(style & WS_VISIBLE) || (style & WS_DISABLED)) return false;
    return !needTabStop || (style & WS_TABSTOP);
}

static bool insideClient(GChildWindow* window, GParentWindow* parent) {
    const RECT& r = window->rect;
    if (rectEmpty(r)) return false;
    RECT client;
    GetClientRect(parent->hwnd, &client);
    return r.left >= client.left && r.top >= client.top && r.right <= client.right && r.bottom <= client.bottom;
}

GChildWindow* nextFocusable(GParentWindow* parent, GChildWindow* from, bool forward) {
    GChildWindow* w = from;
    for (;;) {
        w = w ? (forward ? nextWindow(w) : previousWindow(w)) : nullptr;
        if (!w) w = forward ? firstChildWindow(parent) : lastChildWindow(parent);
        if (!w || w == from) return nullptr;
        if (canTakeFocus(w, true) && insideClient(w, parent)) return w;
        if (!from) from = w;  // no start: stop after one round
    }
}

void giveFocus(GChildWindow* window) {
    GParentWindow* parent = topLevelParent(window->owner);
    if (parent) parent->focusChild = window;
    if (window->hwnd) SetFocus(window->hwnd);
}

// ---- idle refresh ----

namespace {
class IdleRefresh : public GItemBase {
public:
    bool onIdle() override {
        refreshDirtyWindows();
        return false;
    }
};
IdleRefresh* g_idleRefresh = nullptr;
}  // namespace

void installIdleRefresh() {
    GApplication* app = application();
    if (!app) return;
    if (g_idleRefresh && g_idleRefresh->lifeRecord()->owner == &app->idleList) return;
    delete g_idleRefresh;
    g_idleRefresh = new IdleRefresh;
    ListenerChain::append(app->idleList, g_idleRefresh->lifeRecord());
}

void refreshDirtyWindows() {
    if (!relayoutPending) return;
    GWindowMap::Iterator it(parentWindowMap());
    while (GWindowMapEntry* entry = it.next()) {
        GParentWindow* window = static_cast<GParentWindow*>(static_cast<GWindow*>(entry));
        if (window->flags & WindowRepaintPending) window->refresh();
    }
    relayoutPending = false;
}

// ---- background ----

void eraseParentBackground(GParentWindow* window, HDC dc) {
    RectangleList area;
    RECT client;
    GetClientRect(window->hwnd, &client);
    area.add(client);
    for (GChildWindow* w = firstChildWindow(window); w; w = nextWindow(w))
        if (w->visible() && w->hwnd && IsWindowVisible(w->hwnd)) w->removeCoveredArea(area);
    paintUncoveredArea(dc, rootCell(window), area);
}
