#pragma once
// Keys that work a menu bar as a user does, for the main window tests.
#include <windows.h>

#include <vector>

#include "core/types.h"

// The keys from the menu bar to the item of the id, at most one submenu deep; the items before it
// must be enabled (the menu loop passes over disabled ones).
inline bool menuKeys(HMENU bar, u32 id, std::vector<UINT>* path) {
    auto stepsTo = [](HMENU menu, i32 position) {
        u32 steps = 0;
        for (i32 k = 0; k < position; ++k) {
            // A popup's state carries its item count in the high byte: only a plain item is a separator.
            const UINT state = GetMenuState(menu, (UINT)k, MF_BYPOSITION);
            if (!(state & MF_SEPARATOR) || (state & MF_POPUP)) ++steps;
        }
        return steps;
    };
    for (i32 m = 0; m < GetMenuItemCount(bar); ++m) {
        HMENU menu = GetSubMenu(bar, m);
        for (i32 s = 0; menu && s < GetMenuItemCount(menu); ++s) {
            path->assign((size_t)m, VK_RIGHT);
            path->push_back(VK_DOWN);
            path->insert(path->end(), stepsTo(menu, s), VK_DOWN);
            if (GetMenuItemID(menu, s) == id) {
                path->push_back(VK_RETURN);
                return true;
            }
            HMENU sub = GetSubMenu(menu, s);
            for (i32 k = 0; sub && k < GetMenuItemCount(sub); ++k) {
                if (GetMenuItemID(sub, k) != id) continue;
                path->push_back(VK_RIGHT);
                path->insert(path->end(), stepsTo(sub, k), VK_DOWN);
                path->push_back(VK_RETURN);
                return true;
            }
        }
    }
    return false;
}
