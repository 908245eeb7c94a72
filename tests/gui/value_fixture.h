#pragma once
// What the value-control tests share: a shown dialog that records the control notifications that
// reach it, with a layout builder on a free root, and a clock the tests set.
#include <windows.h>

#include <functional>
#include <vector>

#include "gui/input/system_input.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_cell.h"
#include "tests/gui/gui_fixture.h"

namespace valuefix {

class NotedDialog : public GDialog {
public:
    NotedDialog() : GDialog(nullptr, nullptr) {}
    bool onControlNotify(void* n) override {
        notes.push_back(*static_cast<GControlNotification*>(n));
        if (onNote) onNote();
        return true;
    }
    std::vector<GControlNotification> notes;
    std::function<void()> onNote;
};

// Children keep the rectangles the tests give them.
class FreeRoot : public GLayoutItem {
public:
    using GLayoutItem::GLayoutItem;
    void setRect(const RECT& r) override { rect = r; }
};

// The clock of systemInput, set by the tests.
struct FakeClock {
    static DWORD now;
    static DWORD tick() { return now; }
    FakeClock() {
        now = 100000;
        systemInput.tickCount = tick;
    }
    ~FakeClock() { systemInput.tickCount = systemInputDefaults.tickCount; }
};
inline DWORD FakeClock::now = 0;

// The cursor of systemInput over the centre of a window for the scope.
struct CursorOver {
    static HWND window;
    static BOOL position(POINT* p) {
        RECT r;
        GetWindowRect(window, &r);
        p->x = (r.left + r.right) / 2;
        p->y = (r.top + r.bottom) / 2;
        return TRUE;
    }
    explicit CursorOver(HWND hwnd) {
        window = hwnd;
        systemInput.cursorPos = position;
    }
    ~CursorOver() { systemInput.cursorPos = systemInputDefaults.cursorPos; }
};
inline HWND CursorOver::window = nullptr;

struct Fixture {
    TestApplication app;
    NotedDialog* dialog = new NotedDialog;
    FreeRoot* root;
    GLayoutBuilder builder;

    explicit Fixture(i32 width = 240, i32 height = 120) : root(new FreeRoot(dialog)), builder(dialog) {
        createTopLevelWindow(dialog, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        dialog->setContent(root);
        builder.current = root;
        SetWindowPos(dialog->hwnd, HWND_TOP, 0, 0, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    }
    ~Fixture() {
        if (IsWindow(dialog->hwnd)) {
            SetWindowLongA(dialog->hwnd, GWL_STYLE, GetWindowLongA(dialog->hwnd, GWL_STYLE) & ~WS_VISIBLE);
            DestroyWindow(dialog->hwnd);
        }
        delete dialog;
    }
    // Places a child window and paints it now.
    static void place(GChildWindow* window, RECT r) {
        window->setRect(r);
        RedrawWindow(window->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
};

inline COLORREF pixelAt(HWND hwnd, i32 x, i32 y) {
    HDC dc = GetDC(hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

}  // namespace valuefix
