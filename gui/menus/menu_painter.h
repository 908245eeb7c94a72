#pragma once
// Measuring and painting of owner-drawn menu items (GMenuItemData) with the toolkit's colours and
// the menu effect bits: the image or check mark in its cell, the title, the shortcut texts
// right-aligned, an arrow on items that open a submenu; separators as a dark line over a light one.
// Items of a menu bar (flag 1) are measured 6 pixels narrower and keep no arrow column.
#include <windows.h>

#include "core/types.h"

class GParentWindow;
class GMenuItemData;

// WM_MEASUREITEM / WM_DRAWITEM of menu items; false for other controls.
bool paintMenuItem(GParentWindow* window, UINT message, LPARAM lParam);

// The frame painter flags of an item in the state (ODS_*) drawn with the effect bits; with
// `selectionColours` the effects ask for the selection colours.
u32 menuItemPaintFlags(u32 effects, UINT itemState, bool* selectionColours = nullptr);
// The cell the item's image is drawn in: a popup item's square of at least 20 and the check-mark
// size, a menu-bar item's image size.
SIZE menuItemImageCell(const GMenuItemData* data);
// The size of an item in a menu (the DC's font is replaced by the menu font while measuring).
SIZE measureMenuItem(HDC dc, const GMenuItemData* data);
// The size of an item drawn plainly, outside a menu.
SIZE measurePlainItem(HDC dc, const GMenuItemData* data);
// Draws the item in the rectangle and state of the record (the item data is the record's).
void drawMenuItem(HDC dc, const GMenuItemData* data, const DRAWITEMSTRUCT* d);
