#pragma once
// GWindow: the first base of every window class. It holds the native handle and the state flags and
// is the entry of the handle maps (window_procedure.h); the window's GItemBase part is its second
// base, reached through item(). A window object exists before its native window. It ends either by
// its destructor, which destroys the native window, or, with WindowDeleteOnFinal set, by the end of
// its native window, which deletes the object.
//
// Class identity: className() gives a fixed string, typeId() a fixed number, isKindOf(id) is true
// for the class's own id and every ancestor's. Ids below 1000 are the toolkit's, from 1000 up the
// application's.
#include <windows.h>

#include "core/gstring.h"
#include "core/window_map.h"
#include "gui/kernel/item_base.h"
#include "gui/kernel/window_class.h"

enum WindowTypeId : u32 {
    TypeWindow = 1,
    TypeParentWindow = 2,
    TypeChildWindow = 3,
    TypeUserWindow = 6,
    TypeDialog = 7,
    TypeUserImage = 40,
};

// GWindow::flags.
enum : u32 {
    WindowDestroyed = 1,        // the native window is gone or its destruction has begun
    WindowTipsSuppressed = 2,   // no hover tips until the tip controller watches the window anew
    WindowDeleteOnFinal = 4,    // the object deletes itself on WM_NCDESTROY
    WindowAnsi = 8,             // created through the ANSI entry points
    WindowHoverTracking = 0x10,
    WindowRepaintPending = 0x20,
    WindowRelayoutPending = 0x40,
    WindowRestoreFocus = 0x80,
    WindowDirty = 0xE0,
    WindowOwnBackground = 0x100,
    WindowLayoutEventBase = 0x200,  // 0x200 << k: layout event k pending under the redraw lock
};

class GWindow : public GWindowMapEntry {
public:
    GWindow() = default;
    virtual ~GWindow();
    GWindow(const GWindow&) = delete;
    GWindow& operator=(const GWindow&) = delete;

    u32 hashKey() const override { return GWindowMap::handleHash(hwnd); }
    bool matchesKey(const void* handle) const override { return handle == hwnd; }

    virtual bool isKindOf(u32 id) const { return id == TypeWindow; }
    virtual const char* className() const { return "GWindow"; }
    virtual u32 typeId() const { return TypeWindow; }
    // The registered class the native window is created with.
    virtual WindowClassRecord* windowClassRecord() = 0;
    // WM_DESTROY of the native window.
    virtual void onDestroy() {}
    // The window's GItemBase part.
    virtual GItemBase* item() = 0;
    // The window whose native window is the parent (child windows) or owner (top-level windows).
    virtual GWindow* ownerWindow() const = 0;

    // Destroys the native window unless its destruction has begun. Every destructor level that
    // still needs its own state during WM_DESTROY calls this first.
    void destroyNative();

    bool destroyed() const { return (flags & WindowDestroyed) != 0; }

    // The native window's text, in the toolkit's code page.
    GString getText() const;
    void setText(const char* text);
    // Replaces the style and lets the frame change take effect.
    void setStyle(u32 style);
    void frameRefresh();
    // Makes the window its top-level window's focus child and gives it the focus, at once or at
    // the end of an open layout transaction or redraw lock (deferred_focus.h).
    void setFocusSafe();

    HWND hwnd = nullptr;
    u32 flags = WindowDeleteOnFinal;
};

// The window itself when it is top-level, else the first top-level window up its owners; null for
// none.
GWindow* topLevelOf(GWindow* window);

// True while a style change refreshes a frame (WM_SIZE of child windows is ignored then).
extern bool styleChangeInProgress;
