#include "gui/menus/command_bars.h"

#include <vector>

#include "core/bag_file.h"
#include "core/exceptions.h"
#include "core/gstring.h"
#include "gui/menus/action_table.h"

namespace {
const u32 commandBarsTag = bagFileTag("ACTD");

void writeSpec(GBag& bag, const GToolBarSpec* spec) {
    GBag entry;
    bagWriteString(entry, spec->userTitle ? spec->userTitle : "");
    bagWriteI32(entry, spec->p2);
    bagWriteI32(entry, spec->p3);
    bagWriteI32(entry, spec->p4);
    bagWriteI32(entry, spec->p1);
    bagWriteU8(entry, spec->customised);
    bagWriteU32(entry, spec->entryKind);
    bagWriteU8(entry, spec->shown);
    if (spec->customised) {
        bagWriteU32(entry, spec->userIds.count);
        for (u32 i = 0; i < spec->userIds.count; ++i) {
            const GActionItem* action = actionById(spec->userIds[i]);
            bagWriteString(entry, action && action->keyName ? action->keyName : "");
        }
    }
    bagWriteString(bag, spec->name);
    bagWriteBlock(bag, entry);
}

// One entry as read, before it is applied.
struct ParsedEntry {
    GString name;
    GString userTitle;
    i32 p1 = 0, p2 = 0, p3 = 0, p4 = 0;
    u8 customised = 0;
    u32 entryKind = 0;
    u8 shown = 0;
    std::vector<i32> ids;
};

struct ParsedKind {
    std::vector<ParsedEntry> entries;
    bool hasExtra = false;
    GBag extra;
};

void parseEntry(GBag& block, ParsedEntry& entry) {
    stringAssignText(entry.userTitle, bagReadText(block));
    bagReadI32(block, &entry.p2);
    bagReadI32(block, &entry.p3);
    bagReadI32(block, &entry.p4);
    bagReadI32(block, &entry.p1);
    bagReadU8(block, &entry.customised);
    bagReadU32(block, &entry.entryKind);
    bagReadU8(block, &entry.shown);
    if (!entry.customised) return;
    u32 count = bagGetU32(block);
    for (u32 i = 0; i < count; ++i) {
        const char* name = bagReadText(block);
        i32 id = *name ? actionIdByName(name) : -1;
        if (id == -1 && *name) continue;  // an action that is gone
        if (id != -1 && !actionById(id)) continue;
        entry.ids.push_back(id);
    }
}

// Throws GBagException when the block is damaged.
void parseKind(GBag& block, WindowKind* kind, ParsedKind& parsed) {
    for (;;) {
        const char* name = bagReadText(block);
        if (!*name) break;
        GBag entryBlock;
        bagReadBlock(block, entryBlock);
        parsed.entries.emplace_back();
        ParsedEntry& entry = parsed.entries.back();
        stringAssignText(entry.name, name);
        parseEntry(entryBlock, entry);
    }
    if (kind->extra) {
        bagReadBlock(block, parsed.extra);
        parsed.hasExtra = true;
    }
}

void applyKind(WindowKind* kind, ParsedKind& parsed) {
    deleteUserSpecs(kind);
    for (ParsedEntry& entry : parsed.entries) {
        GToolBarSpec* spec = findSpec(kind, entry.name.c_str());
        if (!spec && entry.name.data[0] != 13) spec = addUserToolBarSpec(kind, SpecMenu, entry.name.c_str());
        if (!spec) continue;
        arrayFree(spec->userIds);
        if (!spec->userMade()) assignHeapText(&spec->userTitle, entry.userTitle.length ? entry.userTitle.data : nullptr);
        spec->p2 = entry.p2;
        spec->p3 = entry.p3;
        spec->p4 = entry.p4;
        spec->p1 = entry.p1;
        spec->customised = entry.customised;
        spec->entryKind = entry.entryKind;
        spec->shown = entry.shown;
        for (i32 id : entry.ids) *spec->userIds.append(1) = id;
    }
    if (parsed.hasExtra) {
        bagAssign(*kind->extra, parsed.extra);
    }
}
}  // namespace

void writeCommandBars(GBag& bag) {
    for (WindowKind* kind = firstWindowKind(); kind; kind = kind->next) {
        GBag block;
        for (const GToolBarSpec* spec = kind->firstSpec; spec; spec = spec->next)
            if (spec->entryKind != SpecInternal) writeSpec(block, spec);
        bagWriteString(block, "");
        if (kind->extra) bagWriteBlock(block, kind->extra->data, kind->extra->size);
        bagWriteString(bag, kind->name);
        bagWriteBlock(bag, block);
    }
    bagWriteString(bag, "");
}

bool readCommandBars(GBag& bag) {
    try {
        for (;;) {
            const char* name = bagReadText(bag);
            if (!*name) return true;
            WindowKind* kind = findWindowKindByName(name);
            GBag block;
            bagReadBlock(bag, block);
            if (!kind) continue;
            ParsedKind parsed;
            parseKind(block, kind, parsed);
            applyKind(kind, parsed);
        }
    } catch (const GBagException&) {
        return false;
    }
}

bool saveCommandBars(const char* path, ErrorHandler* handler) {
    GBag bag;
    writeCommandBars(bag);
    return saveBagFile(path, bag, commandBarsTag, CommandBarsVersion, handler);
}

bool loadCommandBars(const char* path, ErrorHandler* handler) {
    GBag bag;
    if (!loadBagFile(path, bag, commandBarsTag, CommandBarsVersion, handler)) return false;
    return readCommandBars(bag);
}
