#pragma once
// PaneColorGroup: a named group of colours kept in a CommandRange (one colour per command id),
// with its defaults and the step that makes its colours take effect. The program registers its
// groups (static objects of their registrants) in the two slots; the slots only point at them.
#include "core/types.h"

class CommandRange;

class PaneColorGroup {
public:
    virtual ~PaneColorGroup() = default;
    virtual const char* name() = 0;
    virtual CommandRange* range() = 0;
    virtual void restoreDefaults() = 0;
    // Makes the range's colours take effect (repaints what shows them).
    virtual void apply() = 0;
};

enum : u32 { PaneColorGroupSlots = 2 };
// A null group empties the slot; slots outside the two are ignored.
void registerPaneColorGroup(u32 slot, PaneColorGroup* group);
PaneColorGroup* paneColorGroup(u32 slot);
// A group whose colours were never given (all 0) takes its defaults; its command entries are made.
// Panes call it before they read the colours. Null is ignored.
void ensurePaneColors(PaneColorGroup* group);
