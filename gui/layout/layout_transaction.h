#pragma once
// Layout transactions: the geometry changes of one layout change are collected and applied at the
// outermost end, hidden, moved and shown without redraw; the area windows left and nobody covers is
// painted once onto the top-level window, then each touched window is invalidated once. The state
// is process-wide and belongs to the interface thread; windows are listed, not owned.
#include <windows.h>

#include "gui/layout/rect_list.h"

class GChildWindow;
class GLayoutCell;
class GLayoutItem;
class GWindow;

struct LayoutTransactionEntry {
    GChildWindow* window;
    RECT rect;    // the window's rectangle when the transaction first touched it
    bool redraw;  // it was visible then
};

// Nesting depth; 0 outside any transaction.
extern i32 layoutTransactionDepth;

// Opens one level; the first level drops what an earlier transaction left.
void beginLayoutTransaction();
void clearLayoutTransaction();
// Ends one level; the outermost applies everything for the owner window's top-level window.
void endLayoutTransaction(GWindow* window);
// Scoped begin/end.
class LayoutTransaction {
public:
    explicit LayoutTransaction(GWindow* window) : window(window) { beginLayoutTransaction(); }
    ~LayoutTransaction() { endLayoutTransaction(window); }
    LayoutTransaction(const LayoutTransaction&) = delete;
    LayoutTransaction& operator=(const LayoutTransaction&) = delete;

private:
    GWindow* window;
};

// The way a child window's cell changes its rectangle: at once outside a transaction, recorded in it.
void setWindowRect(GChildWindow* window, const RECT& rect);
// Lists the window (first time only) with its rectangle before the change.
void recordInLayoutTransaction(GChildWindow* window);
// A window destroyed or taken out of the layout while a transaction is open.
void removeFromLayoutTransaction(GChildWindow* window);
// Invalidates now, or at the outermost end while a transaction is open.
void invalidateWindow(GChildWindow* window);
// An area of the owner's client to paint again: joins the uncovered area while a transaction is
// open, else the owner is invalidated there.
void repaintArea(GWindow* owner, const RECT& rect);
// Clears the relayout-requested flag of the item and its descendants.
void clearRelayoutFlags(GLayoutCell* cell);

// The pending entries, for tests.
const std::vector<LayoutTransactionEntry>& layoutTransactionEntries();
const RectangleList& uncoveredArea();

// Fills the area of the list around the layout tree: parts inside visible cells with their own
// background take the face colour, the rest the class background. The list is consumed.
void paintUncoveredArea(HDC dc, GLayoutCell* root, RectangleList& area);
