#include "gui/layout/layout_transaction.h"

#include <algorithm>

#include "gui/kernel/child_window.h"
#include "gui/kernel/parent_window.h"
#include "gui/layout/deferred_focus.h"
#include "gui/paint/colors.h"

i32 layoutTransactionDepth = 0;

namespace {
std::vector<LayoutTransactionEntry> g_entries;
RectangleList g_uncovered;
std::vector<GChildWindow*> g_invalidated;  // invalidations deferred to the end

void addToUncovered(GChildWindow* window, bool add) {
    if (add)
        window->addOwnArea(g_uncovered);
    else
        window->removeCoveredArea(g_uncovered);
}

// The item whose tree holds the window's cell: its root, or the owner's content.
GLayoutCell* rootOf(GWindow* window) {
    if (!window || !window->isKindOf(TypeParentWindow)) return nullptr;
    GItemBase* content = static_cast<GParentWindow*>(window)->content;
    return content ? content->asLayoutCell() : nullptr;
}

// Re-arranges the nearest container above each listed window that did not ask for a relayout.
void applyRequestedRelayouts() {
    size_t n = g_entries.size();
    for (size_t i = 0; i < n && i < g_entries.size(); ++i) {
        GChildWindow* window = g_entries[i].window;
        if (!(window->cellFlags & CellRelayoutRequested)) continue;
        GLayoutCell* item = window->container;
        while (item && (item->cellFlags & CellRelayoutRequested)) item = item->container;
        if (!item) item = rootOf(topLevelOf(window->owner));
        if (!item) continue;
        applyLayoutChange(item, item->rect);
        clearRelayoutFlags(item);
    }
}

// The frame of a window with a non-client part is drawn again too (it was moved without redraw).
UINT frameFlag(HWND hwnd) {
    const LONG frames = WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | WS_HSCROLL | WS_VSCROLL;
    const LONG edges = WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME;
    bool framed = (GetWindowLongA(hwnd, GWL_STYLE) & frames) || (GetWindowLongA(hwnd, GWL_EXSTYLE) & edges);
    return framed ? RDW_FRAME : 0;
}

void paintUncovered(GWindow* top) {
    if (g_uncovered.empty() || !top || !top->hwnd) return;
    HDC dc = GetDC(top->hwnd);
    int saved = SaveDC(dc);
    paintUncoveredArea(dc, rootOf(top), g_uncovered);
    RestoreDC(dc, saved);
    ReleaseDC(top->hwnd, dc);
}
}  // namespace

void paintUncoveredArea(HDC dc, GLayoutCell* root, RectangleList& area) {
    RectangleList own;
    GLayoutCell* cell = root;
    while (cell) {
        bool descend = false;
        if (cell->visible()) {
            GLayoutItem* item = cell->asLayoutItem();
            if (cell->cellFlags & CellOwnBackground) {
                area.copyInside(cell->rect, own);
                if (!rectEmpty(cell->rect)) area.subtract(cell->rect);
                if (item)
                    for (int i = 0; i < item->childCount(); ++i)
                        if (GLayoutCell* child = item->childAt(i))
                            if (!rectEmpty(child->rect)) own.subtract(child->rect);
            } else {
                descend = item != nullptr;
            }
        }
        GLayoutCell* next = nextCellInTreeOrder(cell, descend);
        cell = next && isWithin(next, root) ? next : nullptr;
    }
    area.fill(dc, toolkitColors.classBackground);
    own.fill(dc, toolkitColors.background);
    area.clear();
}

void beginLayoutTransaction() {
    if (++layoutTransactionDepth == 1) clearLayoutTransaction();
}

void clearLayoutTransaction() {
    for (const LayoutTransactionEntry& e : g_entries) e.window->transactionPending = false;
    std::vector<LayoutTransactionEntry>().swap(g_entries);
    g_uncovered.clear();
    g_invalidated.clear();
}

void recordInLayoutTransaction(GChildWindow* window) {
    if (window->transactionPending) return;
    window->transactionPending = true;
    g_entries.push_back(LayoutTransactionEntry{window, window->rect, window->visible()});
    if (window->visible() && window->rect.right >= 0) addToUncovered(window, true);
}

void setWindowRect(GChildWindow* window, const RECT& r) {
    if (rectsEqual(r, window->rect)) return;
    if (layoutTransactionDepth != 0)
        recordInLayoutTransaction(window);
    else if (window->hwnd)
        window->setRect(r, SWP_NOACTIVATE);
    window->rect = r;
}

void removeFromLayoutTransaction(GChildWindow* window) {
    g_invalidated.erase(std::remove(g_invalidated.begin(), g_invalidated.end(), window), g_invalidated.end());
    if (window->transactionPending) {
        for (size_t i = 0; i < g_entries.size(); ++i)
            if (g_entries[i].window == window) {
                g_entries.erase(g_entries.begin() + i);
                break;
            }
        // Cleared, so that the window's later changes in transactions are recorded again.
        window->transactionPending = false;
        return;
    }
    if (window->visible() && window->rect.right > 0) addToUncovered(window, true);
}

void invalidateWindow(GChildWindow* window) {
    if (!window->hwnd) return;
    if (window->redrawLock != 0) {
        window->flags |= WindowRepaintPending;
        return;
    }
    if (layoutTransactionDepth > 0) {
        if (!window->transactionPending &&
            std::find(g_invalidated.begin(), g_invalidated.end(), window) == g_invalidated.end())
            g_invalidated.push_back(window);
        return;
    }
    InvalidateRect(window->hwnd, nullptr, TRUE);
}

void repaintArea(GWindow* owner, const RECT& r) {
    if (rectEmpty(r)) return;
    if (layoutTransactionDepth > 0) {
        g_uncovered.subtract(r);
        g_uncovered.add(r);
        return;
    }
    if (owner && owner->hwnd) InvalidateRect(owner->hwnd, &r, TRUE);
}

void clearRelayoutFlags(GLayoutCell* cell) {
    cell->cellFlags &= ~CellRelayoutRequested;
    if (GLayoutItem* item = cell->asLayoutItem())
        for (int i = 0; i < item->childCount(); ++i)
            if (GLayoutCell* child = item->childAt(i)) clearRelayoutFlags(child);
}

void endLayoutTransaction(GWindow* window) {
    if (layoutTransactionDepth == 1 && !g_entries.empty()) applyRequestedRelayouts();
    if (--layoutTransactionDepth != 0) return;
    std::vector<GChildWindow*> invalidated;
    invalidated.swap(g_invalidated);
    if (!g_entries.empty()) {
        // A window that stays visible is moved without redraw and without copying its pixels, which
        // shows nothing in between just as hiding it would; only windows that change their
        // visibility are hidden or shown.
        for (const LayoutTransactionEntry& e : g_entries)
            if (e.redraw && !e.window->visible() && e.window->hwnd)
                SetWindowPos(e.window->hwnd, nullptr, 0, 0, 0, 0, 0x79F);
        for (const LayoutTransactionEntry& e : g_entries) {
            GChildWindow* w = e.window;
            if (rectsEqual(w->rect, e.rect)) continue;
            if (w->visible()) {
                if (w->hwnd) w->setRect(w->rect, SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOCOPYBITS);
            } else {
                w->rect = e.rect;  // a hidden window is not moved
            }
        }
        for (const LayoutTransactionEntry& e : g_entries) {
            if (!e.window->visible()) continue;
            if (!e.redraw && e.window->hwnd) SetWindowPos(e.window->hwnd, nullptr, 0, 0, 0, 0, 0x75F);
            addToUncovered(e.window, false);
        }
        paintUncovered(topLevelOf(window));
        for (const LayoutTransactionEntry& e : g_entries) {
            if (e.window->visible() && e.window->hwnd)
                RedrawWindow(e.window->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | frameFlag(e.window->hwnd));
            e.window->transactionPending = false;
        }
    }
    for (GChildWindow* w : invalidated)
        if (w->hwnd) InvalidateRect(w->hwnd, nullptr, TRUE);
    clearLayoutTransaction();
    applyDeferredFocus();
}

const std::vector<LayoutTransactionEntry>& layoutTransactionEntries() { return g_entries; }
const RectangleList& uncoveredArea() { return g_uncovered; }
