#include "gui/views/input_bubbling.h"

#include <windows.h>

#include "gui/input/system_input.h"
#include "gui/kernel/child_window.h"
#include "gui/layout/layout_cell.h"

bool bubbleInputEvent(GItemBase* item, GInputEvent* event) {
    for (; item; item = nextReceiver(item))
        if (item->handleMouse(event)) return true;
    return false;
}

GInputEvent makeCursorEvent(GItemBase* target, u32 kind, u32 key, u32 modifiers) {
    GInputEvent e;
    e.target = target;
    e.kind = kind;
    e.key = key;
    e.modifiers = modifiers;
    POINT p{0, 0};
    systemInput.cursorPos(&p);
    GLayoutCell* cell = target ? target->asLayoutCell() : nullptr;
    GChildWindow* child = target ? target->asChildWindow() : nullptr;
    GWindow* window = child ? static_cast<GWindow*>(child) : cell ? cell->owner : nullptr;
    if (window && window->hwnd) ScreenToClient(window->hwnd, &p);
    e.x = p.x;
    e.y = p.y;
    return e;
}

GInputEvent makeInputEvent(const GInputEvent& raw, u32 key, u32 modifiers) {
    GInputEvent e;
    e.target = raw.target;
    e.x = raw.x;
    e.y = raw.y;
    e.mouse = raw.mouse;
    e.button = raw.button;
    e.key = key;
    e.modifiers = modifiers;
    if (raw.mouse) {
        e.kind = raw.action == MousePress         ? CellInputPress
                 : raw.action == MouseDoubleClick ? CellInputDoubleClick
                 : raw.action == MouseRelease     ? CellInputRelease
                                                  : 0;
    }
    return e;
}
