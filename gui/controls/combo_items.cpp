#include "gui/controls/combo_items.h"

#include <cstring>

#include "gui/controls/combo.h"
#include "gui/views/table_model.h"

i32 GComboItems::itemCount() { return combo->rowCount(); }

void GComboItems::selectItem(i32 index) { combo->select(index); }

i32 GComboItems::findItem(const char* text) {
    i64 row = combo->model()->findRowByText(text, 0);
    return row < 0 || row > 0x7FFFFFFF ? -1 : (i32)row;
}

void GComboItems::setCurrentItem(i32 index) {
    if (index >= 0) combo->setCurrentIndex(index);
}

i32 GComboItems::currentItem() { return combo->selection; }

bool GComboItems::itemText(i32 index, GString& text) {
    if (index < 0 || index >= combo->rowCount()) return false;
    GString scratch;
    const char* cell = combo->model()->cellText(scratch, (u64)index, 0);
    if (!cell) return false;
    stringAssignText(text, cell);
    return true;
}

void GComboItems::addItem(const char* text) { combo->addItem(text); }

GBag comboItems(const char* list) {
    GBag bag;
    for (const char* p = list;;) {
        const char* end = strchr(p, '|');
        u32 n = end ? (u32)(end - p) : (u32)strlen(p);
        bagWriteBytes(bag, p, n);
        bagWriteU8(bag, 0);
        if (!end) break;
        p = end + 1;
    }
    return bag;
}
