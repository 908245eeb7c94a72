#pragma once
// GGroupBoxItem: a frame with a caption around one content cell. Its child 0 is the frame window
// (GGroupBox), made by the item on the item's owner; child 1 the content. The item owns both.
#include "core/gstring.h"
#include "gui/layout_cell.h"
#include "gui/user_window.h"

// The frame window: its window region is the frame and caption band only, and it lets the mouse
// through, so the content windows inside it show and take input whatever the z-order.
class GGroupBox : public GUserWindow {
public:
    GGroupBox(GWindow* owner, const char* caption);

    const char* className() const override { return "GGroupBox"; }
    // The caption's extent plus the frame.
    void getPreferredSize(i32* width, i32* height) override;
    void paint(HDC dc, const RECT& update, bool erase) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    // Only the band of the frame and the caption.
    void removeCoveredArea(RectangleList& area) override;
    // The rectangle inside the frame: below the caption (or 2) at the top, 2 at the other sides.
    RECT innerRect(const RECT& outer);
    i32 captionHeight();

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
