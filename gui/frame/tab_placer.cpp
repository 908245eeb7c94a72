#include "gui/frame/tab_placer.h"

#include "gui/controls/page_stack.h"
#include "gui/frame/file_placer.h"
#include "gui/frame/page_factory.h"
#include "gui/input/input_event.h"
#include "gui/input/system_input.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window.h"
#include "gui/kernel/window_placement.h"
#include "gui/layout/layout_transaction.h"
#include "gui/layout/region_box.h"
#include "gui/menus/action_table.h"
#include "gui/views/tab.h"
#include "gui/views/tab_actions.h"

namespace {
// The placer's page stack: a page asking to be shown selects its tab through the strip.
class PlacerPageStack : public GPageStack {
public:
    PlacerPageStack(GWindow* owner, GTabPlacer* placer) : GPageStack(owner), placer(placer) {}
    void requestRelayout(GLayoutCell* cell) override {
        if (placer && cell && cell->container == this && cell->index != current) placer->revealChild(cell);
        GLayoutItem::requestRelayout(cell);
    }
    GTabPlacer* placer;
};

GParentWindow* topWindowOf(GWindow* window) {
    while (window && !window->item()->asParentWindow()) window = window->ownerWindow();
    return window ? static_cast<GParentWindow*>(window->item()->asParentWindow()) : nullptr;
}

void sendUp(GPlacer* source, u32 code) {
    GControlNotification n;
    n.source = source;
    n.code = code;
    notifyUp(source, &n);
}
}  // namespace

GTabPlacer* tabPlacerAtPoint(i32 screenX, i32 screenY) {
    POINT point{screenX, screenY};
    GParentWindow* top = windowAtPoint(&point);
    if (!top) return nullptr;
    for (GPlacer* p = firstPlacer(); p; p = p->nextPlacer)
        if (p->windowKind() == TypeTabbedPlacer && topWindowOf(p->window) == top) return static_cast<GTabPlacer*>(p);
    return nullptr;
}

GTabPlacer* tabPlacerOf(GPlacer* page) {
    GLayoutItem* stack = page ? page->container : nullptr;
    for (GPlacer* p = firstPlacer(); stack && p; p = p->nextPlacer)
        if (p->windowKind() == TypeTabbedPlacer && static_cast<GTabPlacer*>(p)->pages == stack)
            return static_cast<GTabPlacer*>(p);
    return nullptr;
}

GTabPlacer::GTabPlacer(GWindow* parent, WindowKind* kind) : GPlacer(parent), ownKind(kind) {
    kindRecord = kind;
    box = new GRegionBox(parent);
    addChild(box);
    strip = new GTab(parent, &tabFlagWord);
    strip->iconSize = 20;
    if (parent && parent->hwnd) strip->create();
    box->addChild(strip);
    box->addChild(nullptr);
    pages = new PlacerPageStack(parent, this);
    box->addChild(pages);
    strip->setListener(this);
    stripLife = strip->item()->lifeRecord();
    stripLife->addRef();
}

GTabPlacer::~GTabPlacer() {
    if (stripLife) {
        if (stripLife->alive()) strip->listener = nullptr;
        stripLife->release();
    }
    detach();
    // The children go after this part of the placer: they call nothing back.
    if (pages) static_cast<PlacerPageStack*>(pages)->placer = nullptr;
}

void GTabPlacer::detach() {
    if (pagesDetached) return;
    pagesDetached = true;
    for (i32 i = 0; i < pageCount(); ++i) {
        try {
            if (GPlacer* page = pageAt(i)) page->detach();
        } catch (...) {
        }
    }
}

i32 GTabPlacer::pageCount() { return pages ? pages->childCount() : 0; }

GPlacer* GTabPlacer::pageAt(i32 index) {
    GLayoutCell* cell = pages ? pages->childAt(index) : nullptr;
    return cell ? static_cast<GPlacer*>(cell->asPlacer()) : nullptr;
}

GPlacer* GTabPlacer::currentPage() { return pages ? pageAt(pages->current) : nullptr; }

void GTabPlacer::placePage(GPlacer* page, i32 index) {
    pages->insertChild(index, page);
    if (pages->rect.right >= 0) applyLayoutChange(pages, pages->rect);
    strip->tabInserted(page->index);
}

GPlacer* GTabPlacer::addPageOfKind(u32 kind) { return insertPageOfKind(kind, pageCount(), nullptr, true); }

GPlacer* GTabPlacer::insertPageOfKind(u32 kind, i32 index, GBag* savedState, bool select) {
    PageFactory* factory = pageFactory();
    GPlacer* page = factory ? factory->create(window, kind) : nullptr;
    if (!page) return nullptr;
    placePage(page, index);
    if (savedState)
        page->restorePage(savedState);
    else
        page->updateTitle();
    if (select) strip->select(page->index);
    return page;
}

void GTabPlacer::tabChanged(i32 oldIndex, i32 newIndex) {
    if (oldIndex == newIndex || !visible()) return;
    GPlacer* oldPage = pageAt(oldIndex);
    GPlacer* newPage = pageAt(newIndex);
    GParentWindow* top = topWindowOf(window);
    GAppWindow* app = top && top->isKindOf(TypeAppWindow) ? static_cast<GAppWindow*>(top) : nullptr;
    beginLayoutTransaction();
    try {
        pages->setCurrentPage(newPage ? newIndex : -1);
        if (app) {
            app->currentKind = newPage ? newPage->kindRecord : ownKind;
            if (app->currentKind) GAppWindow::updateSystemMenu(app);
        }
    } catch (...) {
        endLayoutTransaction(window);
        throw;
    }
    endLayoutTransaction(window);
    if (top) top->helpPage = newPage ? newPage->helpPage : defaultHelpPage;
    sendUp(this, 7);
    sendUp(this, 8);
    if (oldPage) oldPage->deactivatePage();
    if (newPage) newPage->activatePage();
}

void GTabPlacer::takePageOut(i32 index) {
    GPlacer* page = pageAt(index);
    if (!page) return;
    if (page->kindRecord && page->kindRecord->viewState) {
        bagFree(*page->kindRecord->viewState);
        page->saveViewState(*page->kindRecord->viewState);
    }
    page->detach();
    if (index == pages->current) pages->current = -1;
    pages->removeAt(index);
    if (index < pages->current) --pages->current;
}

void GTabPlacer::moveTab(i32 from, i32 gap, i32 newCurrent) {
    if (gap == from || gap == from + 1 || from < 0 || from >= pageCount()) return;
    pages->moveChild(from, gap);
    pages->current = newCurrent;
}

i32 GTabPlacer::dragFeedback(i32 index) {
    POINT cursor{0, 0};
    systemInput.cursorPos(&cursor);
    GTabPlacer* target = tabPlacerAtPoint(cursor.x, cursor.y);
    if (target == this) return 1;
    if (target) return 3;
    GTabItem* item = tabItem(index);
    return 1 + (item && canOpenInNewWindow(item->kind()) ? 1 : 0);
}

void GTabPlacer::dropDraggedTab(i32 index, i32 x, i32 y) {
    GPlacer* page = pageAt(index);
    if (!page) return;
    GTabPlacer* target = tabPlacerAtPoint(x, y);
    if (target == this) {
        takePageOut(index);
        return;
    }
    i32 at = 0;
    if (target) {
        POINT p{x, y};
        if (target->strip->hwnd) ScreenToClient(target->strip->hwnd, &p);
        at = target->strip->insertionGap(p.x);
        if (at < 0) at = 0;
    } else {
        // The page leaves only once a target exists: a failed new window keeps it here.
        RECT r{x, y, x, y};
        if (GParentWindow* top = topWindowOf(window)) {
            RECT own{0, 0, 0, 0};
            if (top->hwnd) GetWindowRect(top->hwnd, &own);
            r.right = x + (own.right - own.left);
            r.bottom = y + (own.bottom - own.top);
        }
        GTabListener* made = openInNewWindow(r);
        target = dynamic_cast<GTabPlacer*>(made);
        if (!target) return;
    }
    const bool wasCurrent = index == pages->current;
    pages->takeOutAt(index);
    if (wasCurrent)
        pages->current = -1;
    else if (index < pages->current)
        --pages->current;
    reparentCell(page, target->window);
    page->window = target->window;
    target->placePage(page, at);
    target->strip->select(page->index);
    if (GParentWindow* top = topWindowOf(target->window)) activateWindow(top);
}

const char* GTabPlacer::firstCaption() {
    GPlacer* page = currentPage();
    return page ? page->firstCaption() : nullptr;
}

const char* GTabPlacer::secondCaption() {
    GPlacer* page = currentPage();
    return page ? page->secondCaption() : nullptr;
}

bool GTabPlacer::isModified() {
    GPlacer* page = currentPage();
    return page && page->isModified();
}

GString GTabPlacer::fullText() {
    GPlacer* page = currentPage();
    return page ? page->fullText() : GString();
}

GString GTabPlacer::shortText() {
    GPlacer* page = currentPage();
    return page ? page->shortText() : GString();
}

i32 GTabPlacer::closeState() {
    i32 answer = 0;
    for (i32 i = 0; i < pageCount(); ++i) {
        GPlacer* page = pageAt(i);
        i32 state = page ? page->closeState() : 0;
        if (state == 1) return 1;
        if (state == 2) answer = 2;
    }
    return answer;
}

void GTabPlacer::activatePage() {
    markActivated();
    if (GPlacer* page = currentPage()) page->activatePage();
}

void GTabPlacer::deactivatePage() {
    if (GPlacer* page = currentPage()) page->deactivatePage();
}

bool GTabPlacer::fillDynamicMenu(u32 actionId, HMENU menu) {
    GPlacer* page = currentPage();
    return page && page->fillDynamicMenu(actionId, menu);
}

bool GTabPlacer::showFilePage(const char* path) {
    for (i32 i = 0; i < pageCount(); ++i) {
        GPlacer* page = pageAt(i);
        if (page && isPageFile(page, path)) {
            if (strip->current != i) strip->select(i);
            return true;
        }
    }
    return false;
}

void GTabPlacer::saveStateBlocks(GBag* blocks) {
    i32 saved = 0, currentSaved = -1;
    for (i32 i = 0; i < pageCount(); ++i) {
        GPlacer* page = pageAt(i);
        if (!page || page->notSaved()) continue;
        if (i == pages->current) currentSaved = saved;
        bagWriteU32(blocks[0], page->windowKind());
        page->saveState(blocks[0]);
        ++saved;
    }
    bagWriteU32(blocks[0], (u32)-1);
    bagWriteI32(blocks[1], currentSaved);
}

void GTabPlacer::restorePage(GBag* blocks) {
    PageFactory* factory = pageFactory();
    for (;;) {
        u32 kind;
        bagReadU32(blocks[0], &kind);
        if ((i32)kind < 0) break;
        GBag record[3];
        for (GBag& block : record) bagReadBlock(blocks[0], block);
        GPlacer* page = factory ? factory->create(window, kind) : nullptr;
        if (!page) continue;
        placePage(page, pageCount());
        page->restorePage(record);
    }
    i32 index = -1;
    bagReadI32(blocks[1], &index);
    if (index >= 0 && index < pageCount() && strip->tabVisible(index)) {
        strip->select(index);
    } else if (pageCount() > 0 && strip->current != 0 && strip->tabVisible(0)) {
        strip->select(0);
        if (strip->hwnd) InvalidateRect(strip->hwnd, nullptr, TRUE);
    }
}

i32 GTabPlacer::handleKey(GInputEvent* event) {
    GLayoutCell* from = event->target ? event->target->asLayoutCell() : nullptr;
    if (from != strip)
        if (i32 answer = strip->handleKey(event)) return answer;
    GPlacer* page = currentPage();
    if (page && !(from && isWithin(from, page)))
        if (i32 answer = page->handleKey(event)) return answer;
    return GPlacer::handleKey(event);
}

bool GTabPlacer::answerStateQuery(u32 kind, GStateQuery* query) {
    if (strip->answerStateQuery(kind, query)) return true;
    GPlacer* page = currentPage();
    if (page && page->answerStateQuery(kind, query)) return true;
    return GPlacer::answerStateQuery(kind, query);
}

bool GTabPlacer::onControlNotify(void* data) {
    auto* n = static_cast<GControlNotification*>(data);
    if (!n->source || !n->source->asPlacer()) return GPlacer::onControlNotify(data);
    if (n->code == 7 && strip->hwnd) InvalidateRect(strip->hwnd, nullptr, TRUE);
    if (n->code == 8 && n->source != this && n->source != currentPage()) return true;
    return GPlacer::onControlNotify(data);
}

void GTabPlacer::revealChild(GLayoutCell* item) {
    GLayoutCell* cell = item;
    while (cell && cell->container != pages) {
        if (cell == strip) return;
        cell = cell->container;
    }
    if (cell && cell->index != strip->current) strip->select(cell->index);
}
