#pragma once
// The two window procedures of the toolkit and their handle maps. A native window is bound to its
// object on WM_NCCREATE (the object is the creation parameter) and unbound on WM_NCDESTROY. Every
// message of a bound window goes along the chain of its life record (its own handleMessage first,
// watchers after it, mouse trackers before it); a message no listener takes gets the default
// processing of the window's class. While a message is dispatched, the procedure holds the life
// record, so a handler may delete its own window.
//
// No exception leaves a window procedure: what a handler throws is kept in windowFailures() and
// rethrown by the message loop after the dispatch.
#include <windows.h>

#include <functional>

#include "core/guard.h"
#include "core/window_map.h"

class GWindow;
class GChildWindow;
class GParentWindow;

LRESULT CALLBACK childWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK parentWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The class's previous procedure (DefWindowProc, or the system's for a superclassed control).
LRESULT defaultProcessing(GWindow* window, UINT message, WPARAM wParam, LPARAM lParam);

// The handle maps: child windows (and superclassed controls), and the live top-level windows.
GWindowMap& childWindowMap();
GWindowMap& parentWindowMap();
GChildWindow* windowFromHandle(HWND hwnd);
// Visits every live child window of the type (a native window, not destroyed); windows may go
// during the walk.
void forEachChildWindow(u32 type, const std::function<void(GWindow*)>& visit);
GParentWindow* parentWindowFromHandle(HWND hwnd);

// What window procedures caught, for the message loop to rethrow.
ExceptionCarrier& windowFailures();

// The active window when it is a toolkit top-level window (followed through WM_ACTIVATE, which
// spares the loop a call to the system per message), else null.
extern GParentWindow* activeParentWindow;

// Live top-level windows that count as main windows.
extern u32 mainWindowCount;

// Creates the native child window of the object (parent: the owner's native window).
bool createChildHandle(GChildWindow* window, const void* className, u32 style, u32 exStyle);
// Registers "korvalen_user" and creates the child window.
bool createUserWindow(GChildWindow* window, u32 style, u32 exStyle);
// Creates a top-level window of class "korvalen_parent", shown afterwards when WS_VISIBLE is asked.
bool createTopLevelWindow(GParentWindow* window, u32 style, u32 exStyle, const char* title);
// The common creation call (ANSI or wide by ansiMode). On false the object is left alive and the
// caller's to delete, even when the system ended the window inside the call.
bool createNativeWindow(GWindow* window, const void* className, const char* title, u32 style, u32 exStyle,
                        HWND parent, i32 x, i32 y, i32 width, i32 height);
