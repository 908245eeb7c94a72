#pragma once
// Placing top-level windows on the monitors, cascading, bringing a window forward, and walks over
// the top-level windows by kind. The work areas come through a replaceable table (tests give their
// own monitors).
#include <windows.h>

#include "core/types.h"

class GChildWindow;
class GParentWindow;
class GWindow;

// Placement codes for a coordinate; any other value is a screen coordinate.
enum : i32 {
    PlaceCentreOnOwner = -1,       // centre on the visible owner, or on the work area
    PlaceKeep = -2,                // keep the current left or top
    PlaceKeepCentre = -3,          // keep the current centre
    PlaceCentreOnOwnMonitor = -4,  // centre on the visible owner, or on the window's own monitor
};

struct WorkAreas {
    RECT (*ofWindow)(HWND window);  // the work area of the window's monitor
    RECT (*ofPoint)(POINT point);   // the work area of the monitor nearest the point
};
extern WorkAreas workAreas;
extern const WorkAreas systemWorkAreas;
RECT workAreaOfWindow(HWND window);

// Sizes the window to its preferred size and places it by coordinates or codes; dialogs go below
// topmost toolkit windows they would overlap; the result is clamped into the work area.
void placeOnMonitor(GParentWindow* window, i32 x, i32 y);
// Moves the window 20 pixels on from where it stands, keeping it inside its work area.
void cascadeFrom(GParentWindow* window);
// Shows, restores and brings the window forward (a pending modal box of it instead).
void activateWindow(GParentWindow* window);

// Walks over the top-level windows of the toolkit, in the system's z-order, of one kind.
GParentWindow* firstWindowOfKind(u32 kind);
// relation: GW_HWNDNEXT or GW_HWNDPREV.
GParentWindow* nextWindowOfKind(GParentWindow* window, u32 relation, u32 kind);
// The bottom-most toolkit top-level window.
GParentWindow* lastWindowObject();
// The visible top-level window (kind 2, not 90) at the screen point; the point becomes client
// coordinates of it.
GParentWindow* windowAtPoint(POINT* point);
// The deepest visible toolkit child window (disabled ones too) at a client point of the window, or
// null; the point becomes client coordinates of it.
GChildWindow* childWindowAtPoint(GWindow* window, POINT* point);
// Follows enabled windows owned by the window (temporary ones excepted) to the last one reached;
// null for a window without a live native window.
GParentWindow* lastOwnedWindow(GParentWindow* window);

// Type id of temporary windows (pop-ups that never own others).
enum : u32 { TypeTemporaryWindow = 90 };
