#pragma once
// GTabWindow: a strip over a page stack, with fixed comma-separated titles; whatever the builder
// adds becomes the next page, and tab i shows page i. It is its strip's listener. The strip and the
// page stack are its children 0 and 1 (it owns them like any item; the stack owns the pages); it
// owns the title items. Tab windows share tabWindowFlagWord, so their strips only select by click.
#include <vector>

#include "gui/layout/layout_cell.h"
#include "gui/views/tab_listener.h"

class GLayoutBuilder;
class GPageStack;

// The tab item of a tab window: its title.
class GTabPlacerItem : public GTabItem {
public:
    explicit GTabPlacerItem(const char* title) : title(title) {}
    GString fullText() override { return title; }
    GString shortText() override { return title; }
    const char* typeName() override { return "GTabPlacerItem"; }

    GString title;
};

class GTabWindow : public GLayoutItem, public GTabListener {
public:
    // Titles split at every ','; null gives no tabs.
    GTabWindow(GWindow* parent, const char* titles);
    ~GTabWindow() override;

    // Pages go to the page stack.
    void addChild(GLayoutCell* child) override;
    void removeChild(GLayoutCell* child) override;
    void getPreferredSize(i32* width, i32* height) override;
    void setRect(const RECT& rect) override;
    // A page asking to be shown (child reveal) selects its tab.
    void requestRelayout(GLayoutCell* cell) override;

    i32 tabCount() override { return (i32)titles.size(); }
    GTabItem* tabItem(i32 index) override;
    void tabChanged(i32 oldIndex, i32 newIndex) override;
    void takePageOut(i32 index) override;
    void moveTab(i32 from, i32 gap, i32 newCurrent) override;

    // Selects the tab whose page holds the item (nothing for the strip).
    void revealChild(GLayoutCell* item);

    // Digits: outer margins left, right, top, bottom, then the page margins in that order.
    class GTab* strip = nullptr;
    GPageStack* pages = nullptr;
    std::vector<GTabPlacerItem*> titles;

private:
    bool building = true;
};

// A tab window on the builder's owner with the titles; the style's third and fourth characters
// (when present and not '*') set the strip's alignment. It becomes the builder's current container.
GTabWindow* createTabWindow(const char* style, GLayoutBuilder& builder, const char* titles);
