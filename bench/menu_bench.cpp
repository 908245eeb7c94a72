// Filling a menu from the whole action table with state queries, drawing its items, and mnemonics
// of a long menu.
#include <algorithm>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/menus/action_table.h"
#include "gui/menus/menu.h"
#include "gui/menus/menu_painter.h"
#include "gui/menus/menu_tracking.h"
#include "gui/menus/popup_menu.h"

namespace {
// Answers every state query: even ids enabled, odd ones disabled, every tenth checked.
class AskingFrame : public GParentWindow {
public:
    i32 commandState(u32 command) override { return command % 2 ? CommandDisabled : CommandEnabled; }
    i32 commandChecked(u32 command) override { return command % 10 == 0 ? 1 : CommandUnknown; }
};
}  // namespace

RAVO_BENCH(menu_fill) {
    std::vector<GActionItem> actions(ActionTableSize);
    std::vector<std::string> titles(ActionTableSize), names(ActionTableSize);
    std::vector<char*> titleSlots(ActionTableSize);
    std::vector<GKeyBinding> bindings(ActionTableSize);
    std::vector<i32> ids;
    for (u32 i = 0; i < ActionTableSize; ++i) {
        GActionItem& a = actions[i];
        titles[i] = "Action number " + std::to_string(i);
        names[i] = "BENCH_" + std::to_string(i);
        titleSlots[i] = &titles[i][0];
        a.id = FirstActionId + i;
        a.title = &titleSlots[i];
        a.keyName = names[i].c_str();
        bindings[i] = GKeyBinding{a.id, 'A' + i % 26, KeyCtrl, 0, -1};
        a.firstBinding = &bindings[i];
        a.bindingCount = i % 3 == 0 ? 1 : 0;
        registerAction(&a);
        ids.push_back((i32)a.id);
        if (i % 50 == 49) ids.push_back(-1);
    }
    AskingFrame* frame = new AskingFrame;
    if (!createTopLevelWindow(frame, WS_POPUP, 0, "bench")) {
        delete frame;
        for (GActionItem& a : actions) unregisterAction(&a);
        benchResult("menu of 900 actions filled with state queries (no display)", -1, "ms");
        return;
    }
    std::vector<double> runs;
    u32 items = 0;
    for (int run = 0; run < 5; ++run) {
        GPopupMenu menu;
        double start = benchSeconds();
        fillMenuFromIds(frame, menu, ids.data(), (i32)ids.size(), MenuPopupAction);
        runs.push_back((benchSeconds() - start) * 1000.0);
        items = (u32)GetMenuItemCount(menu.menu);
    }
    benchResult(items >= ActionTableSize ? "menu of 900 actions filled with state queries"
                                         : "menu of 900 actions filled (items missing)",
                benchMedian(runs), "ms (goal 20)");

    // A screenful of items at the end of the long menu, as the painter draws them.
    {
        GPopupMenu menu;
        fillMenuFromIds(frame, menu, ids.data(), (i32)ids.size(), MenuPopupAction);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 24);
        HGDIOBJ old = SelectObject(dc, bitmap);
        i32 count = GetMenuItemCount(menu.menu);
        runs.clear();
        for (int run = 0; run < 5; ++run) {
            double start = benchSeconds();
            for (i32 i = count - 40; i < count; ++i) {
                DRAWITEMSTRUCT d{};
                d.CtlType = ODT_MENU;
                d.itemID = (UINT)menuItemCommandId(menu.menu, i);
                d.hwndItem = (HWND)menu.menu;
                d.hDC = dc;
                d.rcItem = RECT{0, 0, 300, 24};
                d.itemData = (ULONG_PTR)menuItemDataAt(menu.menu, i);
                paintMenuItem(frame, WM_DRAWITEM, (LPARAM)&d);
            }
            runs.push_back((benchSeconds() - start) * 1000.0);
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        benchResult("40 items drawn at the end of a menu of 900 actions", benchMedian(runs), "ms");
    }
    for (GActionItem& a : actions) unregisterAction(&a);
    DestroyWindow(frame->hwnd);  // deletes the frame
}

RAVO_BENCH(menu_mnemonics) {
    std::vector<double> runs;
    for (int run = 0; run < 5; ++run) {
        GPopupMenu menu;
        for (int i = 0; i < 200; ++i) {
            std::string text = (i % 7 == 0 ? "&" : "") + std::string("Menu item ") + std::to_string(i) + " of the list";
            AppendMenuA(menu.menu, MF_OWNERDRAW, 100 + i, (LPCSTR)menu.makeItemData(text.c_str(), nullptr, 100 + i));
        }
        double start = benchSeconds();
        assignMenuMnemonics(menu.menu);
        runs.push_back((benchSeconds() - start) * 1000.0);
    }
    benchResult("mnemonics for 200 items", benchMedian(runs), "ms (goal 5)");
}
