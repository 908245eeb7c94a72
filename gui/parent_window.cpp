#include "gui/parent_window.h"

#include "gui/application.h"
#include "gui/input_routing.h"
#include "gui/window_procedure.h"

GParentWindow::~GParentWindow() {
    destroyNative();
    delete content;
}

WindowClassRecord* GParentWindow::windowClassRecord() { return &parentClass; }

void GParentWindow::onDestroy() {
    if (countedAsMain) {
        countedAsMain = false;
        --mainWindowCount;
    }
    ListenerChain::flushDeferredDeletes(lifeRecord()->watchers);
}

bool GParentWindow::preTranslateMessage(MSG* message) { return routeKeyMessage(this, message); }

void GParentWindow::setContent(GItemBase* item) {
    if (item == content) return;
    delete content;
    content = item;
}

bool GParentWindow::handleMessage(u32 message, uintptr_t wParam, intptr_t, intptr_t* result) {
    if (message == WM_ACTIVATEAPP) {
        if (GApplication* app = application()) ListenerChain::notifyParent(app->activationList, wParam ? 1 : 0);
        return false;
    }
    if (message == WM_CLOSE) {
        i32 answer = queryClose();
        if (answer == 1) return true;
        GApplication* app = application();
        if (app && !app->quitting && mainWindowCount == 1 && countedAsMain) requestQuit();
        if (answer == 0) DestroyWindow(hwnd);
        *result = 0;
        return true;
    }
    return false;
}
