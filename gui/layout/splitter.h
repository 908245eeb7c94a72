#pragma once
// The splitter: GSplitterItem divides its rectangle between two panes along one axis, with a
// GSplitter bar window between them that the user drags. The item owns the panes and the bar
// (children 0 pane 1, 1 bar, 2 pane 2). The split is two values that act as proportions (both >= 0)
// or as the fixed size of one pane (the other negative); 0 or less takes a pane's preferred extent.
#include "core/bag.h"
#include "gui/kernel/user_window.h"
#include "gui/layout/layout_cell.h"

class GSplitter;

// Code of the notification sent up when a drag moved the split.
const u32 kSplitMoved = 1;

class GSplitterItem : public GLayoutItem {
public:
    // vertical: the panes are stacked (split along the height); else side by side.
    GSplitterItem(GWindow* owner, bool vertical, i32 sizeA, i32 sizeB);

    void getPreferredSize(i32* width, i32* height) override;
    void setRect(const RECT& rect) override;
    bool inheritedFlagFor(GLayoutCell* child) override { return child && child->index == 1 ? !vertical : vertical; }
    bool isVerticalSplit() override { return vertical; }
    // The first call makes pane 1, every later call pane 2.
    void addChild(GLayoutCell* child) override;
    void removeChild(GLayoutCell* child) override;
    int childCount() override { return 3; }

    struct Extents {
        i32 pane1, bar, pane2;
    };
    Extents splitExtents(i32 length);
    // Moves the split by delta pixels towards pane 2, re-arranges and tells the tree.
    void moveSplit(i32 delta);
    // The bar's drag ended with its leading edge at `position` (owner client coordinates).
    void barMovedTo(i32 position);
    // sizeA then sizeB as u32; the read throws GBagException on a short bag.
    void readState(GBag& bag);
    void writeState(GBag& bag) const;

    GLayoutCell* pane1() { return childAt(0); }
    GLayoutCell* pane2() { return childAt(2); }

    i32 sizeA, sizeB;
    bool vertical;
    i32 added = 0;
    GSplitter* bar;

private:
    i32 extentAlong(GLayoutCell* cell);
};

// The bar. Its drag shows an exclusive-or line over the owner window and reports the new place to
// its item at the end. Owned by its item; deletes itself like any child window when its native
// window ends first.
class GSplitter : public GUserWindow {
public:
    GSplitter(GWindow* owner, GSplitterItem* item);

    bool isKindOf(u32 id) const override { return id == 53 || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GSplitter"; }
    u32 typeId() const override { return 53; }
    void getPreferredSize(i32* width, i32* height) override {
        *width = 6;
        *height = 6;
    }
    void setInheritedFlag(bool leftRight) override { setOrientation(leftRight); }
    void paint(HDC dc, const RECT& update, bool erase) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    bool onSetCursor() override;

    // Mouse positions relative to the bar.
    void dragBegin(i32 x, i32 y);
    void dragMove(i32 oldX, i32 oldY, i32 x, i32 y);
    void dragEnd(i32 x, i32 y, i32 finalX, i32 finalY);
    void dragCancel(i32 x, i32 y);
    void setOrientation(bool leftRight);

    GSplitterItem* item;
    RECT limits = {0, 0, 0, 0};
    i32 grabOffset = 0;
    HCURSOR cursor = nullptr;
    bool leftRight = true;  // the bar separates left and right panes and moves horizontally

private:
    // Clamped leading edge of the bar for a mouse position, in owner coordinates.
    i32 barPosition(i32 x, i32 y);
    void drawLine(i32 x, i32 y);
    bool dragging = false;
    i32 lastX = 0, lastY = 0;
};
