#include "gui/kernel/window_placement.h"

#include "gui/input/system_input.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_procedure.h"

namespace {
RECT monitorWorkArea(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoA(monitor, &info)) return info.rcWork;
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}
RECT systemAreaOfWindow(HWND window) { return monitorWorkArea(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)); }
RECT systemAreaOfPoint(POINT point) { return monitorWorkArea(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST)); }

bool isTopmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// The first window along the owner chain with WS_VISIBLE.
GWindow* visibleOwner(GParentWindow* window) {
    for (GWindow* owner = window->ownerWindow(); owner; owner = owner->ownerWindow())
        if (owner->hwnd && (GetWindowLongA(owner->hwnd, GWL_STYLE) & WS_VISIBLE)) return owner;
    return nullptr;
}

i32 centreOf(i32 a, i32 b) { return a + (b - a) / 2; }

template <class F>
GParentWindow* walk(HWND from, u32 relation, F keep) {
    for (HWND h = from; h; h = GetWindow(h, relation)) {
        GParentWindow* window = parentWindowFromHandle(h);
        if (window && keep(window)) return window;
    }
    return nullptr;
}
}  // namespace

const WorkAreas systemWorkAreas = {systemAreaOfWindow, systemAreaOfPoint};
WorkAreas workAreas = systemWorkAreas;

RECT workAreaOfWindow(HWND window) { return workAreas.ofWindow(window); }

void placeOnMonitor(GParentWindow* window, i32 x, i32 y) {
    SIZE size = window->getPreferredSize();
    i32 w = size.cx, h = size.cy;
    RECT current{};
    GetWindowRect(window->hwnd, &current);
    GWindow* owner = visibleOwner(window);
    RECT area;
    if (owner) {
        area = workAreaOfWindow(owner->hwnd);
    } else {
        POINT cursor{};
        systemInput.cursorPos(&cursor);
        area = workAreas.ofPoint(cursor);
    }
    i32 code[2] = {x, y};
    i32 place[2] = {x, y};
    i32 extent[2] = {w, h};
    for (int axis = 0; axis < 2; ++axis) {
        i32 c = code[axis];
        i32 areaLow = axis ? area.top : area.left, areaHigh = axis ? area.bottom : area.right;
        if (c == PlaceCentreOnOwner || c == PlaceCentreOnOwnMonitor) {
            i32 centre;
            if (owner) {
                RECT o{};
                GetWindowRect(owner->hwnd, &o);
                i32 low = axis ? o.top : o.left, high = axis ? o.bottom : o.right;
                centre = high - low > 0 ? centreOf(low, high) : centreOf(areaLow, areaHigh);
                if (centre < areaLow || centre >= areaHigh) centre = centreOf(areaLow, areaHigh);
            } else if (c == PlaceCentreOnOwnMonitor) {
                // Centred on its own monitor and kept there, not clamped onto the cursor's.
                area = workAreaOfWindow(window->hwnd);
                areaLow = axis ? area.top : area.left;
                areaHigh = axis ? area.bottom : area.right;
                centre = centreOf(areaLow, areaHigh);
            } else {
                centre = centreOf(areaLow, areaHigh);
            }
            place[axis] = centre - extent[axis] / 2;
        } else if (c == PlaceKeep || c == PlaceKeepCentre) {
            area = workAreaOfWindow(window->hwnd);
            i32 low = axis ? current.top : current.left, high = axis ? current.bottom : current.right;
            place[axis] = c == PlaceKeep ? low : centreOf(low, high) - extent[axis] / 2;
        }
    }
    x = place[0];
    y = place[1];
    if (!isTopmost(window->hwnd) && window->isKindOf(TypeDialog)) {
        // Below every topmost toolkit window it would overlap.
        for (bool moved = true; moved;) {
            moved = false;
            for (HWND other = GetTopWindow(nullptr); other; other = GetWindow(other, GW_HWNDNEXT)) {
                if (other == window->hwnd || !parentWindowFromHandle(other) || !isTopmost(other) || !IsWindowVisible(other))
                    continue;
                RECT t{};
                GetWindowRect(other, &t);
                if (x < t.right && t.left < x + w && y < t.bottom && t.top < y + h) {
                    y = t.bottom;
                    moved = true;
                }
            }
        }
    }
    i32 areaW = area.right - area.left, areaH = area.bottom - area.top;
    if (w > areaW) w = areaW;
    if (h > areaH) h = areaH;
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    if (x + w > area.right) x = area.right - w;
    if (y + h > area.bottom) y = area.bottom - h;
    MoveWindow(window->hwnd, x, y, w, h, TRUE);
}

void cascadeFrom(GParentWindow* window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window->hwnd, &placement)) return;
    if (!IsWindowVisible(window->hwnd))
        placement.showCmd = SW_HIDE;  // moved, not shown
    else if (placement.showCmd == SW_MINIMIZE)
        placement.showCmd = SW_RESTORE;
    else if (placement.showCmd == SW_SHOWMINIMIZED)
        placement.showCmd = SW_SHOWNORMAL;
    RECT area = workAreaOfWindow(window->hwnd);
    RECT r = placement.rcNormalPosition;
    i32 w = r.right - r.left, h = r.bottom - r.top;
    i32 x, y;
    if (r.left + w <= area.right && r.top > area.top) {
        x = r.left > area.left ? r.left + 20 : area.left;
        if (r.bottom + 20 > area.bottom) {
            y = area.bottom - h;
            if (r.left <= area.left) x += 20;
        } else {
            y = r.top + 20;
        }
    } else if (r.left + w <= area.right) {
        if (r.left - 20 >= area.left) {
            x = r.left - 20;
            y = area.top;
        } else {
            x = area.left;
            y = area.top + 20;
        }
    } else if (r.top - 20 > area.top) {
        x = area.right - w;
        y = r.top - 20;
    } else {
        x = area.right - w - 20;
        y = area.top;
    }
    placement.rcNormalPosition = RECT{x, y, x + w, y + h};
    SetWindowPlacement(window->hwnd, &placement);
}

void activateWindow(GParentWindow* window) {
    if (!IsWindowVisible(window->hwnd)) window->show(SW_SHOW);
    if (IsIconic(window->hwnd)) ShowWindow(window->hwnd, SW_RESTORE);
    HWND target = window->hwnd;
    if (GDialog* box = pendingModalDialog())
        for (GWindow* owner = box->ownerWindow(); owner; owner = owner->ownerWindow())
            if (owner == window) {
                target = box->hwnd;
                break;
            }
    if (GetForegroundWindow() == target) return;
    SetForegroundWindow(target);
    BringWindowToTop(target);
    SetActiveWindow(target);
}

GParentWindow* firstWindowOfKind(u32 kind) {
    return walk(GetTopWindow(nullptr), GW_HWNDNEXT, [&](GParentWindow* w) { return w->isKindOf(kind); });
}

GParentWindow* nextWindowOfKind(GParentWindow* window, u32 relation, u32 kind) {
    if (!window || !window->hwnd) return nullptr;
    return walk(GetWindow(window->hwnd, relation), relation, [&](GParentWindow* w) { return w->isKindOf(kind); });
}

GParentWindow* lastWindowObject() {
    HWND top = GetTopWindow(nullptr);
    HWND last = top ? GetWindow(top, GW_HWNDLAST) : nullptr;
    return walk(last, GW_HWNDPREV, [](GParentWindow*) { return true; });
}

GParentWindow* windowAtPoint(POINT* point) {
    GParentWindow* found = walk(GetTopWindow(nullptr), GW_HWNDNEXT, [&](GParentWindow* w) {
        if (!w->isKindOf(TypeParentWindow) || w->isKindOf(TypeTemporaryWindow) || !IsWindowVisible(w->hwnd)) return false;
        RECT r{};
        GetWindowRect(w->hwnd, &r);
        return PtInRect(&r, *point) != 0;
    });
    if (found) ScreenToClient(found->hwnd, point);
    return found;
}

GChildWindow* childWindowAtPoint(GWindow* window, POINT* point) {
    GChildWindow* found = nullptr;
    HWND at = window ? window->hwnd : nullptr;
    POINT p = *point;
    while (at) {
        HWND child = ChildWindowFromPointEx(at, p, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (!child || child == at) break;
        MapWindowPoints(at, child, &p, 1);
        at = child;
        if (GChildWindow* w = windowFromHandle(child)) {
            found = w;
            *point = p;
        }
    }
    return found;
}

GParentWindow* lastOwnedWindow(GParentWindow* window) {
    if (!window || !window->hwnd || window->destroyed()) return nullptr;
    GParentWindow* current = window;
    for (u32 guard = 0; guard < 64; ++guard) {
        GParentWindow* owned = walk(GetTopWindow(nullptr), GW_HWNDNEXT, [&](GParentWindow* w) {
            return w != current && w->ownerWindow() == current && IsWindowEnabled(w->hwnd) &&
                   !w->isKindOf(TypeTemporaryWindow);
        });
        if (!owned) break;
        current = owned;
    }
    return current;
}
