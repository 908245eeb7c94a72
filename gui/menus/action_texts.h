#pragma once
// The texts, states and images of actions as a window sees them: shortcut names by the window's
// kind, enabled and checked state by state queries routed up from the asking window.
#include "core/gstring.h"
#include "core/types.h"

class GWindow;
class GItemBase;
struct GActionItem;
struct GStateQuery;

// Routes a state query from the asking window up its containers and owners until one answers.
bool routeStateQuery(GWindow* asking, u32 kind, GStateQuery* query);

// Appends the names of the bindings that apply to the asking window's kind (all with context -1
// without a window), separated by ", "; answers how many.
u32 appendShortcutTexts(GWindow* asking, GString& out, const GActionItem* action);
// Title, then TAB and the shortcut names when any apply.
GString actionMenuText(const GActionItem* action, GWindow* asking);
// "(" shortcuts ") " when any, then the title; every "&" removed.
void actionToolTipText(GString& out, const GActionItem* action, GWindow* asking);
// Title without "&", then " (" description ")" when there is one.
void actionTitleWithDescription(GString& out, const GActionItem* action);
// Title without "&", then " (" first bound key ")" when bound.
GString actionTitleWithShortcut(const GActionItem* action);

bool isActionEnabledFor(const GActionItem* action, GWindow* asking);
bool isActionCheckedFor(const GActionItem* action, GWindow* asking);
// The image list of the action (HIMAGELIST), through a representative sub-action for popups.
void* actionImageList(GActionItem* action, GWindow* asking);
