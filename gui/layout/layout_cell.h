#pragma once
// GLayoutCell and GLayoutItem: the layout tree of every window. A child window's item part is a
// cell; containers are items that hold cells and other items; a top-level window owns the root
// (its content). Sizes flow up (preferred size, height for a width), rectangles flow down (setRect).
// An item owns its children and deletes them with itself; a cell that ends leaves its container.
#include <windows.h>

#include <vector>

#include "gui/kernel/item_base.h"

class GWindow;

// Cell flags.
enum : u32 {
    CellSizeCached = 1,
    CellHeightForWidth = 2,     // the height depends on the width
    CellHfwCached = 4,
    CellVisible = 8,
    CellExcluded = 0x10,        // taken out of the layout by its owner
    CellCentreIsTop = 0x20,     // a vertical 'C' or '-' reads as '^'
    CellRelayoutRequested = 0x40,
    CellOwnBackground = 0x100,  // painted with the face colour when the area around it is uncovered
};

// Layout events.
enum : int { LayoutExclude = 5, LayoutHide = 6, LayoutShow = 7, LayoutInclude = 8, LayoutReveal = 9 };

class GLayoutCell : public GItemBase {
public:
    GLayoutCell() = default;
    // Leaves the container.
    ~GLayoutCell() override;

    GLayoutCell* asLayoutCell() override { return this; }

    // Natural size with *width < 0; with *width >= 0 the height at that width.
    virtual void getPreferredSize(i32* width, i32* height);
    virtual void setRect(const RECT& rect) { this->rect = rect; }
    virtual void setInheritedFlag(bool) {}
    virtual bool isVerticalSplit() { return false; }
    virtual void notify(int event);
    // Clears the caches; answers whether the height depends on the width.
    virtual u32 refreshLayoutFlags();
    // False: a hit on this cell ends the search of itemAtPoint.
    virtual bool passesHits() { return true; }

    bool visible() const { return (cellFlags & CellVisible) != 0; }
    i32 width() const { return rect.right - rect.left; }
    i32 height() const { return rect.bottom - rect.top; }
    // The top-level window of the owner chain.
    GWindow* topLevelWindow() const;

    GLayoutItem* container = nullptr;
    GWindow* owner = nullptr;
    i32 index = -1;
    char hAlign = '?';
    char vAlign = '?';
    u32 cellFlags = CellVisible;
    RECT rect = {-1, -1, 0, 0};
    i32 prefWidth = -1, prefHeight = -1;
    i32 hfwWidth = -1, hfwHeight = -1;
};

class GLayoutItem : public GLayoutCell {
public:
    explicit GLayoutItem(GWindow* owner = nullptr) { this->owner = owner; }
    // Deletes the children first.
    ~GLayoutItem() override;

    GLayoutItem* asLayoutItem() override { return this; }
    // Enabled for the ids of a dialog's own controls (1000..9999).
    i32 commandState(u32 command) override;
    // Widest child by tallest child.
    void getPreferredSize(i32* width, i32* height) override;
    // Every child on the whole rectangle by its own letters.
    void setRect(const RECT& rect) override;
    void notify(int event) override;
    u32 refreshLayoutFlags() override;

    virtual void insertChild(int index, GLayoutCell* child);
    virtual void requestRelayout(GLayoutCell* cell);
    virtual bool inheritedFlagFor(GLayoutCell*) { return false; }
    virtual void addChild(GLayoutCell* child);
    // Nulls the child's entry; the array keeps its length.
    virtual void removeChild(GLayoutCell* child);
    virtual int childCount() { return (int)children.size(); }
    virtual GLayoutCell* childAt(int i) { return i >= 0 && i < (int)children.size() ? children[i] : nullptr; }

    // The compacting operations of the child list.
    void insertChildAt(int index, GLayoutCell* child);
    // Hides the child's window, drops the slot and renumbers; the child is deleted.
    void removeAt(int index);
    // Takes the child out (the caller owns it).
    GLayoutCell* takeOutAt(int index);
    void moveChild(int from, int to);
    void removeAllChildren();

    u8 digits[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<GLayoutCell*> children;

protected:
    // Sets container and index, reparents, passes the inherited flag and hides into a hidden item.
    void attachChild(GLayoutCell* child, int index);
    void renumberFrom(int index);
};

// Placement.
void placeCellAligned(GLayoutCell* cell, const RECT& room, char h, char v);
i32 heightForWidth(GLayoutCell* cell, i32 width);
void preferredSizeOf(GLayoutCell* cell, i32* width, i32* height);
// Refreshes the flags and arranges the cell inside a layout transaction.
void applyLayoutChange(GLayoutCell* cell, const RECT& rect);
void setAlignmentCode(GLayoutCell* cell, const char* code);
// A digit string into an item's margins and gaps, from the first digit on (at most 8).
void setLayoutDigits(GLayoutItem* item, const char* digits);

// Tree walks; null entries are absent.
void enableSubtree(GLayoutItem* item, bool enable);
int countVisibleChildren(GLayoutItem* item);
// Detaches and deletes the cell; inside a transaction a visible window leaves it hidden.
void deleteChildCell(GLayoutCell* cell);
void reparentCell(GLayoutCell* cell, GWindow* newOwner);
GChildWindow* findWindowInSubtree(GLayoutCell* cell, bool (*predicate)(GChildWindow*, void*), void* context);
bool isWithin(GLayoutCell* cell, GLayoutCell* target);
GLayoutCell* nextCellInTreeOrder(GLayoutCell* cell, bool descend);
GLayoutCell* lastDescendant(GLayoutCell* cell);
// The deepest visible cell at the point (see passesHits).
GLayoutCell* itemAtPoint(GLayoutCell* cell, i32 x, i32 y);

// A control notification {source, code, value} and a state query routed up the tree: the source,
// its containers, then the owner window's item and its containers, up to the first that takes it.
// A state query goes on past a top-level window to the window that owns it.
struct GControlNotification {
    GItemBase* source = nullptr;
    u32 code = 0;
    intptr_t value = 0;
    intptr_t result = 0;
};
bool notifyUp(GLayoutCell* source, GControlNotification* notification);
// The next receiver above an item: its container, else its owner window's item.
GItemBase* nextReceiver(GItemBase* item);
bool routeCommandUp(GItemBase* source, u32 kind, GStateQuery* query);
