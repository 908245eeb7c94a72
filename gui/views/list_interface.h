#pragma once
// GListInterface: the operations through which dialogs fill and query a simple list (every list
// box offers them). The list implements them on itself; nobody deletes the interface apart from
// the list.
#include "core/types.h"

struct GBag;

class GListInterface {
public:
    virtual ~GListInterface() = default;

    virtual i32 itemCount() = 0;
    // The zero-separated texts from the bag's position to its end become the items (empty texts
    // make none); then item `select` is selected when it is 0 or more. A text without its zero byte
    // throws GBagException and leaves the items read before it.
    virtual void setItems(GBag& texts, i32 select) = 0;
    virtual bool isItemSelected(i32 index) = 0;
    // The item alone is selected and scrolled into view; ignored outside the items.
    virtual void selectItem(i32 index) = 0;
    // The caret item, -1 for none.
    virtual i32 currentItem() = 0;
    // Heap copy of the item's text (delete[]); null for a null text or outside the items.
    virtual char* itemText(i32 index) = 0;
    virtual void addItem(const char* text) = 0;
};
