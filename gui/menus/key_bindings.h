#pragma once
// The key-binding table. Registrants declare default bindings in groups (static records, linked in
// registration order); this file owns the default table built from them and the active table.
// Action records point at their run of the active table: every change to it ends with
// rebuildKeyIndex. A binding's context is a window kind's type id; -1 and -2 mean every kind.
#include "core/arrays.h"
#include "gui/menus/action_table.h"

struct GInputEvent;

struct KeyBindingGroup {
    KeyBindingGroup* next = nullptr;
    const GKeyBinding* bindings = nullptr;
    u32 count = 0;
};
void registerKeyBindingGroup(KeyBindingGroup* group);
void unregisterKeyBindingGroup(KeyBindingGroup* group);

const RecordArray<GKeyBinding>& activeKeyBindings();
const RecordArray<GKeyBinding>& defaultKeyBindings();

// The hot-key file ("$d/ravo.keys" unless changed): an "ACCL" bag file of version 1.
extern const char* keyBindingsPath;

// Fills the default table from the groups. The active table becomes the defaults with the reset
// flag or when the file cannot be read (missing, foreign or damaged), else the file's bindings
// followed by the fixed defaults. A file record of an unknown action or context, or marked fixed,
// is dropped. Ends with rebuildKeyIndex.
bool loadKeyBindings(bool reset);
// Writes the active table to the hot-key file; bindings of unknown actions or contexts are left out.
bool saveKeyBindings();

// Sorts the active table by action id, then virtual key; gives every action record its run of
// bindings; refills the menu bars so that they show the new keys.
void rebuildKeyIndex();

// The active table takes over the array (left empty), then rebuildKeyIndex.
void replaceKeyBindings(RecordArray<GKeyBinding>& bindings);
// True when the defaults hold a fixed binding of the action for the context or for every kind.
bool findKeyBinding(i32 action, i32 context);
// Removes the action's bindings of the context and of every kind, then rebuildKeyIndex.
void removeKeyBinding(i32 action, i32 context);
// removeKeyBinding, then the action's defaults of the context and of every kind come back.
void restoreDefaultKeyBindings(i32 action, i32 context);

// The action of a key down: the first binding of the key with exactly its Shift/Ctrl/Alt bits in
// the context, else the last such binding for every kind; -1 for other events, for Shift, Ctrl or
// Alt alone and when nothing matches.
i32 translateKeyBinding(const GInputEvent* event, i32 context);
