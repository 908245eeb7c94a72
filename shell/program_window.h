#pragma once
// ProgramWindow: the program's main window. A tool-bar dock over its page object, which is a
// tabbed placer (page kind word 77) or one page of a window kind. It takes the global commands
// before its page does. Made by createObjectWindow or the layout callback; deletes itself with its
// native window.
#include <vector>

#include "gui/frame/object_window.h"

class GStripItem;
class GTabPlacer;

// What the item popup offers for one action.
enum class ItemChoice { AssignKey = 1, RemoveKey, KeyList, CustomizeMenu, CustomizeToolBar };
struct ItemPopupEntry {
    ItemChoice choice;
    u32 imageId;
};

class ProgramWindow : public GObjectWindow {
public:
    bool answerStateQuery(u32 kind, GStateQuery* query) override;
    SIZE getPreferredSize() override;
    void restoreContent(GBag* blocks) override;

    // The global commands; false for ids they leave to the page.
    bool mainCommand(u32 command, GStateQuery* query);
    // 0 enabled, 1 disabled, 2 not decided here.
    i32 mainCommandState(u32 command);

    // The tabbed placer, or null when the window holds one page.
    GTabPlacer* tabPlacer();
    // The current tab's page (or the single page), or null.
    GPlacer* currentPage();
    // A page of the kind: a new tab, or in place of the single page. Null when none can be made.
    GPlacer* addPage(u32 kind);
    // Brings the next page of the kind forward (here after the current tab, then elsewhere), else
    // adds one.
    void scanToKind(u32 kind);

    // The entries of the item popup of an action in the mode (1 menu, 2 tool bar, else both).
    std::vector<ItemPopupEntry> itemPopupEntries(i32 actionId, u32 mode);
    void showItemPopup(i32 actionId, u32 mode);
    // The window list: the dialog over the application windows in list order.
    void selectWindow();

    i32 pageKindWord = TypeTabbedPlacer;
    GStripItem* dock = nullptr;
};

// The nine window families of the commands 328-363, by index.
extern const u32 windowFamilyKinds[9];

// A new main window: pageKindWord 77 gives it a tabbed placer with a first page of the window kind
// (none for -1); -1 one page of the kind. The layout record, when given, is its stored placement.
// Show mode 1 shows it placed on the monitor; 2 leaves it hidden for the caller. Null on failure.
ProgramWindow* createObjectWindow(i32 pageKindWord, i32 windowKind, GBag* layout, i32 showMode);
// The layout store's callback: -1 a main window with the Welcome tab, -2 one with no tab (both
// placed and shown, null answered); a stored window's type id a new hidden tabbed window.
GAppWindow* rebuildMainWindow(i32 n);
// At most this many windows come back from a stored layout; the rest of the store is ignored.
enum : u32 { MaxRestoredWindows = 32 };
// Starts a new restore: the count of restored windows goes back to 0.
void beginWindowRestore();

// 3/4 of the screen, at least 800 by 600 and at most the screen.
SIZE mainWindowSize(i32 screenWidth, i32 screenHeight);
