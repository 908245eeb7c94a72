#pragma once
// What the control tests share: a dialog on the screen that records what reaches it, a plain drawn
// window that can take the focus, and pixel reads of a visible window.
#include <windows.h>

#include <functional>
#include <vector>

#include "gui/input/input_event.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/user_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_cell.h"
#include "gui/layout/layout_rows.h"
#include "gui/paint/colors.h"
#include "tests/gui/gui_fixture.h"

namespace controls {

class RecordingDialog : public GDialog {
public:
    RecordingDialog() : GDialog(nullptr, nullptr) {}
    bool onControlNotify(void* n) override {
        notifications.push_back(*static_cast<GControlNotification*>(n));
        return true;
    }
    bool onControlCommand(void* n) override {
        controlCommands.push_back(*static_cast<GControlNotification*>(n));
        return true;
    }
    bool onCommand(u32 command, GStateQuery* query) override {
        commands.push_back(command);
        if (commandHook) {
            commandHook(command);
            return true;
        }
        return GDialog::onCommand(command, query);
    }
    // Every command is taken here.
    i32 commandState(u32) override { return CommandEnabled; }
    std::vector<GControlNotification> notifications, controlCommands;
    std::vector<u32> commands;
    std::function<void(u32)> commandHook;
};

// A drawn window of one colour; it takes the focus when asked for a priority.
class Patch : public GUserWindow {
public:
    Patch(GWindow* owner, COLORREF colour, i32 priority = 1) : GUserWindow(owner), colour(colour), priority(priority) {}
    void paint(HDC dc, const RECT&, bool) override {
        RECT r;
        GetClientRect(hwnd, &r);
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    void getPreferredSize(i32* w, i32* h) override { *w = *h = 20; }
    i32 acceptsFocus() override { return priority; }
    COLORREF colour;
    i32 priority;
};

class Colours {
public:
    Colours() : saved(toolkitColors) {
        toolkitColors.classBackground = RGB(10, 20, 30);
        toolkitColors.background = RGB(200, 100, 50);
        toolkitColors.text = RGB(250, 0, 250);
    }
    ~Colours() { toolkitColors = saved; }

private:
    ToolkitColors saved;
};

// A shown dialog with an empty free root; deleted with the fixture.
struct Fixture {
    TestApplication app;
    Colours colours;
    RecordingDialog* dialog = new RecordingDialog;

    explicit Fixture(i32 width = 320, i32 height = 240) {
        createTopLevelWindow(dialog, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(dialog->hwnd, HWND_TOP, 0, 0, width, height, SWP_SHOWWINDOW);
        SetForegroundWindow(dialog->hwnd);
    }
    ~Fixture() {
        if (IsWindow(dialog->hwnd)) {
            SetWindowLongA(dialog->hwnd, GWL_STYLE, GetWindowLongA(dialog->hwnd, GWL_STYLE) & ~WS_VISIBLE);
            DestroyWindow(dialog->hwnd);
        }
        delete dialog;
    }
    // Lays the content out in the client area and paints everything now.
    void layout() {
        RECT client;
        GetClientRect(dialog->hwnd, &client);
        dialog->layoutContent(client.right, client.bottom);
        RedrawWindow(dialog->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
};

// The fixture with a column as content and a builder adding to it.
struct ColumnFixture : Fixture {
    GColumnsItem* column = new GColumnsItem(dialog);
    GLayoutBuilder builder{dialog};
    ColumnFixture() {
        dialog->setContent(column);
        builder.current = column;
    }
};

inline GInputEvent keyEvent(u32 kind, u32 vk, u32 modifiers = 0) {
    GInputEvent e;
    e.kind = kind;
    e.key = vk;
    e.modifiers = modifiers;
    return e;
}

inline COLORREF pixelAt(HWND hwnd, i32 x, i32 y) {
    HDC dc = GetDC(hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

// Pixels of the colour in a rectangle of the window's client area.
inline i32 countColour(HWND hwnd, const RECT& r, COLORREF colour) {
    HDC dc = GetDC(hwnd);
    i32 n = 0;
    for (i32 y = r.top; y < r.bottom; ++y)
        for (i32 x = r.left; x < r.right; ++x) n += GetPixel(dc, x, y) == colour;
    ReleaseDC(hwnd, dc);
    return n;
}

// The bounding box of the pixels of the colour (empty when none).
inline RECT boundsOf(HWND hwnd, COLORREF colour) {
    RECT client, box{0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    bool any = false;
    HDC dc = GetDC(hwnd);
    for (i32 y = 0; y < client.bottom; ++y)
        for (i32 x = 0; x < client.right; ++x) {
            if (GetPixel(dc, x, y) != colour) continue;
            if (!any) box = RECT{x, y, x + 1, y + 1};
            any = true;
            if (x < box.left) box.left = x;
            if (x + 1 > box.right) box.right = x + 1;
            if (y + 1 > box.bottom) box.bottom = y + 1;
        }
    ReleaseDC(hwnd, dc);
    return box;
}

}  // namespace controls
