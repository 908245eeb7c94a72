#pragma once
// Input events offered up the layout tree, and events made for an item from the cursor. Used by
// the table views and the window listeners; nothing here is kept.
#include "gui/input/input_event.h"

class GItemBase;

// Offers the event to the item's mouse input, then to its container, or for a cell without one to
// its owner window's item, and so on up; true when one takes it.
bool bubbleInputEvent(GItemBase* item, GInputEvent* event);

// An event for the target at the cursor's position, in the client coordinates of the target's window.
GInputEvent makeCursorEvent(GItemBase* target, u32 kind, u32 key, u32 modifiers);
