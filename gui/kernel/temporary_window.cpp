#include "gui/kernel/temporary_window.h"

#include "gui/controls/multi_label.h"
#include "gui/input/system_input.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/paint/colors.h"

GTemporaryWindow* toolTipWindow = nullptr;

GTemporaryWindow::~GTemporaryWindow() {
    destroyNative();
    if (backLink && *backLink == this) *backLink = nullptr;
}

void GTemporaryWindow::onDestroy() {
    if (backLink && *backLink == this) *backLink = nullptr;
    backLink = nullptr;
    GParentWindow::onDestroy();
}

void GToolTipWindow::onDestroy() {
    label = nullptr;
    GTemporaryWindow::onDestroy();
}

void GToolTipWindow::show(i32 flag) {
    if (!hwnd) return;
    bool visible = IsWindowVisible(hwnd) != FALSE;
    if (visible == (flag != 0)) return;
    ShowWindow(hwnd, flag ? SW_SHOWNOACTIVATE : SW_HIDE);
}

GToolTipWindow* createToolTipWindow(GWindow* owner) {
    deleteToolTip();
    GToolTipWindow* tip = new GToolTipWindow(owner, &toolTipWindow);
    toolTipWindow = tip;
    if (!createTopLevelWindow(tip, 0x80800000, 0, "")) {
        delete tip;
        return nullptr;
    }
    GLayoutItem* grid = new GLayoutItem(tip);
    GLayoutBuilder builder(tip);
    builder.current = grid;
    tip->label = GMultiLabel::create(builder, "", 25, 40, 0xAC00);
    tip->label->textColour = sysColor(COLOR_INFOTEXT);
    tip->label->background = sysColor(COLOR_INFOBK);
    tip->label->invalidate();
    tip->setContent(grid);
    return tip;
}

void deleteToolTip() {
    GTemporaryWindow* tip = toolTipWindow;
    toolTipWindow = nullptr;
    if (tip) {
        if (tip->hwnd)
            DestroyWindow(tip->hwnd);
        else
            delete tip;
    }
}

const char* toolTipText() {
    GToolTipWindow* tip = static_cast<GToolTipWindow*>(toolTipWindow);
    return tip && tip->label ? tip->label->text.c_str() : nullptr;
}

static RECT nearestWorkArea(const RECT& anchor) {
    return workAreas.ofPoint(POINT{(anchor.left + anchor.right) / 2, (anchor.top + anchor.bottom) / 2});
}
RECT (*toolTipWorkArea)(const RECT& anchor) = nearestWorkArea;

// Moves [start, start + size) into [low, high): first to start at low, then to end at high.
static i32 pushInto(i32 start, i32 size, i32 low, i32 high) {
    if (start < low) start = low;
    if (start + size > high) start = high - size;
    return start;
}

static bool inside(const RECT& r, const RECT& work) {
    return r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom;
}

RECT chooseToolTipRect(const RECT& anchor, POINT cursor, i32 w, i32 h, const RECT& work) {
    RECT c[4];
    i32 cost[4];
    i32 top = pushInto(cursor.y - h / 2, h, work.top, work.bottom);
    i32 left = pushInto(cursor.x - w / 2, w, work.left, work.right);
    c[0] = RECT{anchor.right, top, anchor.right + w, top + h};
    cost[0] = 2 * (c[0].left - cursor.x);
    c[1] = RECT{anchor.left - w, top, anchor.left, top + h};
    cost[1] = 2 * (cursor.x - c[1].right);
    c[2] = RECT{left, anchor.bottom, left + w, anchor.bottom + h};
    cost[2] = c[2].top - cursor.y;
    c[3] = RECT{left, anchor.top - h, left + w, anchor.top};
    cost[3] = cursor.y - c[3].bottom;
    int chosen = 2;
    i32 best = cost[0];
    if (inside(c[0], work)) chosen = 0;
    for (int i = 1; i < 4; ++i) {
        if (inside(c[i], work) && cost[i] <= best) {
            chosen = i;
            best = cost[i];
        }
    }
    return c[chosen];
}

static bool mouseButtonHeld() {
    return (systemInput.keyState(VK_LBUTTON) & 0x8000) || (systemInput.keyState(VK_RBUTTON) & 0x8000) ||
           (systemInput.keyState(VK_MBUTTON) & 0x8000);
}

void showToolTip(const char* text, const RECT& anchor, GWindow* window) {
    GToolTipWindow* tip = static_cast<GToolTipWindow*>(toolTipWindow);
    if (!tip || !tip->hwnd || !tip->label) return;
    if (!text || !*text || mouseButtonHeld()) {
        tip->label->setText("");
        tip->show(0);
        return;
    }
    tip->label->setText(text);
    RECT screen = anchor;
    if (IsRectEmpty(&screen) && window && window->hwnd) GetClientRect(window->hwnd, &screen);
    if (window && window->hwnd) MapWindowPoints(window->hwnd, nullptr, (POINT*)&screen, 2);
    tip->show(1);
    POINT cursor;
    systemInput.cursorPos(&cursor);
    SIZE size = tip->getPreferredSize();
    RECT place = chooseToolTipRect(screen, cursor, size.cx, size.cy, toolTipWorkArea(screen));
    SetWindowPos(tip->hwnd, nullptr, place.left, place.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(tip->hwnd, &client);
    tip->layoutContent(client.right, client.bottom);
    InvalidateRect(tip->hwnd, nullptr, TRUE);
}
