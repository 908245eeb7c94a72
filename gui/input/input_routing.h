#pragma once
// Delivery of input events to the items: keys to the target and up its containers and owners,
// mouse actions to the deepest visible item under the point. The walks go through InputItemTree,
// whose defaults follow the layout: containers, then the owner window's item; the layout's hit
// test in top-level windows, the child windows inside child windows.
#include <windows.h>

#include "gui/input/input_event.h"

class GWindow;

struct InputItemTree {
    // The containing item, else the owner window's item; null ends the walk.
    GItemBase* (*parentItem)(GItemBase* item);
    // The deepest visible item at a client point of the window (not the window's own item), or null.
    GItemBase* (*itemAtPoint)(GWindow* window, i32 x, i32 y);
    // The item's top-left corner in the client coordinates of the window.
    POINT (*itemOrigin)(GItemBase* item, GWindow* window);
    bool (*itemVisible)(GItemBase* item);
};
extern InputItemTree inputItemTree;
extern const InputItemTree layoutItemTree;

// The window an item belongs to as its item part, or null.
GWindow* windowOfItem(GItemBase* item);

// handleKey from the target upward: 1 stops unhandled, 2 is handled, 0 climbs. True when handled.
bool routeKeyEvent(GInputEvent* event);
// A move goes to the target's handleCapturedMouse. Other actions go to handleMouse of each visible
// item from the one under the point up to the target's window (each in its own coordinates), then
// to the window's item. True when handled.
bool routeMouseEvent(GInputEvent* event);
// The key step of a top-level window's pre-translation: a key message made into an event for the
// toolkit window that has the focus inside the window (else the window itself) and routed. True
// when an item handled it.
bool routeKeyMessage(GWindow* window, const tagMSG* message);
// The window handlers' first step: a mouse message of the window routed from its item. True when
// taken (the message's result is then 0).
bool translateInput(GWindow* window, u32 message, uintptr_t wParam, intptr_t lParam);
