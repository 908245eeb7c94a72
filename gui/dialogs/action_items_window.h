#pragma once
// GActionItemsWindow: the menus (mode 0) or tool bars (mode 1) of one window kind as a list, with
// buttons to create, rename, delete, reorder, show, hide and restore them and to edit their items.
// Changes are made on the kind's live lists. Its container owns it.
#include <vector>

#include "gui/layout/layout_rows.h"
#include "gui/menus/action_table.h"

class GBox;
class GButton;
class GCheckBox;
class GLayoutBuilder;

enum : u32 {
    ActionsRestore = 1000,
    ActionsShowHide = 1001,
    ActionsResetAll = 1002,
    ActionsHideAll = 1003,
    ActionsNew = 1004,
    ActionsDelete = 1005,
    ActionsRename = 1006,
    ActionsMoveUp = 1007,
    ActionsMoveDown = 1008,
    ActionsEditItems = 1009,
};
// More lists than this in one mode are refused.
const u32 kMaxCommandLists = 50;

// A menu option bit clicked on or off: the four fills exclude one another; the content bits 0x4,
// 0x8 and 0x10 are cleared without one of 0x40, 0x80, 0x100.
u32 clickMenuOption(u32 bits, u32 bit, bool on);
bool menuOptionEnabled(u32 bits, u32 bit);
// The option bits of each mode in check-box order.
extern const u32 kMenuOptionBits[9];
extern const u32 kToolBarOptionBits[6];

// Asks for a name (title, prompt, initial text); false when the user cancels. Replaceable for tests.
typedef bool (*ListNameAsker)(GWindow* owner, const char* title, const char* prompt, const char* initial,
                              GString& name);
extern ListNameAsker askListName;

class GActionItemsWindow : public GColumnsItem {
public:
    GActionItemsWindow(GLayoutBuilder& builder, u32 mode, WindowKind* kind);

    // The lists of this mode in their order.
    std::vector<GToolBarSpec*> lists();
    // Refills the list and selects the row of the name, else the index.
    void onButton(i32 selectIndex, const char* selectName);
    void updateButtons();
    GToolBarSpec* selected();
    bool nameTaken(const char* name, const GToolBarSpec* except);
    // The working option bits into the appearance record.
    void storeOptions();

    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    bool onControlNotify(void* notification) override;

    GBox* table = nullptr;
    i32 running = 0;
    GButton* buttons[10] = {};  // by command - 1000 (move buttons are image buttons, kept apart)
    class GImageButton* moveUp = nullptr;
    class GImageButton* moveDown = nullptr;
    u32 mode;
    WindowKind* kind;
    // Working option bits and their check boxes: menus [0] popup, [1] menu bar; tool bars [0].
    u32 bits[2] = {};
    std::vector<GCheckBox*> boxes[2];
    class GMenuPreview* previews[2] = {};
};
