#pragma once
// GDialog: a top-level window that its creator owns (often on the stack of a modal run): the end
// of its native window leaves it in place, out of the handle map and marked destroyed.
#include "gui/controls/field_list.h"
#include "gui/kernel/parent_window.h"

class GDialog : public GParentWindow {
public:
    GDialog(GWindow* owner, const char* helpPage) : GParentWindow(owner) {
        this->helpPage = helpPage;
        flags &= ~WindowDeleteOnFinal;
    }

    bool isKindOf(u32 id) const override { return id == TypeDialog || GParentWindow::isKindOf(id); }
    const char* className() const override { return "GDialog"; }
    u32 typeId() const override { return TypeDialog; }
    // Esc and Ctrl+F4 ask for a cancel (command 2) up from the dialog; other keys are the defaults.
    i32 handleKey(GInputEvent* event) override;
    // Standard commands (1 to 99 but 9, help) end the dialog with their id.
    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    // Codes 1, 4 and 5 first validate the fields (false: refused, the dialog stays). Then stores the
    // code; a modal run ends, a modeless dialog is closed.
    bool endDialog(i32 code);

    // Checks the object's fields; a failure is shown in the error box and answers false, else the
    // fields commit.
    bool validate(GFieldBinding* object);
    // Checks only; false on a failure, nothing shown.
    bool checkOnly(GFieldBinding* object);
    // Stop and restart the clock of a dialog that shows elapsed time (none here).
    virtual void pauseClock() {}
    virtual void resumeClock() {}

    // The bound fields that builders on this dialog link into.
    GFieldList fields;

    i32 result = -1;
    bool* modalDone = nullptr;  // the running modal loop's done flag
    // Cancel (code 2) still commits fields that check: what the user typed is remembered.
    bool keepOnCancel = false;
};
