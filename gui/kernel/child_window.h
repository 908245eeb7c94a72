#pragma once
// GChildWindow: the child branch (controls and drawn windows inside a top-level window). Its owner
// window owns it; it deletes itself when its native window ends. Listed in childWindowMap() while
// its native window lives. Its item part is its layout cell: the cell's rectangle is the window's.
#include "gui/kernel/window.h"
#include "gui/layout/layout_cell.h"
#include "gui/layout/rect_list.h"

class GChildWindow : public GWindow, public GLayoutCell {
public:
    explicit GChildWindow(GWindow* owner) { this->owner = owner; }
    ~GChildWindow() override;

    bool isKindOf(u32 id) const override { return id == TypeChildWindow || GWindow::isKindOf(id); }
    const char* className() const override { return "GChildWindow"; }
    u32 typeId() const override { return TypeChildWindow; }
    void onDestroy() override;
    GItemBase* item() override { return this; }
    GWindow* ownerWindow() const override { return owner; }
    GChildWindow* asChildWindow() override { return this; }

    virtual void onDeferredRelayout() {}
    // Keeps focusWindow: gained only by the owner's focus child.
    virtual bool onFocus(bool gained, HWND other);
    virtual void onParentRefresh(u32 /*flags*/) {}
    virtual bool onSize(i32 /*width*/, i32 /*height*/) { return false; }
    virtual bool onWheel(i32 /*delta*/, u32 /*keys*/, bool /*vertical*/) { return false; }
    virtual i32 charToItem(u32 /*character*/, i32 /*caret*/) { return -1; }
    virtual bool isArrowNavigable() { return false; }
    virtual bool isDefaultButton() { return false; }
    virtual bool isGroupMember() { return false; }
    virtual i32 groupId() { return 0; }
    virtual bool matchesMnemonic(u32 /*character*/) { return false; }
    virtual void activateByKey() {}
    // Focus priority; 0: does not take the keyboard focus.
    virtual i32 acceptsFocus() { return 0; }
    // A press on a visible, enabled tab stop that accepts the focus gives it the focus; the event
    // goes on.
    bool handleMouse(GInputEvent* event) override;
    // Size, focus, enabling and showing, erase under the redraw lock, the wheel.
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;

    // Moves the native window; it keeps its place among its siblings.
    virtual void setRect(const RECT& rect, u32 swpFlags);
    bool getToolTip(i32, i32, GString* text, tagRECT*, tagRECT*) override {
        if (!toolTipText) return false;
        stringAssignText(*text, toolTipText);
        return true;
    }
    // The cell's rectangle: through the layout transaction.
    void setRect(const RECT& rect) override;
    // Hiding and showing the cell hides and shows the window (batched inside a transaction).
    void notify(int event) override;

    // Takes the part of the parent's client area that this window paints out of the list.
    virtual void removeCoveredArea(RectangleList& area) { area.subtract(rect); }
    // Adds the part of the parent's client area that this window paints to the list.
    virtual void addOwnArea(RectangleList& area) { area.add(rect); }

    // Repaints the whole window: deferred under the redraw lock and inside a layout transaction.
    void invalidate();
    // Nested redraw lock: while held, repaints, relayouts and layout events are only recorded
    // (flags WindowRepaintPending, WindowRelayoutPending and WindowLayoutEventBase << kind); the
    // outermost release performs them.
    void beginRedrawLock();
    void endRedrawLock();
    // Layout event `kind` of this window: recorded under the lock, else onLayoutEvent at once.
    void markDirty(u32 kind);
    virtual void onLayoutEvent(u32 /*kind*/) {}

    char* toolTipText = nullptr;  // owned
    i32 redrawLock = 0;
    bool transactionPending = false;  // listed in the open layout transaction
    HWND placedAfter = (HWND)-1;      // the window setRect last put this one behind
};

// Holds a window's redraw lock for one scope, released on every path.
class RedrawLockScope {
public:
    explicit RedrawLockScope(GChildWindow* window) : window(window) {
        if (window) window->beginRedrawLock();
    }
    ~RedrawLockScope() {
        if (window) window->endRedrawLock();
    }
    RedrawLockScope(const RedrawLockScope&) = delete;
    RedrawLockScope& operator=(const RedrawLockScope&) = delete;

private:
    GChildWindow* window;
};
