// Rebuilding the tool bars of a window: 20 bars of 30 buttons in two strips.
#include <string>
#include <vector>

#include "bench/bench.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/layout/strip_item.h"
#include "gui/menus/action_table.h"
#include "gui/menus/tool_bar_strips.h"

namespace {
enum : u32 { BenchKindId = 1990 };

class BenchFrame : public GParentWindow {
public:
    u32 typeId() const override { return BenchKindId; }
    i32 commandState(u32) override { return CommandEnabled; }
};
}  // namespace

RAVO_BENCH(tool_bars_arrange) {
    std::vector<GActionItem> actions(600);
    std::vector<std::string> titles(actions.size());
    std::vector<char*> slots(actions.size());
    for (size_t i = 0; i < actions.size(); ++i) {
        titles[i] = "Tool " + std::to_string(i);
        slots[i] = &titles[i][0];
        actions[i].id = FirstActionId + (u32)i;
        actions[i].title = &slots[i];
        registerAction(&actions[i]);
    }
    WindowKind kind;
    kind.typeId = BenchKindId;
    kind.name = "BenchKind";
    registerWindowKind(&kind);
    std::vector<std::vector<i32>> lists(20);
    std::vector<std::string> names(20);
    std::vector<GToolBarSpec> specs(20);
    for (int b = 0; b < 20; ++b) {
        for (int k = 0; k < 30; ++k) lists[b].push_back(k % 10 == 9 ? -1 : (i32)(FirstActionId + b * 30 + k));
        names[b] = "Bar " + std::to_string(b);
        GToolBarSpec& s = specs[b];
        s.name = names[b].c_str();
        s.entryKind = SpecToolBar;
        s.defaultIds = lists[b].data();
        s.defaultCount = 30;
        s.p1 = b % 2 ? 2 : 1;
        s.p3 = b / 4;
        s.p2 = -1;
        linkSpec(&kind, &s);
    }
    BenchFrame* frame = new BenchFrame;
    if (!createTopLevelWindow(frame, WS_POPUP, 0, "bench")) {
        delete frame;
        benchResult("arrange 20 tool bars of 30 buttons (no display)", -1, "ms");
    } else {
        SetWindowPos(frame->hwnd, nullptr, 0, 0, 1200, 800, SWP_NOZORDER | SWP_NOACTIVATE);
        GLayoutItem* root = new GLayoutItem(frame);
        root->addChild(new GStripItem(frame, 1, 0));
        root->addChild(new GStripItem(frame, 2, 1));
        frame->setContent(root);
        double ms = medianMilliseconds([&] { arrangeToolBars(frame); });
        benchResult("arrange 20 tool bars of 30 buttons", ms, "ms (goal 30)");
        DestroyWindow(frame->hwnd);  // deletes the frame and its bars
    }
    for (GToolBarSpec& s : specs) unlinkSpec(&s);
    unregisterWindowKind(&kind);
    for (GActionItem& a : actions) unregisterAction(&a);
}
