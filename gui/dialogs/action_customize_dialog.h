#pragma once
// GActionCustomizeDialog: the menus or tool bars of one window kind in a GActionItemsWindow. The
// lists change live; the dialog keeps a copy of all command lists taken when it was built, read
// back on Cancel (Escape, the close box). Built on the caller's stack by run.
#include "core/bag.h"
#include "gui/dialogs/single_placer_dialog.h"

class GActionItemsWindow;
struct WindowKind;

const u32 TypeActionCustomizeDialog = 65;

class GActionCustomizeDialog : public GSinglePlacerDialog {
public:
    explicit GActionCustomizeDialog(GWindow* owner) : GSinglePlacerDialog(owner, "menu_custom.htm") {}

    bool isKindOf(u32 id) const override { return id == TypeActionCustomizeDialog || GSinglePlacerDialog::isKindOf(id); }
    const char* className() const override { return "GActionCustomizeDialog"; }
    u32 typeId() const override { return TypeActionCustomizeDialog; }

    // Saves the lists, then the window and its content for the mode (0 menus, 1 tool bars).
    bool build(u32 mode, WindowKind* kind);
    // OK: a note when nothing is shown, the option bits stored, the kind's windows renewed.
    // Cancel: the lists read back from the copy.
    bool onCommand(u32 command, GStateQuery* query) override;
    static i32 run(GWindow* owner, u32 mode, WindowKind* kind);

    GBag saved;
    GActionItemsWindow* items = nullptr;
};
