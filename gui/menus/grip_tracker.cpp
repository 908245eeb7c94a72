#include "gui/menus/grip_tracker.h"

#include "gui/controls/tool_bar.h"
#include "gui/input/input_event.h"
#include "gui/input/system_input.h"
#include "gui/kernel/application.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/strip_item.h"
#include "gui/menus/action_table.h"
#include "gui/menus/dock_slot.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/saved_dc.h"

void (*toolBarSetChanged)(GParentWindow* window) = GAppWindow::updateSystemMenu;

namespace {
GParentWindow* topOf(GToolBar* bar) { return static_cast<GParentWindow*>(bar->topLevelWindow()); }

void relayout(GParentWindow* top) {
    GLayoutCell* content = top && top->content ? top->content->asLayoutCell() : nullptr;
    if (!content || !top->hwnd) return;
    RECT client;
    GetClientRect(top->hwnd, &client);
    applyLayoutChange(content, client);
}

}  // namespace

ToolBarGripTracker::ToolBarGripTracker(GToolBar* bar) : bar(bar) { beginMouseTracking(this, bar); }

void ToolBarGripTracker::enter() {
    hot = 1;
    InvalidateRect(bar->hwnd, nullptr, FALSE);
}

void ToolBarGripTracker::leave() {
    if (state == GripDragging) endDrag();
    hot = 0;
    state = GripIdle;
    if (bar->hwnd) InvalidateRect(bar->hwnd, nullptr, FALSE);
}

void ToolBarGripTracker::showCursor(u32 id) {
    static HCURSOR cursors[7] = {};
    static bool tried[7] = {};
    u32 i = id - CursorDockStart;
    if (i > 6) return;
    if (!tried[i]) {
        tried[i] = true;
        cursors[i] = LoadCursorA(programInstance ? programInstance : GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    }
    lastCursor = id;
    if (cursors[i]) SetCursor(cursors[i]);  // a cursor that cannot be loaded leaves the previous one
}

bool ToolBarGripTracker::handleMessage(u32 message, uintptr_t, intptr_t lParam, intptr_t* result) {
    if (!bar->hasGrip()) return false;
    const i32 x = (i16)LOWORD(lParam), y = (i16)HIWORD(lParam);
    const RECT grip = bar->gripRect();
    const bool inside = rectContainsPoint(grip, x, y);
    switch (message) {
    case WM_MOUSEMOVE:
        if (hot) {
            if (state == GripPressed) {
                state = GripDragging;
                systemInput.cursorPos(&press);
            }
            if (state == GripDragging) {
                dragStep();
                *result = 0;
                return true;
            }
            if (!inside) leave();
        } else if (inside && IsWindowEnabled(bar->hwnd) && IsWindowVisible(bar->hwnd)) {
            state = GripHover;
            enter();
        }
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (hot) {
            state = GripPressed;
            grab = POINT{x, y};
            SetCapture(bar->hwnd);
        }
        return false;
    case WM_LBUTTONUP:
        if (hot) {
            if (state == GripDragging) {
                endDrag();
                leave();
            } else {
                state = GripHover;
                releaseCapture();
                if (!inside) leave();
            }
        }
        return false;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_CAPTURECHANGED:
        if (!releasing && (hot || state != GripIdle)) leave();
        return false;
    }
    return false;
}

void ToolBarGripTracker::dragStep() {
    POINT cursor;
    systemInput.cursorPos(&cursor);
    if (cursor.x == press.x && cursor.y == press.y) return;
    press = cursor;
    GParentWindow* top = topOf(bar);
    if (!top || !top->hwnd) return;
    POINT at = cursor;
    ScreenToClient(top->hwnd, &at);
    const i32 w = bar->width(), h = bar->height();
    RECT moved = {at.x - grab.x, at.y - grab.y, at.x - grab.x + w, at.y - grab.y + h};
    DockSlot slot;
    bool found = false;
    for (GStripItem* dock : dockList(top))
        if (findDockSlot(dock, bar, moved, &slot)) {
            found = true;
            break;
        }
    if (!found) {
        showCursor(CursorNoDock);
        return;
    }
    GStripItem* current = stripOf(bar->container);
    int row = -2, index = -2;
    if (current) current->findCell(bar, &row, &index);
    if (slot.dock != current || slot.row != row || (slot.position != index && slot.position != index + 1)) {
        if (current) current->dragged = nullptr;
        GStripItem::moveCell(bar, slot.dock, slot.row, slot.position);
    }
    GStripItem* dock = slot.dock;
    if (!dock->findCell(bar, &row, &index)) return;
    const bool across = dock->orientation == 0;
    const std::vector<GLayoutCell*>& cells = dock->rows[row];
    i32 spanStart = across ? dock->rect.left : dock->rect.top;
    i32 spanEnd = across ? dock->rect.right : dock->rect.bottom;
    if (index > 0 && cells[index - 1]) spanStart = across ? cells[index - 1]->rect.right : cells[index - 1]->rect.bottom;
    if (index + 1 < (i32)cells.size() && cells[index + 1])
        spanEnd = across ? cells[index + 1]->rect.left : cells[index + 1]->rect.top;
    const i32 pos = across ? moved.left : moved.top, length = across ? w : h;
    char letter;
    u32 cursorId;
    if (pos < spanStart) {
        letter = across ? '<' : '^';
        cursorId = 0;
    } else if (pos + length >= spanEnd) {
        letter = across ? '>' : 'v';
        cursorId = 2;
    } else {
        letter = across ? '|' : '-';
        cursorId = 1;
    }
    if (across)
        bar->hAlign = letter;
    else
        bar->vAlign = letter;
    if (cursorId == 1) {
        dock->dragged = bar;
        dock->dragRect = across ? RECT{pos, bar->rect.top, pos + length, bar->rect.bottom}
                                : RECT{bar->rect.left, pos, bar->rect.right, pos + length};
    } else {
        dock->dragged = nullptr;
    }
    relayout(top);
    showCursor(CursorDockStart + cursorId + (across ? 0 : 3));
}

namespace {
struct EndWalk {
    GParentWindow* top;
    WindowKind* kind;
};

BOOL CALLBACK storeEach(HWND hwnd, LPARAM) {
    GChildWindow* child = windowFromHandle(hwnd);
    if (child && child->isKindOf(TypeToolBar)) static_cast<GToolBar*>(child)->storePlacement();
    return TRUE;
}

BOOL CALLBACK tellEach(HWND hwnd, LPARAM arg) {
    EndWalk* walk = (EndWalk*)arg;
    GParentWindow* window = parentWindowFromHandle(hwnd);
    if (window && window != walk->top && window->isKindOf(TypeAppWindow) && windowKindOf(window) == walk->kind &&
        toolBarSetChanged)
        toolBarSetChanged(window);
    return TRUE;
}
}  // namespace

void ToolBarGripTracker::endDrag() {
    state = GripIdle;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    releaseCapture();
    GParentWindow* top = topOf(bar);
    if (GStripItem* strip = stripOf(bar->container))
        strip->dragged = nullptr;
    relayout(top);
    if (!top || !top->hwnd) return;
    WindowKind* kind = windowKindOf(top);
    if (!kind) return;
    EnumChildWindows(top->hwnd, storeEach, 0);
    EndWalk walk = {top, kind};
    EnumThreadWindows(GetCurrentThreadId(), tellEach, (LPARAM)&walk);
}

void ToolBarGripTracker::releaseCapture() {
    if (GetCapture() != bar->hwnd) return;
    releasing = true;
    ReleaseCapture();
    releasing = false;
}

void ToolBarGripTracker::cancelDrag() { leave(); }

void ToolBarGripTracker::paintGrip(HDC hdc, const RECT& grip) {
    GSavedDC dc(hdc);
    if (state == GripHover || state == GripDragging) {
        RECT r = grip;
        DrawEdge(hdc, &r, BDR_RAISEDINNER, BF_RECT);
    }
    const bool wide = grip.right - grip.left > grip.bottom - grip.top;
    if (wide) {
        const i32 c = (grip.top + grip.bottom) / 2;
        drawDottedLine(dc, grip.left + 1, c - 1, grip.right - 2, c - 1, toolkitColors.lightShade);
        drawDottedLine(dc, grip.left + 1, c + 1, grip.right - 2, c + 1, toolkitColors.darkShade);
    } else {
        const i32 c = (grip.left + grip.right) / 2;
        drawDottedLine(dc, c - 1, grip.top + 1, c - 1, grip.bottom - 2, toolkitColors.lightShade);
        drawDottedLine(dc, c + 1, grip.top + 1, c + 1, grip.bottom - 2, toolkitColors.darkShade);
    }
}
