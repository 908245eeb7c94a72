#pragma once
// Menu loops: the stack of open menus, the menu messages of top-level windows, mnemonic keys and
// the tracking of popup menus (also on request of another thread). Everything here runs on the
// interface thread; the stack and the hooks have no lock.
#include <windows.h>

#include "core/types.h"

class GMenu;
class GWindow;
class GParentWindow;

struct OpenMenuEntry {
    HMENU menu;
    u8 flag;  // 1: the menu that opened the loop
};
// Non-empty exactly while a menu loop is open.
struct OpenMenuStack {
    OpenMenuEntry entries[32];
    u32 count = 0;
};
extern OpenMenuStack openMenuStack;

// Made when the first menu opens and handed to the application's event listeners (opened set: an
// open tip hides), and handed again, opened cleared, then deleted, when the loop ends.
struct MenuModeMarker {
    bool opened = true;
};

// Installs the menu hooks in the top-level windows' hook slot (once).
void installMenuHooks();
// WM_INITMENU, WM_INITMENUPOPUP, WM_MENUSELECT of a top-level window; any other message answers
// whether a menu is open.
bool menuMessageHook(GParentWindow* window, u32 message, WPARAM wParam, LPARAM lParam);
// WM_MENUCHAR: MAKELONG(position, 2) of the first owner-drawn item with "&" and the character, or 0.
LRESULT menuCharHook(HMENU menu, u32 character);

// trackPopupMenu flags.
enum : u32 { TrackNoReturn = 1, TrackActionPopup = 4, TrackScreenPoint = 0x20 };
// Shows the menu at (x, y) in the window's client coordinates (screen ones with TrackScreenPoint)
// and answers the chosen command, 0 for none and -1 for an empty menu. From another thread the
// tracking runs on the interface thread and the caller waits.
i32 trackPopupMenu(GWindow* window, GMenu& menu, i32 x, i32 y, u32 flags);
// The flags of the popup being tracked (for the item painter).
extern u32 currentPopupFlags;

// Gives every item of the menu a mnemonic where one can be found.
void assignMenuMnemonics(HMENU menu);
