#pragma once
// GButtonRow: the row of a dialog's standard buttons, made from a letter string (O OK 1, C Cancel 2,
// X Close 2, Y Yes 6, N No 7, H Help 9 only when the owner window has a help page). Owned like any
// item; it owns its buttons.
#include "gui/layout/layout_rows.h"

class GButton;

class GButtonRow : public GRowItem {
public:
    using GRowItem::GRowItem;

    // Gap 8, "|v", the buttons, then the digits and the code; added to the builder's container.
    static GButtonRow* create(GLayoutBuilder& builder, const char* letters, const char* digits = nullptr,
                              const char* code = nullptr);
    // One button per known letter in string order; the button of command 1 is the default.
    void addButtons(GLayoutBuilder& builder, const char* letters);
    // The first button of the command id, or null.
    GButton* findButton(u32 command);
};
