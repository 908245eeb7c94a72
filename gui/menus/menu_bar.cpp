#include "gui/menus/menu_bar.h"

#include <map>

#include "gui/kernel/parent_window.h"
#include "gui/menus/action_table.h"
#include "gui/menus/menu_tracking.h"

namespace {
std::map<GParentWindow*, GMenuBar*>& bars() {
    static std::map<GParentWindow*, GMenuBar*> all;
    return all;
}
}  // namespace

GMenuBar* menuBarOf(GParentWindow* window) {
    auto at = bars().find(window);
    return at == bars().end() ? nullptr : at->second;
}

void refillMenuBars() {
    for (auto& entry : bars())
        if (WindowKind* kind = entry.first->destroyed() ? nullptr : windowKindOf(entry.first)) entry.second->fill(kind);
}

GMenuBar::GMenuBar(GParentWindow* window) : GMenu(CreateMenu(), true), window(window) {
    delete menuBarOf(window);
    bars()[window] = this;
    SetMenu(window->hwnd, menu);
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = GetSysColorBrush(COLOR_BTNFACE);
    SetMenuInfo(menu, &info);
    attachWatcher(window, this);
}

GMenuBar::~GMenuBar() {
    bars().erase(window);
    if (!window->destroyed() && GetMenu(window->hwnd) == menu) SetMenu(window->hwnd, nullptr);
}

GMenuItemData* GMenuBar::makeItemData(const char* text, void* image, i32 commandId) {
    GMenuItemData* data = GMenu::makeItemData(text, image, commandId);
    data->flag = 1;
    return data;
}

void GMenuBar::fill(WindowKind* kind) {
    clearMenu(menu);
    PointerArray specs = collectSpecs(kind, SpecMenu, true);
    for (u32 i = 0; i < specs.count; ++i) {
        GToolBarSpec* spec = static_cast<GToolBarSpec*>(specs[i]);
        HMENU popup = CreatePopupMenu();
        insertPopupItem(*this, -1, popup, makeItemData(spec->displayTitle(), nullptr, 0));
        GMenu sub(popup, false);
        fillMenuFromIds(window, sub, spec->activeIds(), spec->activeCount(), MenuBarMenu);
        assignMenuMnemonics(popup);
    }
    assignMenuMnemonics(menu);
    DrawMenuBar(window->hwnd);
}
