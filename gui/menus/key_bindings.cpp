#include "gui/menus/key_bindings.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "core/bag_file.h"
#include "core/exceptions.h"
#include "gui/input/input_event.h"
#include "gui/menus/menu_bar.h"

const char* keyBindingsPath = "$d/ravo.keys";

namespace {
const u32 keyFileTag = bagFileTag("ACCL");
const u32 keyFileVersion = 1;

KeyBindingGroup* g_groups = nullptr;
RecordArray<GKeyBinding> g_defaults;
RecordArray<GKeyBinding> g_active;

void append(RecordArray<GKeyBinding>& to, const GKeyBinding* from, u32 n) {
    if (n) memcpy(static_cast<void*>(to.append(n)), from, sizeof(GKeyBinding) * n);
}

void assignDefaults() {
    g_active.count = 0;
    append(g_active, g_defaults.data, g_defaults.count);
}

// The name a binding's context is stored under: "" for every kind, null for an unknown kind.
const char* contextName(i32 context) {
    if (context == -1) return "";
    for (WindowKind* kind = firstWindowKind(); kind; kind = kind->next)
        if ((i32)kind->typeId == context) return kind->name && *kind->name ? kind->name : nullptr;
    return nullptr;
}

// The file's records of known actions and contexts that are not fixed; false for a missing file or
// another tag or version. A record cut short throws GBagException.
bool loadKeyFile(const char* path, RecordArray<GKeyBinding>& into) {
    GBag bag;
    if (!loadBagFile(path, bag, keyFileTag, keyFileVersion)) return false;
    while (bag.pos < bag.size) {
        GKeyBinding binding;
        i32 key, modifiers;
        bagReadI32(bag, &key);
        bagReadI32(bag, &modifiers);
        bagReadU8(bag, &binding.flag);
        i32 action = actionIdByName(bagReadText(bag));
        i32 context = windowKindIdByName(bagReadText(bag));
        if (action < 0 || context == -2 || binding.flag) continue;
        binding.actionId = (u32)action;
        binding.virtualKey = (u32)key;
        binding.modifiers = (u8)modifiers;
        binding.context = context;
        append(into, &binding, 1);
    }
    return true;
}
}  // namespace

void registerKeyBindingGroup(KeyBindingGroup* group) {
    group->next = nullptr;
    KeyBindingGroup** at = &g_groups;
    while (*at) at = &(*at)->next;
    *at = group;
}

void unregisterKeyBindingGroup(KeyBindingGroup* group) {
    for (KeyBindingGroup** at = &g_groups; *at; at = &(*at)->next)
        if (*at == group) {
            *at = group->next;
            group->next = nullptr;
            return;
        }
}

const RecordArray<GKeyBinding>& activeKeyBindings() { return g_active; }
const RecordArray<GKeyBinding>& defaultKeyBindings() { return g_defaults; }

bool loadKeyBindings(bool reset) {
    g_defaults.count = 0;
    g_active.count = 0;
    for (KeyBindingGroup* group = g_groups; group; group = group->next) append(g_defaults, group->bindings, group->count);
    bool fromFile = false;
    if (!reset) {
        // A damaged file must not stop every later start: the defaults serve as for a missing one.
        try {
            fromFile = loadKeyFile(keyBindingsPath, g_active);
        } catch (const GBagException&) {
            fromFile = false;
        }
    }
    if (fromFile) {
        for (u32 i = 0; i < g_defaults.count; ++i)
            if (g_defaults[i].flag) append(g_active, &g_defaults[i], 1);
    } else {
        assignDefaults();
    }
    rebuildKeyIndex();
    return true;
}

bool saveKeyBindings() {
    GBag bag;
    for (u32 i = 0; i < g_active.count; ++i) {
        const GKeyBinding& binding = g_active[i];
        GActionItem* action = actionById((i32)binding.actionId);
        const char* context = contextName(binding.context);
        if (!action || !action->keyName || !*action->keyName || !context) continue;
        bagWriteI32(bag, (i32)binding.virtualKey);
        bagWriteI32(bag, binding.modifiers);
        bagWriteU8(bag, binding.flag);
        bagWriteString(bag, action->keyName);
        bagWriteString(bag, context);
    }
    return saveBagFile(keyBindingsPath, bag, keyFileTag, keyFileVersion);
}

void rebuildKeyIndex() {
    std::stable_sort(g_active.data, g_active.data + g_active.count, [](const GKeyBinding& a, const GKeyBinding& b) {
        return a.actionId != b.actionId ? a.actionId < b.actionId : a.virtualKey < b.virtualKey;
    });
    u32 next = 0;
    for (u32 slot = 0; slot < ActionTableSize; ++slot) {
        GActionItem* action = actionTable[slot];
        const u32 id = FirstActionId + slot;
        while (next < g_active.count && g_active[next].actionId < id) ++next;
        u32 end = next;
        while (end < g_active.count && g_active[end].actionId == id) ++end;
        if (action) {
            action->firstBinding = end > next ? g_active.data + next : nullptr;
            action->bindingCount = end - next;
        }
        next = end;
    }
    refillMenuBars();
}

void replaceKeyBindings(RecordArray<GKeyBinding>& bindings) {
    std::swap(g_active.data, bindings.data);
    std::swap(g_active.capacity, bindings.capacity);
    std::swap(g_active.count, bindings.count);
    bindings.count = 0;
    rebuildKeyIndex();
}

namespace {
bool everywhere(i32 context) { return context == -1 || context == -2; }
bool ofContext(const GKeyBinding& b, i32 action, i32 context) {
    return (i32)b.actionId == action && (b.context == context || everywhere(b.context));
}
}  // namespace

bool findKeyBinding(i32 action, i32 context) {
    for (u32 i = 0; i < g_defaults.count; ++i)
        if (g_defaults[i].flag && ofContext(g_defaults[i], action, context)) return true;
    return false;
}

void removeKeyBinding(i32 action, i32 context) {
    u32 kept = 0;
    for (u32 i = 0; i < g_active.count; ++i)
        if (!ofContext(g_active[i], action, context)) g_active.data[kept++] = g_active[i];
    g_active.count = kept;
    rebuildKeyIndex();
}

void restoreDefaultKeyBindings(i32 action, i32 context) {
    removeKeyBinding(action, context);
    for (u32 i = 0; i < g_defaults.count; ++i)
        if (ofContext(g_defaults[i], action, context)) append(g_active, &g_defaults[i], 1);
    rebuildKeyIndex();
}

i32 translateKeyBinding(const GInputEvent* event, i32 context) {
    if (!event || event->mouse || event->kind != KeyDown) return -1;
    if (event->key == VK_SHIFT || event->key == VK_CONTROL || event->key == VK_MENU) return -1;
    const u32 modifiers = event->modifiers & 7;
    i32 everywhere = -1;
    for (u32 i = 0; i < g_active.count; ++i) {
        const GKeyBinding& binding = g_active[i];
        if (binding.virtualKey != event->key || binding.modifiers != modifiers) continue;
        if (binding.context == context) return (i32)binding.actionId;
        if (binding.context == -1 || binding.context == -2) everywhere = (i32)binding.actionId;
    }
    return everywhere;
}
