#include "gui/menus/action_texts.h"

#include <windows.h>

#include "gui/input/key_names.h"
#include "gui/kernel/window.h"
#include "gui/layout/layout_cell.h"
#include "gui/menus/action_table.h"
#include "gui/paint/image_list_cache.h"

namespace {
void appendKeyText(GString& out, const GKeyBinding& binding) { keyToText(out, (i32)binding.virtualKey, binding.modifiers); }
}  // namespace

bool routeStateQuery(GWindow* asking, u32 kind, GStateQuery* query) {
    return asking && routeCommandUp(asking->item(), kind, query);
}

u32 appendShortcutTexts(GWindow* asking, GString& out, const GActionItem* action) {
    WindowKind* kind = asking ? windowKindOf(asking) : nullptr;
    i32 context = kind ? (i32)kind->typeId : -1;
    u32 n = 0;
    for (u32 i = 0; i < action->bindingCount; ++i) {
        const GKeyBinding& binding = action->firstBinding[i];
        if (binding.context != -1 && binding.context != context) continue;
        if (n++) stringAppend(out, ", ");
        appendKeyText(out, binding);
    }
    return n;
}

GString actionMenuText(const GActionItem* action, GWindow* asking) {
    GString text(action->titleText());
    if (action->bindingCount) {
        GString keys;
        if (appendShortcutTexts(asking, keys, action)) {
            stringAppendChar(text, '\t');
            stringAppend(text, keys.c_str());
        }
    }
    return text;
}

namespace {
void appendWithoutAmpersands(GString& out, const char* text) {
    for (; *text; ++text)
        if (*text != '&') stringAppendChar(out, *text);
}
}  // namespace

void actionToolTipText(GString& out, const GActionItem* action, GWindow* asking) {
    stringAssignText(out, "");
    GString keys;
    if (appendShortcutTexts(asking, keys, action)) {
        stringAppendChar(out, '(');
        appendWithoutAmpersands(out, keys.c_str());
        stringAppend(out, ") ");
    }
    appendWithoutAmpersands(out, action->titleText());
}

void actionTitleWithDescription(GString& out, const GActionItem* action) {
    stringAssignText(out, "");
    appendWithoutAmpersands(out, action->titleText());
    if (const char* description = action->descriptionText()) {
        stringAppend(out, " (");
        stringAppend(out, description);
        stringAppendChar(out, ')');
    }
}

GString actionTitleWithShortcut(const GActionItem* action) {
    GString out("");
    appendWithoutAmpersands(out, action->titleText());
    if (action->bindingCount) {
        stringAppend(out, " (");
        appendKeyText(out, action->firstBinding[0]);
        stringAppendChar(out, ')');
    }
    return out;
}

namespace {
bool enabledFor(const GActionItem* action, GWindow* asking, u32 depth) {
    if (!asking) return true;
    GStateQuery query;
    query.command = action->id;
    if (routeStateQuery(asking, QueryEnabled, &query)) return query.answer == 0;
    if (!(action->flags & ActionPopup) || depth > 16) return false;
    for (i32 i = 0; i < action->subItemCount; ++i) {
        const GActionItem* sub = actionById(action->subItems[i]);
        if (sub && enabledFor(sub, asking, depth + 1)) return true;
    }
    return false;
}

void* imageListOf(GActionItem* action, GWindow* asking, u32 depth) {
    if (action->subItemCount > 0 && asking && depth < 16) {
        GStateQuery query;
        query.command = action->id;
        if (routeStateQuery(asking, QueryValue, &query)) {
            if (GActionItem* representative = actionById(query.answer)) {
                action->image = imageListOf(representative, asking, depth + 1);
                return action->image;
            }
        }
    }
    if (!(action->flags & ActionImageCached)) {
        if (action->bitmapId >= 1) action->image = getImageList(action->bitmapId);
        action->flags |= ActionImageCached;
    }
    return action->image;
}
}  // namespace

bool isActionEnabledFor(const GActionItem* action, GWindow* asking) { return enabledFor(action, asking, 0); }

bool isActionCheckedFor(const GActionItem* action, GWindow* asking) {
    if (!asking) return false;
    GStateQuery query;
    query.command = action->id;
    return routeStateQuery(asking, QueryChecked, &query) && query.answer == 1;
}

void* actionImageList(GActionItem* action, GWindow* asking) { return imageListOf(action, asking, 0); }
