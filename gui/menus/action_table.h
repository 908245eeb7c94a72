#pragma once
// Action records, key bindings, window kinds and the menu and tool-bar definitions of each kind.
// Action records and window kinds are static records of their registrants (the table and the kind
// list only point at them). Built-in GToolBarSpec records are static and linked into their kind;
// user-made ones are heap records that their kind owns (deleteUserSpecs, resetAllToolBarSpecs).
#include "core/arrays.h"
#include "core/bag.h"
#include "core/types.h"

class GWindow;
struct GKeyBinding;
struct WindowKind;

// GActionItem::flags.
enum : u8 {
    ActionPopup = 1,            // its sub-items form a submenu
    ActionNotInMenus = 2,
    ActionNotInToolBars = 4,
    ActionMarked = 8,           // working mark of the items editor
    ActionNotForKeys = 0x10,
    ActionImageCached = 0x20,
    ActionDynamicPopup = 0x40,  // filled by the window when it opens
};

struct GActionItem {
    u32 id = 0;
    char** title = nullptr;         // localised title slot
    char** description = nullptr;  // may be null
    const char* keyName = nullptr;
    u32 bitmapId = 0;
    GKeyBinding* firstBinding = nullptr;
    u32 bindingCount = 0;
    u8 flags = 0;
    const i32* subItems = nullptr;
    i32 subItemCount = 0;
    void* image = nullptr;  // cached image list (HIMAGELIST) or a swatch

    const char* titleText() const { return title && *title ? *title : ""; }
    const char* descriptionText() const { return description && *description ? *description : nullptr; }
};

// Modifier bits of a binding.
enum : u8 { KeyShift = 1, KeyCtrl = 2, KeyAlt = 4 };

struct GKeyBinding {
    u32 actionId = 0;
    u32 virtualKey = 0;
    u8 modifiers = 0;
    u8 flag = 0;       // not 0: fixed, always taken from the defaults
    i32 context = -1;  // a WindowKind type id; -1 everywhere
};

// Action ids and the table of 900 slots (id - 100).
enum : u32 { FirstActionId = 100, LastActionId = 999, ActionTableSize = 900, CustomizeActionId = 103 };
extern GActionItem* actionTable[ActionTableSize];
// The record of an id, or null for an id outside 100..999 or an empty slot.
GActionItem* actionById(i32 id);
// Puts the record in its slot (replacing any) and marks the name index stale.
void registerAction(GActionItem* action);
void unregisterAction(GActionItem* action);
// Command id of a key name; -1 for null, empty or unknown names.
i32 actionIdByName(const char* keyName);
void markActionNamesStale();

// Menu (0), tool bar (1), neither stored nor toggled (2).
enum : u32 { SpecMenu = 0, SpecToolBar = 1, SpecInternal = 2 };

struct GToolBarSpec {
    GToolBarSpec* previous = nullptr;
    GToolBarSpec* next = nullptr;
    WindowKind* kind = nullptr;
    const char* name = nullptr;  // user-made: the same heap text as userTitle
    char** title = nullptr;      // localised title slot, null for user-made records
    const i32* defaultIds = nullptr;
    i32 defaultCount = 0;
    i32 p1 = 0, p2 = 0, p3 = 0, p4 = 0;  // strip key, index in the row, row, alignment letter
    i32 d1 = 0, d2 = 0, d3 = 0, d4 = 0;  // their defaults
    char* userTitle = nullptr;
    u8 customised = 0;
    u8 shown = 1;
    u8 defaultShown = 1;
    u32 entryKind = SpecMenu;
    RecordArray<i32> userIds;

    bool userMade() const { return defaultIds == nullptr; }
    const i32* activeIds() const { return customised ? userIds.data : defaultIds; }
    i32 activeCount() const { return customised ? (i32)userIds.count : defaultCount; }
    const char* displayTitle() const;
    // Back to the defaults of the user part: not customised, no user list or title, shown by default.
    void resetUser();
};

struct WindowKind {
    WindowKind* next = nullptr;
    u32 typeId = 0;
    const char* name = nullptr;
    u32 iconId = 0;
    GToolBarSpec* firstSpec = nullptr;
    GToolBarSpec* lastSpec = nullptr;
    GBag* extra = nullptr;  // raw block stored with the kind's specs, may be null
    u32 counter = 0;
    char** title = nullptr;  // localised title slot, may be null
    GBag* viewState = nullptr;  // not owned; closing pages of the kind leave their view state here
    struct DocumentStates* documentStates = nullptr;  // not owned; view states by document path

    // The localised title, else the name ("" without either).
    const char* displayName() const;
    // Whether one of its lists holds the action, directly or among its items' sub-items.
    bool offersAction(i32 action) const;
};

// The kind list, newest first.
WindowKind* firstWindowKind();
void registerWindowKind(WindowKind* kind);
void unregisterWindowKind(WindowKind* kind);
WindowKind* findWindowKindByName(const char* name);
// Type id of a kind name; -1 for an empty name, -2 for an unknown one.
i32 windowKindIdByName(const char* name);
// The kind of the top-level window that holds the window, or null.
WindowKind* windowKindOf(GWindow* window);

// Appends a record at the end of its kind's list.
void linkSpec(WindowKind* kind, GToolBarSpec* spec);
void unlinkSpec(GToolBarSpec* spec);
GToolBarSpec* findSpec(WindowKind* kind, const char* name);
// A heap record owned by the kind: name and user title one copy of the name, shown, empty lists.
GToolBarSpec* addUserToolBarSpec(WindowKind* kind, u32 entryKind, const char* name);
void deleteUserSpec(GToolBarSpec* spec);
void deleteUserSpecs(WindowKind* kind);
// Deletes every user-made record and resets the built-in ones (user part, shown and placement).
void resetAllToolBarSpecs();
// The kind's records of the entry kind (with the filter only the shown, non-empty ones), sorted by
// (p1, p3, p2).
PointerArray collectSpecs(WindowKind* kind, u32 entryKind, bool shownOnly);
u32 countShownMenus(WindowKind* kind);
