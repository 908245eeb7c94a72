#pragma once
// GLineN: a small drawn line window of a fixed size (size x size; 8 at creation). Its owner window
// owns it; it deletes itself when its native window ends.
#include "gui/kernel/user_window.h"

enum : u32 { TypeLineWindow = 27 };

class GLineN : public GUserWindow {
public:
    using GUserWindow::GUserWindow;

    bool isKindOf(u32 id) const override { return id == TypeLineWindow || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GLineN"; }
    u32 typeId() const override { return TypeLineWindow; }

    bool create() {
        size = 8;
        return GUserWindow::create(WS_CHILD | WS_VISIBLE);
    }
    void getPreferredSize(i32* width, i32* height) override {
        if (*width < 0) *width = size;
        *height = size;
    }
    // The background with an etched line across the middle.
    void paint(HDC dc, const RECT& update, bool erase) override;

    i32 size = 8;
};
