#pragma once
// GUserWindow: a child window of class "korvalen_user" that draws itself through paint(). Same
// ownership as GChildWindow. GUserImage, the scrolling drawn window, derives from it.
#include "gui/child_window.h"

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
};

class GUserImage : public GUserWindow {
public:
    using GUserWindow::GUserWindow;

    bool isKindOf(u32 id) const override { return id == TypeUserImage || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GUserImage"; }
    u32 typeId() const override { return TypeUserImage; }
};
