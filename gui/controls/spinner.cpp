#include "gui/controls/spinner.h"

#include <windowsx.h>

#include "core/exceptions.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/value_stepper.h"
#include "gui/input/input_event.h"
#include "gui/input/system_input.h"
#include "gui/paint/colors.h"
#include "gui/paint/gradients.h"
#include "gui/paint/saved_dc.h"

namespace {
const u32 kRepeatInterval = 100;
const i32 kRepeatDelayTicks = 3;  // the counter starts at -3: the first repeat is the fourth tick
const i32 kDoublingSteps = 10;
}  // namespace

GSpinner::~GSpinner() {
    removeTimer(&timer);
    destroyNative();
}

bool GSpinner::create() { return GUserWindow::create(WS_CHILD | WS_VISIBLE); }

void GSpinner::onDestroy() {
    removeTimer(&timer);
    arrowState = 0;
    stepper = nullptr;
    GUserWindow::onDestroy();
}

void GSpinner::step(i32 direction) {
    if (!buddy || !buddy->hwnd || !stepper || !IsWindowEnabled(buddy->hwnd) || !IsWindowVisible(buddy->hwnd)) return;
    // The change notification may end this window.
    LifeGuard life(lifeRecord());
    try {
        EditStepText target(buddy);
        stepper->step(target, direction, multiplier);
    } catch (const GVerifyException&) {
        if (life.alive()) stopRepeat();
        return;
    }
    if (!life.alive()) return;
    if (repeatCounter >= kDoublingSteps) {
        if (multiplier < kSpinMaxMultiplier) multiplier *= 2;
        repeatCounter = 0;
    }
}

void GSpinner::startRepeat(i32 direction) {
    if (arrowState & (SpinUpPressed | SpinDownPressed)) return;
    arrowState |= direction > 0 ? SpinUpPressed : SpinDownPressed;
    invalidate();
    repeatCounter = -kRepeatDelayTicks;
    pressTick = systemInput.tickCount();
    ticksDone = 0;
    addTimer(&timer, kRepeatInterval, this, nullptr);
    step(direction);  // last: it may end this window
}

void GSpinner::stopRepeat() {
    if (!(arrowState & (SpinUpPressed | SpinDownPressed))) return;
    arrowState &= ~(SpinUpPressed | SpinDownPressed);
    removeTimer(&timer);
    multiplier = 1;
    repeatCounter = 0;
    invalidate();
}

// The ticks follow the clock, so a late timer message catches up instead of slowing the repeat.
void GSpinner::onTimer(TimerRecord*) {
    u32 due = (systemInput.tickCount() - pressTick) / kRepeatInterval;
    LifeGuard life(lifeRecord());
    while (life.alive() && ticksDone < due && (arrowState & (SpinUpPressed | SpinDownPressed))) {
        ++ticksDone;
        if (++repeatCounter > 0) step(arrowState & SpinDownPressed ? -1 : +1);
    }
}

bool GSpinner::onWheel(i32 delta, u32, bool) {
    stopRepeat();
    if (delta) step(delta > 0 ? +1 : -1);
    return true;
}

i32 GSpinner::arrowKey(const GInputEvent* event) {
    if (event->kind != KeyDown || (event->modifiers & 7)) return 0;
    if (event->key != VK_UP && event->key != VK_DOWN) return 0;
    step(event->key == VK_UP ? +1 : -1);
    return 2;
}

void GSpinner::setHot(u32 bits) {
    if ((arrowState & (SpinUpHot | SpinDownHot)) == bits) return;
    arrowState = (arrowState & ~(SpinUpHot | SpinDownHot)) | bits;
    invalidate();
}

bool GSpinner::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    RECT client;
    GetClientRect(hwnd, &client);
    bool upper = GET_Y_LPARAM(lParam) < client.bottom / 2;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetCapture(hwnd);
        startRepeat(upper ? +1 : -1);
        *result = 0;
        return true;
    case WM_LBUTTONUP:
        stopRepeat();
        if (GetCapture() == hwnd) ReleaseCapture();
        *result = 0;
        return true;
    case WM_CAPTURECHANGED:
        stopRepeat();
        return false;
    case WM_MOUSEMOVE:
        if (!(arrowState & (SpinUpPressed | SpinDownPressed))) {
            if (!(flags & WindowHoverTracking)) {
                TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd, 0};
                if (TrackMouseEvent(&track)) flags |= WindowHoverTracking;
            }
            setHot(upper ? SpinUpHot : SpinDownHot);
        }
        *result = 0;
        return true;
    case WM_MOUSELEAVE:
        setHot(0);
        break;
    }
    return GUserWindow::handleMessage(message, wParam, lParam, result);
}

namespace {
void drawArrow(HDC dc, const RECT& half, bool up, COLORREF colour) {
    i32 cx = (half.left + half.right - 1) / 2;
    i32 cy = (half.top + half.bottom - 1) / 2;
    i32 w = (half.right - half.left) / 2 - 1;
    if (w > 3) w = 3;
    if (w < 1) w = 1;
    i32 h = (w + 1) / 2;
    POINT p[3];
    if (up) {
        p[0] = {cx - w, cy + h};
        p[1] = {cx + w, cy + h};
        p[2] = {cx, cy + h - w};
    } else {
        p[0] = {cx - w, cy - h};
        p[1] = {cx + w, cy - h};
        p[2] = {cx, cy - h + w};
    }
    GSavedDC filled(dc);
    filled.selectPen(colour);
    filled.selectSolidBrush(colour);
    Polygon(dc, p, 3);
}
}  // namespace

// A one-pixel frame: light top and left, dark bottom and right (the other way round when sunken).
static void drawHalfFrame(HDC dc, const RECT& r, bool sunken) {
    const COLORREF light = toolkitColors.lightShade, dark = toolkitColors.darkShade;
    GSavedDC lines(dc);
    lines.selectPen(sunken ? dark : light);
    MoveToEx(dc, r.left, r.bottom - 1, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right, r.top);
    lines.selectPen(sunken ? light : dark);
    MoveToEx(dc, r.right - 1, r.top + 1, nullptr);
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, r.left, r.bottom - 1);
}

void GSpinner::paint(HDC hdc, const RECT&, bool) {
    RECT client;
    GetClientRect(hwnd, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    GSavedDC dc(hdc);
    FillRect(hdc, &client, (HBRUSH)GetCurrentObject(hdc, OBJ_BRUSH));
    const i32 middle = (client.top + client.bottom) / 2 - 1;
    RECT halves[2] = {{client.left, client.top, client.right, middle}, {client.left, middle, client.right, client.bottom}};
    bool enabled = IsWindowEnabled(hwnd) != 0;
    COLORREF arrow = enabled ? toolkitColors.text : sysColor(COLOR_GRAYTEXT);
    for (int i = 0; i < 2; ++i) {
        RECT r = halves[i];
        if (r.bottom <= r.top) continue;
        bool pressed = arrowState & (i == 0 ? SpinUpPressed : SpinDownPressed);
        bool hot = arrowState & (i == 0 ? SpinUpPressed | SpinUpHot : SpinDownPressed | SpinDownHot);
        // Light to dark, inverted when pressed.
        COLORREF top = pressed ? toolkitColors.darkShade : toolkitColors.lightShade;
        COLORREF bottom = pressed ? toolkitColors.lightShade : toolkitColors.darkShade;
        gradientRect(dc, r, top, bottom, true, false);
        drawHalfFrame(hdc, r, pressed);
        if (hot && enabled) {
            RECT focus = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
            if (focus.right > focus.left && focus.bottom > focus.top) DrawFocusRect(hdc, &focus);
        }
        if (pressed) OffsetRect(&r, 1, 1);
        drawArrow(hdc, r, i == 0, arrow);
    }
}
