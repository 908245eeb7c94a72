#include "gui/views/string_list_model.h"

#include <algorithm>
#include <cstring>

namespace {
void deleteItem(GStringListModel::Item* item) {
    freeHeapText(&item->text);
    delete item->object;
    delete item;
}
}  // namespace

void GStringListModel::setCellText(u64 row, i32, const char* text) {
    if (row < items.count) assignHeapText(&item(row)->text, text);
}

void GStringListModel::clearRows() {
    for (u32 i = 0; i < items.count; ++i) deleteItem(item(i));
    arrayFree(items);
}

void GStringListModel::removeRows(u64 first, u64 end) {
    if (end > items.count) end = items.count;
    if (first >= end) return;
    for (u64 i = first; i < end; ++i) deleteItem(item(i));
    memmove(items.data + first, items.data + end, (items.count - end) * sizeof(void*));
    items.count -= (u32)(end - first);
}

u64 GStringListModel::insertRows(u64 at, const char* const* texts, i32 n) {
    if (n < 1) return 0;
    if (at > items.count) at = items.count;
    for (i32 i = 0; i < n; ++i) {
        Item* record = new Item;
        record->text = copyHeapText(texts ? texts[i] : "");
        appendSlot(items, record);
    }
    // The new records were appended; rotate them into place.
    std::rotate(items.data + at, items.data + items.count - n, items.data + items.count);
    return (u64)n;
}

u32 GStringListModel::addItem(const char* text, u32 value, GCommonObject* object) {
    Item* record = new Item;
    record->text = copyHeapText(text);
    record->value = value;
    record->object = object;
    appendSlot(items, record);
    return items.count - 1;
}
