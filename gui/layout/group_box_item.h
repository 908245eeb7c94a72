#pragma once
// GGroupBoxItem: a frame with a caption around one content cell. Its child 0 is the frame window
// (GGroupBox), made by the item on the item's owner; child 1 the content. The item owns both.
#include "core/gstring.h"
#include "gui/kernel/user_window.h"
#include "gui/layout/layout_cell.h"

// The frame window: its window region is the frame and caption band only, and it lets the mouse
// through, so the content windows inside it show and take input whatever the z-order.
class GGroupBox : public GUserWindow {
public:
    GGroupBox(GWindow* owner, const char* caption);

    bool isKindOf(u32 id) const override { return id == 45 || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GGroupBox"; }
    u32 typeId() const override { return 45; }
    // Caption width + 12 by its height; 0 by 2 without a caption.
    void getPreferredSize(i32* width, i32* height) override;
    void paint(HDC dc, const RECT& update, bool erase) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    // Moves the window, then makes its region the frame band (the rectangle less the inner one).
    void setRect(const RECT& rect, u32 swpFlags) override;
    using GUserWindow::setRect;
    // Only the band of the frame and the caption counts as the box's own area.
    void removeCoveredArea(RectangleList& area) override;
    void addOwnArea(RectangleList& area) override;
    // The rectangle inside the frame: below the caption (or 2) at the top, 2 at the other sides.
    RECT innerRect(const RECT& outer);
    i32 captionHeight();
    // The frame band of a rectangle as up to four pieces.
    void framePieces(const RECT& outer, RectangleList& pieces);

    GString caption;
};

class GGroupBoxItem : public GLayoutItem {
public:
    GGroupBoxItem(GWindow* owner, const char* caption);
    ~GGroupBoxItem() override;

    void getPreferredSize(i32* width, i32* height) override;
    void setRect(const RECT& rect) override;
    u32 refreshLayoutFlags() override;
    // The content is child 1.
    void addChild(GLayoutCell* child) override;
    int childCount() override { return 2; }

    GGroupBox* frame;
};
