#include "gui/menus/command_range.h"

#include <cstring>

#include "gui/menus/action_table.h"
#include "gui/menus/pane_color_group.h"
#include "gui/paint/color_swatch.h"

namespace {
u32* copyValues(const u32* values, u32 n) {
    u32* copy = new u32[n];
    memcpy(copy, values, n * sizeof(u32));
    return copy;
}
}  // namespace

CommandRange::CommandRange(i32 first, i32 last) : first(first), last(last), values(new u32[count()]()) {}

CommandRange::CommandRange(const CommandRange& other)
    : first(other.first), last(other.last), values(copyValues(other.values, other.count())), flag(other.flag),
      value(other.value) {}

CommandRange::~CommandRange() {
    releaseEntries();
    delete[] values;
}

void CommandRange::assign(const CommandRange& other) {
    if (&other == this) return;
    releaseEntries();
    u32* copy = copyValues(other.values, other.count());
    delete[] values;
    values = copy;
    first = other.first;
    last = other.last;
    flag = other.flag;
}

void CommandRange::ensureEntries() {
    if (swatches) return;
    swatches = new ColorSwatch[count()];
    for (i32 id = first; id <= last; ++id) {
        ColorSwatch& s = swatches[id - first];
        s.cell = &values[id - first];
        if (GActionItem* action = actionById(id)) {
            action->image = &s;
            action->flags |= ActionImageCached;
        }
    }
}

void CommandRange::releaseEntries() {
    if (!swatches) return;
    for (i32 id = first; id <= last; ++id) {
        GActionItem* action = actionById(id);
        if (action && action->image == &swatches[id - first]) {
            action->image = nullptr;
            action->flags &= (u8)~ActionImageCached;
        }
    }
    delete[] swatches;
    swatches = nullptr;
}

namespace {
PaneColorGroup* g_colorGroups[PaneColorGroupSlots] = {};
}

void registerPaneColorGroup(u32 slot, PaneColorGroup* group) {
    if (slot < PaneColorGroupSlots) g_colorGroups[slot] = group;
}

PaneColorGroup* paneColorGroup(u32 slot) { return slot < PaneColorGroupSlots ? g_colorGroups[slot] : nullptr; }

void ensurePaneColors(PaneColorGroup* group) {
    if (!group) return;
    CommandRange* range = group->range();
    bool unset = true;
    for (u32 i = 0; i < range->count(); ++i) unset = unset && range->values[i] == 0;
    if (unset) group->restoreDefaults();
    range->ensureEntries();
}
