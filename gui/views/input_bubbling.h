#pragma once
// Input events offered up the layout tree, and events made for an item from the cursor. Used by
// the table views and the window listeners; nothing here is kept.
#include "gui/input/input_event.h"

class GItemBase;

// The codes of events made from raw mouse events.
enum : u32 { CellInputPress = 1, CellInputDoubleClick = 2, CellInputRelease = 3 };

// Offers the event to the item's mouse input, then to its container, or for a cell without one to
// its owner window's item, and so on up; true when one takes it.
bool bubbleInputEvent(GItemBase* item, GInputEvent* event);

// An event for the target at the cursor's position, in the client coordinates of the target's window.
GInputEvent makeCursorEvent(GItemBase* target, u32 kind, u32 key, u32 modifiers);

// An event for the raw mouse event's target at its position, with no action of its own: code
// CellInputPress, CellInputDoubleClick or CellInputRelease for those actions of a mouse event, else 0.
GInputEvent makeInputEvent(const GInputEvent& raw, u32 key, u32 modifiers);
