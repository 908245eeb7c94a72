#pragma once
// GMessageBox ("GMessageBox", type 76): the toolkit's message box, an icon, the message and a row of
// buttons from a box description. Built and run by the message-box entry on the interface thread,
// which deletes it after the run. The system icon is not owned.
#include "core/gstring.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/paint/icons.h"

class GButton;
class GButtonRow;
class GImageLabel;
class GMultiLabel;

const u32 TypeMessageBox = 76;

class GMessageBox : public GDialog {
public:
    explicit GMessageBox(GWindow* owner) : GDialog(owner, nullptr) {}

    bool isKindOf(u32 id) const override { return id == TypeMessageBox || GDialog::isKindOf(id); }
    const char* className() const override { return "GMessageBox"; }
    u32 typeId() const override { return TypeMessageBox; }

    // The window titled from the description, the icon, the message (with its full stop) and the
    // buttons; with an extra action a "<<" button and its caption first.
    bool build(const char* message, MessageBoxExtraAction* extraAction, const MessageBoxDescription* description);
    // The last button's caption becomes the text for the next message; the box is fitted again.
    void showNextCaption();

    // Commands of the box itself (Esc, closing, posted) are swallowed when only a button may end
    // it; 1000 asks the extra action; 1 to 99 but 9 end the box; 9 and 101 open the help page.
    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    i32 handleKey(GInputEvent* event) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;

    GIcon icon;                 // the icon holder
    GButton* lastButton = nullptr;
    GButton* cancelButton = nullptr;   // the button of id 2 or 7
    GButtonRow* buttonRow = nullptr;
    MessageBoxExtraAction* extraAction = nullptr;
    GImageLabel* iconLabel = nullptr;
    GMultiLabel* label = nullptr;
    GString message;            // the message as asked
    const MessageBoxDescription* description = nullptr;
    u32 buttonCount = 0;

private:
    // Several buttons and none for a cancel (Yes and No): Esc and closing cannot answer.
    bool onlyButtonsEnd() const { return !cancelsItself && buttonCount > 1; }
    bool cancelsItself = false;  // a button of id 2
    u32 fromSelf = 0;  // nesting of commands the box raised itself
};

// The message with a full stop added when it ends in a letter, a digit or a byte of 128 and above.
GString withFullStop(const char* message);
