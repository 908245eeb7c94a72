// Text search over a large model, the walk behind every type-ahead and find in the table views.
#include <algorithm>
#include <vector>

#include "bench/bench.h"
#include "gui/views/string_list_model.h"

RAVO_BENCH(table_find) {
    GStringListModel model;
    char text[32];
    for (int i = 0; i < 1000000; ++i) {
        snprintf(text, sizeof text, "Item number %d", i);
        model.addItem(text);
    }
    std::vector<double> exact, noCase;
    i64 found = 0;
    for (int run = 0; run < 5; ++run) {
        double start = benchSeconds();
        found += model.findRowByText("Item number 999999", 0);
        exact.push_back((benchSeconds() - start) * 1000.0);
        start = benchSeconds();
        found += model.findRowByTextNoCase("ITEM NUMBER 999999", 0);
        noCase.push_back((benchSeconds() - start) * 1000.0);
    }
    std::sort(exact.begin(), exact.end());
    std::sort(noCase.begin(), noCase.end());
    const char* unit = found == 5 * 2 * 999999LL ? "ms (goal 100)" : "ms (wrong row)";
    benchResult("findRowByText, 10^6 rows, last row (median of 5)", exact[2], unit);
    benchResult("findRowByTextNoCase, 10^6 rows, last row (median of 5)", noCase[2], unit);
}
