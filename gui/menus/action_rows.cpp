#include "gui/menus/action_rows.h"

void registerActionRows(const ActionRow* rows, i32 count, GActionItem* storage, const char** slots) {
    for (i32 i = 0; i < count; ++i) {
        const ActionRow& row = rows[i];
        GActionItem& a = storage[i];
        a.id = row.id;
        a.keyName = row.name;
        a.title = const_cast<char**>(&slots[row.title]);
        a.description = row.group >= 0 ? const_cast<char**>(&slots[row.group]) : nullptr;
        a.bitmapId = row.image;
        a.flags = row.flags;
        a.subItems = row.items;
        a.subItemCount = row.itemCount;
        registerAction(&a);
    }
}
