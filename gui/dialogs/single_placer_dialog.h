#pragma once
// GSinglePlacerDialog: a dialog with an owner, a help page and one content item laid out with the
// OK/Cancel/Help row by setDialogContent. Its creator owns it (on the stack of a modal run); the
// dialog owns the content.
#include "gui/kernel/dialog.h"

class GButtonRow;
class GLayoutItem;

enum : u32 { TypeSinglePlacerDialog = 120 };

// The dialog's content becomes a column ("00000") holding the item (its margins from the digit
// code, alignment "UC"), a GLine2 when `separator` is set and the button row "OCH", which is
// answered.
GButtonRow* setDialogContent(GLayoutItem* content, GDialog* dialog, const char* digits, bool separator);

class GSinglePlacerDialog : public GDialog {
public:
    using GDialog::GDialog;

    bool isKindOf(u32 id) const override { return id == TypeSinglePlacerDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GSinglePlacerDialog"; }
    u32 typeId() const override { return TypeSinglePlacerDialog; }

    // The sizeable top-level window with the title.
    bool createWindow(const char* title);
    // Fits the window to its content and runs it modally, centred on the owner.
    i32 run();

    GLayoutItem* body = nullptr;  // the item given to setDialogContent (owned through the content)
    GButtonRow* buttonRow = nullptr;
};
