#pragma once
// GAppWindow: the application's main-window base: menu bar keys, popup menu state, help and the
// tool-bar menu commands, its placement in the window layout store, and the placement helpers of
// the window list. Made by the program's window factory; deletes itself with its native window.
#include <vector>

#include "core/bag.h"
#include "gui/kernel/parent_window.h"

struct WindowKind;

enum : u32 { TypeAppWindow = 54, TypeObjectWindow = 75, TypeTabbedPlacer = 77 };
// The request a right click on a menu bar item sends up with the item's action.
enum : u32 { RequestCustomizeAction = 102 };
// Commands of the tool-bar menu start here; the menu's action.
enum : u32 { FirstToolBarMenuCommand = 10000, ToolBarMenuAction = 180 };
// Option bit: popup items follow their actions' state when they open.
enum : u32 { OptionMenuState = 4 };
extern u32 toolkitOptions;

// The default procedure that the menu-opening keys are handed to (tests record them).
extern LRESULT(WINAPI* menuKeyProcedure)(HWND, UINT, WPARAM, LPARAM);

// The tool-bar menu of a window: its command count after a rebuild, and running one entry. The
// tool bars install it.
struct ToolBarMenuHooks {
    i32 (*rebuild)(GParentWindow* window);
    bool (*run)(GParentWindow* window, i32 index);
};
extern ToolBarMenuHooks toolBarMenuHooks;

class GAppWindow : public GParentWindow {
public:
    explicit GAppWindow(GWindow* owner = nullptr) : GParentWindow(owner) {}

    bool isKindOf(u32 id) const override { return id == TypeAppWindow || GParentWindow::isKindOf(id); }
    const char* className() const override { return "GAppWindow"; }
    u32 typeId() const override { return TypeAppWindow; }

    void onDestroy() override;
    void updateMenuState(intptr_t parentMenu, intptr_t position, intptr_t popup) override;
    bool countsAsMainWindow() override { return true; }
    // The window's state in the layout store: its 44-byte placement.
    virtual void savePlacement(GBag& bag);
    virtual void restorePlacement(GBag& bag, bool show);
    // The title refreshFrame sets.
    virtual GString windowTitle() { return getText(); }
    // The image list of the menu bar's actions: none while the bitmap id is negative.
    virtual void* menuImageList();
    // Fills the popup of a dynamic action as it opens.
    virtual void fillDynamicMenu(u32 /*actionId*/, HMENU /*menu*/) {}

    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    i32 handleKey(GInputEvent* event) override { return handleMenuKeys(event); }
    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override { return isCommandEnabled(command); }

    // 0 not handled, 1 pass on, 2 handled.
    i32 handleMenuKeys(GInputEvent* event);
    i32 isCommandEnabled(u32 id);
    bool hasMenuBar() const { return hwnd && GetMenu(hwnd) != nullptr; }

    // After the content of an application window changed: system menu, title, frame and menu
    // state, layout.
    static void refreshFrame(GParentWindow* window);
    // After the kind's menus or tool bars changed: menu bar, tool bars, the customise item of the
    // system menu, layout.
    static void updateSystemMenu(GParentWindow* window);
    // Puts the first window directly behind the other.
    static void arrangeWindows(GParentWindow* first, GParentWindow* other);
    // Splits the first window's rectangle between the two: top and bottom halves.
    static void maximize(GParentWindow* first, GParentWindow* second);
    // The same, left and right halves.
    static void restore(GParentWindow* first, GParentWindow* second);
    // The window list's order: by type id, then by title (bytes), equal titles by creation order.
    static std::vector<GParentWindow*> windowListOrder();

    // The dynamic action whose popup is open (the tool-bar menu is 180), or 0.
    static u32 currentDynamicAction;
    i32 menuBitmapId = -1;
    // The kind of the page shown, answered by windowKindOf before the window's own; not owned.
    WindowKind* currentKind = nullptr;
    // The show command of the restored placement.
    i32 placementShow = SW_SHOWNORMAL;

private:
    void openMenuFromKeyboard();
};

// Flips the record's shown flag (not of internal records) and updates every application window
// of its kind.
struct GToolBarSpec;
void toggleSpecShown(GToolBarSpec* spec);

// The other live application window, if any (the next to activate when this one ends).
GParentWindow* otherAppWindow(GParentWindow* window);

extern u32 objectWindowCount;
