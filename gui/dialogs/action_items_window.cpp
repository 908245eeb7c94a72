#include "gui/dialogs/action_items_window.h"

#include <algorithm>
#include <cstring>

#include "gui/controls/button.h"
#include "gui/controls/image_button.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/dialogs/action_items_dialog.h"
#include "gui/dialogs/input_edit_dialog.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_box.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/menus/menu_preview.h"
#include "gui/paint/gui_settings.h"
#include "gui/views/box.h"

const u32 kMenuOptionBits[9] = {0x20, 0x40, 0x80, 0x100, 0x1, 0x2, 0x4, 0x8, 0x10};
const u32 kToolBarOptionBits[6] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20};

namespace {
const u32 kFills = 0x20 | 0x40 | 0x80 | 0x100;
const u32 kContent = 0x4 | 0x8 | 0x10;

bool askWithDialog(GWindow* owner, const char* title, const char* prompt, const char* initial, GString& name) {
    return GInputEditStrDialog::run(owner, title, prompt, initial, name);
}

const GuiText kMenuOptionTexts[9] = {GuiText::MenuOptionSelectionColors, GuiText::MenuOptionGlassBar,
                                     GuiText::MenuOptionSteps,           GuiText::MenuOptionGradient,
                                     GuiText::MenuOptionOutline,         GuiText::MenuOptionCorners,
                                     GuiText::MenuOptionShadow,          GuiText::MenuOptionReversed,
                                     GuiText::MenuOptionGlassColor};
const GuiText kToolBarOptionTexts[6] = {GuiText::ToolBarOptionTips,      GuiText::ToolBarOptionShadows,
                                        GuiText::ToolBarOptionFlat,      GuiText::ToolBarOptionHotShadow,
                                        GuiText::ToolBarOptionHotFrame,  GuiText::ToolBarOptionHotGlass};

bool differsFromDefaults(const GToolBarSpec* s) {
    return s->customised || (s->userTitle && *s->userTitle) || s->userMade() || s->p1 != s->d1 || s->p2 != s->d2 ||
           s->p3 != s->d3 || s->p4 != s->d4 || s->shown != s->defaultShown;
}
}  // namespace

ListNameAsker askListName = askWithDialog;

u32 clickMenuOption(u32 bits, u32 bit, bool on) {
    if (on) {
        if (bit & kFills) bits &= ~kFills;
        bits |= bit;
    } else {
        bits &= ~bit;
    }
    if (!(bits & (0x40 | 0x80 | 0x100))) bits &= ~kContent;
    return bits;
}

bool menuOptionEnabled(u32 bits, u32 bit) { return !(bit & kContent) || (bits & (0x40 | 0x80 | 0x100)) != 0; }

GActionItemsWindow::GActionItemsWindow(GLayoutBuilder& b, u32 mode, WindowKind* kind)
    : GColumnsItem(b.owner), mode(mode), kind(kind) {
    GLayoutBuilder inner(b.owner);
    inner.current = this;
    inner.pushContainer(new GGroupBoxItem(b.owner, guiText(mode ? GuiText::ActionsToolBarsBox : GuiText::ActionsMenusBox)),
                        nullptr, "UC");
    GRowItem::create(inner, "080");
    GTableDesc desc;
    desc.flags &= ~(u32)(TableMultiSelect | TableHeader);
    desc.visibleRows = 10;
    table = addTable(inner.current, b.owner, desc, 0, "UC");
    if (mode == 0) {
        GColumnsItem::create(inner, "00080", "|C");
        moveUp = addImageButton(inner, 9002, ActionsMoveUp, nullptr);
        moveDown = addImageButton(inner, 9003, ActionsMoveDown, nullptr);
        inner.endContainer();
    }
    GColumnsItem::create(inner, "00010", "|^");
    const struct {
        GuiText text;
        u32 command;
    } order[] = {{GuiText::ActionsNew, ActionsNew},         {GuiText::ActionsEditItems, ActionsEditItems},
                 {GuiText::ActionsRename, ActionsRename},   {GuiText::ActionsDelete, ActionsDelete},
                 {GuiText::ActionsShowHide, ActionsShowHide}, {GuiText::ActionsHideAll, ActionsHideAll},
                 {GuiText::RestoreDefaults, ActionsRestore}, {GuiText::ActionsResetAll, ActionsResetAll}};
    for (const auto& o : order) buttons[o.command - 1000] = GButton::create(inner, guiText(o.text), 0, o.command);
    inner.endContainer();
    inner.endContainer();
    inner.endContainer();

    if (mode == 1) {
        bits[0] = guiSettings.toolBarEffects;
        inner.pushContainer(new GGroupBoxItem(b.owner, guiText(GuiText::ActionsOptionsBox)), nullptr, "UC");
        GColumnsItem::create(inner, "00000", "UC");
        for (u32 i = 0; i < 6; ++i)
            boxes[0].push_back(GCheckBoxItem::create(inner, guiText(kToolBarOptionTexts[i]),
                                                     (bits[0] & kToolBarOptionBits[i]) ? 1 : 0));
        inner.endContainer();
        inner.endContainer();
    } else {
        bits[0] = clickMenuOption(guiSettings.verticalMenuEffects, 0, false);
        bits[1] = clickMenuOption(guiSettings.horizontalMenuEffects, 0, false);
        inner.pushContainer(new GGroupBoxItem(b.owner, guiText(GuiText::ActionsOptionsBox)), nullptr, "UC");
        GRowItem::create(inner, "080");
        for (u32 g = 0; g < 2; ++g) {
            GColumnsItem::create(inner, "00000", "UC");
            GLabel::create(inner, guiText(g == 0 ? GuiText::ActionsPopupMenus : GuiText::ActionsMenuBar), 0);
            GLine2::create(inner);
            previews[g] = GMenuPreview::create(inner, guiText(GuiText::ActionsNew), g == 0, bits[g]);
            for (u32 i = 0; i < 9; ++i)
                boxes[g].push_back(GCheckBoxItem::create(inner, guiText(kMenuOptionTexts[i]),
                                                         (bits[g] & kMenuOptionBits[i]) ? 1 : 0));
            inner.endContainer();
        }
        inner.endContainer();
        inner.endContainer();
    }
    onButton(0, nullptr);
    for (u32 g = 0; g < 2; ++g)
        for (u32 i = 0; i < boxes[g].size(); ++i)
            if (mode == 0 && boxes[g][i]) EnableWindow(boxes[g][i]->hwnd, menuOptionEnabled(bits[g], kMenuOptionBits[i]));
}

std::vector<GToolBarSpec*> GActionItemsWindow::lists() {
    std::vector<GToolBarSpec*> out;
    for (GToolBarSpec* s = kind->firstSpec; s; s = s->next)
        if (mode == 0 ? s->entryKind == SpecMenu : s->entryKind != SpecMenu) out.push_back(s);
    std::stable_sort(out.begin(), out.end(), [](const GToolBarSpec* a, const GToolBarSpec* b) {
        if (a->p1 != b->p1) return a->p1 < b->p1;
        if (a->p3 != b->p3) return a->p3 < b->p3;
        return a->p2 < b->p2;
    });
    return out;
}

GToolBarSpec* GActionItemsWindow::selected() {
    i32 row = table ? table->currentItem() : -1;
    std::vector<GToolBarSpec*> all = lists();
    return row >= 0 && row < (i32)all.size() ? all[(u32)row] : nullptr;
}

void GActionItemsWindow::onButton(i32 selectIndex, const char* selectName) {
    std::vector<GToolBarSpec*> all = lists();
    ListRowModel* rows = table->rowModel();
    rows->clearRows();
    i32 select = selectIndex;
    for (u32 i = 0; i < all.size(); ++i) {
        GString text(all[i]->displayTitle());
        if (selectName && strcmp(selectName, all[i]->displayTitle()) == 0) select = (i32)i;
        if (!all[i]->activeCount()) stringAppend(text, guiText(GuiText::ActionsEmptyMark));
        if (!all[i]->shown) stringAppend(text, guiText(GuiText::ActionsHiddenMark));
        addTextRow(rows->rows, text.c_str());  // one reload for all rows
    }
    table->reload(select >= 0 ? (u64)select : 0);
    if (select >= 0 && select < (i32)all.size()) table->selectItem(select);
    updateButtons();
}

void GActionItemsWindow::updateButtons() {
    std::vector<GToolBarSpec*> all = lists();
    GToolBarSpec* s = selected();
    i32 row = table->currentItem();
    bool anyShown = false, anyChanged = false;
    for (GToolBarSpec* l : all) {
        anyShown |= l->shown && l->activeCount() > 0;
        anyChanged |= differsFromDefaults(l);
    }
    auto enable = [](GWindow* w, bool on) {
        if (w && w->hwnd) EnableWindow(w->hwnd, on);
    };
    enable(buttons[ActionsHideAll - 1000], anyShown);
    enable(buttons[ActionsResetAll - 1000], anyChanged);
    enable(buttons[ActionsRestore - 1000],
           s && (s->customised || (s->userTitle && *s->userTitle) || s->userMade() || s->shown != s->defaultShown));
    for (u32 c : {ActionsShowHide, ActionsDelete, ActionsRename, ActionsEditItems}) enable(buttons[c - 1000], s != nullptr);
    if (s && buttons[ActionsShowHide - 1000])
        buttons[ActionsShowHide - 1000]->setText(guiText(s->shown ? GuiText::ActionsHide : GuiText::ActionsShow));
    enable(moveUp, s && row > 0);
    enable(moveDown, s && row + 1 < (i32)all.size());
}

bool GActionItemsWindow::nameTaken(const char* name, const GToolBarSpec* except) {
    for (GToolBarSpec* s = kind->firstSpec; s; s = s->next)
        if (s != except && strcmp(s->displayTitle(), name) == 0) return true;
    return false;
}

void GActionItemsWindow::storeOptions() {
    if (mode == 1) {
        guiSettings.toolBarEffects = bits[0];
    } else {
        guiSettings.verticalMenuEffects = bits[0];
        guiSettings.horizontalMenuEffects = bits[1];
    }
}

i32 GActionItemsWindow::commandState(u32 command) {
    if (command >= ActionsRestore && command <= ActionsEditItems) return CommandEnabled;
    return GColumnsItem::commandState(command);
}

bool GActionItemsWindow::onCommand(u32 command, GStateQuery* query) {
    if (command < ActionsRestore || command > ActionsEditItems) return GColumnsItem::onCommand(command, query);
    if (running) return true;
    struct Guard {
        i32& n;
        ~Guard() { --n; }
    } guard{++running};
    GToolBarSpec* s = selected();
    const i32 row = table->currentItem();
    std::vector<GToolBarSpec*> all = lists();
    switch (command) {
    case ActionsRestore:
        if (s) {
            s->resetUser();
            onButton(row, nullptr);
        }
        break;
    case ActionsShowHide:
        if (s && s->entryKind != SpecInternal) s->shown = !s->shown;
        onButton(row, nullptr);
        break;
    case ActionsResetAll:
        for (GToolBarSpec* l : all) {
            if (l->userMade()) {
                deleteUserSpec(l);
                continue;
            }
            l->resetUser();
            l->p1 = l->d1, l->p2 = l->d2, l->p3 = l->d3, l->p4 = l->d4;
        }
        onButton(-1, nullptr);
        break;
    case ActionsHideAll:
        for (GToolBarSpec* l : all)
            if (l->entryKind != SpecInternal) l->shown = 0;
        onButton(row, nullptr);
        break;
    case ActionsNew: {
        if (all.size() > kMaxCommandLists) {
            showMessageBox(&mbError, owner, guiText(GuiText::ActionsTooMany));
            break;
        }
        GString name;
        if (!askListName(owner, guiText(mode ? GuiText::ActionsNewToolBarTitle : GuiText::ActionsNewMenuTitle),
                         guiText(mode ? GuiText::ActionsNewToolBarPrompt : GuiText::ActionsNewMenuPrompt), "", name))
            break;
        if (nameTaken(name.c_str(), nullptr)) {
            showMessageBox(&mbError, owner, guiText(GuiText::ActionsNameTaken));
            break;
        }
        GToolBarSpec* made = addUserToolBarSpec(kind, mode ? SpecToolBar : SpecMenu, name.c_str());
        made->p1 = made->p2 = made->p3 = made->p4 = 0;
        if (!all.empty() && mode == 0) {
            const GToolBarSpec* last = all.back();
            made->p1 = last->p1 + 1, made->p2 = last->p2, made->p3 = last->p3, made->p4 = last->p4;
        } else if (!all.empty()) {
            i32 first = all[0]->p1;
            for (GToolBarSpec* l : all) first = std::min(first, l->p1);
            i32 third = -1;
            for (GToolBarSpec* l : all)
                if (l->p1 == first) third = std::max(third, l->p3);
            made->p1 = first, made->p3 = third + 1;
        }
        onButton(-1, name.c_str());
        break;
    }
    case ActionsDelete:
        if (!s) break;
        if (!s->userMade()) {
            showMessageBox(&mbError, owner, guiText(GuiText::ActionsBuiltIn));
            break;
        }
        deleteUserSpec(s);
        onButton(row, nullptr);
        break;
    case ActionsRename: {
        if (!s) break;
        GString name;
        const GString current(s->displayTitle());
        if (!askListName(owner, guiText(mode ? GuiText::ActionsRenameToolBarTitle : GuiText::ActionsRenameMenuTitle),
                         guiText(mode ? GuiText::ActionsRenameToolBarPrompt : GuiText::ActionsRenameMenuPrompt),
                         current.c_str(), name) ||
            strcmp(name.c_str(), current.c_str()) == 0)
            break;
        if (nameTaken(name.c_str(), s)) {
            showMessageBox(&mbError, owner, guiText(GuiText::ActionsNameTaken));
            break;
        }
        const bool userMade = s->userMade();
        freeHeapText(&s->userTitle);
        s->userTitle = copyHeapText(name.c_str());
        if (userMade) s->name = s->userTitle;  // a user-made list's name is its title
        onButton(row, nullptr);
        break;
    }
    case ActionsMoveUp:
    case ActionsMoveDown: {
        const i32 other = command == ActionsMoveUp ? row - 1 : row + 1;
        if (mode != 0 || !s || other < 0 || other >= (i32)all.size()) break;
        GToolBarSpec* t = all[(u32)other];
        std::swap(s->p1, t->p1), std::swap(s->p2, t->p2), std::swap(s->p3, t->p3), std::swap(s->p4, t->p4);
        onButton(other, nullptr);
        break;
    }
    case ActionsEditItems: {
        if (!s) break;
        GActionItemsDialog items(owner, kind, mode, s);
        if (items.buildFor(guiText(mode ? GuiText::ActionsToolBarsBox : GuiText::ActionsMenusBox)) && items.run() == 1)
            onButton(row, nullptr);
        break;
    }
    }
    return true;
}

bool GActionItemsWindow::onControlNotify(void* notification) {
    auto* n = static_cast<GControlNotification*>(notification);
    if (n->source == table) {
        if (n->code == TableRowActivated) {
            onCommand(ActionsRename, nullptr);
            return true;
        }
        if (n->code == TableSelectionChanged || n->code == TableCaretMoved) updateButtons();
        return false;
    }
    if (n->code != MarkChanged) return false;
    for (u32 g = 0; g < 2; ++g)
        for (u32 i = 0; i < boxes[g].size(); ++i) {
            if (boxes[g][i] != n->source) continue;
            const u32 bit = mode == 1 ? kToolBarOptionBits[i] : kMenuOptionBits[i];
            if (mode == 1) {
                bits[g] = n->value ? bits[g] | bit : bits[g] & ~bit;
                return true;
            }
            bits[g] = clickMenuOption(bits[g], bit, n->value != 0);
            for (u32 k = 0; k < boxes[g].size(); ++k) {
                GCheckBox* box = boxes[g][k];
                const bool on = (bits[g] & kMenuOptionBits[k]) != 0;
                if (box != n->source && (box->isChecked() != on)) box->setChecked(on ? 1 : 0);
                EnableWindow(box->hwnd, menuOptionEnabled(bits[g], kMenuOptionBits[k]));
            }
            if (previews[g]) previews[g]->setEffects(bits[g]);
            return true;
        }
    return false;
}
