#pragma once
// GUserWindow: a child window of class "korvalen_user" that draws itself through paint(). Same
// ownership as GChildWindow. GUserImage, the scrolling drawn window, derives from it.
#include "gui/kernel/child_window.h"
#include "gui/layout/scroll_range.h"

// GUserWindow::drawStyle.
enum : u32 {
    DrawRepaintOnResize = 2,  // the whole window is repainted on resize and on enable
    DrawOffscreen = 4,        // paint through an off-screen buffer
    DrawScrollable = 8,       // keys, wheel and scroll bars scroll the content
    DrawRepaintOnScroll = 16, // repaint instead of moving the painted pixels
};

class GUserWindow : public GChildWindow {
public:
    using GChildWindow::GChildWindow;
    ~GUserWindow() override { destroyNative(); }

    bool isKindOf(u32 id) const override { return id == TypeUserWindow || GChildWindow::isKindOf(id); }
    const char* className() const override { return "GUserWindow"; }
    u32 typeId() const override { return TypeUserWindow; }
    WindowClassRecord* windowClassRecord() override { return &userClass; }

    // Draws the update rectangle.
    virtual void paint(HDC dc, const RECT& update, bool erase) = 0;

    bool create(u32 style, u32 exStyle = 0);
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    bool onFocus(bool gained, HWND other) override;

    u32 drawStyle = 0;
};

// A drawn window whose content (in units of unitWidth by unitHeight pixels) scrolls under its two
// range models. The ranges' insets are pixel margins kept around the scrolled area: a margin
// follows the content along its own axis only.
class GUserImage : public GUserWindow {
public:
    using GUserWindow::GUserWindow;

    bool isKindOf(u32 id) const override { return id == TypeUserImage || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GUserImage"; }
    u32 typeId() const override { return TypeUserImage; }

    // Content of width by height units; scrollable.
    bool create(i64 contentWidth, i64 contentHeight, u32 style, u32 exStyle = 0);
    void getPreferredSize(i32* width, i32* height) override;
    i32 handleKey(GInputEvent* event) override;
    bool onWheel(i32 delta, u32 keys, bool vertical) override;
    bool onSize(i32 width, i32 height) override;
    void scrollBy(i32 dx, i32 dy) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;

    // Applies two range states: pages from the client area, the picture moved by the origins'
    // difference (or repainted), the scroll bars synchronised.
    virtual void setScrollState(const GScrollRange& h, const GScrollRange& v);
    // Pages from the client area again; flags 2 and 4 centre the horizontal and vertical origin,
    // flag 1 raises layout event 1 when an origin moved and 2 when a page changed. Repaints.
    void refreshScrollState(u32 flags);
    // True: repaint the whole window instead of moving its pixels.
    virtual bool repaintOnScroll() { return false; }
    // Moves the central area by (dx, dy) pixels and each margin strip along its own axis.
    virtual void scrollWithMargins(i64 dx, i64 dy);

    GScrollRange horizontal, vertical;
    i32 unitWidth = 1, unitHeight = 1;
    i32 wheelStep = 195;
};
