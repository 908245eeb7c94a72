#pragma once
// A fake action table, window kinds and a frame that answers state queries, for the menu tests.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/menus/action_table.h"

enum : u32 { EditorKindId = 1500, OtherKindId = 1600 };

// A top-level window of a kind; it answers enabled, checked and representative queries from its
// sets and records the commands it receives and those it runs.
class KindFrame : public GParentWindow {
public:
    // A member of its test: the end of its native window leaves the object to its owner.
    explicit KindFrame(u32 type) : type(type) { flags &= ~WindowDeleteOnFinal; }
    bool isKindOf(u32 id) const override { return id == type || GParentWindow::isKindOf(id); }
    u32 typeId() const override { return type; }
    i32 commandState(u32 command) override {
        if (enabled.count(command)) return CommandEnabled;
        if (disabled.count(command)) return CommandDisabled;
        return CommandUnknown;
    }
    i32 commandChecked(u32 command) override { return checked.count(command) ? 1 : CommandUnknown; }
    i32 commandValue(u32 command) override { return command == representedBy.first ? representedBy.second : -1; }
    bool onCommand(u32 command, GStateQuery*) override {
        executed.push_back((i32)command);
        return true;
    }
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override {
        if (message == WM_COMMAND) commands.push_back((i32)LOWORD(wParam));
        return GParentWindow::handleMessage(message, wParam, lParam, result);
    }
    bool create() {
        if (!createTopLevelWindow(this, WS_POPUP, 0, "menus")) return false;
        SetWindowPos(hwnd, nullptr, 100, 100, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        return true;
    }

    u32 type;
    std::set<u32> enabled, disabled, checked;
    std::pair<u32, i32> representedBy{0, -1};
    std::vector<i32> commands;  // WM_COMMAND messages
    std::vector<i32> executed;  // commands run here
};

// Registers the actions and kinds for a test and takes them out again.
class ActionFixture {
public:
    ActionFixture();
    ~ActionFixture();
    GActionItem& add(u32 id, const char* title, const char* keyName, u8 flags = 0, std::vector<i32> subItems = {});

    std::vector<GActionItem*> actions;
    std::vector<std::vector<i32>*> lists;
    std::vector<char**> titles;  // heap title slots
    WindowKind editor, other;
};
