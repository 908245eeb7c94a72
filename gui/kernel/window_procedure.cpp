#include "gui/kernel/window_procedure.h"

#include "core/wide_text.h"
#include "gui/kernel/application.h"
#include "gui/kernel/child_window.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/tracked_object.h"
#include "gui/layout/layout_transaction.h"

u32 mainWindowCount = 0;
GParentWindow* activeParentWindow = nullptr;

GWindowMap& childWindowMap() {
    static GWindowMap map(8);
    return map;
}

void forEachChildWindow(u32 type, const std::function<void(GWindow*)>& visit) {
    GWindowMap::Iterator walk(childWindowMap());
    while (GWindowMapEntry* entry = walk.next()) {
        GWindow* window = static_cast<GWindow*>(entry);
        if (!window->destroyed() && window->hwnd && window->isKindOf(type)) visit(window);
    }
}

GWindowMap& parentWindowMap() {
    static GWindowMap map(6);
    return map;
}

ExceptionCarrier& windowFailures() {
    static ExceptionCarrier carrier;
    return carrier;
}

GChildWindow* windowFromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    return static_cast<GChildWindow*>(static_cast<GWindow*>(childWindowMap().lookup(hwnd)));
}

GParentWindow* parentWindowFromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    return static_cast<GParentWindow*>(static_cast<GWindow*>(parentWindowMap().lookup(hwnd)));
}

LRESULT defaultProcessing(GWindow* window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowClassRecord* record = window->windowClassRecord();
    if (!record || !record->registeredProc) return 0;
    if (window->flags & WindowAnsi)
        return CallWindowProcA(record->previousProcA, window->hwnd, message, wParam, lParam);
    return CallWindowProcW(record->previousProcW, window->hwnd, message, wParam, lParam);
}

namespace {
LRESULT dispatch(GWindowMap& map, bool topLevel, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    GWindow* window = nullptr;
    if (message == WM_NCCREATE) {
        window = static_cast<GWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (window) {
            window->hwnd = hwnd;
            map.insert(window);
        }
    } else if (hwnd) {
        window = static_cast<GWindow*>(map.lookup(hwnd));
    }
    if (!window) {
        // A window of the class without an object: its own width keeps its texts whole.
        if (hwnd && IsWindowUnicode(hwnd)) return DefWindowProcW(hwnd, message, wParam, lParam);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    GLifeRecord* record = window->item()->lifeRecord();
    LifeGuard keep(record);

    if (topLevel && message == WM_ACTIVATE) {
        if (LOWORD(wParam) != WA_INACTIVE)
            activeParentWindow = static_cast<GParentWindow*>(window);
        else if (activeParentWindow == window)
            activeParentWindow = nullptr;
    }
    intptr_t result = 0;
    if (ListenerChain::notifyWindow(record->watchers, message, wParam, lParam, &result)) return result;
    if (record->alive()) result = defaultProcessing(window, message, wParam, lParam);
    if (message == WM_DESTROY && record->alive()) window->onDestroy();
    if (message == WM_NCDESTROY) {
        if (record->alive()) {
            map.remove(window);
            if (activeParentWindow == window) activeParentWindow = nullptr;
            if (!(window->flags & WindowDestroyed)) {
                window->flags |= WindowDestroyed;
                if (window->flags & WindowDeleteOnFinal) {
                    window->flags &= ~WindowDeleteOnFinal;
                    delete window;
                }
            }
        }
        if (topLevel && application() && application()->quitting) requestQuit();
    }
    return result;
}
}  // namespace

LRESULT CALLBACK childWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return callGuarded(&windowFailures(), (LRESULT)0,
                       [&] { return dispatch(childWindowMap(), false, hwnd, message, wParam, lParam); });
}

LRESULT CALLBACK parentWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return callGuarded(&windowFailures(), (LRESULT)0,
                       [&] { return dispatch(parentWindowMap(), true, hwnd, message, wParam, lParam); });
}

bool createNativeWindow(GWindow* window, const void* className, const char* title, u32 style, u32 exStyle,
                        HWND parent, i32 x, i32 y, i32 width, i32 height) {
    if (!className) return false;
    // A window made again after its end (a dialog shown twice) heads its own chain again and is no
    // longer marked destroyed.
    GLifeRecord* record = window->item()->lifeRecord();
    if (!record->owner) ListenerChain::insertAtHead(record->watchers, record);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // A creation that fails after WM_NCCREATE ends the window at once; the object must outlive it,
    // since the caller still holds it (and owns it when the answer is false).
    const u32 deleteOnFinal = window->flags & WindowDeleteOnFinal;
    window->flags &= ~WindowDeleteOnFinal;
    HWND hwnd;
    if (ansiMode & AnsiCreation) {
        window->flags |= WindowAnsi;
        hwnd = CreateWindowExA(exStyle, static_cast<const char*>(className), title ? title : "", style, x, y, width,
                               height, parent, nullptr, instance, window);
    } else {
        WideString wide = toWide(title ? title : "");
        hwnd = CreateWindowExW(exStyle, static_cast<const wchar_t*>(className), wide.c_str(), style, x, y, width,
                               height, parent, nullptr, instance, window);
    }
    applyAnsiOneShot();
    window->hwnd = hwnd;
    if (hwnd) window->flags = (window->flags & ~WindowDestroyed) | deleteOnFinal;
    return hwnd != nullptr;
}

bool createChildHandle(GChildWindow* window, const void* className, u32 style, u32 exStyle) {
    GWindow* owner = window->ownerWindow();
    if (!createNativeWindow(window, className, nullptr, style, exStyle, owner ? owner->hwnd : nullptr,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT))
        return false;
    // The cell follows the window's own visibility; a shown one joins an open layout transaction.
    if (style & WS_VISIBLE) {
        window->cellFlags |= CellVisible;
        if (layoutTransactionDepth > 0) recordInLayoutTransaction(window);
    } else {
        window->cellFlags &= ~CellVisible;
    }
    return true;
}

bool createUserWindow(GChildWindow* window, u32 style, u32 exStyle) {
    return createChildHandle(window, registerUserClass(), style, exStyle);
}

bool createTopLevelWindow(GParentWindow* window, u32 style, u32 exStyle, const char* title) {
    GWindow* owner = window->ownerWindow();
    if (!createNativeWindow(window, registerParentClass(), title, style & ~WS_VISIBLE, exStyle,
                            owner ? owner->hwnd : nullptr, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT))
        return false;
    if (window->countsAsMainWindow()) {
        window->countedAsMain = true;
        ++mainWindowCount;
    }
    if (style & WS_VISIBLE) ShowWindow(window->hwnd, SW_SHOWNORMAL);
    return true;
}
