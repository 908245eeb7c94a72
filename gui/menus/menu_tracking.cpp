#include "gui/menus/menu_tracking.h"

#include <cstring>

#include "core/task_queue.h"
#include "core/wide_text.h"
#include "gui/kernel/application.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/ui_thread.h"
#include "gui/menus/menu.h"
#include "gui/menus/menu_painter.h"

OpenMenuStack openMenuStack;
u32 currentPopupFlags = 0;

namespace {
MenuModeMarker* g_marker = nullptr;

void push(HMENU menu, u8 flag) {
    if (openMenuStack.count < sizeof openMenuStack.entries / sizeof openMenuStack.entries[0])
        openMenuStack.entries[openMenuStack.count++] = {menu, flag};
}

void releaseMarker() {
    MenuModeMarker* marker = g_marker;
    g_marker = nullptr;
    if (!marker) return;
    marker->opened = false;
    if (GApplication* app = application()) ListenerChain::notify(app->eventList, marker);
    delete marker;
}

bool onInitMenuPopup(GParentWindow* window, HMENU popup, u32 position, bool systemMenu) {
    if (systemMenu) {
        if (openMenuStack.count) openMenuStack.entries[openMenuStack.count - 1].menu = popup;
        return openMenuStack.count != 0;
    }
    while (openMenuStack.count) {
        OpenMenuEntry& top = openMenuStack.entries[openMenuStack.count - 1];
        if (top.menu == popup) break;
        if (GetMenuItemCount(top.menu) > (i32)position && GetSubMenu(top.menu, (i32)position) == popup) {
            HMENU parent = top.menu;
            push(popup, 0);
            window->updateMenuState((intptr_t)parent, (intptr_t)position, (intptr_t)popup);
            assignMenuMnemonics(popup);
            return true;
        }
        if (top.flag == 1) return true;
        --openMenuStack.count;
    }
    window->updateMenuState(0, (intptr_t)position, (intptr_t)popup);
    assignMenuMnemonics(popup);
    return openMenuStack.count != 0;
}

bool onMenuSelect(GParentWindow* window, u32 item, u32 flags, HMENU menu) {
    if (!menu) {
        while (openMenuStack.count) {
            u8 flag = openMenuStack.entries[--openMenuStack.count].flag;
            if (flag == 1) break;
        }
        if (openMenuStack.count) return true;
        releaseMarker();
        return false;
    }
    i32 id = (i32)item;
    HMENU submenu = nullptr;
    if (flags & MF_POPUP) {
        submenu = GetSubMenu(menu, (i32)item);
        GMenuItemData* data = (flags & MF_OWNERDRAW) ? menuItemDataAt(menu, (i32)item) : nullptr;
        id = data ? data->commandId : -(i32)item;
    }
    window->onMenuItemSelected(menu, id, submenu);
    return true;
}

bool windowMenuHook(GParentWindow* window, u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    switch (message) {
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
        menuMessageHook(window, message, wParam, lParam);
        *result = 0;
        return true;
    case WM_MENUCHAR:
        *result = menuCharHook((HMENU)lParam, LOWORD(wParam));
        return *result != 0;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        return paintMenuItem(window, message, lParam);
    default:
        return false;
    }
}

// Tracking asked from another thread, run on the interface thread.
class PopupTrackRequest : public CrossThreadRequest {
public:
    PopupTrackRequest(GMenu& menu, u32 flags, i32 x, i32 y, GWindow* owner, i32* result)
        : menu(menu), flags(flags), x(x), y(y), owner(owner), result(result) {}
    void run() override { *result = trackPopupMenu(owner, menu, x, y, flags | TrackScreenPoint); }
    GMenu& menu;
    u32 flags;
    i32 x, y;
    GWindow* owner;
    i32* result;
};
}  // namespace

void installMenuHooks() { menuWindowHook = windowMenuHook; }

bool menuMessageHook(GParentWindow* window, u32 message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITMENU:
        if (!openMenuStack.count) {
            releaseMarker();
            g_marker = new MenuModeMarker;
            if (GApplication* app = application()) ListenerChain::notify(app->eventList, g_marker);
        }
        push((HMENU)wParam, 1);
        return true;
    case WM_INITMENUPOPUP:
        return onInitMenuPopup(window, (HMENU)wParam, LOWORD(lParam), HIWORD(lParam) != 0);
    case WM_MENUSELECT:
        return onMenuSelect(window, LOWORD(wParam), HIWORD(wParam), (HMENU)lParam);
    default:
        return openMenuStack.count != 0;
    }
}

LRESULT menuCharHook(HMENU menu, u32 character) {
    u32 typed = lowerCharacter(character);
    i32 count = GetMenuItemCount(menu);
    for (i32 i = 0; i < count; ++i) {
        GMenuItemData* data = menuItemDataAt(menu, i);
        if (!data || !data->text.data) continue;
        const char* amp = data->text.data;
        while ((amp = strchr(amp, '&')) && amp[1]) {
            if (lowerCharacter((u8)amp[1]) == typed) return MAKELONG(i, MNC_EXECUTE);
            amp += 1;
        }
    }
    return 0;
}

i32 trackPopupMenu(GWindow* window, GMenu& menu, i32 x, i32 y, u32 flags) {
    POINT at{x, y};
    if (!(flags & TrackScreenPoint) && window) ClientToScreen(window->hwnd, &at);
    if (!isUiThread()) {
        i32 result = 0;
        if (!callAndWait(new PopupTrackRequest(menu, flags, at.x, at.y, window, &result))) return 0;
        return result;
    }
    trimMenuSeparators(menu.menu);
    if (GetMenuItemCount(menu.menu) <= 0) return -1;
    UINT track = (openMenuStack.count ? TPM_RECURSE : 0) | ((flags & TrackNoReturn) ? 0 : TPM_RETURNCMD);
    u32 previousFlags = currentPopupFlags;
    currentPopupFlags = flags;
    struct Restore {
        u32 flags;
        ~Restore() { currentPopupFlags = flags; }
    } restore{previousFlags};
    BOOL chosen = TrackPopupMenu(menu.menu, track, at.x, at.y, 0, window ? window->hwnd : nullptr, nullptr);
    return (track & TPM_RETURNCMD) ? (i32)chosen : 0;
}
