#pragma once
// GDrawerWindow: a drawn child window that hands its painting to a drawer object. Same ownership
// as every child window (it deletes itself when its native window ends) and it deletes its drawer
// when it owns it. A caller's callback with its argument and extra value (which stay the caller's)
// comes wrapped in a drawer of its own.
#include "gui/kernel/user_window.h"

class GLayoutBuilder;
class GSavedDC;

enum : u32 { TypeDrawerWindow = 104 };

// Paints the content into the rectangle; with a null dc it only answers the content's size.
typedef SIZE (*DrawerCallback)(HDC dc, const RECT* rect, void* argument, void* extra);

class GDrawer {
public:
    virtual ~GDrawer() = default;
    virtual void paint(GSavedDC& dc, const RECT& rect) = 0;
    // The content's natural size.
    virtual SIZE size() { return SIZE{0, 0}; }
};

class GCallbackDrawer : public GDrawer {
public:
    GCallbackDrawer(DrawerCallback callback, void* argument, void* extra)
        : callback(callback), argument(argument), extra(extra) {}
    void paint(GSavedDC& dc, const RECT& rect) override;
    SIZE size() override { return callback(nullptr, nullptr, argument, extra); }

    DrawerCallback callback;
    void* argument;
    void* extra;
};

// A drawer on its way to a window: the window takes it and its ownership, the holder is emptied.
struct GDrawerHolder {
    GDrawer* drawer = nullptr;
    bool owned = false;
};

class GDrawerWindow : public GUserWindow {
public:
    // width, height < 0: the drawer's size.
    GDrawerWindow(GWindow* owner, GDrawer* drawer, bool owned, i32 width = -1, i32 height = -1)
        : GUserWindow(owner), drawer(drawer), ownsDrawer(owned), fixedWidth(width), fixedHeight(height) {}
    GDrawerWindow(GWindow* owner, DrawerCallback callback, void* argument, void* extra)
        : GDrawerWindow(owner, new GCallbackDrawer(callback, argument, extra), true) {}
    ~GDrawerWindow() override;

    bool isKindOf(u32 id) const override { return id == TypeDrawerWindow || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GDrawerWindow"; }
    u32 typeId() const override { return TypeDrawerWindow; }

    // A window of the fixed size; cell "|^".
    static GDrawerWindow* create(GLayoutBuilder& builder, i32 width, i32 height, GDrawerHolder& holder);
    using GUserWindow::create;

    SIZE contentSize() {
        if (fixedWidth >= 0 && fixedHeight >= 0) return SIZE{fixedWidth, fixedHeight};
        return drawer ? drawer->size() : SIZE{0, 0};
    }
    void getPreferredSize(i32* width, i32* height) override {
        SIZE size = contentSize();
        if (*width < 0) *width = size.cx;
        *height = size.cy;
    }
    void paint(HDC dc, const RECT& update, bool erase) override;

    GDrawer* drawer;
    bool ownsDrawer;
    i32 fixedWidth, fixedHeight;
};
