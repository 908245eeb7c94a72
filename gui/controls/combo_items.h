#pragma once
// GComboItems: the item operations through which dialogs fill and query a combo box. Each combo
// holds one (GCombo::items); more may be made on the stack. It does not own the combo.
#include "core/bag.h"
#include "core/gstring.h"
#include "core/types.h"

class GCombo;

class GComboItems {
public:
    explicit GComboItems(GCombo* combo) : combo(combo) {}

    i32 itemCount();
    // The combo's own selection: -1 for none.
    void selectItem(i32 index);
    // The first item whose text equals the text; -1 when none.
    i32 findItem(const char* text);
    // Negative indexes and indexes past the items are ignored.
    void setCurrentItem(i32 index);
    i32 currentItem();
    // A copy of the item's text; false when the item has none or there is no such item.
    bool itemText(i32 index, GString& text);
    void addItem(const char* text);

private:
    GCombo* combo;
};

// The texts of a "|"-separated list as combo items (each ended by its NUL).
GBag comboItems(const char* list);
