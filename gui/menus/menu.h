#pragma once
// Menu holders and the filling of menus from action ids. A GMenu holds a native menu and, when it
// owns it, destroys it with its whole tree and every item's GMenuItemData. Items are owner-drawn;
// their data (text with the shortcut part, image list, command id) lives with the item and is
// deleted when the item is removed or its menu destroyed. The creator of a holder deletes it.
#include <windows.h>

#include "core/gstring.h"
#include "core/types.h"

class GWindow;
struct GActionItem;

// GMenuItemData::flag of an item of a menu bar.
enum : u8 { MenuItemBar = 1 };

// The data of one owner-drawn item.
class GMenuItemData {
public:
    GMenuItemData(const char* text, void* image, i32 commandId) : text(text), image(image), commandId(commandId) {}
    virtual ~GMenuItemData() = default;

    // The menu effect bits it is drawn with: the appearance record's, of the menu bar for flag 1.
    virtual u32 effectBits() const;
    // Width kept after the text: the submenu arrow column of popup items.
    virtual i32 extraWidth() const { return flag == MenuItemBar ? 0 : 16; }
    bool separator() const { return commandId == -1 && !text.length; }

    GString text;  // title, then TAB and the shortcut texts
    void* image;   // HIMAGELIST, may be null
    u8 flag = 0;   // MenuItemBar: an item of a menu bar
    i32 commandId;  // -1 for separators
};

// Root of the holders: the handle only; its end destroys nothing.
class GMenuRoot {
public:
    virtual ~GMenuRoot() { menu = nullptr; }
    GMenuRoot() = default;
    GMenuRoot(const GMenuRoot&) = delete;
    GMenuRoot& operator=(const GMenuRoot&) = delete;

    HMENU menu = nullptr;
};

class GMenu : public GMenuRoot {
public:
    GMenu(HMENU menu, bool owns);
    ~GMenu() override;

    virtual GMenuItemData* makeItemData(const char* text, void* image, i32 commandId) {
        return new GMenuItemData(text, image, commandId);
    }

    u8 owns;
};

// Filling modes.
enum : u32 { MenuContext = 0, MenuPopupAction = 1, MenuBarMenu = 2 };

// Inserts one action at the position (-1: the end). Mode 0 leaves out disabled actions (false).
bool addActionToMenu(GWindow* asking, GActionItem* action, u32 mode, i32 position, GMenu& menu);
// Inserts the ids in order from the position (-1: the end); -1 appends a separator; ids without a
// record are skipped.
void fillMenuFromIds(GWindow* asking, GMenu& menu, const i32* ids, i32 count, u32 mode, i32 position = -1);
// Appends an owner-drawn separator.
void appendMenuSeparator(GMenu& menu);
// Appends an owner-drawn item with its own command id; flags may hold MF_CHECKED and MF_GRAYED.
void appendMenuItem(GMenu& menu, const char* text, void* image, i32 commandId, u32 flags);
// Inserts an owner-drawn item that opens the popup (-1: the end); the data is deleted when the
// item cannot be inserted.
void insertPopupItem(GMenu& menu, i32 position, HMENU popup, GMenuItemData* data);

// Helpers over any native menu.
void destroyMenuTree(HMENU menu);
void clearMenu(HMENU menu);
void removeMenuItemAt(HMENU menu, i32 position);
// Removes doubled separators and those at either end.
void trimMenuSeparators(HMENU menu);
// The owner-drawn item's command id, else the item id; -1 when the item cannot be read.
i32 menuItemCommandId(HMENU menu, i32 position);
GMenuItemData* menuItemDataAt(HMENU menu, i32 position);
// The item's text: the owner-drawn data's text, else the native string.
GString menuStringAt(HMENU menu, i32 position);
void setMenuItemText(HMENU menu, i32 position, const char* text);
// Position of the item of command 103, -1 when none.
i32 findCustomizeItem(HMENU menu);
