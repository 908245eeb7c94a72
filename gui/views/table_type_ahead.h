#pragma once
// GTableTypeAhead: collects the characters typed into a table and hands the text to the table's
// typed-text search. Made by a table whose style has bit 0x8000 and watching its window's
// messages; the table detaches and deletes it with itself.
#include "core/gstring.h"
#include "gui/kernel/item_base.h"

class GTable;

class GTableTypeAhead : public GItemBase {
public:
    explicit GTableTypeAhead(GTable* owner) : owner(owner) {}

    // WM_CHAR without Alt or Ctrl: Backspace takes the last character off, other control
    // characters are refused, the rest are appended; each change goes to the table.
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    // The character handler itself; false when refused.
    bool onCharacter(u32 character);

    GString text;

private:
    GTable* owner;
};
