#pragma once
// Measuring and painting of owner-drawn menu items (GMenuItemData): image or check mark, title,
// shortcut texts right-aligned, an arrow on items that open a submenu, separators as a line; items of
// a menu bar (flag 1) show the title only.
#include <windows.h>

class GParentWindow;

// WM_MEASUREITEM / WM_DRAWITEM of menu items; false for other controls.
bool paintMenuItem(GParentWindow* window, UINT message, LPARAM lParam);
