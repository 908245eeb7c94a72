#include "gui/menus/menu.h"

#include "gui/menus/action_table.h"
#include "gui/menus/action_texts.h"
#include "gui/menus/menu_tracking.h"

GMenu::GMenu(HMENU menu, bool owns) : owns(owns) {
    this->menu = menu;
    installMenuHooks();
}

GMenu::~GMenu() {
    if (owns && menu) destroyMenuTree(menu);
    menu = nullptr;
}

namespace {
void insertItem(HMENU menu, i32 position, UINT flags, UINT_PTR id, GMenuItemData* data) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA;
    info.fType = MFT_OWNERDRAW | ((flags & MF_SEPARATOR) ? MFT_SEPARATOR : 0);
    info.fState = (flags & MF_CHECKED) ? MFS_CHECKED : 0;
    info.wID = (flags & MF_POPUP) ? 0 : (UINT)id;
    info.dwItemData = (ULONG_PTR)data;
    if (flags & MF_POPUP) {
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = (HMENU)id;
    }
    if (!InsertMenuItemA(menu, (UINT)position, TRUE, &info)) delete data;
}

// Deletes the item's data and its submenu tree.
void releaseItem(HMENU menu, i32 position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU;
    if (!GetMenuItemInfoA(menu, (UINT)position, TRUE, &info)) return;
    if (info.hSubMenu) destroyMenuTree(info.hSubMenu);
    if (info.fType & MFT_OWNERDRAW) delete reinterpret_cast<GMenuItemData*>(info.dwItemData);
}
}  // namespace

bool addActionToMenu(GWindow* asking, GActionItem* action, u32 mode, i32 position, GMenu& menu) {
    GString text = actionMenuText(action, asking);
    bool enabled = mode == MenuBarMenu || isActionEnabledFor(action, asking);
    if (mode == MenuContext && !enabled) return false;
    void* image = actionImageList(action, asking);
    if (position < 0) position = GetMenuItemCount(menu.menu);
    if (action->flags & ActionPopup) {
        HMENU popup = CreatePopupMenu();
        insertPopupItem(menu, position, popup, menu.makeItemData(text.c_str(), image, (i32)action->id));
        GMenu sub(popup, false);
        fillMenuFromIds(asking, sub, action->subItems, action->subItemCount, mode, -1);
    } else {
        bool checked = mode != MenuBarMenu && isActionCheckedFor(action, asking);
        insertItem(menu.menu, position, checked ? MF_CHECKED : 0, action->id,
                   menu.makeItemData(text.c_str(), image, (i32)action->id));
    }
    if (!enabled) EnableMenuItem(menu.menu, (UINT)position, MF_BYPOSITION | MF_GRAYED);
    return true;
}

void insertPopupItem(GMenu& menu, i32 position, HMENU popup, GMenuItemData* data) {
    if (position < 0) position = GetMenuItemCount(menu.menu);
    insertItem(menu.menu, position, MF_POPUP, (UINT_PTR)popup, data);
}

void appendMenuSeparator(GMenu& menu) {
    insertItem(menu.menu, GetMenuItemCount(menu.menu), MF_SEPARATOR, 0, menu.makeItemData(nullptr, nullptr, -1));
}

void appendMenuItem(GMenu& menu, const char* text, void* image, i32 commandId, u32 flags) {
    i32 position = GetMenuItemCount(menu.menu);
    insertItem(menu.menu, position, flags & MF_CHECKED, (UINT_PTR)commandId, menu.makeItemData(text, image, commandId));
    if (flags & MF_GRAYED) EnableMenuItem(menu.menu, (UINT)position, MF_BYPOSITION | MF_GRAYED);
}

void fillMenuFromIds(GWindow* asking, GMenu& menu, const i32* ids, i32 count, u32 mode, i32 position) {
    if (position < 0) position = GetMenuItemCount(menu.menu);
    for (i32 i = 0; i < count; ++i) {
        if (ids[i] == -1) {
            // At the running position, so that a fill in the middle keeps its order.
            insertItem(menu.menu, position++, MF_SEPARATOR, 0, menu.makeItemData(nullptr, nullptr, -1));
            continue;
        }
        GActionItem* action = actionById(ids[i]);
        if (!action) continue;
        if (addActionToMenu(asking, action, mode, position, menu)) ++position;
    }
}

// ---- helpers ----

void destroyMenuTree(HMENU menu) {
    if (!menu) return;
    for (i32 i = GetMenuItemCount(menu) - 1; i >= 0; --i) releaseItem(menu, i);
    DestroyMenu(menu);
}

void removeMenuItemAt(HMENU menu, i32 position) {
    releaseItem(menu, position);
    RemoveMenu(menu, (UINT)position, MF_BYPOSITION);
}

void clearMenu(HMENU menu) {
    while (GetMenuItemCount(menu) > 0) removeMenuItemAt(menu, 0);
}

void trimMenuSeparators(HMENU menu) {
    i32 count = GetMenuItemCount(menu);
    for (i32 i = count - 1; i >= 0; --i) {
        if (menuItemCommandId(menu, i) != -1) continue;
        i32 n = GetMenuItemCount(menu);
        if (i == n - 1 || menuItemCommandId(menu, i + 1) == -1) removeMenuItemAt(menu, i);
    }
    if (GetMenuItemCount(menu) > 0 && menuItemCommandId(menu, 0) == -1) removeMenuItemAt(menu, 0);
}

GMenuItemData* menuItemDataAt(HMENU menu, i32 position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    if (!GetMenuItemInfoA(menu, (UINT)position, TRUE, &info)) return nullptr;
    if (!(info.fType & MFT_OWNERDRAW)) return nullptr;
    return reinterpret_cast<GMenuItemData*>(info.dwItemData);
}

i32 menuItemCommandId(HMENU menu, i32 position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID;
    if (!GetMenuItemInfoA(menu, (UINT)position, TRUE, &info)) return -1;
    if ((info.fType & MFT_OWNERDRAW) && info.dwItemData)
        return reinterpret_cast<GMenuItemData*>(info.dwItemData)->commandId;
    if (info.fType & MFT_SEPARATOR) return -1;
    return (i32)info.wID;
}

GString menuStringAt(HMENU menu, i32 position) {
    if (GMenuItemData* data = menuItemDataAt(menu, position)) return data->text;
    char buffer[512] = "";
    GetMenuStringA(menu, (UINT)position, buffer, sizeof buffer, MF_BYPOSITION);
    return GString(buffer);
}

void setMenuItemText(HMENU menu, i32 position, const char* text) {
    if (GMenuItemData* data = menuItemDataAt(menu, position)) {
        stringAssignText(data->text, text);
        return;
    }
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(text);
    SetMenuItemInfoA(menu, (UINT)position, TRUE, &info);
}

i32 findCustomizeItem(HMENU menu) {
    i32 count = GetMenuItemCount(menu);
    for (i32 i = 0; i < count; ++i)
        if (menuItemCommandId(menu, i) == (i32)CustomizeActionId) return i;
    return -1;
}
