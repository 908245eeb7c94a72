#include "gui/kernel/drawer_window.h"

#include "gui/layout/layout_builder.h"
#include "gui/paint/saved_dc.h"

void GCallbackDrawer::paint(GSavedDC& dc, const RECT& rect) { callback(dc.dc(), &rect, argument, extra); }

GDrawerWindow::~GDrawerWindow() {
    destroyNative();
    if (ownsDrawer) delete drawer;
}

GDrawerWindow* GDrawerWindow::create(GLayoutBuilder& builder, i32 width, i32 height, GDrawerHolder& holder) {
    GDrawerWindow* window = new GDrawerWindow(builder.owner, holder.drawer, holder.owned, width, height);
    holder.drawer = nullptr;
    holder.owned = false;
    window->GUserWindow::create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    builder.add(window, "|^");
    return window;
}

void GDrawerWindow::paint(HDC handle, const RECT&, bool) {
    if (!drawer) return;
    RECT client;
    GetClientRect(hwnd, &client);
    GSavedDC dc(handle);
    drawer->paint(dc, client);
}
