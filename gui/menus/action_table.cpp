#include "gui/menus/action_table.h"

#include "gui/frame/app_window.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/gstring.h"
#include "gui/controls/tool_bar.h"
#include "gui/kernel/window.h"

GActionItem* actionTable[ActionTableSize];

namespace {
WindowKind* g_kinds = nullptr;

struct NameEntry {
    const char* name;
    i32 id;
};
std::vector<NameEntry> g_names;
bool g_namesStale = true;

void buildNameIndex() {
    g_names.clear();
    for (GActionItem* action : actionTable)
        if (action && action->keyName && *action->keyName) g_names.push_back({action->keyName, (i32)action->id});
    std::sort(g_names.begin(), g_names.end(),
              [](const NameEntry& a, const NameEntry& b) { return strcmp(a.name, b.name) < 0; });
    g_namesStale = false;
}
}  // namespace

GActionItem* actionById(i32 id) {
    if (id < (i32)FirstActionId || id > (i32)LastActionId) return nullptr;
    return actionTable[id - FirstActionId];
}

void registerAction(GActionItem* action) {
    if (action->id < FirstActionId || action->id > LastActionId) return;
    actionTable[action->id - FirstActionId] = action;
    g_namesStale = true;
}

void unregisterAction(GActionItem* action) {
    if (actionById((i32)action->id) != action) return;
    actionTable[action->id - FirstActionId] = nullptr;
    g_namesStale = true;
}

void markActionNamesStale() { g_namesStale = true; }

i32 actionIdByName(const char* keyName) {
    if (!keyName || !*keyName) return -1;
    if (g_namesStale) buildNameIndex();
    auto at = std::lower_bound(g_names.begin(), g_names.end(), keyName,
                               [](const NameEntry& e, const char* key) { return strcmp(e.name, key) < 0; });
    if (at == g_names.end() || strcmp(at->name, keyName) != 0) return -1;
    return at->id;
}

// ---- window kinds ----

WindowKind* firstWindowKind() { return g_kinds; }

void registerWindowKind(WindowKind* kind) {
    kind->next = g_kinds;
    g_kinds = kind;
}

void unregisterWindowKind(WindowKind* kind) {
    for (WindowKind** at = &g_kinds; *at; at = &(*at)->next)
        if (*at == kind) {
            *at = kind->next;
            kind->next = nullptr;
            return;
        }
}

WindowKind* findWindowKindByName(const char* name) {
    if (!name) return nullptr;
    for (WindowKind* kind = g_kinds; kind; kind = kind->next)
        if (kind->name && strcmp(kind->name, name) == 0) return kind;
    return nullptr;
}

i32 windowKindIdByName(const char* name) {
    if (!name || !*name) return -1;
    WindowKind* kind = findWindowKindByName(name);
    return kind ? (i32)kind->typeId : -2;
}

WindowKind* windowKindOf(GWindow* window) {
    while (window && !window->item()->asParentWindow()) window = window->ownerWindow();
    if (!window) return nullptr;
    // The kind of the page shown, where the window is a real application window.
    if (auto* app = dynamic_cast<GAppWindow*>(window)) {
        if (app->currentKind) return app->currentKind;
    }
    for (WindowKind* kind = g_kinds; kind; kind = kind->next)
        if (kind->typeId == window->typeId()) return kind;
    for (WindowKind* kind = g_kinds; kind; kind = kind->next)
        if (window->isKindOf(kind->typeId)) return kind;
    return nullptr;
}

// ---- menu and tool-bar definitions ----

const char* WindowKind::displayName() const {
    if (title && *title && **title) return *title;
    return name ? name : "";
}

namespace {
bool idsOffer(const i32* ids, i32 count, i32 action, i32 depth) {
    for (i32 i = 0; i < count; ++i) {
        if (ids[i] == action) return true;
        GActionItem* item = actionById(ids[i]);
        if (item && item->subItems && depth < 16 && idsOffer(item->subItems, item->subItemCount, action, depth + 1))
            return true;
    }
    return false;
}
}  // namespace

bool WindowKind::offersAction(i32 action) const {
    for (GToolBarSpec* spec = firstSpec; spec; spec = spec->next)
        if (idsOffer(spec->activeIds(), spec->activeCount(), action, 0)) return true;
    return false;
}

const char* GToolBarSpec::displayTitle() const {
    if (userTitle && *userTitle) return userTitle;
    return title && *title ? *title : (name ? name : "");
}

void GToolBarSpec::resetUser() {
    customised = 0;
    arrayFree(userIds);
    if (!userMade()) freeHeapText(&userTitle);  // a user-made record's title is its name
    shown = defaultShown;
}

void linkSpec(WindowKind* kind, GToolBarSpec* spec) {
    spec->kind = kind;
    spec->next = nullptr;
    spec->previous = kind->lastSpec;
    if (kind->lastSpec)
        kind->lastSpec->next = spec;
    else
        kind->firstSpec = spec;
    kind->lastSpec = spec;
}

void unlinkSpec(GToolBarSpec* spec) {
    WindowKind* kind = spec->kind;
    if (!kind) return;
    if (spec->previous)
        spec->previous->next = spec->next;
    else
        kind->firstSpec = spec->next;
    if (spec->next)
        spec->next->previous = spec->previous;
    else
        kind->lastSpec = spec->previous;
    spec->previous = spec->next = nullptr;
    spec->kind = nullptr;
}

GToolBarSpec* findSpec(WindowKind* kind, const char* name) {
    if (!kind || !name) return nullptr;
    for (GToolBarSpec* spec = kind->firstSpec; spec; spec = spec->next)
        if (spec->name && strcmp(spec->name, name) == 0) return spec;
    return nullptr;
}

GToolBarSpec* addUserToolBarSpec(WindowKind* kind, u32 entryKind, const char* name) {
    GToolBarSpec* spec = new GToolBarSpec;
    spec->userTitle = copyHeapText(name ? name : "");
    spec->name = spec->userTitle;
    spec->entryKind = entryKind;
    linkSpec(kind, spec);
    return spec;
}

void deleteUserSpec(GToolBarSpec* spec) {
    if (!spec->userMade()) return;
    forgetToolBarSpec(spec);
    unlinkSpec(spec);
    arrayFree(spec->userIds);
    freeHeapText(&spec->userTitle);
    delete spec;
}

void deleteUserSpecs(WindowKind* kind) {
    for (GToolBarSpec* spec = kind->firstSpec; spec;) {
        GToolBarSpec* following = spec->next;
        deleteUserSpec(spec);
        spec = following;
    }
}

void resetAllToolBarSpecs() {
    for (WindowKind* kind = g_kinds; kind; kind = kind->next) {
        deleteUserSpecs(kind);
        for (GToolBarSpec* spec = kind->firstSpec; spec; spec = spec->next) {
            spec->resetUser();
            spec->p1 = spec->d1;
            spec->p2 = spec->d2;
            spec->p3 = spec->d3;
            spec->p4 = spec->d4;
        }
    }
}

PointerArray collectSpecs(WindowKind* kind, u32 entryKind, bool shownOnly) {
    PointerArray found;
    if (!kind) return found;
    for (GToolBarSpec* spec = kind->firstSpec; spec; spec = spec->next) {
        if (spec->entryKind != entryKind) continue;
        if (shownOnly && (!spec->shown || spec->activeCount() <= 0)) continue;
        appendSlot(found, spec);
    }
    std::stable_sort(reinterpret_cast<GToolBarSpec**>(found.data), reinterpret_cast<GToolBarSpec**>(found.data) + found.count,
                     [](const GToolBarSpec* a, const GToolBarSpec* b) {
                         if (a->p1 != b->p1) return a->p1 < b->p1;
                         if (a->p3 != b->p3) return a->p3 < b->p3;
                         return a->p2 < b->p2;
                     });
    return found;
}

u32 countShownMenus(WindowKind* kind) {
    u32 n = 0;
    if (!kind) return 0;
    for (GToolBarSpec* spec = kind->firstSpec; spec; spec = spec->next)
        if (spec->entryKind == SpecMenu && spec->shown && spec->activeCount() > 0) ++n;
    return n;
}
