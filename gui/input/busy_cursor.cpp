#include "gui/input/busy_cursor.h"

#include <windows.h>

#include "gui/kernel/application.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window.h"
#include "gui/kernel/window_procedure.h"

namespace {
u32 g_depth = 0;
ModalScope* g_outerScope = nullptr;  // innermost modal scope when the outermost busy scope began

// Keeps the cursor right while modal scopes begin and end inside a busy scope: the arrow over a
// box, the wait cursor again once the last scope inside the busy one has ended.
class BusyCursorHook : public GItemBase {
public:
    bool onEvent(void* event) override {
        if (!isModalEvent(event)) return false;
        const ModalEvent* modal = static_cast<const ModalEvent*>(event);
        if (modal->begin) {
            if (g_depth) setAllWindowsCursor(32512);  // IDC_ARROW
            return false;
        }
        if (modal->scope == g_outerScope) {
            g_outerScope = nullptr;
            return false;
        }
        if (g_depth && modal->scope->below == g_outerScope) setAllWindowsCursor(32514);  // IDC_WAIT
        return false;
    }
};

BusyCursorHook& hook() {
    static BusyCursorHook object;
    return object;
}

// Once per application run.
void appendHook() {
    GApplication* app = application();
    if (app && hook().lifeRecord()->owner != &app->eventList) ListenerChain::append(app->eventList, hook().lifeRecord());
}
}  // namespace

void setAllWindowsCursor(u32 cursorId) {
    HCURSOR cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(cursorId));
    if (GWindowMapEntry* first = parentWindowMap().first())
        SetClassLongPtrA(static_cast<GWindow*>(first)->hwnd, GCLP_HCURSOR, (LONG_PTR)cursor);
    SetCursor(cursor);
}

void beginBusyCursor() {
    appendHook();
    if (g_depth++ == 0) {
        g_outerScope = topModalScope();
        setAllWindowsCursor(32514);  // IDC_WAIT
    }
}

void endBusyCursor() {
    if (g_depth && --g_depth == 0) {
        g_outerScope = nullptr;
        setAllWindowsCursor(32512);  // IDC_ARROW
    }
}
