#include "gui/views/tab_window.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "gui/controls/page_stack.h"
#include "gui/kernel/window.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/rect_list.h"
#include "gui/views/tab.h"
#include "gui/views/tab_actions.h"

GTabWindow::GTabWindow(GWindow* parent, const char* text) : GLayoutItem(parent) {
    strip = new GTab(parent, &tabWindowFlagWord);
    strip->hAlign = '<';
    strip->vAlign = '^';
    if (parent && parent->hwnd) strip->create();
    GLayoutItem::addChild(strip);
    pages = new GPageStack(parent);
    GLayoutItem::addChild(pages);
    building = false;
    strip->setListener(this);
    if (text) {
        for (const char* p = text;;) {
            const char* comma = std::strchr(p, ',');
            std::string title(p, comma ? (size_t)(comma - p) : std::strlen(p));
            titles.push_back(new GTabPlacerItem(title.c_str()));
            strip->tabInserted((i32)titles.size() - 1);
            if (!comma) break;
            p = comma + 1;
        }
    }
    i32 first = strip->nextVisibleTab(0, 1);
    if (first >= 0 && strip->current != first) strip->select(first);
}

GTabWindow::~GTabWindow() {
    if (strip) {
        strip->listener = nullptr;
        if (strip->hwnd) ShowWindow(strip->hwnd, SW_HIDE);
    }
    if (pages) pages->notify(LayoutHide);
    for (GTabPlacerItem* item : titles) delete item;
    titles.clear();
}

void GTabWindow::addChild(GLayoutCell* child) {
    if (building || !pages) {
        GLayoutItem::addChild(child);
        return;
    }
    pages->addChild(child);
    // The current tab's page arrives after its tab was selected.
    if (child && strip && child->index == strip->current && pages->current == child->index) {
        pages->current = -1;
        pages->setCurrentPage(child->index);
    }
}

void GTabWindow::removeChild(GLayoutCell* child) {
    if (child && child == strip) strip = nullptr;
    if (child && child == pages) pages = nullptr;
    GLayoutItem::removeChild(child);
}

GTabItem* GTabWindow::tabItem(i32 index) {
    return index >= 0 && index < (i32)titles.size() ? titles[index] : nullptr;
}

void GTabWindow::tabChanged(i32 oldIndex, i32 newIndex) {
    if (oldIndex == newIndex || !pages) return;
    pages->setCurrentPage(newIndex);
    GControlNotification notification;
    notification.source = this;
    notification.code = 0;
    notifyUp(this, &notification);
}

void GTabWindow::takePageOut(i32 index) {
    if (index < 0 || index >= (i32)titles.size()) return;
    delete titles[index];
    titles.erase(titles.begin() + index);
    if (!pages) return;
    if (index == pages->current) pages->current = -1;
    pages->removeAt(index);
    if (index < pages->current) --pages->current;
}

void GTabWindow::moveTab(i32 from, i32 gap, i32 newCurrent) {
    if (gap == from || gap == from + 1) return;
    const i32 n = (i32)titles.size();
    if (from < 0 || from >= n || gap < 0 || gap > n) return;
    if (pages) {
        pages->moveChild(from, gap);
        pages->current = newCurrent;
    }
    GTabPlacerItem* item = titles[from];
    titles.erase(titles.begin() + from);
    titles.insert(titles.begin() + (gap > from ? gap - 1 : gap), item);
}

void GTabWindow::revealChild(GLayoutCell* item) {
    if (!pages || !strip) return;
    GLayoutCell* cell = item;
    while (cell && cell->container != pages) {
        if (cell == strip || cell == this) return;
        cell = cell->container;
    }
    if (cell && cell->index != strip->current) strip->select(cell->index);
}

void GTabWindow::requestRelayout(GLayoutCell* cell) {
    // The stack has made its asking page current: the strip follows.
    if (cell && cell == pages && strip && pages->current >= 0 && pages->current != strip->current)
        strip->select(pages->current);
    GLayoutItem::requestRelayout(cell);
}

void GTabWindow::getPreferredSize(i32* width, i32* height) {
    const i32 mw = digits[0] + digits[1], mh = digits[2] + digits[3];
    const i32 pw = digits[4] + digits[5], ph = digits[6] + digits[7];
    i32 sw = 0, sh = 0;
    if (strip) preferredSizeOf(strip, &sw, &sh);
    i32 widest = 0, tallest = 0;
    const i32 fixed = *width;
    for (i32 i = 0; pages && i < pages->childCount(); ++i) {
        GLayoutCell* page = pages->childAt(i);
        if (!page) continue;
        i32 w, h;
        preferredSizeOf(page, &w, &h);
        if (fixed >= 0 && (page->cellFlags & CellHeightForWidth)) h = heightForWidth(page, std::max(fixed - mw - pw, 0));
        widest = std::max(widest, w);
        tallest = std::max(tallest, h);
    }
    *width = mw + std::max(sw, widest + pw);
    *height = mh + sh + ph + tallest;
}

void GTabWindow::setRect(const RECT& r) {
    rect = r;
    RECT inner = insetRect(r, digits[0], digits[2], digits[1], digits[3]);
    i32 stripHeight = 0;
    if (strip) {
        i32 w, h;
        preferredSizeOf(strip, &w, &h);
        stripHeight = std::min<i32>(h, inner.bottom - inner.top);
        // Across the full width at the top.
        strip->setRect(RECT{inner.left, inner.top, inner.right, inner.top + stripHeight});
    }
    RECT below{inner.left, inner.top + stripHeight, inner.right, inner.bottom};
    if (pages) pages->setRect(insetRect(below, digits[4], digits[6], digits[5], digits[7]));
}

GTabWindow* createTabWindow(const char* style, GLayoutBuilder& builder, const char* titles) {
    GTabWindow* window = new GTabWindow(builder.owner, titles);
    if (style && window->strip) {
        size_t n = std::strlen(style);
        if (n > 2 && style[2] != '*') window->strip->hAlign = style[2];
        if (n > 3 && style[3] != '*') window->strip->vAlign = style[3];
    }
    builder.pushContainer(window, nullptr, style);
    return window;
}
