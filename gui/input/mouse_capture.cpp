#include "gui/input/mouse_capture.h"

#include <cstdlib>

#include "gui/input/input_event.h"
#include "gui/kernel/application.h"
#include "gui/kernel/window.h"
#include "gui/kernel/window_procedure.h"

namespace {
GMouseCapture* g_first = nullptr;
GMouseCapture* g_walk = nullptr;  // the next capture of a hook's walk
GWindow* g_captureWindow = nullptr;
i32 g_count = 0;

// Calls the operation on every listed capture; a capture may end itself or others meanwhile.
template <class Call>
void forEachCapture(Call call) {
    GMouseCapture* saved = g_walk;
    g_walk = g_first;
    while (g_walk) {
        GMouseCapture* capture = g_walk;
        g_walk = capture->nextCapture;
        call(capture);
    }
    g_walk = saved;
}

// Escape on the filter chain, deactivation on the activation chain; neither takes the message.
class EscapeHook : public GItemBase {
public:
    bool filterMessage(tagMSG* message) override {
        if (message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE)
            forEachCapture([](GMouseCapture* c) { c->cancel(); });
        return false;
    }
};

class DeactivationHook : public GItemBase {
public:
    bool onAppActivate(bool active) override {
        if (!active) forEachCapture([](GMouseCapture* c) { c->deactivate(); });
        return false;
    }
};

EscapeHook* g_escapeHook = nullptr;
DeactivationHook* g_deactivationHook = nullptr;

void installHooks() {
    GApplication* app = application();
    if (!app || g_escapeHook) return;
    g_escapeHook = new EscapeHook;
    g_deactivationHook = new DeactivationHook;
    ListenerChain::append(app->filterList, g_escapeHook->lifeRecord());
    ListenerChain::append(app->activationList, g_deactivationHook->lifeRecord());
}

void removeHooks() {
    delete g_escapeHook;
    delete g_deactivationHook;
    g_escapeHook = nullptr;
    g_deactivationHook = nullptr;
}

// Ends the drag and the capture when it goes out of scope armed, also when an owner slot throws.
class EndGuard {
public:
    explicit EndGuard(GMouseCapture* capture) : capture(capture), life(capture->lifeRecord()) {}
    ~EndGuard() {
        if (!armed || !life.alive()) return;
        capture->dragging = false;
        capture->end();
    }
    EndGuard(const EndGuard&) = delete;
    EndGuard& operator=(const EndGuard&) = delete;
    bool armed = true;

private:
    GMouseCapture* capture;
    LifeGuard life;
};

i32 pointX(intptr_t lParam) { return (i16)LOWORD(lParam); }
i32 pointY(intptr_t lParam) { return (i16)HIWORD(lParam); }
}  // namespace

GMouseCapture* firstCapture() { return g_first; }
HWND captureWindow() { return g_captureWindow ? g_captureWindow->hwnd : nullptr; }
i32 captureCount() { return g_count; }
bool captureHooksInstalled() { return g_escapeHook != nullptr; }

GMouseCapture::GMouseCapture(GWindow* owner) { beginMouseTracking(this, owner); }

GMouseCapture::~GMouseCapture() {
    if (dragging) {
        dragging = false;
        // What the owner throws here is kept for the loop; a destructor lets nothing through.
        GItemBase* item = ownerItem();
        if (item) callGuarded(&windowFailures(), [&] { item->dragCancel(this, startX, startY); });
    }
    end();
}

GItemBase* GMouseCapture::ownerItem() const { return watched ? watched->item() : nullptr; }

void GMouseCapture::begin(i32 x, i32 y) {
    if (active) return;
    if (!g_first) installHooks();
    nextCapture = g_first;
    previousCapture = nullptr;
    if (g_first) g_first->previousCapture = this;
    g_first = this;
    active = true;
    if (g_captureWindow != watched) {
        // The captures of the previous window lose the system capture and end on WM_CAPTURECHANGED.
        g_captureWindow = watched;
        g_count = 0;
        if (watched && watched->hwnd)
            SetCapture(watched->hwnd);
        else
            ReleaseCapture();
    }
    ++g_count;
    startX = x;
    startY = y;
}

void GMouseCapture::end() {
    if (!active) return;
    if (g_walk == this) g_walk = nextCapture;
    if (previousCapture)
        previousCapture->nextCapture = nextCapture;
    else
        g_first = nextCapture;
    if (nextCapture) nextCapture->previousCapture = previousCapture;
    nextCapture = previousCapture = nullptr;
    // Cleared before ReleaseCapture, whose WM_CAPTURECHANGED comes back here.
    active = false;
    if (!g_first) removeHooks();
    if (g_captureWindow && g_captureWindow == watched && --g_count <= 0) {
        g_count = 0;
        HWND hwnd = g_captureWindow->hwnd;
        g_captureWindow = nullptr;
        if (hwnd && GetCapture() == hwnd) ReleaseCapture();
    }
}

void GMouseCapture::cancel() { cancelAndEnd(); }

void GMouseCapture::deactivate() { cancel(); }

void GMouseCapture::cancelAndEnd() {
    EndGuard guard(this);
    if (!dragging) return;
    dragging = false;
    if (GItemBase* item = ownerItem()) item->dragCancel(this, startX, startY);
}

void GMouseCapture::pressLeft(i32 x, i32 y) {
    if (!active) begin(x, y);
    if (dragging) return;
    if (GItemBase* item = ownerItem())
        if (item->dragBegin(this, x, y)) dragging = true;
}

void GMouseCapture::dragTo(i32 x, i32 y) {
    GItemBase* item = ownerItem();
    if (!item) return;
    EndGuard guard(this);
    if (item->dragMove(this, startX, startY, x, y)) {
        guard.armed = false;
        startX = x;
        startY = y;
        return;
    }
    dragging = false;
    item->dragCancel(this, startX, startY);
}

void GMouseCapture::drop() {
    EndGuard guard(this);
    if (!dragging) return;
    dragging = false;
    i32 x = startX, y = startY;
    startX = startY = -1;
    if (GItemBase* item = ownerItem()) item->dragDrop(this, x, y);
}

bool GMouseCapture::handleMessage(u32 message, uintptr_t, intptr_t lParam, intptr_t*) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressLeft(pointX(lParam), pointY(lParam));
        break;
    case WM_MOUSEMOVE:
        if (dragging) dragTo(pointX(lParam), pointY(lParam));
        break;
    case WM_LBUTTONUP:
        drop();
        break;
    default:
        if ((isOtherButtonMessage(message) || message == WM_CAPTURECHANGED) && (active || dragging)) cancelAndEnd();
        break;
    }
    return false;
}

bool GDragDetector::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    i32 x = pointX(lParam), y = pointY(lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (dragging) return false;
        begin(x, y);
        startX = x;
        startY = y;
        return false;
    case WM_MOUSEMOVE:
        if (!active) return false;
        if (!dragging) {
            if (std::abs(x - startX) + std::abs(y - startY) < DragStartDistance) return false;
            GItemBase* item = ownerItem();
            if (!item || !item->dragBegin(this, startX, startY)) return false;
            dragging = true;
        }
        dragTo(x, y);
        return false;
    default:
        return GMouseCapture::handleMessage(message, wParam, lParam, result);
    }
}
