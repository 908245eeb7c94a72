#include "gui/kernel/modal_run.h"

#include "core/task_queue.h"
#include "gui/kernel/application.h"
#include "gui/kernel/child_window.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/error_queue.h"
#include "gui/kernel/ui_thread.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"

namespace {
ModalScope* g_top = nullptr;

GLifeRecord* hold(GWindow* window) {
    if (!window) return nullptr;
    GLifeRecord* record = window->item()->lifeRecord();
    if (record) record->addRef();
    return record;
}

void drop(GLifeRecord*& record) {
    if (record) record->release();
    record = nullptr;
}

GWindow* liveWindow(GLifeRecord* record) {
    if (!record || !record->object) return nullptr;
    GParentWindow* parent = record->object->asParentWindow();
    if (parent) return parent;
    return record->object->asChildWindow();
}

GDialog* asDialog(GWindow* window) {
    return window && window->isKindOf(TypeDialog) ? static_cast<GDialog*>(window) : nullptr;
}

template <class F>
void forEachTopLevel(F f) {
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        if (GParentWindow* window = parentWindowFromHandle(h)) f(window);
}

void tellListeners(ModalScope* scope, bool begin) {
    GApplication* app = application();
    if (!app) return;
    ModalEvent event{scope, begin};
    ListenerChain::notify(app->eventList, &event);
}

void wakeUiThread() { PostThreadMessageA(uiThreadId(), 0, 0, 0); }

// Watches the dialog of a run: the end of its window ends the run.
class ModalWatcher : public GItemBase {
public:
    explicit ModalWatcher(GDialog* dialog) : dialog(dialog) { attachWatcher(dialog, this); }
    ~ModalWatcher() override { detachWatcher(this); }
    bool handleMessage(u32 message, uintptr_t, intptr_t, intptr_t*) override {
        if (message == WM_DESTROY) {
            if (dialog->modalDone) *dialog->modalDone = true;
            dialog->modalDone = nullptr;
            wakeUiThread();
        }
        return false;
    }
    GDialog* dialog;
};
}  // namespace

ModalScope::ModalScope(GWindow* owner, GDialog* dialog) {
    // Queued errors come first, before any window is disabled (their own scopes flush nothing).
    showPendingErrorBoxes();
    ownerRecord = hold(owner);
    dialogRecord = hold(dialog);
    below = g_top;
    if (g_top) g_top->above = this;
    g_top = this;
    if (GDialog* ownerBox = asDialog(liveWindow(ownerRecord))) {
        EnableWindow(ownerBox->hwnd, FALSE);
    } else {
        forEachTopLevel([&](GParentWindow* window) {
            if (window != static_cast<GWindow*>(dialog)) EnableWindow(window->hwnd, FALSE);
        });
    }
    tellListeners(this, true);
}

ModalScope::~ModalScope() {
    callGuarded(nullptr, [&] { tellListeners(this, false); });
    if (innermost()) {
        if (GDialog* ownerBox = asDialog(liveWindow(ownerRecord))) {
            EnableWindow(ownerBox->hwnd, TRUE);
        } else if (recordedCount) {
            EnableWindow(recorded[0], TRUE);
        } else {
            forEachTopLevel([](GParentWindow* window) { EnableWindow(window->hwnd, TRUE); });
        }
    }
    drop(dialogRecord);
    drop(ownerRecord);
    if (below) below->above = above;
    if (above)
        above->below = below;
    else
        g_top = below;
}

GDialog* ModalScope::dialog() const { return asDialog(liveWindow(dialogRecord)); }

GDialog* ModalScope::ownerDialog() {
    if (GDialog* box = dialog()) return box;
    return asDialog(liveWindow(ownerRecord));
}

HWND ModalScope::recordedOrOwner() {
    if (recordedCount) return recorded[0];
    GDialog* owner = asDialog(liveWindow(ownerRecord));
    return owner ? owner->hwnd : nullptr;
}

void ModalScope::recordWindow(HWND window) {
    if (recordedCount < sizeof recorded / sizeof recorded[0]) recorded[recordedCount++] = window;
}

ModalScope* topModalScope() { return g_top; }

void postModalEvent(ModalScope* scope) {
    showPendingErrorBoxes();
    tellListeners(scope, true);
}

GDialog* pendingModalDialog() {
    for (ModalScope* scope = g_top; scope; scope = scope->below)
        if (GDialog* box = scope->dialog()) return box;
    return nullptr;
}

i32 runModal(GDialog* dialog) {
    bool anyTopmost = false;
    forEachTopLevel([&](GParentWindow* window) {
        if (GetWindowLongA(window->hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) anyTopmost = true;
    });
    SetWindowPos(dialog->hwnd, anyTopmost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ModalScope scope(dialog->ownerWindow(), dialog);
    ModalWatcher watcher(dialog);
    bool done = false;
    LifeGuard alive(dialog->lifeRecord());
    struct ClearDone {
        GDialog* dialog;
        LifeGuard& alive;
        ~ClearDone() {
            if (alive.alive()) dialog->modalDone = nullptr;
        }
    } clear{dialog, alive};
    dialog->modalDone = &done;
    ShowWindow(dialog->hwnd, SW_SHOW);
    SetActiveWindow(dialog->hwnd);
    messageLoop(&done);
    return dialog->result;
}

namespace {
class ShowModalRequest : public CrossThreadRequest {
public:
    ShowModalRequest(GDialog* dialog, RECT* rect, i32 placement, i32* result)
        : dialog(dialog), rect(rect), placement(placement), result(result) {}
    void run() override { *result = showModal(dialog, rect, placement); }
    GDialog* dialog;
    RECT* rect;
    i32 placement;
    i32* result;
};
}  // namespace

i32 showModal(GDialog* dialog, RECT* rect, i32 placement) {
    if (!isUiThread()) {
        i32 result = -1;
        if (!callAndWait(new ShowModalRequest(dialog, rect, placement, &result))) return -1;
        return result;
    }
    if (rect && !IsRectEmpty(rect))
        MoveWindow(dialog->hwnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    else
        placeOnMonitor(dialog, placement, placement);
    i32 result = runModal(dialog);
    if (rect && dialog->hwnd && IsWindow(dialog->hwnd)) GetWindowRect(dialog->hwnd, rect);
    return result;
}

i32 placeWindowAuto(GDialog* dialog, i32 placement) {
    RECT empty{};
    return showModal(dialog, &empty, placement);
}
