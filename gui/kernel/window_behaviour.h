#pragma once
// What top-level and child windows share beyond their own handlers: the focus record, the dirty
// state consumed by the idle refresh, the child windows in layout order, the focus walk, and the
// background erase of a top-level window. Interface thread only.
#include <windows.h>

#include "core/types.h"

class GChildWindow;
class GLayoutCell;
class GParentWindow;
class GWindow;

// Set while a wheel message is being forwarded between windows (a second one is dropped).
extern bool forwardingWheel;
// The registered "commdlg_FindReplace" message.
UINT findReplaceMessage();

// The child window that holds the keyboard focus, or null.
extern GChildWindow* focusWindow;
// Set when some top-level window is dirty; the idle refresh clears it.
extern bool relayoutPending;

// Marks the top-level window of `window` dirty and asks for the idle refresh.
void markOwnerDirty(GWindow* window);

// The child windows of a top-level window in layout order (depth first through its content).
GChildWindow* firstChildWindow(GParentWindow* parent);
GChildWindow* lastChildWindow(GParentWindow* parent);
GChildWindow* nextWindow(GChildWindow* window);
GChildWindow* previousWindow(GChildWindow* window);
// The window before this one in layout order with the same native parent, or null.
GChildWindow* previousSiblingWindow(GChildWindow* window);
// The next window from `from` (wrapping) that can take the focus; null when it comes back.
GChildWindow* nextFocusable(GParentWindow* parent, GChildWindow* from, bool forward);
// Focus conditions: alive, enabled, visible, accepting; with needTabStop also WS_TABSTOP.
bool canTakeFocus(GChildWindow* window, bool needTabStop);
// Makes the window its owner's focus child and gives it the native focus.
void giveFocus(GChildWindow* window);

// Runs refresh on every dirty top-level window while relayoutPending is set; installs itself on
// the application's idle chain with the first top-level window.
void installIdleRefresh();
void refreshDirtyWindows();

// Fills the client area of a top-level window not covered by visible child windows.
void eraseParentBackground(GParentWindow* window, HDC dc);
