#pragma once
// The docks of a window (its visible tool-bar strips, in tree order) and the search for the place
// of a dragged tool bar among their rows. The strips belong to the window's layout tree.
#include <windows.h>

#include <vector>

#include "core/types.h"

class GLayoutCell;
class GParentWindow;
class GStripItem;

// Rows of a dock are this far apart for the slot search.
enum : i32 { DockRowPitch = 26 };

// A place for a dragged bar: row -1 is a new row before the first, the row count a new row after
// the last.
struct DockSlot {
    i32 row = 0;
    i32 position = 0;
    GStripItem* dock = nullptr;
};

// The slot of a bar whose rectangle is `bar` (the dock's window's client coordinates) in one dock.
bool findDockSlot(GStripItem* dock, GLayoutCell* cell, const RECT& bar, DockSlot* slot);

// The visible strips of the window's content in tree order (a strip is not entered).
std::vector<GStripItem*> dockList(GParentWindow* window);
// The first visible strip with the key, or null.
GStripItem* findStripByKey(GParentWindow* window, u32 key);
