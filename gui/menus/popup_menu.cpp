#include "gui/menus/popup_menu.h"

#include "gui/input/system_input.h"
#include "gui/kernel/window.h"
#include "gui/menus/action_table.h"
#include "gui/menus/menu_tracking.h"

i32 dynamicPopupCommand = 0;
DynamicPopupFiller dynamicPopupFiller = nullptr;

namespace {
GActionItem* popupAction(i32 commandId) {
    GActionItem* action = actionById(commandId);
    return action && (action->flags & ActionPopup) ? action : nullptr;
}
}  // namespace

bool showActionPopup(GWindow* window, i32 commandId, i32 x, i32 y) {
    GActionItem* action = popupAction(commandId);
    if (!action) return false;
    GPopupMenu menu;
    if (action->flags & ActionDynamicPopup) {
        dynamicPopupCommand = commandId;
        if (dynamicPopupFiller) dynamicPopupFiller(window, commandId, menu);
    } else {
        fillMenuFromIds(window, menu, action->subItems, action->subItemCount, MenuPopupAction);
    }
    trackPopupMenu(window, menu, x, y, TrackNoReturn | TrackActionPopup);
    return true;
}

bool showActionPopupAtCursor(i32 commandId, GWindow* source) {
    if (!popupAction(commandId) || !source) return false;
    POINT at{};
    systemInput.cursorPos(&at);
    ScreenToClient(source->hwnd, &at);
    return showActionPopup(source, commandId, at.x, at.y);
}
