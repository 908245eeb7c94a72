#include "gui/frame/app_window.h"

#include <algorithm>
#include <cstring>

#include "core/window_map.h"
#include "gui/frame/help.h"
#include "gui/input/input_event.h"
#include "gui/kernel/application.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/menus/action_table.h"
#include "gui/menus/action_texts.h"
#include "gui/menus/key_bindings.h"
#include "gui/menus/menu.h"
#include "gui/menus/menu_bar.h"
#include "gui/menus/popup_menu.h"
#include "gui/menus/tool_bar_strips.h"
#include "gui/paint/image_list_cache.h"

u32 toolkitOptions = OptionMenuState;
u32 objectWindowCount = 0;
u32 GAppWindow::currentDynamicAction = 0;
LRESULT(WINAPI* menuKeyProcedure)(HWND, UINT, WPARAM, LPARAM) = DefWindowProcA;
namespace {
// The tool-bar menu lists the kind's menu and tool-bar records in list order; an entry toggles one.
GToolBarSpec* toolBarMenuEntry(GParentWindow* window, i32 index, i32* count) {
    i32 n = 0;
    GToolBarSpec* found = nullptr;
    if (WindowKind* kind = windowKindOf(window))
        for (GToolBarSpec* spec = kind->firstSpec; spec; spec = spec->next) {
            if (spec->entryKind == SpecInternal) continue;
            if (n++ == index) found = spec;
        }
    if (count) *count = n;
    return found;
}

i32 toolBarMenuCount(GParentWindow* window) {
    i32 count = 0;
    toolBarMenuEntry(window, -1, &count);
    return count;
}

bool toolBarMenuRun(GParentWindow* window, i32 index) {
    GToolBarSpec* spec = toolBarMenuEntry(window, index, nullptr);
    if (!spec) return false;
    toggleSpecShown(spec);
    return true;
}
}  // namespace

ToolBarMenuHooks toolBarMenuHooks = {toolBarMenuCount, toolBarMenuRun};

namespace {
// Alt, or F10, went down with nothing else since.
bool altAlone = false;
bool f10Alone = false;

std::vector<GParentWindow*> appWindows() {
    std::vector<GParentWindow*> list;
    GWindowMap::Iterator it(parentWindowMap());
    while (GWindowMapEntry* entry = it.next()) {
        GParentWindow* window = static_cast<GParentWindow*>(static_cast<GWindow*>(entry));
        if (window->isKindOf(TypeAppWindow) && !window->destroyed()) list.push_back(window);
    }
    return list;
}

// Brings the item of one popup position up to its action's state; unchanged items are left alone.
void updateItemState(GParentWindow* window, HMENU menu, i32 position) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_SUBMENU | MIIM_DATA | MIIM_ID;
    if (!GetMenuItemInfoA(menu, (UINT)position, TRUE, &info)) return;
    if (!info.dwItemData && info.hSubMenu) return;
    i32 id = menuItemCommandId(menu, position);
    // Asked from the window up, so that its page answers first.
    GActionItem* action = actionById(id);
    if (!action) return;
    bool enabled = isActionEnabledFor(action, window);
    if (enabled == ((info.fState & MF_GRAYED) != 0))
        EnableMenuItem(menu, (UINT)position, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    bool checked = isActionCheckedFor(action, window);
    if (checked != ((info.fState & MFS_CHECKED) != 0))
        CheckMenuItem(menu, (UINT)position, MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
}
}  // namespace

namespace {
// Whether an item of the popup action is enabled for the window; nesting is cut at 16 levels.
bool anyItemEnabled(const GActionItem* action, GWindow* window) {
    static u32 depth = 0;
    if (depth >= 16) return false;
    ++depth;
    bool found = false;
    for (i32 i = 0; i < action->subItemCount && !found; ++i)
        if (const GActionItem* item = actionById(action->subItems[i])) found = isActionEnabledFor(item, window);
    --depth;
    return found;
}
}  // namespace

GParentWindow* otherAppWindow(GParentWindow* window) {
    for (GParentWindow* other : appWindows())
        if (other != window) return other;
    return nullptr;
}

void GAppWindow::onDestroy() {
    GApplication* app = application();
    GParentWindow* next = app && app->quitting ? nullptr : otherAppWindow(this);
    if (GMenuBar* bar = menuBarOf(this)) delete bar;
    if (GetMenu(hwnd)) SetMenu(hwnd, nullptr);
    currentDynamicAction = 0;
    // The base lowers the main-window count, once.
    GParentWindow::onDestroy();
    if (next) activateWindow(next);
}

// Stored whole: eleven 32-bit words on every build.
static_assert(sizeof(WINDOWPLACEMENT) == 44, "the stored placement");

void GAppWindow::savePlacement(GBag& bag) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd, &placement);
    bagWriteBytes(bag, &placement, sizeof placement);
}

void GAppWindow::restorePlacement(GBag& bag, bool show) {
    if (bag.size - bag.pos < sizeof(WINDOWPLACEMENT)) return;
    WINDOWPLACEMENT placement;
    bagReadBytes(bag, &placement, sizeof placement);
    placement.length = sizeof placement;
    // The normal rectangle is fitted into the work area of its monitor.
    RECT area = workAreas.ofPoint(POINT{placement.rcNormalPosition.left, placement.rcNormalPosition.top});
    RECT& r = placement.rcNormalPosition;
    i32 w = std::min<i32>(std::max<i32>(r.right - r.left, 1), area.right - area.left);
    i32 h = std::min<i32>(std::max<i32>(r.bottom - r.top, 1), area.bottom - area.top);
    r.left = std::max<i32>(area.left, std::min<i32>(r.left, area.right - w));
    r.top = std::max<i32>(area.top, std::min<i32>(r.top, area.bottom - h));
    r.right = r.left + w;
    r.bottom = r.top + h;
    switch (placement.showCmd) {
    case SW_SHOWMAXIMIZED: placementShow = SW_SHOWMAXIMIZED; break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE: placementShow = SW_SHOWMINNOACTIVE; break;
    default: placementShow = SW_SHOWNORMAL; break;
    }
    // The window is shown later by its show command; a hidden one stays hidden until then.
    if (!show || !IsWindowVisible(hwnd)) placement.showCmd = SW_HIDE;
    SetWindowPlacement(hwnd, &placement);
    GetSystemMenu(hwnd, TRUE);
}

void* GAppWindow::menuImageList() { return menuBitmapId < 0 ? nullptr : getImageList((u32)menuBitmapId); }

void GAppWindow::openMenuFromKeyboard() {
    ReleaseCapture();
    LPARAM scan = (LPARAM)MapVirtualKeyA(VK_F10, 0) << 16;
    menuKeyProcedure(hwnd, WM_KEYDOWN, VK_F10, scan | 1);
    menuKeyProcedure(hwnd, WM_KEYUP, VK_F10, scan | (LPARAM)0xC0000001u);
}

i32 GAppWindow::handleMenuKeys(GInputEvent* event) {
    if (i32 answer = GParentWindow::handleKey(event)) return answer;
    if (event->mouse) return 0;
    const u32 mods = event->modifiers & 7;
    const bool menuBar = hasMenuBar();
    if (menuBar && event->kind == KeyDown) {
        // Another key between the press and the release of Alt or F10 cancels the opening, a bound
        // one too.
        if (event->key != VK_MENU) altAlone = false;
        if (event->key != VK_F10) f10Alone = false;
        WindowKind* kind = windowKindOf(this);
        i32 id = translateKeyBinding(event, kind ? (i32)kind->typeId : -1);
        if (actionById(id)) {
            GStateQuery command;
            command.command = (u32)id;
            if (routeCommandUp(this, QueryExecute, &command)) return 2;
        }
    }
    // Auto-repeats of a held key neither start nor cancel an opening.
    if (menuBar && event->kind != KeyCharacter && !event->repeat) {
        if (event->key == VK_MENU || event->key == VK_F10) {
            bool& alone = event->key == VK_MENU ? altAlone : f10Alone;
            const u32 downMods = event->key == VK_MENU ? (u32)ModAlt : 0;
            if (event->kind == KeyDown && mods == downMods) {
                alone = true;
                return 0;
            }
            bool was = alone;
            alone = false;
            if (event->kind == KeyUp && mods == 0 && was) {
                openMenuFromKeyboard();
                return 2;
            }
        }
    }
    if (event->kind == KeyCharacter && mods == ModAlt) {
        if (event->key == ' ' && (GetWindowLongA(hwnd, GWL_STYLE) & WS_SYSMENU)) {
            ReleaseCapture();
            return 1;
        }
        if (menuBar && SendMessageA(hwnd, WM_MENUCHAR, event->key | (0x10 << 16), (LPARAM)GetMenu(hwnd))) {
            ReleaseCapture();
            return 1;
        }
    }
    return 0;
}

void GAppWindow::updateMenuState(intptr_t parentMenu, intptr_t position, intptr_t popup) {
    HMENU menu = (HMENU)popup;
    if (parentMenu) {
        i32 id = menuItemCommandId((HMENU)parentMenu, (i32)position);
        GActionItem* action = actionById(id);
        if (action && (action->flags & ActionDynamicPopup)) {
            currentDynamicAction = (u32)id;
            dynamicPopupCommand = id;
            fillDynamicMenu((u32)id, menu);
            return;
        }
    }
    if (!hasMenuBar() || !(toolkitOptions & OptionMenuState)) return;
    i32 count = GetMenuItemCount(menu);
    for (i32 i = 0; i < count; ++i) updateItemState(this, menu, i);
}

bool GAppWindow::onCommand(u32 command, GStateQuery* query) {
    if (command == 9 || command == 101) {
        // Without a page there is nothing to open.
        if (helpPage) openHelp(helpPage, this);
        return true;
    }
    if (!hasMenuBar()) return GParentWindow::onCommand(command, query);
    if (showActionPopupAtCursor((i32)command, this)) return true;
    if (command >= FirstToolBarMenuCommand && currentDynamicAction == ToolBarMenuAction && toolBarMenuHooks.rebuild) {
        i32 count = toolBarMenuHooks.rebuild(this);
        i32 index = (i32)(command - FirstToolBarMenuCommand);
        if (index < count && toolBarMenuHooks.run) return toolBarMenuHooks.run(this, index);
    }
    return false;
}

i32 GAppWindow::isCommandEnabled(u32 id) {
    // The help commands are the base's.
    i32 state = GParentWindow::commandState(id);
    if (state != CommandUnknown || !hasMenuBar()) return state;
    // A menu of the bar is enabled while one of its items is.
    if (GActionItem* action = actionById((i32)id))
        if (action->subItemCount >= 1 && anyItemEnabled(action, this)) return CommandEnabled;
    if (id == ToolBarMenuAction) return CommandEnabled;
    if (id < FirstToolBarMenuCommand) return CommandUnknown;
    return currentDynamicAction == ToolBarMenuAction ? CommandEnabled : CommandUnknown;
}

bool GAppWindow::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    bool taken = GParentWindow::handleMessage(message, wParam, lParam, result);
    auto requestCustomize = [this](i32 id) {
        GStateQuery request;
        request.command = (u32)id;
        routeCommandUp(this, RequestCustomizeAction, &request);
    };
    if (message == WM_NCRBUTTONUP && wParam == HTMENU && hasMenuBar()) {
        HMENU menu = GetMenu(hwnd);
        POINT at{(i16)LOWORD(lParam), (i16)HIWORD(lParam)};
        i32 position = MenuItemFromPoint(hwnd, menu, at);
        if (position >= 0) requestCustomize(menuItemCommandId(menu, position));
    }
    if (message == WM_MENURBUTTONUP) {
        // Over an item of an open popup: actions only.
        i32 id = menuItemCommandId((HMENU)lParam, (i32)wParam);
        if (id >= (i32)FirstActionId && id <= (i32)LastActionId) requestCustomize(id);
    }
    return taken;
}

void GAppWindow::refreshFrame(GParentWindow* window) {
    if (!window || !window->hwnd) return;
    GetSystemMenu(window->hwnd, TRUE);
    if (window->isKindOf(TypeAppWindow)) {
        GString title = static_cast<GAppWindow*>(window)->windowTitle();
        window->setText(title.c_str());
    }
    SetWindowPos(window->hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (GetMenu(window->hwnd)) DrawMenuBar(window->hwnd);
    markOwnerDirty(window);
}

void GAppWindow::updateSystemMenu(GParentWindow* window) {
    if (!window || !window->hwnd) return;
    WindowKind* kind = windowKindOf(window);
    GMenuBar* bar = menuBarOf(window);
    if (!bar && kind && countShownMenus(kind) > 0) bar = new GMenuBar(window);
    if (bar) bar->fill(kind);
    SendMessageA(window->hwnd, WM_CANCELMODE, 0, 0);
    if (kind) arrangeToolBars(window);
    HMENU system = GetSystemMenu(window->hwnd, FALSE);
    if (system && findCustomizeItem(system) < 0) {
        GActionItem* customize = actionById(actionIdByName("SYS_CUSTOMIZE"));
        AppendMenuA(system, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        AppendMenuA(system, MF_BYPOSITION | MF_STRING, CustomizeActionId, customize ? customize->titleText() : "");
    }
    if (window->content) {
        RECT client;
        GetClientRect(window->hwnd, &client);
        window->layoutContent(client.right - client.left, client.bottom - client.top);
    }
}

void toggleSpecShown(GToolBarSpec* spec) {
    if (!spec || spec->entryKind == SpecInternal) return;
    spec->shown = !spec->shown;
    for (GParentWindow* window : appWindows())
        if (windowKindOf(window) == spec->kind) GAppWindow::updateSystemMenu(window);
}

void GAppWindow::arrangeWindows(GParentWindow* first, GParentWindow* other) {
    SetWindowPos(first->hwnd, other->hwnd, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

static void splitBetween(GParentWindow* first, GParentWindow* second, bool byHeight) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(first->hwnd, &placement);
    RECT whole = placement.rcNormalPosition, a = whole, b = whole;
    if (byHeight) a.bottom = b.top = whole.top + (whole.bottom - whole.top) / 2;
    else a.right = b.left = whole.left + (whole.right - whole.left) / 2;
    placement.showCmd = SW_SHOWNORMAL;
    placement.flags = 0;
    placement.rcNormalPosition = a;
    SetWindowPlacement(first->hwnd, &placement);
    placement.rcNormalPosition = b;
    SetWindowPlacement(second->hwnd, &placement);
}

void GAppWindow::maximize(GParentWindow* first, GParentWindow* second) { splitBetween(first, second, true); }
void GAppWindow::restore(GParentWindow* first, GParentWindow* second) { splitBetween(first, second, false); }

std::vector<GParentWindow*> GAppWindow::windowListOrder() {
    std::vector<GParentWindow*> list = appWindows();
    std::vector<std::pair<GParentWindow*, GString>> titled;
    for (GParentWindow* w : list) titled.emplace_back(w, w->getText());
    std::stable_sort(titled.begin(), titled.end(), [](const auto& a, const auto& b) {
        if (a.first->typeId() != b.first->typeId()) return a.first->typeId() < b.first->typeId();
        return strcmp(a.second.c_str(), b.second.c_str()) < 0;
    });
    list.clear();
    for (auto& entry : titled) list.push_back(entry.first);
    return list;
}
