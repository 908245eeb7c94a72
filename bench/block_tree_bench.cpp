// Block trees: the lookup of the block at an offset among very many siblings, and expanding a node
// of very many children in a tree table.
#include <algorithm>
#include <vector>

#include "bench/bench.h"
#include "core/block_base.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/tree_table.h"

RAVO_BENCH(block_find) {
    const u32 n = 1000000;
    BlockBase root(nullptr, 0, 0, (u64)n * 16 + 12);
    for (u32 i = 0; i < n; ++i) new BlockBase(&root, 1, 12 + (u64)i * 16, 16);
    std::vector<double> times;
    u64 hits = 0;
    for (int run = 0; run < 5; ++run) {
        u64 offset = 7;
        double start = benchSeconds();
        for (u32 i = 0; i < 100000; ++i) {
            offset = (offset * 6364136223846793005ull + 1442695040888963407ull);
            if (findBlockAt(&root, 12 + (offset >> 20) % ((u64)n * 16)) != &root) ++hits;
        }
        times.push_back((benchSeconds() - start) * 1000.0);
    }
    std::sort(times.begin(), times.end());
    benchResult("findBlockAt x 100000, 10^6 siblings (median of 5)", times[2],
                hits == 500000 ? "ms (goal 50)" : "ms (wrong block)");
}

RAVO_BENCH(tree_expand) {
    GParentWindow* frame = new GParentWindow;
    if (!createTopLevelWindow(frame, WS_POPUP, 0, "")) {
        delete frame;
        benchResult("tree expand (no display)", -1, "ms");
        return;
    }
    GLayoutItem* root = new GLayoutItem(frame);
    frame->setContent(root);
    std::vector<double> expand, collapse;
    for (int run = 0; run < 5; ++run) {
        GTableDesc desc;
        desc.columnCount = 2;
        desc.style &= ~WS_VISIBLE;
        GTreeTable* tree = createTreeTable(root, frame, desc);
        BlockBase* top = new BlockBase(nullptr, 1, 0, 1600000);
        for (u32 i = 0; i < 100000; ++i) new BlockBase(top, 2, (u64)i * 16, 16);
        GTreeRoot holder{top, true};
        tree->addRoot(holder);
        double start = benchSeconds();
        tree->expandRow(0);
        expand.push_back((benchSeconds() - start) * 1000.0);
        start = benchSeconds();
        tree->collapseRow(0);
        collapse.push_back((benchSeconds() - start) * 1000.0);
        DestroyWindow(tree->hwnd);
    }
    std::sort(expand.begin(), expand.end());
    std::sort(collapse.begin(), collapse.end());
    benchResult("expandRow, 10^5 children (median of 5)", expand[2], "ms (goal 100)");
    benchResult("collapseRow, 10^5 children (median of 5)", collapse[2], "ms");
    DestroyWindow(frame->hwnd);
}
