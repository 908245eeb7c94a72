#pragma once
// The text of a key combination: modifier prefixes and the key's name, for menus, tool tips and the
// key-binding dialogs. Names come from a fixed table; mouse buttons, Space and the arrows from the
// interface texts, so they follow the language; other keys from the system's key names.
#include "core/gstring.h"
#include "core/types.h"

// Appends "Ctrl+", "Alt+", "Shift+" as the modifiers say (2, 4, 1), then the key's name; a key of
// 0 or less gives "..." after a non-empty text.
void keyToText(GString& text, i32 key, u32 modifiers);
// The table's name of the key, or null when the system names it.
const char* keyTableName(i32 key);
