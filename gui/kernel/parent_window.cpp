#include "gui/kernel/parent_window.h"

#include "core/wide_text.h"
#include "gui/frame/help.h"
#include "gui/input/input_event.h"
#include "gui/input/input_routing.h"
#include "gui/input/system_input.h"
#include "gui/kernel/application.h"
#include "gui/kernel/child_window.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_transaction.h"

GParentWindow::~GParentWindow() {
    destroyNative();
    delete content;
}

WindowClassRecord* GParentWindow::windowClassRecord() { return &parentClass; }

void GParentWindow::onDestroy() {
    if (countedAsMain) {
        countedAsMain = false;
        --mainWindowCount;
    }
    ListenerChain::flushDeferredDeletes(lifeRecord()->watchers);
}

bool GParentWindow::preTranslateMessage(MSG* message) { return routeKeyMessage(this, message); }

void GParentWindow::setContent(GItemBase* item) {
    if (item == content) return;
    delete content;
    content = item;
    if (GLayoutCell* cell = item ? item->asLayoutCell() : nullptr) {
        if (!cell->owner) cell->owner = this;
        if (hwnd) {
            RECT client;
            GetClientRect(hwnd, &client);
            layoutContent(client.right, client.bottom);
        }
    }
}

void GParentWindow::layoutContent(i32 width, i32 height) {
    GLayoutCell* cell = content ? content->asLayoutCell() : nullptr;
    if (!cell) return;
    applyLayoutChange(cell, RECT{0, 0, width, height});
}

void GParentWindow::fitToContent() {
    SIZE size = getPreferredSize();
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(hwnd, &client);
    layoutContent(client.right, client.bottom);
}

SIZE GParentWindow::getPreferredSize() {
    GLayoutCell* cell = content ? content->asLayoutCell() : nullptr;
    if (!cell) return SIZE{0, 0};
    cell->refreshLayoutFlags();
    i32 w, h;
    preferredSizeOf(cell, &w, &h);
    RECT r{0, 0, w, h};
    if (hwnd) {
        AdjustWindowRectEx(&r, (DWORD)GetWindowLongA(hwnd, GWL_STYLE), GetMenu(hwnd) != nullptr,
                           (DWORD)GetWindowLongA(hwnd, GWL_EXSTYLE));
    }
    return SIZE{r.right - r.left, r.bottom - r.top};
}

bool GParentWindow::onActivate() {
    flags |= WindowDirty;
    relayoutPending = true;
    installIdleRefresh();
    return false;
}

void GParentWindow::refresh() {
    if (destroyed()) return;
    if ((flags & WindowRestoreFocus) && hwnd && GetActiveWindow() == hwnd) {
        HWND focused = GetFocus();
        bool foreign = focused && focused != hwnd && !windowFromHandle(focused);
        bool keep = focusChild && canTakeFocus(focusChild, false) &&
                    (focused == focusChild->hwnd || (focused && GetParent(focused) == focusChild->hwnd));
        if (!foreign && !keep) {
            GChildWindow* best = nullptr;
            i32 bestPriority = 0;
            RECT client;
            GetClientRect(hwnd, &client);
            for (GChildWindow* w = firstChildWindow(this); w; w = nextWindow(w)) {
                if (!canTakeFocus(w, true) || rectEmpty(w->rect)) continue;
                const RECT& r = w->rect;
                if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom) continue;
                i32 priority = w->acceptsFocus();
                if (priority > bestPriority) {
                    best = w;
                    bestPriority = priority;
                }
            }
            if (best) giveFocus(best);
        }
    }
    if (flags & WindowRelayoutPending)
        for (GChildWindow* w = firstChildWindow(this); w; w = nextWindow(w)) w->onParentRefresh(flags);
    flags &= ~WindowDirty;
}

bool GParentWindow::onCommand(u32 command, GStateQuery*) {
    if (command != 9 && command != 101) return false;
    if (helpPage) openHelp(helpPage, this);
    return true;
}

i32 GParentWindow::commandState(u32 command) {
    if (command == 9 || command == 101) return helpPage ? CommandEnabled : CommandDisabled;
    return CommandUnknown;
}

static bool isArrow(u32 key) { return key >= VK_LEFT && key <= VK_DOWN; }
static bool isForwardArrow(u32 key) { return key == VK_RIGHT || key == VK_DOWN; }

static bool usable(GChildWindow* w) {
    return w && !w->destroyed() && w->hwnd && IsWindowVisible(w->hwnd);
}

i32 GParentWindow::handleKey(GInputEvent* e) {
    GChildWindow* focus = focusWindow;
    if (e->isKeyDown(VK_F1)) {
        if (helpPage) openHelp(helpPage, this);
        return 2;
    }
    if (e->isKeyDown(VK_TAB) || e->isKeyDown(VK_TAB, ModShift)) {
        GChildWindow* next = nextFocusable(this, focus, !(e->modifiers & ModShift));
        if (next && next != focus) giveFocus(next);
        return 2;
    }
    if (e->kind == KeyDown && (e->modifiers & 7) == 7 && isArrow(e->key)) {
        POINT p;
        systemInput.cursorPos(&p);
        p.x += e->key == VK_LEFT ? -1 : e->key == VK_RIGHT ? 1 : 0;
        p.y += e->key == VK_UP ? -1 : e->key == VK_DOWN ? 1 : 0;
        systemInput.setCursorPos(p.x, p.y);
        return 2;
    }
    if (e->kind == KeyCharacter && (e->modifiers & 7) == ModAlt) {
        u32 c = upperCharacter(e->key);
        for (GChildWindow* w = firstChildWindow(this); w; w = nextWindow(w))
            if (usable(w) && w->matchesMnemonic(c)) return 2;
        return 0;
    }
    bool plainArrow = e->kind == KeyDown && (e->modifiers & 7) == 0 && isArrow(e->key);
    bool inGroup = focus && focus->isGroupMember();
    if (inGroup && plainArrow) {
        i32 group = focus->groupId();
        bool forward = isForwardArrow(e->key);
        for (GChildWindow* w = forward ? nextWindow(focus) : previousWindow(focus); w;
             w = forward ? nextWindow(w) : previousWindow(w)) {
            if (!usable(w) || !w->isGroupMember() || w->groupId() != group) break;
            if (IsWindowEnabled(w->hwnd)) {
                w->activateByKey();
                break;
            }
        }
        return 2;
    }
    if (!inGroup && focus && focus->isArrowNavigable()) {
        if (plainArrow) {
            GChildWindow* next = nextFocusable(this, focus, isForwardArrow(e->key));
            if (next && next != focus && next->isArrowNavigable() && next->container == focus->container) {
                giveFocus(next);
                return 2;
            }
        } else if (e->isKeyDown(VK_RETURN)) {
            if (usable(focus) && IsWindowEnabled(focus->hwnd)) focus->activateByKey();
            return 2;
        }
    }
    if (e->isKeyDown(VK_RETURN)) {
        for (GChildWindow* w = firstChildWindow(this); w; w = nextWindow(w))
            if (w->isDefaultButton() && usable(w) && IsWindowEnabled(w->hwnd)) {
                w->activateByKey();
                break;
            }
        return 2;
    }
    return 0;
}

bool forwardingWheel = false;

UINT findReplaceMessage() {
    static UINT message = RegisterWindowMessageA("commdlg_FindReplace");
    return message;
}

bool (*menuWindowHook)(GParentWindow*, u32, uintptr_t, intptr_t, intptr_t*) = nullptr;

bool GParentWindow::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (menuWindowHook && menuWindowHook(this, message, wParam, lParam, result)) return true;
    if (translateInput(this, message, wParam, lParam)) {
        *result = 0;
        return true;
    }
    switch (message) {
    case WM_SIZE:
        if (styleChangeInProgress) return false;
        if ((wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) && content) {
            clientWidth = LOWORD(lParam);
            clientHeight = HIWORD(lParam);
            if (inSizeMove) {
                resizePending = true;
            } else {
                layoutContent(clientWidth, clientHeight);
                onResized(clientWidth, clientHeight);
            }
        }
        return false;
    case WM_ENTERSIZEMOVE:
        inSizeMove = true;
        resizePending = false;
        return false;
    case WM_EXITSIZEMOVE:
        if (resizePending) {
            resizePending = false;
            layoutContent(clientWidth, clientHeight);
            onResized(clientWidth, clientHeight);
        }
        inSizeMove = false;
        return false;
    case WM_ACTIVATE:
        if (HIWORD(wParam) || (HWND)lParam == hwnd) return false;
        if (LOWORD(wParam) == WA_INACTIVE ? onDeactivate() : onActivate()) {
            *result = 0;
            return true;
        }
        return false;
    case WM_ERASEBKGND:
        if (!(flags & WindowOwnBackground)) eraseParentBackground(this, (HDC)wParam);
        *result = 1;
        return true;
    case WM_COMMAND: {
        u32 code = HIWORD(wParam);
        if (!lParam) {
            if (code == 0 || code == 1) {
                GStateQuery query{LOWORD(wParam), 0};
                routeCommandUp(this, QueryExecute, &query);
            }
            *result = 0;
            return true;
        }
        GChildWindow* control = windowFromHandle((HWND)lParam);
        if (!control) return false;
        GControlNotification event{control, code, (intptr_t)LOWORD(wParam)};
        for (GItemBase* item = control; item; item = nextReceiver(item))
            if (item->onControlCommand(&event)) break;
        *result = 0;
        return true;
    }
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        GChildWindow* source = header ? windowFromHandle(header->hwndFrom) : nullptr;
        GControlNotification event{source, header ? header->code : 0, lParam};
        for (GItemBase* item = source; item; item = nextReceiver(item))
            if (item->onNotify(&event)) break;
        *result = event.result;
        return true;
    }
    case WM_VKEYTOITEM:
        *result = -1;
        return true;
    case WM_CHARTOITEM: {
        GChildWindow* list = windowFromHandle((HWND)lParam);
        i32 character = LOWORD(wParam), caret = HIWORD(wParam);
        if (wParam & 0xFF00) {  // two signed bytes
            character = (i8)(wParam & 0xFF);
            caret = (i8)((wParam >> 8) & 0xFF);
        }
        *result = list ? list->charToItem((u32)character, caret) : -1;
        return true;
    }
    case WM_ACTIVATEAPP:
        if (GApplication* app = application()) ListenerChain::notifyParent(app->activationList, wParam ? 1 : 0);
        return false;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (GChildWindow* bar = windowFromHandle((HWND)lParam)) {
            intptr_t ignored = 0;
            bar->handleMessage(message, wParam, lParam, &ignored);
        }
        return false;
    case WM_MOUSEWHEEL: {
        *result = 0;
        if (forwardingWheel) return true;
        HWND target = GetCapture();
        if (!target) {
            POINT p;
            systemInput.cursorPos(&p);
            target = WindowFromPoint(p);
            GChildWindow* child = windowFromHandle(target);
            if (child && child != focusWindow && canTakeFocus(child, false)) child->setFocusSafe();
        }
        if (target && target != hwnd) {
            forwardingWheel = true;
            SendMessageA(target, message, wParam, lParam);
            forwardingWheel = false;
        }
        return true;
    }
    case WM_SYSCOMMAND:
        if (wParam < 0xF000) {
            GStateQuery query{(u32)wParam, 0};
            routeCommandUp(this, QueryExecute, &query);
        }
        return false;
    case WM_CLOSE: {
        // A modal dialog's close box cancels it as Esc does: the dialog hears command 2.
        if (isKindOf(TypeDialog) && static_cast<GDialog*>(this)->modalDone) {
            GStateQuery query{2, 0};
            routeCommandUp(this, QueryExecute, &query);
            *result = 0;
            return true;
        }
        i32 answer = queryClose();
        if (answer == 1) return true;
        GApplication* app = application();
        if (app && !app->quitting && mainWindowCount == 1 && countedAsMain) requestQuit();
        if (answer == 0) DestroyWindow(hwnd);
        *result = 0;
        return true;
    }
    default:
        if (message == findReplaceMessage()) {
            onFindReplace(lParam);
            *result = 0;
            return true;
        }
        return false;
    }
}
