#include "gui/dialogs/action_items_dialog.h"

#include <cstring>

#include "gui/controls/label.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/views/list_chooser.h"
#include "gui/views/list_rows.h"

namespace {
bool ofMode(const GToolBarSpec* s, u32 mode) { return mode == 0 ? s->entryKind == SpecMenu : s->entryKind != SpecMenu; }

void mark(i32 id, u8 excluded, i32 depth) {
    GActionItem* a = actionById(id);
    if (!a || (a->flags & excluded) || (a->flags & ActionMarked)) return;
    a->flags |= ActionMarked;
    if (depth < 16)
        for (i32 i = 0; a->subItems && i < a->subItemCount; ++i) mark(a->subItems[i], excluded, depth + 1);
}

GString withoutAmpersands(const char* text) {
    GString out("");
    for (; *text; ++text)
        if (*text != '&') stringAppendChar(out, *text);
    return out;
}

// Hears the chooser: OK's rows, and selections of the left list for the status line.
class ItemsListener : public GItemBase {
public:
    explicit ItemsListener(GActionItemsDialog* dialog) : dialog(dialog) {}
    bool onControlNotify(void* notification) override {
        auto* n = static_cast<GControlNotification*>(notification);
        GListChooser* chooser = dialog->chooser;
        if (n->code == ChooserAccepted) {
            auto* rows = reinterpret_cast<ListRowModel*>(n->value);
            GToolBarSpec* list = dialog->list;
            list->userIds.count = 0;
            for (u32 i = 0; rows && i < rows->rows.count; ++i) *list->userIds.append(1) = (i32)rows->rows.data[i]->value;
            list->customised = 1;
            return true;
        }
        if (chooser && n->source == chooser->left) {
            i32 row = chooser->left->currentItem();
            ListRowModel* rows = chooser->availableRows();
            GString text("");
            if (rows && row >= 0 && (u32)row < rows->rows.count && rows->rows.data[row]->value != ChooserSeparator)
                text = listsHolding(dialog->kind, dialog->mode, (i32)rows->rows.data[row]->value);
            if (dialog->textLabel) dialog->textLabel->setText(text.c_str());
        }
        return false;
    }
    GActionItemsDialog* dialog;
};
}  // namespace

void markOfferedActions(WindowKind* kind, u32 mode) {
    for (u32 i = 0; i < ActionTableSize; ++i)
        if (actionTable[i]) actionTable[i]->flags &= (u8)~ActionMarked;
    const u8 excluded = mode == 0 ? ActionNotInMenus : ActionNotInToolBars;
    for (GToolBarSpec* s = kind->firstSpec; s; s = s->next)
        if (ofMode(s, mode))
            for (i32 i = 0; i < s->activeCount(); ++i) mark(s->activeIds()[i], excluded, 0);
}

GString listsHolding(WindowKind* kind, u32 mode, i32 action) {
    GString text("");
    u32 found = 0;
    for (GToolBarSpec* s = kind->firstSpec; s; s = s->next) {
        if (!ofMode(s, mode) || s->entryKind == SpecInternal) continue;
        bool holds = false;
        for (i32 i = 0; i < s->activeCount() && !holds; ++i) holds = s->activeIds()[i] == action;
        if (!holds) continue;
        if (++found > 3) {
            stringAppend(text, "...");
            break;
        }
        if (found > 1) stringAppend(text, ", ");
        stringAppendChar(text, '\'');
        stringAppend(text, s->displayTitle());
        stringAppendChar(text, '\'');
    }
    return text;
}

GActionItemsDialog::GActionItemsDialog(GWindow* owner, WindowKind* kind, u32 mode, GToolBarSpec* list)
    : GListChooserDialog(owner, "menu_custom.htm", nullptr), kind(kind), mode(mode), list(list) {
    listener = new ItemsListener(this);
    receiver = listener;
}

GActionItemsDialog::~GActionItemsDialog() { delete listener; }

bool GActionItemsDialog::buildFor(const char* title) {
    if (!build(title, guiText(GuiText::ActionsItemsHint))) return false;
    markOfferedActions(kind, mode);
    ListRowArray available, chosen;
    for (i32 i = 0; i < list->activeCount(); ++i) {
        const i32 id = list->activeIds()[i];
        if (id == -1) {
            ChoiceList::add(chosen, guiText(GuiText::ActionsItemsSeparator), ChooserSeparator, 0);
            continue;
        }
        GActionItem* a = actionById(id);
        if (!a || !(a->flags & ActionMarked)) continue;
        a->flags &= (u8)~ActionMarked;
        ChoiceList::add(chosen, withoutAmpersands(a->titleText()).c_str(), (u32)id, 0);
    }
    ChoiceList::add(available, guiText(GuiText::ActionsItemsSeparator), ChooserSeparator, 0);
    for (u32 i = 0; i < ActionTableSize; ++i) {
        GActionItem* a = actionTable[i];
        if (!a || !(a->flags & ActionMarked)) continue;
        a->flags &= (u8)~ActionMarked;
        ChoiceList::add(available, withoutAmpersands(a->titleText()).c_str(), a->id, 0);
    }
    chooser->fill(available, chosen);
    fitToContent();
    return true;
}

i32 GActionItemsDialog::run() { return placeWindowAuto(this, PlaceCentreOnOwner); }
