#include "gui/views/tab.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "gui/input/drag_image.h"
#include "gui/layout/layout_transaction.h"
#include "gui/layout/sized_box.h"
#include "gui/paint/fonts.h"
#include "gui/paint/image_list_cache.h"
#include "gui/paint/text_measure.h"
#include "gui/views/tab_actions.h"

namespace {
GTab* stripList = nullptr;
}  // namespace

GTab* firstStrip() { return stripList; }

void relayoutAllStrips() {
    for (GTab* strip = stripList; strip; strip = strip->nextStrip) {
        strip->cellFlags &= ~CellSizeCached;
        if (strip->container) strip->container->requestRelayout(strip);
        if (strip->hwnd) InvalidateRect(strip->hwnd, nullptr, FALSE);
    }
}

GTabRecord* GTabItem::refreshRecord() {
    if (!record) record = new GTabRecord;
    record->modified = isModified() ? 1 : 0;
    record->label = shortText();
    GString full = fullText();
    record->tooltip = typeName() ? typeName() : "";
    if (!full.empty()) {
        stringAppend(record->tooltip, ": ");
        stringAppend(record->tooltip, full.c_str());
    }
    record->icon = icon();
    return record;
}

GTab::GTab(GWindow* parent, u32* flagWord) : GUserWindow(parent), flagWord(flagWord) {
    nextStrip = stripList;
    if (stripList) stripList->previousStrip = this;
    stripList = this;
}

GTab::~GTab() {
    if (previousStrip)
        previousStrip->nextStrip = nextStrip;
    else if (stripList == this)
        stripList = nextStrip;
    if (nextStrip) nextStrip->previousStrip = previousStrip;
    nextStrip = previousStrip = nullptr;
    listener = nullptr;
    dropDragImage();
    if (hwnd && GetCapture() == hwnd) ReleaseCapture();
    if (container) container->cellFlags &= ~CellSizeCached;
    destroyNative();
}

bool GTab::create() {
    if (!GUserWindow::create(WS_CHILD | WS_VISIBLE)) return false;
    drawStyle |= DrawRepaintOnResize | DrawOffscreen;
    tracker = new GTabTracker(this);
    return true;
}

void GTab::repaint() {
    if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
}

void GTab::relayoutParent() {
    cellFlags &= ~CellSizeCached;
    if (container) container->requestRelayout(this);
    repaint();
}

// ---- counts ----

i32 GTab::tabCount() const { return listener ? std::max(listener->tabCount(), 0) : 0; }

GTabRecord* GTab::recordOf(i32 index) const {
    if (!listener || index < 0 || index >= tabCount()) return nullptr;
    GTabItem* item = listener->tabItem(index);
    if (!item) return nullptr;
    if (!item->record) item->refreshRecord();
    return item->record;
}

bool GTab::tabVisible(i32 index) const {
    GTabRecord* r = recordOf(index);
    return r ? r->visible != 0 : index >= 0 && index < tabCount();
}

bool GTab::tabAttached(i32 index) const {
    GTabRecord* r = recordOf(index);
    return r && r->attached;
}

i32 GTab::widthOf(i32 index) const {
    GTabRecord* r = recordOf(index);
    return r ? r->width : 20;
}

i32 GTab::visibleTabCount() const {
    i32 n = 0;
    for (i32 i = 0; i < tabCount(); ++i) n += tabVisible(i) ? 1 : 0;
    return n;
}

i32 GTab::nextVisibleTab(i32 from, i32 direction) const {
    const i32 n = tabCount();
    if (direction == 0) return -1;
    for (i32 i = from; i >= 0 && i < n; i += direction)
        if (tabVisible(i)) return i;
    return -1;
}

i32 GTab::lastVisibleTab() const { return nextVisibleTab(tabCount() - 1, -1); }

// ---- operations ----

void GTab::setListener(GTabListener* newListener) {
    listener = newListener;
    stripFlags |= TabAnchorLeft | TabKeepInView;
    stripFlags &= ~(TabLeftAligned | TabRightAligned | TabAllFit);
    current = origin = tabCount() > 0 ? 0 : -1;
    repaint();
}

bool GTab::select(i32 index) {
    if (!listener) return false;
    if (index != -1 && (index < 0 || index >= tabCount() || !tabVisible(index))) return false;
    if (index == current) return false;
    i32 old = current;
    current = index;
    listener->tabChanged(old, index);
    stripFlags |= TabKeepInView;
    repaint();
    return true;
}

void GTab::tabInserted(i32 index) {
    if (!listener || index < 0) return;
    if (current >= 0 && current >= index) ++current;
    if (tabCount() == 2 && option(TabOptionAutoHide)) relayoutParent();
    repaint();
}

i32 GTab::successorOnClose(i32 index) const {
    if (index != current) return current;
    i32 n = tabCount();
    if (n <= 1) return -1;
    if (index == n - 1) return index - 1;
    return index;  // the next tab takes index i after removal
}

void GTab::settleAfterRemoval(i32 index, i32 successor, bool wasCurrent) {
    if (wasCurrent)
        current = successor;
    else if (current > index)
        --current;
    if (current >= tabCount()) current = tabCount() - 1;
    stripFlags |= TabKeepInView;
    if (option(TabOptionAutoHide) && tabCount() <= 1)
        relayoutParent();
    else
        repaint();
}

bool GTab::closeTab(i32 index) {
    if (!listener || index < 0 || index >= tabCount()) return false;
    GTabItem* item = listener->tabItem(index);
    if (!item || item->closeState() != 0) return false;
    if (origin == tabCount() - 1 && origin > 0) --origin;
    const bool wasCurrent = index == current;
    i32 successor = successorOnClose(index);
    LifeGuard guard(lifeRecord());
    if (wasCurrent) {
        // The successor's index before removal.
        i32 before = successor < 0 ? -1 : (successor >= index ? successor + 1 : successor);
        listener->tabChanged(index, before);
        if (!guard.alive()) return true;
    }
    listener->takePageOut(index);
    if (!guard.alive()) return true;
    settleAfterRemoval(index, successor, wasCurrent);
    return true;
}

void GTab::showTab(i32 index) {
    GTabRecord* r = recordOf(index);
    if (!r) return;
    r->visible = 1;
    if (current < 0) select(index);
    relayoutParent();
}

void GTab::hideTab(i32 index) {
    GTabRecord* r = recordOf(index);
    if (!r) return;
    r->visible = 0;
    if (index == current) {
        i32 next = nextVisibleTab(index + 1, 1);
        if (next < 0) next = nextVisibleTab(index - 1, -1);
        current = next;
        if (listener) listener->tabChanged(index, next);
        stripFlags |= TabKeepInView;
    }
    relayoutParent();
}

void GTab::toggleAttached(i32 index) {
    GTabRecord* r = recordOf(index);
    if (!r) return;
    r->attached = !r->attached;
    repaint();
}

void GTab::selectNext() {
    if (current < 0) return;
    i32 next = nextVisibleTab(current + 1, 1);
    if (next < 0) next = nextVisibleTab(0, 1);
    if (next >= 0) select(next);
}

void GTab::selectPrevious() {
    if (current < 0) return;
    i32 previous = nextVisibleTab(current - 1, -1);
    if (previous < 0) previous = lastVisibleTab();
    if (previous >= 0) select(previous);
}

void GTab::scrollLeft() {
    if (stripFlags & TabLeftAligned) {
        if (!(stripFlags & TabAnchorLeft)) {
            origin = farEnd;
            stripFlags |= TabAnchorLeft;
        }
        if (origin > nextVisibleTab(0, 1)) {
            i32 previous = nextVisibleTab(origin - 1, -1);
            if (previous >= 0) origin = previous;
        }
    } else {
        origin = farEnd;
        stripFlags |= TabAnchorLeft;
    }
    stripFlags &= ~TabKeepInView;
    repaint();
}

void GTab::scrollRight() {
    if (stripFlags & TabRightAligned) {
        if (stripFlags & TabAnchorLeft) {
            origin = farEnd;
            stripFlags &= ~TabAnchorLeft;
        }
        if (origin >= 0 && origin < lastVisibleTab()) {
            i32 next = nextVisibleTab(origin + 1, 1);
            if (next >= 0) origin = next;
        }
    } else {
        origin = farEnd;
        stripFlags &= ~TabAnchorLeft;
    }
    stripFlags &= ~TabKeepInView;
    repaint();
}

// ---- measuring and layout ----

i32 GTab::miniSize() const {
    static i32 size = [] {
        int w = 0, h = 0;
        void* list = getImageList(0x2357);
        if (list) ImageList_GetIconSize((HIMAGELIST)list, &w, &h);
        return w > 0 ? w : 9;
    }();
    return size + 2;
}

void GTab::measureTabs() {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, getMessageFont()->font);
    SIZE star{0, 0};
    GetTextExtentPoint32A(dc, "*", 1, &star);
    markerWidth = star.cx + 1;
    const i32 m = miniSize();
    const RECT& area = primaryWorkArea();
    const i32 most = std::max<i32>((area.right - area.left) / 8, 1);
    for (i32 i = 0; listener && i < tabCount(); ++i) {
        GTabItem* item = listener->tabItem(i);
        if (!item) continue;
        GTabRecord* r = item->refreshRecord();
        SIZE size{0, 0};
        if (!r->label.empty()) GetTextExtentPoint32A(dc, r->label.c_str(), (int)r->label.length, &size);
        i32 w = std::max<i32>(size.cx, 2 * m + 2) + 9;
        if (r->modified) w += markerWidth;
        if (iconSize > 0) w += iconSize + 1;
        r->width = std::min(w, most);
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
}

void GTab::getPreferredSize(i32* width, i32* height) {
    if (option(TabOptionAutoHide) && tabCount() <= 1) {
        *width = *height = 0;
        return;
    }
    measureTabs();
    i32 w = 0;
    for (i32 k : {TabCloseButton, TabSelectButton, TabAddButton, TabAttachButton})
        if (tabStripButton(k)->isShown(*this)) w += TabButtonStep;
    for (i32 i = 0; i < tabCount(); ++i)
        if (tabVisible(i)) w += widthOf(i) + 1;
    SIZE metrics = getUiFontMetrics(getMessageFont());
    *width = w;
    *height = std::max<i32>(std::max<i32>(metrics.cy + 6, 24), iconSize + 6);
}

bool GTab::onSize(i32 width, i32 height) {
    repaint();
    return GUserWindow::onSize(width, height);
}

void GTab::layout(i32 width) {
    measureTabs();
    arrange(width);
}

void GTab::placeSpans(i32 left, i32 right) {
    const i32 n = tabCount();
    spanLeft.assign(n, 0);
    spanRight.assign(n, 0);
    if (origin < 0) return;
    const bool toRight = (stripFlags & TabAnchorLeft) != 0;
    i32 x = toRight ? left : right;
    for (i32 i = origin; i >= 0 && i < n; i = nextVisibleTab(i + (toRight ? 1 : -1), toRight ? 1 : -1)) {
        if (!tabVisible(i)) continue;
        i32 w = widthOf(i);
        i32 a = toRight ? x : x - w, b = toRight ? x + w : x;
        spanLeft[i] = std::max(a, left);
        spanRight[i] = std::min(b, right);
        x = toRight ? b + 1 : a - 1;
        if (toRight ? x >= right : x <= left) break;
    }
}

void GTab::arrange(i32 W) {
    stripFlags |= TabAllFit;
    i32 L = 0, R = W;
    for (i32 k : {TabCloseButton, TabSelectButton, TabAddButton, TabAttachButton})
        if (tabStripButton(k)->isShown(*this)) R -= TabButtonStep;
    passes = 0;
    const i32 first = nextVisibleTab(0, 1), last = lastVisibleTab();
    if (first < 0) {
        current = origin = farEnd = -1;
        stripFlags |= TabAnchorLeft | TabAllFit;
        stripFlags &= ~(TabLeftAligned | TabRightAligned);
        tabsLeft = L;
        tabsRight = std::max(R, L);
        placeSpans(tabsLeft, tabsRight);
        return;
    }
    origin = std::max(first, std::min(origin, last));
    if (!tabVisible(origin)) origin = nextVisibleTab(origin, 1) >= 0 ? nextVisibleTab(origin, 1) : first;
    bool pending = (stripFlags & TabKeepInView) && current >= 0 && current < tabCount();
    stripFlags &= ~(TabLeftAligned | TabRightAligned | TabAllFit | TabKeepInView);
    tabsLeft = L;
    tabsRight = std::max(R, L);
    if (R - L < 1) {
        spanLeft.assign(tabCount(), 0);
        spanRight.assign(tabCount(), 0);
        return;
    }
    // Tabs with the 1-pixel gaps between them.
    i64 total = -1;
    for (i32 i = first; i >= 0; i = nextVisibleTab(i + 1, 1)) total += widthOf(i) + 1;
    if (total <= R - L) {
        stripFlags |= TabAnchorLeft | TabLeftAligned | TabAllFit;
        if (total == R - L) stripFlags |= TabRightAligned;
        origin = first;
        farEnd = last;
        placeSpans(L, R);
        return;
    }
    if (visibleTabCount() > 1) {
        L += TabButtonStep;
        R -= TabButtonStep;
    }
    tabsLeft = L;
    tabsRight = std::max(R, L);
    // Room counts each tab with its trailing gap; the last gap may fall outside.
    i64 room = 0;
    for (;;) {
        ++passes;
        const bool toRight = (stripFlags & TabAnchorLeft) != 0;
        const i32 step = toRight ? 1 : -1;
        if (pending && (toRight ? current < origin : current > origin)) origin = current;
        room = (i64)(R - L) + 1;
        i32 i = origin;
        farEnd = origin;
        while (i >= 0 && room >= 2) {
            room -= widthOf(i) + 1;
            farEnd = i;
            i = nextVisibleTab(i + step, step);
        }
        if (passes >= TabFillPassLimit) break;
        if (i < 0 && room > 0) {
            // The row ended with room to spare: fill from the far end the other way.
            stripFlags ^= TabAnchorLeft;
            origin = farEnd;
            continue;
        }
        if (!pending) break;
        pending = false;
        if (current == origin) break;
        if (current == farEnd && room == 0) {
            stripFlags |= TabLeftAligned | TabRightAligned;
            placeSpans(L, R);
            return;
        }
        const bool between = toRight ? current > origin && current < farEnd : current < origin && current > farEnd;
        if (between) break;
        origin = current;
        stripFlags ^= TabAnchorLeft;
    }
    if (room < 0)
        stripFlags |= (stripFlags & TabAnchorLeft) ? TabLeftAligned : TabRightAligned;
    else
        stripFlags |= TabLeftAligned | TabRightAligned;
    placeSpans(L, R);
}

bool GTab::tabSpan(i32 index, i32* left, i32* right) const {
    if (index < 0 || index >= (i32)spanLeft.size() || spanRight[index] <= spanLeft[index]) return false;
    *left = spanLeft[index];
    *right = spanRight[index];
    return true;
}

RECT GTab::tabRect(i32 index) const {
    i32 l, r;
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    if (!tabSpan(index, &l, &r)) return RECT{0, 0, 0, 0};
    return RECT{l, 0, r, client.bottom};
}

RECT GTab::fullTabRect(i32 index) const {
    RECT r = tabRect(index);
    const i32 w = widthOf(index);
    if (r.right > r.left && r.right - r.left < w) {
        if (r.left == tabsLeft && r.right < tabsRight)
            r.left = r.right - w;
        else
            r.right = r.left + w;
    }
    return r;
}

RECT GTab::buttonRect(const GTabStripButton* button) const {
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    GTab& self = const_cast<GTab&>(*this);
    if (!button || !button->isShown(self)) return RECT{0, 0, 0, 0};
    if (button->side == 1) return RECT{0, 0, TabButtonWidth, client.bottom};
    i32 x = client.right;
    for (i32 k : {TabCloseButton, TabSelectButton, TabAddButton, TabAttachButton, TabScrollRightButton}) {
        const GTabStripButton* b = tabStripButton(k);
        if (!b->isShown(self)) continue;
        if (b == button) return RECT{x - TabButtonWidth, 0, x, client.bottom};
        x -= TabButtonStep;
    }
    return RECT{0, 0, 0, 0};
}

bool GTab::showsTabs() const {
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    return client.bottom >= 24 && tabsRight - tabsLeft >= 10;
}

RECT GTab::miniButtonRect(i32 index, i32 which) const {
    const bool closeOn = option(TabOptionCloseMini), attachOn = option(TabOptionAttachMini);
    // On the tab's full width: a span may be cut at the area's edge.
    RECT full = fullTabRect(index);
    if (full.right <= full.left) return RECT{0, 0, 0, 0};
    const i32 m = miniSize();
    i32 right = full.right - 3;
    if (which == TabMiniClose) {
        if (!closeOn) return RECT{0, 0, 0, 0};
        return RECT{right - m, 1, right, m + 1};
    }
    if (which == TabMiniAttach && attachOn) {
        if (closeOn) right -= m;
        return RECT{right - m, 1, right, m + 1};
    }
    return RECT{0, 0, 0, 0};
}

i32 GTab::tabAt(i32 x, i32 y, i32* mini) const {
    if (mini) *mini = TabMiniNone;
    for (i32 i = 0; i < (i32)spanLeft.size(); ++i) {
        if (spanRight[i] <= spanLeft[i] || x < spanLeft[i] || x >= spanRight[i]) continue;
        if (mini) {
            for (i32 which : {TabMiniClose, TabMiniAttach}) {
                RECT r = miniButtonRect(i, which);
                if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) *mini = which;
            }
        }
        return i;
    }
    return -1;
}

i32 GTab::insertionGap(i32 x) const {
    i32 first = -1, last = -1;
    for (i32 i = 0; i < (i32)spanLeft.size(); ++i) {
        if (spanRight[i] <= spanLeft[i]) continue;
        if (first < 0) first = i;
        last = i;
        if (x >= spanLeft[i] && x < spanRight[i]) return x - spanLeft[i] < spanRight[i] - x ? i : i + 1;
    }
    if (first < 0) return -1;
    if (x < spanLeft[first]) return first;
    if (x >= spanRight[last]) return last + 1;
    // In a 1-pixel gap: before the tab to its right.
    for (i32 i = first; i <= last; ++i)
        if (spanRight[i] > spanLeft[i] && x < spanLeft[i]) return i;
    return last + 1;
}
