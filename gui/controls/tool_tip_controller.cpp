#include "gui/controls/tool_tip_controller.h"

#include <cstdlib>

#include "gui/input/system_input.h"
#include "gui/kernel/application.h"
#include "gui/kernel/child_window.h"
#include "gui/kernel/temporary_window.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"

namespace {
// Forwards one listener call of an application chain to the controller.
class TipKeyFilter : public GItemBase {
public:
    explicit TipKeyFilter(GToolTipController* target) : target(target) {}
    bool filterMessage(tagMSG* message) override {
        if (message->message == WM_KEYDOWN || message->message == WM_SYSKEYDOWN) target->hide();
        return false;
    }
    GToolTipController* target;
};

class TipEventListener : public GItemBase {
public:
    explicit TipEventListener(GToolTipController* target) : target(target) {}
    bool onEvent(void* event) override { return target->onEvent(event); }
    GToolTipController* target;
};

bool insideRect(const RECT& r, i32 x, i32 y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }
}  // namespace

GToolTipController::GToolTipController()
    : keyFilter(new TipKeyFilter(this)), eventListener(new TipEventListener(this)) {
    if (GApplication* app = application()) {
        ListenerChain::append(app->filterList, keyFilter->lifeRecord());
        ListenerChain::append(app->eventList, eventListener->lifeRecord());
    }
    addTimer(&timer, ToolTipPollMs, this, nullptr);
}

GToolTipController::~GToolTipController() {
    hide();
    removeTimer(&timer);
    delete keyFilter;
    delete eventListener;
}

GChildWindow* GToolTipController::watchedWindow() const {
    if (!watched || !watched->object) return nullptr;
    return watched->object->asChildWindow();
}

void GToolTipController::dropWatched() {
    detachWatcher(this);
    if (watched) watched->release();
    watched = nullptr;
}

void GToolTipController::hide() {
    dropWatched();
    deleteToolTip();
    shown = 0;
}

void GToolTipController::watch(GChildWindow* window, i32 x, i32 y) {
    hide();
    watched = window->lifeRecord();
    watched->addRef();
    attachWatcher(window, this);
    lastX = x;
    lastY = y;
    toolRect = RECT{0, 0, 0, 0};
    restStart = systemInput.tickCount();
    tipMode = window->toolTipMode();
    if (tipMode != 0) window->flags &= ~WindowTipsSuppressed;
    if (!(window->flags & WindowHoverTracking) && window->hwnd) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, window->hwnd, 0};
        if (TrackMouseEvent(&track)) window->flags |= WindowHoverTracking;
    }
    shown = 0;
}

void GToolTipController::onTimer(TimerRecord*) {
    POINT p;
    systemInput.cursorPos(&p);
    // From the top-level window down, so that disabled children are found too.
    GParentWindow* top = windowAtPoint(&p);
    GChildWindow* child = top ? childWindowAtPoint(top, &p) : nullptr;
    if (!child) {
        hide();
        return;
    }
    if (child != watchedWindow()) watch(child, p.x, p.y);
    hoverStep(p.x, p.y);
}

// The window stays watched (the poll then leaves it alone) until the pointer enters another.
void GToolTipController::suppress(GChildWindow* window) {
    window->flags |= WindowTipsSuppressed;
    detachWatcher(this);
}

void GToolTipController::hoverStep(i32 x, i32 y) {
    GChildWindow* window = watchedWindow();
    if (!window || (window->flags & WindowTipsSuppressed)) return;
    if (tipMode != 3) {
        bool moved = std::abs(x - lastX) + std::abs(y - lastY) >= (i32)ToolTipMoveLimit;
        lastX = x;
        lastY = y;
        if (!shown) {
            if (moved) {
                restStart = systemInput.tickCount();
                return;
            }
            if (systemInput.tickCount() - restStart < ToolTipRestMs) return;
        } else if (tipMode != 2 && moved) {
            suppress(window);
            deleteToolTip();
            shown = 0;
            return;
        }
    }
    if (shown && insideRect(toolRect, x, y)) return;
    stringClear(tipText);
    queryRect = RECT{0, 0, 0, 0};
    if (window->hwnd) GetClientRect(window->hwnd, &queryRect);
    RECT anchor = {0, 0, 0, 0};
    if (window->getToolTip(x, y, &tipText, &queryRect, &anchor)) {
        toolRect = queryRect;
        if (!toolTipWindow) createToolTipWindow(window);
        shown = 1;
        showToolTip(tipText.c_str(), anchor, window);
    } else {
        suppress(window);
        deleteToolTip();
        shown = 0;
    }
}

void GToolTipController::watcherRoutine(u32 message, intptr_t lParam) {
    GChildWindow* window = watchedWindow();
    if (!window) return;
    LifeGuard keep(lifeRecord());  // the steps below may detach this controller mid-walk
    LifeGuard keepWindow(watched);
    switch (message) {
    case WM_PAINT:
        toolRect = RECT{0, 0, 0, 0};
        hoverStep(lastX, lastY);
        break;
    case WM_MOUSEMOVE: {
        POINT cursor;
        systemInput.cursorPos(&cursor);
        if (WindowFromPoint(cursor) == window->hwnd)
            hoverStep((i16)LOWORD(lParam), (i16)HIWORD(lParam));
        else
            deleteToolTip();
        break;
    }
    case WM_MOUSELEAVE:
        window->flags &= ~WindowHoverTracking;
        deleteToolTip();
        break;
    }
}

bool GToolTipController::handleMessage(u32 message, uintptr_t, intptr_t lParam, intptr_t*) {
    watcherRoutine(message, lParam);
    return false;
}

void GToolTipController::afterMessageHandled(u32 message, uintptr_t, intptr_t lParam) {
    watcherRoutine(message, lParam);
}

bool GToolTipController::onEvent(void* event) {
    if (event && *(const u8*)event) hide();
    return false;
}
