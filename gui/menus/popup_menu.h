#pragma once
// GPopupMenu: a popup menu holder, either made here (and owned) or wrapping a submenu another
// holder owns. The popups of popup actions are shown from here. The creator deletes the holder.
#include "gui/menus/menu.h"

class GPopupMenu : public GMenu {
public:
    GPopupMenu() : GMenu(CreatePopupMenu(), true) {}
    explicit GPopupMenu(HMENU existing) : GMenu(existing, false) {}
};

// The command of the dynamic popup being filled.
extern i32 dynamicPopupCommand;
// Fills a dynamic popup for its window (the window's placer installs it); false leaves it empty.
typedef bool (*DynamicPopupFiller)(GWindow* window, i32 commandId, GMenu& menu);
extern DynamicPopupFiller dynamicPopupFiller;

// Opens the popup of a popup action at (x, y) in the window's client coordinates; the choice
// arrives as WM_COMMAND. False when the id is no popup action.
bool showActionPopup(GWindow* window, i32 commandId, i32 x, i32 y);
// The same at the cursor, for a command of a control.
bool showActionPopupAtCursor(i32 commandId, GWindow* source);
