#include "gui/frame/object_window.h"

#include "core/window_map.h"
#include "gui/frame/placer.h"
#include "gui/input/input_event.h"
#include "gui/kernel/application.h"
#include "gui/kernel/child_window.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_transaction.h"

// Tool bars mark themselves with this kind.
enum : u32 { TypeToolBarKind = 41 };
// Notifications of the placer: the tool bars changed, the title changed.
enum : u32 { PlacerToolBarsChanged = 7, PlacerTitleChanged = 8 };

GObjectWindow::GObjectWindow(GWindow* owner) : GAppWindow(owner) { ++objectWindowCount; }

GObjectWindow::~GObjectWindow() {
    // The count is lowered once: here when the native window never ended through onDestroy.
    if (countedAsObject) --objectWindowCount;
}

void GObjectWindow::setPlacer(GPlacer* newPlacer) {
    placer = newPlacer;
    setContent(newPlacer);
}

void GObjectWindow::onDestroy() {
    if (placer) {
        placer->deactivatePage();
        GApplication* app = application();
        if (!app || !app->quitting) placer->closePage();
        // Before the child windows end: a page's document may still talk to its views.
        placer->detach();
    }
    GAppWindow::onDestroy();
    if (countedAsObject) --objectWindowCount;
    countedAsObject = false;
}

bool GObjectWindow::onActivate() {
    if (placer) placer->activatePage();
    relayoutPending = true;
    return GAppWindow::onActivate();
}

bool GObjectWindow::onDeactivate() {
    if (placer) placer->deactivatePage();
    return GAppWindow::onDeactivate();
}

void GObjectWindow::savePlacement(GBag& bag) {
    bagWriteU32(bag, windowNumber);
    if (placer) {
        placer->saveState(bag);
    } else {
        for (int i = 0; i < 3; ++i) bagWriteU32(bag, 0);
    }
    GAppWindow::savePlacement(bag);
}

void GObjectWindow::restorePlacement(GBag& bag, bool show) {
    if (bag.size == 0) return GAppWindow::restorePlacement(bag, show);
    bagReadU32(bag, &windowNumber);
    GBag blocks[3];
    for (GBag& block : blocks) bagReadBlock(bag, block);
    {
        LayoutTransaction transaction(this);
        restoreContent(blocks);
    }
    GAppWindow::restorePlacement(bag, show);
}

GString GObjectWindow::windowTitle() { return placer ? placer->caption() : GAppWindow::windowTitle(); }

void GObjectWindow::fillDynamicMenu(u32 actionId, HMENU menu) {
    if (placer && placer->fillDynamicMenu(actionId, menu)) return;
    GAppWindow::fillDynamicMenu(actionId, menu);
}

i32 GObjectWindow::handleKey(GInputEvent* event) {
    GLayoutCell* from = event->target ? event->target->asLayoutCell() : nullptr;
    if (placer && !(from && isWithin(from, placer))) {
        if (i32 answer = placer->handleKey(event)) return answer;
    }
    return GAppWindow::handleKey(event);
}

bool GObjectWindow::answerStateQuery(u32 kind, GStateQuery* query) {
    if (placer && placer->answerStateQuery(kind, query)) return true;
    return GAppWindow::answerStateQuery(kind, query);
}

bool GObjectWindow::onControlNotify(void* data) {
    GControlNotification* notification = static_cast<GControlNotification*>(data);
    if (!placer || notification->source != placer) return GAppWindow::onControlNotify(data);
    if (notification->code == PlacerToolBarsChanged) {
        for (GChildWindow* child = firstChildWindow(this); child; child = nextWindow(child))
            if (child->isKindOf(TypeToolBarKind)) {
                if (child->container) child->container->requestRelayout(child);
                InvalidateRect(child->hwnd, nullptr, TRUE);
            }
        return true;
    }
    if (notification->code == PlacerTitleChanged) {
        setText(placer->caption().c_str());
        return true;
    }
    return GAppWindow::onControlNotify(data);
}

GObjectWindow* findOrMakeDocumentWindow(const char* path, GAppWindow* (*factory)(i32 typeId)) {
    GWindowMap::Iterator it(parentWindowMap());
    while (GWindowMapEntry* entry = it.next()) {
        GParentWindow* window = static_cast<GParentWindow*>(static_cast<GWindow*>(entry));
        if (!window->isKindOf(TypeObjectWindow) || window->destroyed()) continue;
        GObjectWindow* objectWindow = static_cast<GObjectWindow*>(window);
        if (objectWindow->placer && objectWindow->placer->showFilePage(path)) {
            activateWindow(objectWindow);
            return objectWindow;
        }
    }
    GAppWindow* made = factory ? factory(TypeObjectWindow) : nullptr;
    return made && made->isKindOf(TypeObjectWindow) ? static_cast<GObjectWindow*>(made) : nullptr;
}
