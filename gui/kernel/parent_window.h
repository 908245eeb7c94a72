#pragma once
// GParentWindow: the top-level branch (application windows, dialogs, pop-ups). Created with
// createTopLevelWindow; listed in parentWindowMap() while its native window lives. Deletes itself
// when its native window ends (GDialog excepted). Owns its content item.
#include "gui/kernel/window.h"

class GParentWindow : public GWindow, public GItemBase {
public:
    explicit GParentWindow(GWindow* owner = nullptr) : owner(owner) {}
    ~GParentWindow() override;

    bool isKindOf(u32 id) const override { return id == TypeParentWindow || GWindow::isKindOf(id); }
    const char* className() const override { return "GParentWindow"; }
    u32 typeId() const override { return TypeParentWindow; }
    WindowClassRecord* windowClassRecord() override;
    void onDestroy() override;
    GItemBase* item() override { return this; }
    GWindow* ownerWindow() const override { return owner; }
    GParentWindow* asParentWindow() override { return this; }

    // The content's preferred size grown to the outer size; 0 by 0 without content.
    virtual SIZE getPreferredSize();
    // Keys of the active window before translation, routed to the focused item; true ends the
    // loop's turn.
    virtual bool preTranslateMessage(MSG* message);
    virtual void onResized(i32 /*width*/, i32 /*height*/) {}
    virtual bool onActivate();
    virtual bool onDeactivate() { return false; }
    virtual void updateMenuState(intptr_t, intptr_t, intptr_t) {}
    // A menu item came under the pointer: its command id (the negated position of a plain popup).
    virtual void onMenuItemSelected(HMENU /*menu*/, i32 /*id*/, HMENU /*submenu*/) {}
    // 0 may close, 1 cancels a close (and a quit), 2 asks to wait.
    virtual i32 queryClose() { return 0; }
    // The idle refresh of a dirty window: focus restored, children told, dirty bits cleared.
    virtual void refresh();
    virtual void savePlacement() {}
    virtual void restorePlacement() {}
    virtual void show(i32 showCommand) { ShowWindow(hwnd, showCommand); }
    // Main windows keep the application running; closing the last one quits.
    virtual bool countsAsMainWindow() { return false; }

    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    // The default keys: F1, Tab, Shift+Tab, Alt+mnemonic, arrows in groups, Enter.
    i32 handleKey(GInputEvent* event) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;

    // Replaces the content item, deleting the previous one.
    void setContent(GItemBase* item);
    // Lays the content out in the client area.
    void layoutContent(i32 width, i32 height);
    // Resizes the window to the content's preferred size and lays the content out.
    void fitToContent();

    GChildWindow* focusChild = nullptr;
    GItemBase* content = nullptr;  // owned
    const char* helpPage = nullptr;
    GWindow* owner;
    bool countedAsMain = false;  // counted in mainWindowCount by its creation
    // Interactive sizing: the content is laid out once, when it ends.
    bool inSizeMove = false;
    bool resizePending = false;
    i32 clientWidth = 0, clientHeight = 0;
};

// Menu messages of top-level windows, installed by the first menu holder; true when taken.
extern bool (*menuWindowHook)(GParentWindow* window, u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result);
