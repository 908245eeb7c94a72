// The hot-key table over 2000 bindings: opening the customisation window and sorting by each column
// both ways.
#include <algorithm>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "gui/dialogs/key_table_window.h"
#include "gui/layout/layout_builder.h"
#include "gui/menus/action_table.h"
#include "gui/menus/key_bindings.h"
#include "gui/views/table.h"

RAVO_BENCH(key_table) {
    std::vector<GActionItem> actions(ActionTableSize);
    std::vector<std::string> titles(ActionTableSize);
    std::vector<char*> titleSlots(ActionTableSize);
    for (u32 i = 0; i < ActionTableSize; ++i) {
        titles[i] = "Action " + std::to_string((i * 7919) % ActionTableSize);
        titleSlots[i] = &titles[i][0];
        actions[i].id = FirstActionId + i;
        actions[i].title = &titleSlots[i];
        registerAction(&actions[i]);
    }
    const u32 keys[] = {'A', 'K', 'Z', VK_F1, VK_F12, VK_DELETE, VK_SPACE, '7'};
    RecordArray<GKeyBinding> bindings;
    for (u32 i = 0; i < 2000; ++i)
        *bindings.append(1) = GKeyBinding{FirstActionId + (i * 37) % ActionTableSize, keys[i % 8], (u8)(i % 8),
                                          (u8)(i % 13 == 0), -1};
    replaceKeyBindings(bindings);

    std::vector<double> open, sort;
    for (int run = 0; run < 3; ++run) {
        double start = benchSeconds();
        GKeyCustomizeDialog dialog(nullptr);
        if (!dialog.build()) break;
        dialog.fitToContent();
        open.push_back((benchSeconds() - start) * 1000.0);
        start = benchSeconds();
        for (i32 column = 0; column < 5; ++column)
            for (bool ascending : {true, false}) {
                dialog.keys->model->sortByColumn(column, ascending);
                dialog.keys->table->reload(0);
            }
        sort.push_back((benchSeconds() - start) * 1000.0);
        DestroyWindow(dialog.hwnd);
    }
    std::sort(open.begin(), open.end());
    std::sort(sort.begin(), sort.end());
    benchResult("key table of 2000 bindings opened (goal 100)", open.empty() ? -1 : open[open.size() / 2], "ms");
    benchResult("key table sorted by all 5 columns both ways (10 sorts, goal 100 each)",
                sort.empty() ? -1 : sort[sort.size() / 2], "ms");
    RecordArray<GKeyBinding> none;
    replaceKeyBindings(none);
    for (GActionItem& a : actions) unregisterAction(&a);
}
