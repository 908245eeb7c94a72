#pragma once
// Static action records made from rows of data: each row becomes one GActionItem in caller-owned
// storage, with its title and group text taken from a text module's slots, and is registered.
#include "gui/menus/action_table.h"

struct ActionRow {
    u32 id;
    const char* name;
    u32 title;  // slot of the module
    i32 group;  // slot of the module, -1 none
    u32 image;
    u8 flags;
    const i32* items;  // -1 a separator
    i32 itemCount;
};

enum : i32 { NoGroup = -1 };
#define ITEMS(list) list, (i32)(sizeof list / sizeof list[0])

// Fills storage[i] from rows[i] and registers each record.
void registerActionRows(const ActionRow* rows, i32 count, GActionItem* storage, const char** slots);
