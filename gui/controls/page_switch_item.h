#pragma once
// GPageSwitchItem: a header control (child 0) beside a GPageStack (child 1) whose current page
// follows the header's selection. Owned like any item; it owns the header cell and the stack.
#include "gui/controls/page_stack.h"

// What a header offers: its selected index and a way to select one.
class GIndexSelector {
public:
    virtual ~GIndexSelector() = default;
    virtual i32 selectedIndex() = 0;
    virtual void selectIndex(i32 index) = 0;
};

// The notification code of a header whose selection changed.
enum : u32 { HeaderSelectionChanged = 3 };

class GPageSwitchItem : public GLayoutItem {
public:
    // side: where the header sits, '^', 'v', '<' or '>'.
    GPageSwitchItem(GWindow* owner, char side);

    void getPreferredSize(i32* width, i32* height) override;
    void setRect(const RECT& rect) override;
    // The first child becomes the header, every later one a page.
    void addChild(GLayoutCell* child) override;
    // Header code 3 switches the page and passes a notification up.
    bool onControlNotify(void* notification) override;
    // A page asking for a relayout has become current: the header follows.
    void requestRelayout(GLayoutCell* cell) override;

    // Sets (or replaces) the header after construction; the old header cell is deleted.
    void setHeader(GLayoutCell* header);
    GIndexSelector* selector();

    GPageStack* stack;
    char side;
};
