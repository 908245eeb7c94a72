#include "gui/parent_window.h"

#include "gui/application.h"
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

void GParentWindow::setContent(GItemBase* item) {
    if (item == content) return;
    delete content;
    content = item;
}

bool (*menuWindowHook)(GParentWindow*, u32, uintptr_t, intptr_t, intptr_t*) = nullptr;

bool GParentWindow::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (menuWindowHook && menuWindowHook(this, message, wParam, lParam, result)) return true;
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
