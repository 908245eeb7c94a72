#include "gui/input/drag_image.h"

#include "gui/input/system_input.h"
#include "gui/kernel/drawer_window.h"
#include "gui/kernel/temporary_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/rect_list.h"
#include "gui/paint/bitmaps.h"
#include "gui/paint/saved_dc.h"

namespace {
bool systemLayer(HWND window, COLORREF key) {
    SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    if (SetLayeredWindowAttributes(window, key, 255, LWA_COLORKEY)) return true;
    SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    return false;
}

SIZE drawImage(HDC dc, const RECT* rect, void* argument, void*) {
    GDrawable* image = (GDrawable*)argument;
    SIZE size = image ? image->size() : SIZE{0, 0};
    if (dc && image) {
        GSavedDC saved(dc);
        image->draw(saved, rect->left, rect->top);
    }
    return size;
}

SIZE drawMark(HDC dc, const RECT* rect, void* argument, void*) {
    GDragImageWindow* drag = (GDragImageWindow*)argument;
    GBitmap* bitmap = getCachedImage(drag->markBitmap);
    SIZE size = bitmap && bitmap->bitmap ? bitmap->size() : SIZE{16, 16};
    if (dc) {
        fillRectSolid(dc, *rect, kDragMarkKey);
        if (bitmap && bitmap->bitmap) {
            GSavedDC saved(dc);
            bitmap->draw(saved, rect->left, rect->top);
        }
    }
    return size;
}

// A hidden pop-up, topmost, holding the drawer window; sized to its content.
GTemporaryWindow* makeWindow(GWindow* owner, GTemporaryWindow** slot, GDrawerWindow** drawer, DrawerCallback callback,
                             void* argument) {
    GTemporaryWindow* window = new GTemporaryWindow(owner, slot);
    *slot = window;
    if (!createTopLevelWindow(window, WS_POPUP, WS_EX_TOPMOST, "")) {
        delete window;
        return nullptr;
    }
    GDrawerWindow* content = new GDrawerWindow(window, callback, argument, nullptr);
    content->create(WS_CHILD | WS_VISIBLE);
    window->setContent(content);
    if (drawer) *drawer = content;
    return window;
}

void placeWindow(GTemporaryWindow* window, i32 x, i32 y, bool resize) {
    if (!window || !window->hwnd) return;
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (resize ? 0 : SWP_NOSIZE);
    SIZE size = resize ? window->getPreferredSize() : SIZE{0, 0};
    SetWindowPos(window->hwnd, nullptr, x, y, size.cx, size.cy, flags);
    if (resize) {
        RECT client;
        GetClientRect(window->hwnd, &client);
        window->layoutContent(client.right, client.bottom);
    }
}
}  // namespace

bool (*layerWithColourKey)(HWND window, COLORREF key) = systemLayer;

i32 dropMarkBitmap(i32 kind) {
    switch (kind) {
    case 2: return DropMarkCopy;
    case 3: return DropMarkLink;
    case 4: return DropMarkMove;
    default: return DropMarkNone;
    }
}

GDragImageWindow::GDragImageWindow(GWindow* source, GDrawable* image) : image(image) {
    beginMouseTracking(this, source);
    systemInput.cursorPos(&last);
    if (makeWindow(source, &imageWindow, nullptr, drawImage, image)) {
        placeWindow(imageWindow, last.x + 10, last.y + 10, true);
        ShowWindow(imageWindow->hwnd, SW_SHOWNOACTIVATE);
    }
    dropKind = source->item()->dropKindAt(last.x, last.y);
    markBitmap = dropMarkBitmap(dropKind);
    ++markLoads;
    if (makeWindow(source, &markWindow, &markLabel, drawMark, this)) {
        placeWindow(markWindow, last.x, last.y, true);
        markOpaque = !layerWithColourKey(markWindow->hwnd, kDragMarkKey);
        ShowWindow(markWindow->hwnd, SW_SHOWNOACTIVATE);
    }
}

GDragImageWindow::~GDragImageWindow() {
    if (imageWindow) DestroyWindow(imageWindow->hwnd);
    if (markWindow) DestroyWindow(markWindow->hwnd);
}

void GDragImageWindow::setMark(i32 kind) {
    dropKind = kind;
    i32 bitmap = dropMarkBitmap(kind);
    if (bitmap == markBitmap) return;
    markBitmap = bitmap;
    ++markLoads;
    if (markLabel) markLabel->invalidate();
}

bool GDragImageWindow::handleMessage(u32 message, uintptr_t, intptr_t, intptr_t*) {
    if (message != WM_MOUSEMOVE) return false;
    POINT cursor;
    systemInput.cursorPos(&cursor);
    if (cursor.x == last.x && cursor.y == last.y) return false;
    last = cursor;
    i32 kind = watched ? watched->item()->dropKindAt(cursor.x, cursor.y) : 0;
    if (kind != dropKind) setMark(kind);
    placeWindow(markWindow, cursor.x, cursor.y, false);
    placeWindow(imageWindow, cursor.x + 10, cursor.y + 10, false);
    return false;
}
