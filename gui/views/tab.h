#pragma once
// GTab: the owner-drawn tab strip heading a tab window or a tabbed placer. It holds no pages or
// titles: its listener (not owned) counts the tabs and hands out their items; the strip lays them
// out in one row with scrolling, draws them, reorders them by dragging, drags them out, and tells
// the listener of every change. What it offers is read from a flag word shared by all strips of one
// kind (tab_actions.h). Created on a parent window, owned by its container like any child window;
// it owns its hot tracker and its drag image. All strips are on one process-wide list.
#include <vector>

#include "gui/input/hot_tracker.h"
#include "gui/kernel/user_window.h"
#include "gui/views/tab_listener.h"

class GDragImageWindow;
class GMenu;
struct GTabStripButton;

enum : u32 { TypeTab = 78 };

// GTab::stripFlags.
enum : u32 {
    TabAnchorLeft = 0x20,    // the origin is the first tab shown at the left edge, else the last at the right
    TabLeftAligned = 0x40,   // the leftmost shown tab is whole
    TabRightAligned = 0x80,  // the rightmost shown tab is whole
    TabAllFit = 0x100,
    TabKeepInView = 0x200,
};

// Mini buttons of a tab.
enum : i32 { TabMiniNone = -1, TabMiniClose = 1, TabMiniAttach = 2 };
// Hit flags the strip reports to its tracker (low byte of the tracker's state).
enum : u32 { TabHitCurrent = 0x20, TabHitMini = 0x40 };
// The hint code of a mini-button press that needs a double click.
enum : u32 { TabMiniHintReport = 78 };
// Fill passes of one layout at most.
enum : i32 { TabFillPassLimit = 4 };

// The strip's tracker: hot and pressed parts, the drag start and the double-click mark.
class GTabTracker : public GHotTracker {
public:
    using GHotTracker::GHotTracker;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;

    i32 pressTab = -1;  // tab body pressed, a drag may start from it
    POINT pressPoint = {0, 0};
    bool hintArmed = false;  // a mini button was pressed once without a double click
};

class GTab : public GUserWindow {
public:
    GTab(GWindow* parent, u32* flagWord);
    ~GTab() override;

    bool isKindOf(u32 id) const override { return id == TypeTab || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GTab"; }
    u32 typeId() const override { return TypeTab; }

    // The native window and the tracker.
    bool create();

    void paint(HDC dc, const RECT& update, bool erase) override;
    void getPreferredSize(i32* width, i32* height) override;
    bool onSize(i32 width, i32 height) override;
    bool handleMouse(GInputEvent* event) override;
    bool hitPart(GHotTracker* tracker, i32 x, i32 y, tagRECT* rect, u32* flags) override;
    void clickPart(GHotTracker* tracker) override;
    bool getToolTip(i32 x, i32 y, GString* text, tagRECT* toolRect, tagRECT* queryRect) override;
    i32 dropKindAt(i32 x, i32 y) override;
    i32 commandState(u32 command) override;
    i32 commandChecked(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;

    void setListener(GTabListener* listener);
    bool select(i32 index);
    void tabInserted(i32 index);
    bool closeTab(i32 index);
    void showTab(i32 index);
    void hideTab(i32 index);
    void toggleAttached(i32 index);
    void selectNext();
    void selectPrevious();
    void scrollLeft();
    void scrollRight();

    i32 tabCount() const;
    i32 visibleTabCount() const;
    // The next visible tab from `from` (inclusive) in the direction, -1 when none.
    i32 nextVisibleTab(i32 from, i32 direction) const;
    i32 lastVisibleTab() const;
    GTabRecord* recordOf(i32 index) const;
    bool tabVisible(i32 index) const;
    bool tabAttached(i32 index) const;

    // Records refreshed and widths measured, then arranged for the client width.
    void layout(i32 width);
    // Widths of the records as they are.
    void arrange(i32 width);
    void measureTabs();
    // The tab's [left, right) after the last layout; false when not shown.
    bool tabSpan(i32 index, i32* left, i32* right) const;
    RECT tabRect(i32 index) const;
    // The whole tab, past the area's edge where its span is cut.
    RECT fullTabRect(i32 index) const;
    RECT buttonRect(const GTabStripButton* button) const;
    // The gap a dragged tab would land before at x.
    i32 insertionGap(i32 x) const;
    // The tab at the point, -1 in a gap or outside; *mini the mini button there.
    i32 tabAt(i32 x, i32 y, i32* mini) const;
    RECT miniButtonRect(i32 index, i32 which) const;
    i32 miniSize() const;
    // Whether the strip can show tabs (height and tab area).
    bool showsTabs() const;
    // x is a 1-pixel gap between two shown tabs.
    bool tabAtGap(i32 x) const;

    bool option(u32 bit) const { return flagWord && (*flagWord & bit) != 0; }
    bool allowed(u32 bit) const { return option(bit); }

    // Menus: the tab-list entries, the context ids for a tab (-1: none) or over a button.
    void fillTabListMenu(GMenu& menu);
    void fillContextMenu(GMenu& menu, i32 tab, bool overButton);
    void showTabListMenu();
    void showAddMenu();
    void showContextMenu(i32 x, i32 y);
    // The tab actions on a tab (-1: none given).
    void runTabAction(u32 command, i32 tab);
    i32 tabActionState(u32 command, i32 tab);

    // Drag: started by the tracker, moved and ended by the mouse messages.
    void beginDrag(i32 index);
    void dragTo(i32 x, i32 y);
    void endDrag(i32 x, i32 y, bool cancel);
    // The drag image and its painter go; the cursor shows again.
    void dropDragImage();
    // Paints one tab into the DC at its rectangle.
    void paintTab(HDC dc, i32 index, const RECT& rect);

    i32 current = -1;
    i32 origin = -1;
    i32 farEnd = -1;
    i32 hoverTab = -1;
    i32 hoverMini = TabMiniNone;
    const GTabStripButton* hoverButton = nullptr;
    i32 iconSize = 0;
    i32 addCommand = -1;
    i32 currentTabCommand = -1;
    i32 markerWidth = 0;
    i32 dropGap = -1;
    i32 dragIndex = -1;
    u32* flagWord;
    i32 tabsLeft = 0, tabsRight = 0;
    GTab* nextStrip = nullptr;
    GTab* previousStrip = nullptr;
    GTabListener* listener = nullptr;
    GDragImageWindow* dragImage = nullptr;
    GTabTracker* tracker = nullptr;
    u32 stripFlags = 0;
    i32 menuTab = -1;  // the tab the open menu acts on
    bool cursorHidden = false;
    std::vector<i32> spanLeft, spanRight;  // per tab after the last layout; right <= left: not shown
    i32 passes = 0;  // fill passes of the last layout

private:
    void relayoutParent();
    void repaint();
    // The tab that becomes current when `index` closes, before removal.
    i32 successorOnClose(i32 index) const;
    void settleAfterRemoval(i32 index, i32 successor, bool wasCurrent);
    void placeSpans(i32 left, i32 right);
    i32 widthOf(i32 index) const;
};

GTab* firstStrip();
// Every strip's parent laid out again and every strip repainted (after a flag word changed).
void relayoutAllStrips();
