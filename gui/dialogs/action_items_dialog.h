#pragma once
// GActionItemsDialog: the items of one command list in a two-list chooser: the actions the lists
// of its mode offer on the left, the list's items in order on the right, and a status line naming
// the lists that already hold the action chosen on the left. Its creator owns it (on the stack of
// the modal run); OK makes the right side the list's own items.
#include "gui/menus/action_table.h"
#include "gui/views/list_chooser_dialog.h"

const u32 TypeActionItemsDialog = 119;

// Marks (ActionMarked) every action of the kind's lists of the mode, with their sub-items, that the
// mode may show; clears the mark of all others.
void markOfferedActions(WindowKind* kind, u32 mode);
// The status text of an action: up to three lists holding it in quotes, "..." after more.
GString listsHolding(WindowKind* kind, u32 mode, i32 action);

class GActionItemsDialog : public GListChooserDialog {
public:
    GActionItemsDialog(GWindow* owner, WindowKind* kind, u32 mode, GToolBarSpec* list);
    ~GActionItemsDialog() override;

    bool isKindOf(u32 id) const override { return id == TypeActionItemsDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GActionItemsDialog"; }
    u32 typeId() const override { return TypeActionItemsDialog; }

    // The window with both lists filled.
    bool buildFor(const char* title);
    i32 run();

    WindowKind* kind;
    u32 mode;
    GToolBarSpec* list;
    GItemBase* listener;  // owned; hears the chooser
};
