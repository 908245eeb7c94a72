#pragma once
// GDrawerWindow: a drawn child window whose content comes from a caller's callback. Same
// ownership as every child window (it deletes itself when its native window ends); the callback's
// argument and extra value stay the caller's.
#include "gui/user_window.h"

enum : u32 { TypeDrawerWindow = 104 };

// Paints the content into the rectangle; with a null dc it only answers the content's size.
typedef SIZE (*DrawerCallback)(HDC dc, const RECT* rect, void* argument, void* extra);

class GDrawerWindow : public GUserWindow {
public:
    GDrawerWindow(GWindow* owner, DrawerCallback callback, void* argument, void* extra)
        : GUserWindow(owner), callback(callback), argument(argument), extra(extra) {}

    bool isKindOf(u32 id) const override { return id == TypeDrawerWindow || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GDrawerWindow"; }
    u32 typeId() const override { return TypeDrawerWindow; }

    SIZE contentSize() { return callback(nullptr, nullptr, argument, extra); }
    void getPreferredSize(i32* width, i32* height) override {
        SIZE size = contentSize();
        if (*width < 0) *width = size.cx;
        *height = size.cy;
    }
    void paint(HDC dc, const RECT& update, bool erase) override;

    DrawerCallback callback;
    void* argument;
    void* extra;
};
