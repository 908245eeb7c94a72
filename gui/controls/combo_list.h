#pragma once
// The drop-down list of a combo box, reached through GComboList: a top-level pop-up that shows the
// combo's model. The combo makes one through comboListFactory when it opens and deletes it when it
// closes; the table views install the real list, tests a plain stand-in.
#include <windows.h>

#include "core/types.h"

class GTableModel;
class GWindow;
struct GInputEvent;

class GComboList {
public:
    virtual ~GComboList() = default;
    // Creates the pop-up owned by the combo's top-level window at the screen rectangle, showing
    // the model with the row marked, and shows it without activation; verticalBar when the
    // rectangle is too short for every row. False when no window could be made.
    virtual bool open(GWindow* combo, GTableModel* model, i32 row, i32 itemHeight, const RECT& screen,
                      bool verticalBar) = 0;
    // The pop-up itself and the window whose client area shows the rows (may be the same).
    virtual HWND popupWindow() = 0;
    virtual HWND listWindow() = 0;
    // The marked row, -1 for none.
    virtual i32 currentRow() = 0;
    virtual void setCurrentRow(i32 row) = 0;
    // The row at a client point of the list window, -1 for none.
    virtual i32 rowAtPoint(i32 x, i32 y) = 0;
    // The list's key handling: 0 pass on, 1 stop, 2 handled.
    virtual i32 forwardKey(GInputEvent* event) = 0;
    // A wheel turn (WHEEL_DELTA units) with the pointer at a client point of the list window.
    virtual void forwardWheel(i32 delta, i32 x, i32 y) = 0;
    // A mouse message at a client point of the list window.
    virtual void forwardMouse(u32 message, uintptr_t wParam, i32 x, i32 y) = 0;
    virtual void setModel(GTableModel* model) = 0;
    // Destroys the pop-up window.
    virtual void destroy() = 0;
};

// Makes the list object of an opening combo; null: combos do not open.
typedef GComboList* (*ComboListFactory)();
extern ComboListFactory comboListFactory;

// The screen metrics of the placement.
struct ComboListMetrics {
    i32 hScrollHeight;  // SM_CYHSCROLL
    i32 vScrollWidth;   // SM_CXVSCROLL
    i32 borderWidth;    // SM_CXBORDER
    i32 borderHeight;   // SM_CYBORDER
};
ComboListMetrics systemComboListMetrics();

struct ComboListPlace {
    RECT rect;
    bool verticalBar;  // the height was cut
};

// Where the list of n shown rows of itemHeight goes for a combo at `combo` (screen) in the work
// area; widest is the widest text of the first 100 rows; moreRows when the model has rows beyond
// the shown ones (the list then scrolls as if cut).
ComboListPlace placeComboList(const RECT& combo, const RECT& work, i32 itemHeight, i32 n, i32 widest,
                              const ComboListMetrics& metrics, bool moreRows = false);
