// The strip's mouse: hit tests for its tracker, clicks, drags, menus and tooltips.
#include <algorithm>

#include "gui/input/cursor.h"
#include "gui/input/drag_image.h"
#include "gui/input/input_event.h"
#include "gui/input/mouse_capture.h"
#include "gui/input/system_input.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_boxes.h"
#include "gui/layout/layout_cell.h"
#include "gui/menus/action_table.h"
#include "gui/menus/menu.h"
#include "gui/menus/menu_tracking.h"
#include "gui/menus/popup_menu.h"
#include "gui/paint/drawable.h"
#include "gui/paint/saved_dc.h"
#include "gui/views/tab.h"
#include "gui/views/tab_actions.h"

namespace {
// Paints the dragged tab into the drag image.
class TabDragPainter : public GDrawable {
public:
    explicit TabDragPainter(GTab* strip) : strip(strip) {}
    SIZE size() override {
        RECT client{0, 0, 0, 0};
        if (strip->hwnd) GetClientRect(strip->hwnd, &client);
        GTabRecord* r = strip->recordOf(strip->dragIndex);
        return SIZE{r ? r->width : 20, client.bottom};
    }
    void drawAt(GSavedDC& dc, i32 x, i32 y, i32 width, i32 height) override {
        strip->paintTab(dc.dc(), strip->dragIndex, RECT{x, y, x + width, y + height});
    }
    void draw(GSavedDC& dc, i32 x, i32 y) override {
        SIZE s = size();
        drawAt(dc, x, y, s.cx, s.cy);
    }
    GTab* strip;
};

i32 clientWidth(GTab* strip) {
    RECT client{0, 0, 0, 0};
    if (strip->hwnd) GetClientRect(strip->hwnd, &client);
    return client.right;
}

bool inRect(const RECT& r, i32 x, i32 y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }
}  // namespace

bool GTabTracker::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    GTab* strip = watched ? static_cast<GTab*>(watched) : nullptr;
    const i32 x = (i16)LOWORD(lParam), y = (i16)HIWORD(lParam);
    if (strip && strip->dragIndex >= 0) {
        // A running drag takes the moves and the release.
        if (message == WM_MOUSEMOVE) {
            strip->dragTo(x, y);
            return false;
        }
        if (message == WM_LBUTTONUP) {
            pressTab = -1;
            strip->endDrag(x, y, false);
            return false;
        }
        if (message == WM_CAPTURECHANGED || message == WM_CANCELMODE) {
            pressTab = -1;
            strip->endDrag(x, y, true);
            return false;
        }
        return false;
    }
    if (message == WM_LBUTTONDBLCLK) hintArmed = false;
    bool taken = GHotTracker::handleMessage(message, wParam, lParam, result);
    if (!strip) return taken;
    if (message == WM_LBUTTONDOWN) {
        pressTab = strip->hoverTab >= 0 && strip->hoverMini == TabMiniNone ? strip->hoverTab : -1;
        pressPoint = POINT{x, y};
    } else if (message == WM_LBUTTONUP) {
        pressTab = -1;
    } else if (message == WM_MOUSEMOVE && pressTab >= 0 && (wParam & MK_LBUTTON) &&
               std::abs(x - pressPoint.x) + std::abs(y - pressPoint.y) >= DragStartDistance) {
        i32 tab = pressTab;
        pressTab = -1;
        if (strip->option(TabOptionDragSwap) || strip->option(TabOptionDragOut)) {
            leave();
            strip->beginDrag(tab);
            strip->dragTo(x, y);
        }
    }
    return taken;
}

bool GTab::hitPart(GHotTracker*, i32 x, i32 y, tagRECT* rect, u32* flags) {
    hoverTab = -1;
    hoverMini = TabMiniNone;
    hoverButton = nullptr;
    if (dragIndex >= 0 || !hwnd) return false;
    layout(clientWidth(this));
    if (!showsTabs()) return false;
    *flags = 0;
    if (x >= tabsLeft && x < tabsRight) {
        i32 mini = TabMiniNone;
        i32 tab = tabAt(x, y, &mini);
        if (tab < 0) return false;
        hoverTab = tab;
        hoverMini = mini;
        if (mini != TabMiniNone) {
            *rect = miniButtonRect(tab, mini);
            *flags |= TabHitMini;
            if (option(TabOptionDoubleClick)) *flags |= HotNoPressOnClick;
        } else {
            *rect = tabRect(tab);
            if (tab == current) *flags |= TabHitCurrent;
            *flags |= HotNoPressOnClick;  // a tab body is selected on the press itself
        }
        return true;
    }
    for (i32 k = 0; k < TabButtonCount; ++k) {
        const GTabStripButton* b = tabStripButton(k);
        RECT r = buttonRect(b);
        if (!inRect(r, x, y)) continue;
        hoverButton = b;
        *rect = r;
        if (!b->isEnabled(*this)) *flags |= HotDisabled;
        return true;
    }
    return false;
}

void GTab::clickPart(GHotTracker*) {
    LifeGuard guard(lifeRecord());
    if (hoverButton) {
        hoverButton->execute(*this);
    } else if (hoverTab >= 0 && hoverMini == TabMiniClose) {
        closeTab(hoverTab);
    } else if (hoverTab >= 0 && hoverMini == TabMiniAttach) {
        toggleAttached(hoverTab);
    }
    if (guard.alive()) repaint();
}

bool GTab::handleMouse(GInputEvent* e) {
    if (!e->mouse || !hwnd) return false;
    LifeGuard guard(lifeRecord());
    layout(clientWidth(this));
    i32 mini = TabMiniNone;
    const i32 tab = showsTabs() ? tabAt(e->x, e->y, &mini) : -1;
    if (e->button == ButtonLeft && e->action == MousePress) {
        if (tab >= 0 && mini == TabMiniNone && tab != current) {
            select(tab);
        } else if (tab >= 0 && mini != TabMiniNone && option(TabOptionDoubleClick) && tracker) {
            if (!tracker->hintArmed)
                tracker->hintArmed = true;
            else
                reportErrorOnce(TabMiniHintReport, guiText(GuiText::TabMiniDoubleClickHint));
        }
        return true;
    }
    if (e->button == ButtonLeft && e->action == MouseDoubleClick) {
        if (tab < 0 && !hoverButton && option(TabOptionAddClick) && !(e->x >= tabsLeft && e->x < tabsRight && tabAtGap(e->x))) {
            bool onButton = false;
            for (i32 k = 0; k < TabButtonCount; ++k) onButton |= inRect(buttonRect(tabStripButton(k)), e->x, e->y);
            if (!onButton) showAddMenu();
        } else if (tab >= 0 && tab == current && mini == TabMiniNone && currentTabCommand >= 0) {
            GStateQuery query;
            query.command = (u32)currentTabCommand;
            routeCommandUp(this, QueryExecute, &query);
        }
        return true;
    }
    if (e->button == ButtonLeft && e->action == MouseRelease) {
        if (dragIndex < 0 && !showsTabs() && tabCount() > 0) showTabListMenu();
        return true;
    }
    if (e->button == ButtonRight && e->action == MouseRelease) {
        showContextMenu(e->x, e->y);
        return true;
    }
    if (e->button == ButtonMiddle && e->action == MousePress) {
        if (tab >= 0) closeTab(tab);
        return true;
    }
    return e->button != ButtonNone;
}

bool GTab::tabAtGap(i32 x) const {
    for (i32 i = 0; i + 1 < (i32)spanLeft.size(); ++i)
        if (spanRight[i] > spanLeft[i] && x == spanRight[i]) return true;
    return false;
}

// ---- dragging ----

void GTab::beginDrag(i32 index) {
    if (index < 0 || index >= tabCount()) return;
    dragIndex = index;
    dropGap = -1;
    hoverTab = -1;
    hoverMini = TabMiniNone;
    hoverButton = nullptr;
    if (hwnd) SetCapture(hwnd);
    repaint();
}

void GTab::dragTo(i32 x, i32 y) {
    if (dragIndex < 0) return;
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    const bool outside = y < 0 || y >= client.bottom || x < tabsLeft - 10 || x >= tabsRight + 10;
    if (outside && option(TabOptionDragOut)) {
        if (!dragImage) {
            dragImage = new GDragImageWindow(this, new TabDragPainter(this));
            if (!cursorHidden) {
                ShowCursor(FALSE);
                cursorHidden = true;
            }
        }
        dropGap = -1;
    } else if (!outside && option(TabOptionDragSwap)) {
        dropDragImage();
        dropGap = insertionGap(x);
    }
    repaint();
}

void GTab::dropDragImage() {
    if (dragImage) {
        GDrawable* painter = dragImage->image;
        delete dragImage;
        delete painter;
        dragImage = nullptr;
    }
    if (cursorHidden) {
        ShowCursor(TRUE);
        cursorHidden = false;
    }
}

void GTab::endDrag(i32 x, i32 y, bool cancel) {
    if (dragIndex < 0) return;
    const i32 from = dragIndex;
    const bool wasOutside = dragImage != nullptr;
    dropDragImage();
    if (hwnd && GetCapture() == hwnd) ReleaseCapture();
    LifeGuard guard(lifeRecord());
    i32 gap = wasOutside ? -1 : insertionGap(x);
    (void)y;
    dragIndex = -1;
    dropGap = -1;
    if (!cancel && listener && from < tabCount()) {
        if (!wasOutside && option(TabOptionDragSwap) && gap >= 0 && gap != from && gap != from + 1) {
            i32 moved = gap > from ? gap - 1 : gap;
            i32 newCurrent = current;
            if (current == from)
                newCurrent = moved;
            else if (from < current && gap > current)
                newCurrent = current - 1;
            else if (from > current && gap <= current)
                newCurrent = current + 1;
            listener->moveTab(from, gap, newCurrent);
            if (!guard.alive()) return;
            current = newCurrent;
            stripFlags |= TabKeepInView;
        } else if (wasOutside && option(TabOptionDragOut) && listener->dragFeedback(from) > 1) {
            const bool wasCurrent = from == current;
            i32 successor = successorOnClose(from);
            POINT cursor{0, 0};
            systemInput.cursorPos(&cursor);
            const i32 before = tabCount();
            listener->dropDraggedTab(from, cursor.x, cursor.y);
            if (!guard.alive()) return;
            // A listener that kept the tab (no target) leaves the strip as it was.
            if (tabCount() < before) {
                settleAfterRemoval(from, successor, wasCurrent);
                if (wasCurrent && current >= 0) listener->tabChanged(-1, current);
                if (!guard.alive()) return;
            }
        }
    }
    if (guard.alive()) repaint();
}

i32 GTab::dropKindAt(i32, i32) {
    return listener && dragIndex >= 0 ? listener->dragFeedback(dragIndex) : 0;
}

// ---- menus ----

void GTab::fillTabListMenu(GMenu& menu) {
    for (i32 i = 0; i < tabCount(); ++i) {
        GTabRecord* r = recordOf(i);
        if (!r || !r->visible) continue;
        appendMenuItem(menu, r->label.c_str(), nullptr, i + 1, i == current ? MF_CHECKED : 0);
    }
}

void GTab::showTabListMenu() {
    if (!hwnd || !listener) return;
    GPopupMenu menu;
    fillTabListMenu(menu);
    POINT cursor{0, 0};
    systemInput.cursorPos(&cursor);
    LifeGuard guard(lifeRecord());
    i32 chosen = trackPopupMenu(this, menu, cursor.x, cursor.y, TrackScreenPoint);
    if (guard.alive() && chosen > 0 && chosen - 1 != current) select(chosen - 1);
}

void GTab::showAddMenu() {
    if (addCommand < 100 || addCommand > 999) return;
    GActionItem* action = actionById(addCommand);
    if (!action || action->subItemCount <= 0) return;
    showActionPopupAtCursor(addCommand, this);
}

void GTab::fillContextMenu(GMenu& menu, i32 tab, bool overButton) {
    if (overButton) {
        const i32 ids[] = {TabCustomize};
        fillMenuFromIds(this, menu, ids, 1, MenuContext);
        return;
    }
    std::vector<i32> ids;
    if (addCommand >= 0) ids.push_back(addCommand);
    if (currentTabCommand >= 0 && (tab < 0 || tab == current)) ids.push_back(currentTabCommand);
    if (tab >= 0) {
        for (i32 id : {-1, (i32)TabClose, (i32)TabCloseAll, (i32)TabCloseAllExcept, (i32)TabCloseAllDetached, -1,
                       (i32)TabCopyShort, (i32)TabCopyFull, -1, (i32)TabNext, (i32)TabPrevious, (i32)TabSelect, -1,
                       (i32)TabAttach, -1, (i32)TabCustomize})
            ids.push_back(id);
    } else {
        for (i32 id : {-1, (i32)TabCloseAll, (i32)TabCloseAllExcept, (i32)TabCloseAllDetached, -1, (i32)TabNext,
                       (i32)TabPrevious, (i32)TabSelect, -1, (i32)TabCustomize})
            ids.push_back(id);
    }
    fillMenuFromIds(this, menu, ids.data(), (i32)ids.size(), MenuContext);
    trimMenuSeparators(menu.menu);
}

void GTab::showContextMenu(i32 x, i32 y) {
    if (!allowed(TabAllowMenu) || !hwnd) return;
    layout(clientWidth(this));
    i32 mini = TabMiniNone;
    i32 tab = showsTabs() ? tabAt(x, y, &mini) : -1;
    bool overButton = false;
    for (i32 k = 0; k < TabButtonCount; ++k) overButton |= inRect(buttonRect(tabStripButton(k)), x, y);
    GPopupMenu menu;
    LifeGuard guard(lifeRecord());
    menuTab = tab;
    fillContextMenu(menu, tab, overButton);
    i32 chosen = trackPopupMenu(this, menu, x, y, 0);
    if (!guard.alive()) return;
    if (chosen >= (i32)TabClose && chosen <= (i32)TabLastOption) {
        runTabAction((u32)chosen, tab);
    } else if (chosen > 0) {
        GStateQuery query;
        query.command = (u32)chosen;
        routeCommandUp(this, QueryExecute, &query);
    }
    if (guard.alive()) menuTab = -1;
}

// ---- tooltips ----

bool GTab::getToolTip(i32 x, i32 y, GString* text, tagRECT* toolRect, tagRECT* queryRect) {
    if (!option(TabOptionTips) || dragIndex >= 0 || !hwnd) return false;
    layout(clientWidth(this));
    RECT client;
    GetClientRect(hwnd, &client);
    RECT area{0, 0, 0, 0};
    if (!showsTabs()) {
        *text = guiText(GuiText::TabListHint);
        area = client;
    } else {
        i32 mini = TabMiniNone;
        i32 tab = tabAt(x, y, &mini);
        if (tab >= 0) {
            GTabRecord* r = recordOf(tab);
            if (mini == TabMiniClose) {
                *text = guiText(GuiText::TabCloseMiniTip);
                area = miniButtonRect(tab, mini);
            } else if (mini == TabMiniAttach) {
                bool dbl = option(TabOptionDoubleClick), attached = r && r->attached;
                *text = guiText(attached ? (dbl ? GuiText::TabDetachMiniDoubleTip : GuiText::TabDetachMiniTip)
                                         : (dbl ? GuiText::TabAttachMiniDoubleTip : GuiText::TabAttachMiniTip));
                area = miniButtonRect(tab, mini);
            } else {
                if (!r) return false;
                *text = r->tooltip.c_str();
                area = tabRect(tab);
            }
        } else if (x >= tabsLeft && x < tabsRight) {
            if (!option(TabOptionAddClick) || tabAtGap(x)) return false;
            *text = guiText(GuiText::TabAddClickHint);
            area = RECT{tabsLeft, 0, tabsRight, client.bottom};
        } else {
            const GTabStripButton* hit = nullptr;
            for (i32 k = 0; k < TabButtonCount && !hit; ++k)
                if (inRect(buttonRect(tabStripButton(k)), x, y)) hit = tabStripButton(k);
            if (!hit) return false;
            *text = kxguiTexts[hit->tooltip];
            area = buttonRect(hit);
        }
    }
    if (text->empty()) return false;
    *toolRect = area;
    *queryRect = area;
    return true;
}
