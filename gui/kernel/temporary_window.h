#pragma once
// GTemporaryWindow: a short-lived top-level pop-up that belongs to no dialog (the drag image's
// windows, the tool tip). It deletes itself when its native window ends and then clears the slot
// of its owner that points to it (the back link), so an owner never holds a dead window.
// GToolTipWindow: the one tool-tip window of the program, held in toolTipWindow.
#include "gui/kernel/parent_window.h"

enum : u32 { TypeToolTipWindow = 80, TypeTemporaryPopup = 90 };

class GTemporaryWindow : public GParentWindow {
public:
    explicit GTemporaryWindow(GWindow* owner = nullptr, GTemporaryWindow** backLink = nullptr)
        : GParentWindow(owner), backLink(backLink) {}
    ~GTemporaryWindow() override;

    bool isKindOf(u32 id) const override { return id == TypeTemporaryPopup || GParentWindow::isKindOf(id); }
    const char* className() const override { return "GTemporaryWindow"; }
    u32 typeId() const override { return TypeTemporaryPopup; }
    // Clears the back link, releases the watchers; the main-window count is the base's.
    void onDestroy() override;

    GTemporaryWindow** backLink;
};

class GMultiLabel;

class GToolTipWindow : public GTemporaryWindow {
public:
    using GTemporaryWindow::GTemporaryWindow;

    bool isKindOf(u32 id) const override { return id == TypeToolTipWindow || GTemporaryWindow::isKindOf(id); }
    const char* className() const override { return "GToolTipWindow"; }
    u32 typeId() const override { return TypeToolTipWindow; }
    void onDestroy() override;
    // Shows without activation or hides, when the visibility differs.
    void show(i32 flag) override;

    GMultiLabel* label = nullptr;  // inside the content's one cell
};

// The tool-tip window, null when none.
extern GTemporaryWindow* toolTipWindow;

// Deletes the old tool-tip window and makes a new one (hidden).
GToolTipWindow* createToolTipWindow(GWindow* owner);
// Shows the text next to the anchor (client coordinates of the window; empty: its client area), or
// hides the tip for an empty text or while a mouse button is held.
void showToolTip(const char* text, const RECT& anchor, GWindow* window);
void deleteToolTip();
// The label's text, for tests.
const char* toolTipText();

// The work area of the monitor nearest a screen rectangle; replaceable for tests.
extern RECT (*toolTipWorkArea)(const RECT& anchor);

// The place of a w x h tip next to a screen anchor, chosen by the cursor's distance.
RECT chooseToolTipRect(const RECT& anchor, POINT cursor, i32 w, i32 h, const RECT& work);
