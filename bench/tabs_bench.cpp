// Laying out a strip of 1000 tabs, as every paint and hit test does: the records refreshed and
// measured, then the fill passes with keep-in-view.
#include <string>
#include <vector>

#include "bench/bench.h"
#include "gui/views/tab.h"
#include "gui/views/tab_actions.h"

namespace {
class Item : public GTabItem {
public:
    explicit Item(std::string name) : name(std::move(name)) {}
    GString fullText() override { return GString(("C:\\sounds\\" + name + ".wav").c_str()); }
    GString shortText() override { return GString(name.c_str()); }
    const char* typeName() override { return "Sound"; }
    std::string name;
};

class Tabs : public GTabListener {
public:
    Tabs() {
        for (int i = 0; i < 1000; ++i) items.emplace_back("Recording " + std::to_string(i));
    }
    i32 tabCount() override { return (i32)items.size(); }
    GTabItem* tabItem(i32 i) override { return &items[i]; }
    void tabChanged(i32, i32) override {}
    void takePageOut(i32) override {}
    std::vector<Item> items;
};
}  // namespace

RAVO_BENCH(tabs) {
    Tabs tabs;
    u32 word = DefaultTabFlags;
    GTab strip(nullptr, &word);
    strip.setListener(&tabs);
    i32 current = 0;
    double full = medianMilliseconds([&] {
        strip.select(current = (current + 397) % 1000);
        strip.layout(1200);
    });
    benchResult("lay out 1000 tabs (measure and arrange)", full, "ms");
    double arrange = medianMilliseconds([&] {
        strip.select(current = (current + 397) % 1000);
        strip.arrange(1200);
    });
    benchResult("arrange 1000 measured tabs", arrange, "ms");
}
