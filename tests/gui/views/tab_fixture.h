#pragma once
// A tab listener over plain items for the strip tests: it logs what the strip tells it and keeps
// its items in tab order.
#include <memory>
#include <string>
#include <vector>

#include "gui/views/tab.h"

class FakeTabItem : public GTabItem {
public:
    explicit FakeTabItem(std::string name, i32 width = 20) : name(std::move(name)) { refreshRecord()->width = width; }
    GString fullText() override { return GString(("C:\\" + name).c_str()); }
    GString shortText() override { return GString(name.c_str()); }
    const char* typeName() override { return "Fake"; }
    i32 closeState() override { return refuses ? 1 : 0; }
    bool isModified() override { return modified; }

    std::string name;
    bool refuses = false;
    bool modified = false;
};

class FakeTabs : public GTabListener {
public:
    // Tabs named "t0".."tN-1", each of the width.
    explicit FakeTabs(i32 n = 0, i32 width = 20) {
        for (i32 i = 0; i < n; ++i) add("t" + std::to_string(i), width);
    }
    FakeTabItem* add(const std::string& name, i32 width = 20) {
        items.emplace_back(new FakeTabItem(name, width));
        return items.back().get();
    }
    i32 tabCount() override { return (i32)items.size(); }
    GTabItem* tabItem(i32 i) override { return i >= 0 && i < tabCount() ? items[i].get() : nullptr; }
    void tabChanged(i32 from, i32 to) override { log.push_back("changed " + std::to_string(from) + ">" + std::to_string(to)); }
    void takePageOut(i32 i) override {
        log.push_back("out " + items[i]->name);
        items.erase(items.begin() + i);
    }
    void moveTab(i32 from, i32 gap, i32 newCurrent) override {
        log.push_back("move " + std::to_string(from) + ">" + std::to_string(gap) + " current " + std::to_string(newCurrent));
        auto item = std::move(items[from]);
        items.erase(items.begin() + from);
        items.insert(items.begin() + (gap > from ? gap - 1 : gap), std::move(item));
    }
    i32 dragFeedback(i32) override { return feedback; }
    void dropDraggedTab(i32 i, i32 x, i32 y) override {
        log.push_back("drop " + items[i]->name + " at " + std::to_string(x) + "," + std::to_string(y));
        items.erase(items.begin() + i);
    }
    std::string names() const {
        std::string s;
        for (auto& item : items) s += (s.empty() ? "" : " ") + item->name;
        return s;
    }

    std::vector<std::unique_ptr<FakeTabItem>> items;
    std::vector<std::string> log;
    i32 feedback = 1;
};
