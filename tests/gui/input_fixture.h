#pragma once
// Input tests: the pointer, the held keys and the active window set through the systemInput seam,
// and a top-level window with drawn panes at a known place of the screen.
#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "gui/input/input_event.h"
#include "gui/input/system_input.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/user_window.h"
#include "gui/kernel/window_procedure.h"

// Replaces the cursor, key and active-window entries for the scope.
class InputSeam {
public:
    InputSeam() : saved(systemInput), outer(current) {
        current = this;
        systemInput.cursorPos = [](POINT* p) -> BOOL {
            *p = current->cursor;
            return TRUE;
        };
        systemInput.keyState = [](int vk) -> SHORT { return current->held.count(vk) ? (SHORT)0x8000 : 0; };
        systemInput.activeWindow = []() -> HWND { return current->active; };
    }
    // The seam as it was before (a test's clock stays; an enclosing seam answers again).
    ~InputSeam() {
        systemInput = saved;
        current = outer;
    }
    InputSeam(const InputSeam&) = delete;
    InputSeam& operator=(const InputSeam&) = delete;

    // Puts the pointer over a client point of the window.
    void pointAt(HWND window, i32 x, i32 y) {
        POINT p = {x, y};
        ClientToScreen(window, &p);
        cursor = p;
    }

    SystemInput saved;
    InputSeam* outer;
    POINT cursor = {0, 0};
    std::set<int> held;
    HWND active = nullptr;
    static inline InputSeam* current = nullptr;
};

typedef std::vector<std::string> Log;

// A drawn pane that logs the input reaching it.
class Pane : public GUserWindow {
public:
    Pane(GWindow* owner, Log* log, std::string name, COLORREF colour = RGB(255, 255, 255))
        : GUserWindow(owner), log(log), name(std::move(name)), colour(colour) {}
    void paint(HDC dc, const RECT& update, bool) override {
        ++paints;
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &update, brush);
        DeleteObject(brush);
    }
    i32 handleKey(GInputEvent*) override {
        note("key");
        return keyAnswer;
    }
    bool handleMouse(GInputEvent* e) override {
        note("mouse " + std::to_string(e->x) + "," + std::to_string(e->y));
        GUserWindow::handleMouse(e);
        return mouseAnswer;
    }
    bool handleCapturedMouse(GInputEvent* e) override {
        note("move " + std::to_string(e->x) + "," + std::to_string(e->y));
        return true;
    }
    void note(const std::string& what) {
        if (log) log->push_back(name + " " + what);
    }
    // Creates the native window at the rectangle of its owner's client area.
    Pane* place(i32 x, i32 y, i32 width, i32 height, bool visible = true) {
        create(WS_CHILD | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0));
        MoveWindow(hwnd, x, y, width, height, FALSE);
        return this;
    }

    Log* log;
    std::string name;
    COLORREF colour;
    i32 keyAnswer = 0;
    bool mouseAnswer = false;
    int paints = 0;
};

// A top-most pop-up at (x, y) of the screen, shown without activation. Ends with the scope.
class InputFrame : public GParentWindow {
public:
    InputFrame(Log* log, i32 x, i32 y, i32 width, i32 height) : log(log) {
        createTopLevelWindow(this, WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOPMOST, "");
        SetWindowPos(hwnd, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    ~InputFrame() override { destroyNative(); }
    i32 handleKey(GInputEvent*) override {
        if (log) log->push_back("frame key");
        return keyAnswer;
    }
    bool handleMouse(GInputEvent* e) override {
        if (log) log->push_back("frame mouse " + std::to_string(e->x) + "," + std::to_string(e->y));
        return false;
    }

    Log* log;
    i32 keyAnswer = 0;
};

// Posts the keys to the window one by one from a 40 ms timer, while a menu runs its own loop.
inline std::vector<UINT> pendingKeys;
inline HWND keyTarget = nullptr;
inline void CALLBACK pressNextKey(HWND, UINT, UINT_PTR timer, DWORD) {
    if (pendingKeys.empty()) {
        KillTimer(nullptr, timer);
        return;
    }
    PostMessageA(keyTarget, WM_KEYDOWN, pendingKeys.front(), 0);
    pendingKeys.erase(pendingKeys.begin());
}
inline void pressLater(HWND target, std::vector<UINT> keys) {
    keyTarget = target;
    pendingKeys = std::move(keys);
    SetTimer(nullptr, 0, 40, pressNextKey);
}
