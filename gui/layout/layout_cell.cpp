#include "gui/layout/layout_cell.h"

#include <algorithm>

#include "gui/input/input_event.h"
#include "gui/kernel/child_window.h"
#include "gui/kernel/parent_window.h"
#include "gui/layout/align.h"
#include "gui/layout/layout_transaction.h"

// ---- GLayoutCell ----

GLayoutCell::~GLayoutCell() {
    if (container) container->removeChild(this);
    container = nullptr;
    index = -1;
}

i32 GLayoutItem::commandState(u32 command) {
    return command >= 1000 && command <= 9999 ? CommandEnabled : CommandUnknown;
}

void GLayoutCell::getPreferredSize(i32* width, i32* height) {
    *width = 0;
    *height = 0;
}

GWindow* GLayoutCell::topLevelWindow() const { return topLevelOf(owner); }

u32 GLayoutCell::refreshLayoutFlags() {
    cellFlags &= ~(CellSizeCached | CellHfwCached);
    return cellFlags & CellHeightForWidth;
}

void GLayoutCell::notify(int event) {
    switch (event) {
    case LayoutExclude:
        cellFlags |= CellExcluded;
        if (visible()) notify(LayoutHide);
        break;
    case LayoutHide:
        cellFlags &= ~CellVisible;
        break;
    case LayoutShow:
        if (cellFlags & (CellVisible | CellExcluded)) break;
        cellFlags |= CellVisible;
        if (container) {
            if (layoutTransactionDepth > 0)
                cellFlags |= CellRelayoutRequested;
            else
                applyLayoutChange(container, container->rect);
        }
        break;
    case LayoutInclude:
        cellFlags &= ~CellExcluded;
        if (!container || container->visible()) notify(LayoutShow);
        break;
    case LayoutReveal: {
        GWindow* top = topLevelWindow();
        auto bringForward = [top] {
            if (top && top->hwnd) SetForegroundWindow(top->hwnd);
        };
        if (visible()) {
            bringForward();
            break;
        }
        if (!container) {
            notify(LayoutInclude);
            break;
        }
        if (!container->visible())
            container->notify(LayoutReveal);
        else
            bringForward();
        if (!visible()) container->requestRelayout(this);
        if (!visible()) notify(LayoutInclude);
        break;
    }
    default:
        break;
    }
}

// ---- GLayoutItem ----

GLayoutItem::~GLayoutItem() { removeAllChildren(); }

void GLayoutItem::getPreferredSize(i32* width, i32* height) {
    i32 w = 0, h = 0;
    for (GLayoutCell* child : children) {
        if (!child) continue;
        i32 cw, ch;
        preferredSizeOf(child, &cw, &ch);
        w = std::max(w, cw);
        h = std::max(h, ch);
    }
    *width = w;
    *height = h;
}

void GLayoutItem::setRect(const RECT& r) {
    rect = r;
    for (GLayoutCell* child : children)
        if (child && !(child->cellFlags & CellExcluded)) placeCellAligned(child, r, '*', '*');
}

u32 GLayoutItem::refreshLayoutFlags() {
    cellFlags &= ~(CellSizeCached | CellHeightForWidth | CellHfwCached);
    for (int i = childCount() - 1; i >= 0; --i)
        if (GLayoutCell* child = childAt(i)) cellFlags |= child->refreshLayoutFlags() & CellHeightForWidth;
    return cellFlags & CellHeightForWidth;
}

void GLayoutItem::notify(int event) {
    if (event == LayoutHide && !visible()) return;
    bool wasVisible = visible();
    GLayoutCell::notify(event);
    bool spread = event == LayoutHide || (event == LayoutShow && !wasVisible && visible());
    if (!spread) return;
    LayoutTransaction transaction(owner);
    for (int i = 0; i < childCount(); ++i)
        if (GLayoutCell* child = childAt(i)) child->notify(event);
}

void GLayoutItem::attachChild(GLayoutCell* child, int i) {
    child->container = this;
    child->index = i;
    if (child->owner != owner) reparentCell(child, owner);
    child->setInheritedFlag(inheritedFlagFor(child));
    if (!visible()) child->notify(LayoutHide);
}

void GLayoutItem::insertChild(int i, GLayoutCell* child) {
    if (!child) return;
    if (i >= (int)children.size()) children.resize(i + 1, nullptr);
    children[i] = child;
    attachChild(child, i);
}

void GLayoutItem::requestRelayout(GLayoutCell* cell) {
    if (container) {
        container->requestRelayout(this);
        return;
    }
    (void)cell;
    // At the root: the owner arranges the whole tree again in its last rectangle.
    applyLayoutChange(this, rect);
}

void GLayoutItem::addChild(GLayoutCell* child) {
    int at = (int)children.size();
    children.push_back(nullptr);
    insertChild(at, child);
}

void GLayoutItem::removeChild(GLayoutCell* child) {
    if (!child || child->container != this) return;
    int i = child->index;
    if (i >= 0 && i < (int)children.size() && children[i] == child) children[i] = nullptr;
    child->container = nullptr;
    child->index = -1;
}

void GLayoutItem::renumberFrom(int from) {
    for (int i = std::max(from, 0); i < (int)children.size(); ++i)
        if (children[i]) children[i]->index = i;
}

void GLayoutItem::insertChildAt(int i, GLayoutCell* child) {
    i = std::max(0, std::min(i, (int)children.size()));
    children.insert(children.begin() + i, child);
    renumberFrom(i);
    if (child) attachChild(child, i);
}

static void hideWindowOfCell(GLayoutCell* cell) {
    GChildWindow* window = cell->asChildWindow();
    if (!window || !window->visible() || !window->hwnd) return;
    if (layoutTransactionDepth > 0) removeFromLayoutTransaction(window);
    SetWindowPos(window->hwnd, nullptr, 0, 0, 0, 0, 0x79F);
    window->cellFlags &= ~CellVisible;
}

void GLayoutItem::removeAt(int i) {
    GLayoutCell* child = takeOutAt(i);
    if (!child) return;
    hideWindowOfCell(child);
    deleteChildCell(child);
}

GLayoutCell* GLayoutItem::takeOutAt(int i) {
    if (i < 0 || i >= (int)children.size()) return nullptr;
    GLayoutCell* child = children[i];
    children.erase(children.begin() + i);
    renumberFrom(i);
    if (child) {
        child->container = nullptr;
        child->index = -1;
    }
    return child;
}

void GLayoutItem::moveChild(int from, int to) {
    if (to == from || to == from + 1) return;
    if (from < 0 || from >= (int)children.size()) return;
    GLayoutCell* child = children[from];
    children.erase(children.begin() + from);
    int at = to > from ? to - 1 : to;
    at = std::max(0, std::min(at, (int)children.size()));
    children.insert(children.begin() + at, child);
    renumberFrom(0);
}

void GLayoutItem::removeAllChildren() {
    for (int i = (int)children.size() - 1; i >= 0; --i) {
        GLayoutCell* child = children[i];
        if (!child) continue;
        child->container = nullptr;
        child->index = -1;
        if (layoutTransactionDepth > 0) hideWindowOfCell(child);
        children[i] = nullptr;
        delete child;
    }
    children.clear();
    children.shrink_to_fit();
}

// ---- placement ----

void preferredSizeOf(GLayoutCell* cell, i32* width, i32* height) {
    if (!(cell->cellFlags & CellSizeCached)) {
        cell->prefWidth = -1;
        cell->prefHeight = -1;
        cell->getPreferredSize(&cell->prefWidth, &cell->prefHeight);
        cell->cellFlags |= CellSizeCached;
    }
    *width = cell->prefWidth;
    *height = cell->prefHeight;
}

i32 heightForWidth(GLayoutCell* cell, i32 width) {
    if ((cell->cellFlags & CellHfwCached) && width == cell->hfwWidth) return cell->hfwHeight;
    if ((cell->cellFlags & CellSizeCached) && width == cell->prefWidth) return cell->prefHeight;
    cell->hfwWidth = width;
    cell->hfwHeight = -1;
    i32 w = width;
    cell->getPreferredSize(&w, &cell->hfwHeight);
    cell->cellFlags |= CellHfwCached;
    return cell->hfwHeight;
}

void placeCellAligned(GLayoutCell* cell, const RECT& room, char h, char v) {
    if (h == '*') h = cell->hAlign;
    if (h == '?') h = 'U';
    if (v == '*') v = cell->vAlign;
    if (v == '?') v = 'C';
    if ((cell->cellFlags & CellCentreIsTop) && (v == 'C' || v == '-')) v = '^';
    if (h == 'U' && v == 'C') {
        cell->setRect(room);
        return;
    }
    i32 w, ht;
    if (cell->cellFlags & CellHeightForWidth) {
        w = room.right - room.left;
        ht = heightForWidth(cell, w);
    } else {
        preferredSizeOf(cell, &w, &ht);
    }
    RECT r{0, 0, w, ht};
    alignRect(r, room, h, v);
    cell->setRect(r);
}

void applyLayoutChange(GLayoutCell* cell, const RECT& rect) {
    cell->refreshLayoutFlags();
    LayoutTransaction transaction(cell->owner);
    cell->setRect(rect);
}

void setAlignmentCode(GLayoutCell* cell, const char* code) {
    if (!code || !code[0]) return;
    if (code[0] != '*') cell->hAlign = code[0];
    if (code[1] && code[1] != '*') cell->vAlign = code[1];
}

void setLayoutDigits(GLayoutItem* item, const char* digits) {
    if (!digits) return;
    for (int i = 0; i < 8 && digits[i]; ++i) item->digits[i] = (u8)(digits[i] - '0');
}

// ---- tree walks ----

void enableSubtree(GLayoutItem* item, bool enable) {
    for (int i = 0; i < item->childCount(); ++i) {
        GLayoutCell* child = item->childAt(i);
        if (!child) continue;
        if (GChildWindow* window = child->asChildWindow()) {
            if (window->hwnd) EnableWindow(window->hwnd, enable);
        } else if (GLayoutItem* sub = child->asLayoutItem()) {
            enableSubtree(sub, enable);
        }
    }
}

int countVisibleChildren(GLayoutItem* item) {
    int n = 0;
    for (int i = 0; i < item->childCount(); ++i)
        if (GLayoutCell* child = item->childAt(i)) n += child->visible() ? 1 : 0;
    return n;
}

void deleteChildCell(GLayoutCell* cell) {
    if (!cell) return;
    if (cell->container) cell->container->removeChild(cell);
    cell->container = nullptr;
    cell->index = -1;
    if (layoutTransactionDepth > 0) hideWindowOfCell(cell);
    delete cell;
}

void reparentCell(GLayoutCell* cell, GWindow* newOwner) {
    if (cell->owner == newOwner) return;
    GWindow* old = cell->owner;
    cell->owner = newOwner;
    if (GChildWindow* window = cell->asChildWindow()) {
        if (old && old->isKindOf(TypeParentWindow)) {
            GParentWindow* parent = static_cast<GParentWindow*>(old);
            if (parent->focusChild == window) parent->focusChild = nullptr;
        }
        if (window->hwnd && newOwner && newOwner->hwnd) SetParent(window->hwnd, newOwner->hwnd);
        return;
    }
    if (GLayoutItem* item = cell->asLayoutItem())
        for (int i = 0; i < item->childCount(); ++i)
            if (GLayoutCell* child = item->childAt(i)) reparentCell(child, newOwner);
}

GChildWindow* findWindowInSubtree(GLayoutCell* cell, bool (*predicate)(GChildWindow*, void*), void* context) {
    if (!cell) return nullptr;
    if (GChildWindow* window = cell->asChildWindow()) return predicate(window, context) ? window : nullptr;
    if (GLayoutItem* item = cell->asLayoutItem())
        for (int i = 0; i < item->childCount(); ++i)
            if (GChildWindow* hit = findWindowInSubtree(item->childAt(i), predicate, context)) return hit;
    return nullptr;
}

bool isWithin(GLayoutCell* cell, GLayoutCell* target) {
    for (GLayoutCell* c = cell; c; c = c->container)
        if (c == target) return true;
    return false;
}

static GLayoutCell* firstPresentChild(GLayoutItem* item, int from) {
    for (int i = from; i < item->childCount(); ++i)
        if (GLayoutCell* child = item->childAt(i)) return child;
    return nullptr;
}

GLayoutCell* nextCellInTreeOrder(GLayoutCell* cell, bool descend) {
    if (descend)
        if (GLayoutItem* item = cell->asLayoutItem())
            if (GLayoutCell* first = firstPresentChild(item, 0)) return first;
    for (GLayoutCell* c = cell; c && c->container; c = c->container)
        if (GLayoutCell* sibling = firstPresentChild(c->container, c->index + 1)) return sibling;
    return nullptr;
}

GLayoutCell* lastDescendant(GLayoutCell* cell) {
    for (;;) {
        GLayoutItem* item = cell->asLayoutItem();
        if (!item) return cell;
        GLayoutCell* last = nullptr;
        for (int i = item->childCount() - 1; i >= 0 && !last; --i) last = item->childAt(i);
        if (!last) return cell;
        cell = last;
    }
}

GLayoutCell* itemAtPoint(GLayoutCell* cell, i32 x, i32 y) {
    if (!cell || !cell->visible()) return nullptr;
    if (GLayoutItem* item = cell->asLayoutItem()) {
        GLayoutCell* kept = nullptr;
        for (int i = 0; i < item->childCount(); ++i) {
            GLayoutCell* hit = itemAtPoint(item->childAt(i), x, y);
            if (!hit) continue;
            if (!hit->passesHits()) return hit;
            kept = hit;
        }
        if (kept) return kept;
    }
    return rectContainsPoint(cell->rect, x, y) ? cell : nullptr;
}

// ---- routing up ----

GItemBase* nextReceiver(GItemBase* item) {
    GLayoutCell* cell = item->asLayoutCell();
    if (!cell) return nullptr;
    if (cell->container) return cell->container;
    GWindow* owner = cell->owner;
    if (!owner) return nullptr;
    GItemBase* ownerItem = owner->item();
    return ownerItem == item ? nullptr : ownerItem;
}

bool notifyUp(GLayoutCell* source, GControlNotification* notification) {
    for (GItemBase* item = source; item; item = nextReceiver(item))
        if (item->onControlNotify(notification)) return true;
    return false;
}

bool routeCommandUp(GItemBase* source, u32 kind, GStateQuery* query) {
    for (GItemBase* item = source; item;) {
        if (item->answerStateQuery(kind, query)) return true;
        GItemBase* next = nextReceiver(item);
        // Past a top-level window the query goes on to the window that owns it.
        if (!next)
            if (GParentWindow* top = item->asParentWindow())
                if (GWindow* owner = top->ownerWindow()) next = owner->item();
        item = next;
    }
    return false;
}
