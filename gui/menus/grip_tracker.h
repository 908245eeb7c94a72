#pragma once
// ToolBarGripTracker: drags a tool bar by its grip between the rows of the tool-bar strips (docks)
// of its top-level window. One per tool bar, a listener at the head of the bar's chain; the bar
// owns it. Only the dragging moves are taken; every other message goes on to the bar.
#include <windows.h>

#include "gui/frame/app_window.h"
#include "gui/kernel/window_listener.h"
#include "gui/menus/dock_slot.h"

class GParentWindow;
class GToolBar;

enum : u32 { GripIdle = 0, GripHover = 1, GripPressed = 2, GripDragging = 3 };

// Cursor resources of the drag: along a horizontal row at the start, at a place, at the end, the
// same three for a column, and no slot.
enum : u32 { CursorDockStart = 8000, CursorNoDock = 8006 };

class ToolBarGripTracker : public GWindowListener {
public:
    explicit ToolBarGripTracker(GToolBar* bar);

    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    // The grip with its hover frame and two dotted lines.
    void paintGrip(HDC dc, const RECT& grip);
    void endDrag();
    void cancelDrag();
    void leave();
    bool dragging() const { return state == GripDragging; }

    u8 hot = 0;
    u8 state = GripIdle;
    POINT press = {-1, -1};
    POINT grab = {0, 0};  // the press point relative to the bar's top left
    u32 lastCursor = 0;   // the resource id of the last cursor shown

private:
    GToolBar* bar;
    void enter();
    void dragStep();
    void showCursor(u32 id);
    // Lets the capture go without counting it as lost.
    void releaseCapture();
    bool releasing = false;
};

// Called for every other application window that shares the moved bar's set; null does nothing.
extern void (*toolBarSetChanged)(GParentWindow* window);
