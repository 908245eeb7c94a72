#pragma once
// Cursor and pointer helpers. Positions go through systemInput, so tests place the pointer.
#include <windows.h>

#include "core/types.h"

class GWindow;

// Shows one of the system's cursors (IDC_ARROW, IDC_SIZEWE, ...).
void setCursorById(LPCSTR id);
void getCursorScreenPos(i32* x, i32* y);
void getCursorClientPos(HWND window, i32* x, i32* y);
// The native window under the pointer.
HWND windowUnderCursor();
// True when the window's top-level window is the active window or owned, through owners, by it.
bool inActiveWindowChain(HWND window);
// A client point of the window inside its client area, with the window in the active chain.
bool pointInActiveClient(HWND window, i32 x, i32 y);
// The same, with the window also the one under the pointer.
bool pointerOverWindow(HWND window, i32 x, i32 y);
// Asks the system for WM_MOUSEHOVER and WM_MOUSELEAVE, once until one of them arrives (flag
// WindowHoverTracking).
void requestHoverTracking(GWindow* window);
