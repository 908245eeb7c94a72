#pragma once
// GListChooserDialog: a dialog around a two-list chooser with a text line and OK, Cancel and Help.
// Its creator owns it (on the stack of a modal run). The receiver (not owned; it must outlive the
// dialog) hears the chooser's list notifications and, on OK, the chosen rows.
#include "gui/kernel/dialog.h"

class GLabel;
class GListChooser;
class GButtonRow;

// The notification the receiver gets on OK: value is the chosen rows' ListRowModel.
enum : u32 { ChooserAccepted = 100 };

class GListChooserDialog : public GDialog {
public:
    GListChooserDialog(GWindow* owner, const char* helpPage, GItemBase* receiver)
        : GDialog(owner, helpPage), receiver(receiver) {}

    // The window with the title and the content: margins "88888", the chooser, the text, "OCH".
    bool build(const char* title, const char* text);

    // 1 hands the chosen rows to the receiver first; then 1 to 99 but 9 end the dialog with that
    // result, 9 and 101 open the help page.
    bool onCommand(u32 command, GStateQuery* query) override;
    // The chooser's list notifications go to the receiver, except those caused by the receiver
    // while it handles one.
    bool onControlNotify(void* notification) override;

    GListChooser* chooser = nullptr;
    GLabel* textLabel = nullptr;
    GButtonRow* buttonRow = nullptr;
    GItemBase* receiver;

private:
    void pass(void* notification);
    bool passing = false;
};
