#include "gui/dialogs/key_enter_dialog.h"

#include <algorithm>
#include <cstring>

#include "core/wide_text.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/combo.h"
#include "gui/controls/label.h"
#include "gui/input/input_event.h"
#include "gui/input/key_names.h"
#include "gui/input/system_input.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/menus/action_texts.h"
#include "gui/menus/key_bindings.h"
#include "gui/views/cell_format.h"
#include "gui/views/list_rows.h"
#include "gui/views/table.h"

namespace {
enum : u32 { CaptureCommand = 1000, ConflictDeleteCommand = 1001 };

// Keys that never become a binding: they keep their normal meaning while capturing.
bool passedKey(u32 key) {
    switch (key) {
    case 0: case VK_ESCAPE: case VK_NUMLOCK: case VK_CAPITAL: case VK_PAUSE: case VK_SCROLL:
    case VK_LWIN: case VK_RWIN: case VK_APPS:
        return true;
    default:
        return false;
    }
}

bool held(int key) { return (systemInput.keyState(key) & 0x8000) != 0; }

u32 heldModifiers() { return (held(VK_SHIFT) ? KeyShift : 0) | (held(VK_CONTROL) ? KeyCtrl : 0) | (held(VK_MENU) ? KeyAlt : 0); }

// The bindings listed under the capture: key text, action, where, fixed, a delete button.
class ConflictModel : public GTableModel {
public:
    ConflictModel(GKeyEnterDialog* dialog) : dialog(dialog) {}
    u64 rowCount() override { return dialog->conflictRows.size(); }
    i32 columnCount() override { return 5; }
    const char* cellText(GString& scratch, u64 row, i32 column) override {
        if (row >= dialog->conflictRows.size()) return nullptr;
        const GKeyBinding& b = dialog->bindings[dialog->conflictRows[row]];
        switch (column) {
        case 0:
            stringAssign(scratch, "", 0);
            keyToText(scratch, (i32)b.virtualKey, b.modifiers);
            return scratch.c_str();
        case 1: {
            GActionItem* action = actionById((i32)b.actionId);
            return action ? (scratch = actionTitleWithShortcut(action)).c_str() : "";
        }
        case 2: return keyContextName(b.context);
        case 3: return b.flag ? guiText(GuiText::KeyFixed) : "";
        default: return b.flag ? "" : guiText(GuiText::KeyConflictDelete);
        }
    }
    GCellFormat* cellFormat(u64 row, i32 column) override {
        if (column == 4 && row < dialog->conflictRows.size() && !dialog->bindings[dialog->conflictRows[row]].flag)
            return buttonCellFormat();
        return defaultCellFormat();
    }
    void clearRows() override {}
    void removeRows(u64, u64) override {}
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }
    GKeyEnterDialog* dialog;
};

// One row per entry {text, value}, sorted by the caller.
struct Choice {
    GString text;
    i32 value;
};
ListRowModel* choiceModel(const std::vector<Choice>& choices) {
    ListRowModel* model = new ListRowModel;
    for (const Choice& c : choices) ChoiceList::add(model->rows, c.text.c_str(), (u32)c.value, 0);
    return model;
}
}  // namespace

const char* keyContextName(i32 context) {
    if (context == -1 || context == -2) return guiText(GuiText::KeyEverywhere);
    for (WindowKind* kind = firstWindowKind(); kind; kind = kind->next)
        if ((i32)kind->typeId == context) return kind->displayName();
    return "";
}

GKeyEnterDialog::GKeyEnterDialog(GWindow* owner, const RecordArray<GKeyBinding>& source, const GKeyBinding& start,
                                 bool actionChoice, i32 index, i32 context, u32 mode)
    : GDialog(owner, nullptr),
      binding(start),
      preferredContext(start.context),
      contextRestriction(context),
      index(index),
      mode(mode),
      actionChoice(actionChoice) {
    binding.flag = 0;
    if (source.count) memcpy(static_cast<void*>(bindings.append(source.count)), source.data, sizeof(GKeyBinding) * source.count);
}

bool GKeyEnterDialog::build() {
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    if (!createTopLevelWindow(this, style, WS_EX_DLGMODALFRAME, guiText(GuiText::KeyEnterTitle))) return false;
    GColumnsItem* column = new GColumnsItem(this);
    setLayoutDigits(column, "88888");
    setContent(column);
    GLayoutBuilder b(this);
    b.current = column;
    GLabel::create(b, guiText(GuiText::KeyEnterPrompt), 0, "|^");
    captureButton = GButton::create(b, guiText(GuiText::KeyEnterPress), 0, CaptureCommand, "|^");

    GRowItem::create(b, "080");
    GLabel::create(b, guiText(GuiText::KeyEnterAction), 0, "<-");
    std::vector<Choice> actions;
    if (actionChoice) {
        for (u32 slot = 0; slot < ActionTableSize; ++slot) {
            GActionItem* a = actionTable[slot];
            if (!a || a->id != FirstActionId + slot || (a->flags & ActionNotForKeys)) continue;
            actions.push_back({actionTitleWithShortcut(a), (i32)a->id});
        }
        std::stable_sort(actions.begin(), actions.end(),
                         [](const Choice& x, const Choice& y) { return compareTexts(x.text.c_str(), y.text.c_str()) < 0; });
    } else if (GActionItem* a = actionById((i32)binding.actionId)) {
        actions.push_back({actionTitleWithShortcut(a), (i32)a->id});
    }
    // Without a starting action the first one is chosen: a binding always has an action.
    i32 selected = actions.empty() ? -1 : 0;
    for (u32 i = 0; i < actions.size(); ++i)
        if (actions[i].value == (i32)binding.actionId) selected = (i32)i;
    if (selected >= 0) binding.actionId = (u32)actions[(u32)selected].value;
    actionCombo = GCombo::create(b, choiceModel(actions), selected, 28, "U-");
    GLabel::create(b, guiText(GuiText::KeyEnterContext), 0, "<-");
    contextCombo = GCombo::create(b, new ListRowModel, -1, 16, "U-");
    b.endContainer();

    GColumnsItem::create(b, "00040", "UC");
    GLabel::create(b, guiText(GuiText::KeyEnterInUse), 0);
    GTableDesc desc;
    desc.columnCount = 5;
    desc.columnSpec = guiText(GuiText::KeyConflictColumns);
    desc.model = new ConflictModel(this);
    desc.paddedRows = 1;
    desc.flags &= ~(u32)TableMultiSelect;
    conflictTable = createTable(b.current, this, desc);
    if (conflictTable) SetWindowLongA(conflictTable->hwnd, GWL_ID, ConflictDeleteCommand);
    b.endContainer();
    GLine2::create(b);
    GButtonRow* row = GButtonRow::create(b, "OC");
    okButton = row ? row->findButton(1) : nullptr;

    fillContexts();
    restartCapture();
    fitToContent();
    return true;
}

i32 GKeyEnterDialog::run() {
    if (!hwnd && !build()) return -1;
    return placeWindowAuto(this, PlaceCentreOnOwner);
}

void GKeyEnterDialog::showCaption() {
    if (!captureButton) return;
    const u32 now = heldModifiers();
    if (!binding.virtualKey && !now) {
        captureButton->setText(guiText(GuiText::KeyEnterPress));
        return;
    }
    GString text;
    if (binding.virtualKey)
        keyToText(text, (i32)binding.virtualKey, binding.modifiers);
    else
        keyToText(text, 0, now);
    captureButton->setText(text.c_str());
}

void GKeyEnterDialog::restartCapture() {
    if (okButton) EnableWindow(okButton->hwnd, FALSE);
    if (captureButton) captureButton->setFocusSafe();
    capturing = true;
    binding.virtualKey = 0;
    binding.modifiers = 0;
    if (captureButton) captureButton->setText(guiText(GuiText::KeyEnterPress));
    fillConflicts();
}

void GKeyEnterDialog::endCapture() {
    capturing = false;
    if (okButton) {
        EnableWindow(okButton->hwnd, TRUE);
        okButton->setFocusSafe();
    }
    fillConflicts();
}

bool GKeyEnterDialog::preTranslateMessage(MSG* message) {
    if (!capturing) return GDialog::preTranslateMessage(message);
    if (!captureButton || GetFocus() != captureButton->hwnd) {
        capturing = false;
        if (okButton) EnableWindow(okButton->hwnd, FALSE);
        if (captureButton) captureButton->setText(guiText(GuiText::KeyEnterClick));
        fillConflicts();
        return GDialog::preTranslateMessage(message);
    }
    GInputEvent e;
    // The system forms too: a released Alt must not open the menu.
    if (!keyModifierState(message->message, message->wParam, message->lParam, &e) || passedKey(e.key))
        return GDialog::preTranslateMessage(message);
    if (e.kind == KeyDown && e.key != VK_SHIFT && e.key != VK_CONTROL && e.key != VK_MENU) {
        binding.virtualKey = e.key;
        binding.modifiers = (u8)(e.modifiers & 7);
    }
    showCaption();
    if (binding.virtualKey && !heldModifiers() && !held((int)binding.virtualKey)) endCapture();
    return true;
}

void GKeyEnterDialog::fillContexts() {
    if (!contextCombo) return;
    std::vector<Choice> choices;
    u32 qualified = 0;
    for (WindowKind* kind = firstWindowKind(); kind; kind = kind->next) {
        if (!*kind->displayName() || !kind->offersAction((i32)binding.actionId)) continue;
        ++qualified;
        if (contextRestriction == -1 || contextRestriction == (i32)kind->typeId)
            choices.push_back({GString(kind->displayName()), (i32)kind->typeId});
    }
    if (qualified > 1) choices.insert(choices.begin(), Choice{GString(guiText(GuiText::KeyEverywhere)), -1});
    i32 selected = choices.empty() ? -1 : 0;
    for (u32 i = 0; i < choices.size(); ++i)
        if (choices[i].value == preferredContext) selected = (i32)i;
    binding.context = selected < 0 ? -1 : choices[selected].value;
    contextCombo->setModel(choiceModel(choices), selected);
}

void GKeyEnterDialog::fillConflicts() {
    conflictRows.clear();
    if (binding.virtualKey || binding.actionId >= 1) {
        for (u32 i = 0; i < bindings.count; ++i) {
            if (mode == KeyModeReplace && (i32)i == index) continue;
            const GKeyBinding& b = bindings[i];
            if ((b.virtualKey == binding.virtualKey && b.modifiers == binding.modifiers) || b.actionId == binding.actionId)
                conflictRows.push_back(i);
        }
    }
    if (conflictTable) conflictTable->reload(0);
}

void GKeyEnterDialog::deleteBinding(u32 k) {
    if (k >= bindings.count) return;
    bindings.remove(k);
    for (u32& row : conflictRows)
        if (row > k) --row;
    if (index > (i32)k) {
        --index;
    } else if (index == (i32)k && mode == KeyModeReplace) {
        mode = KeyModeAdd;  // the edited binding itself went
    }
    conflictRows.erase(std::remove(conflictRows.begin(), conflictRows.end(), k), conflictRows.end());
    if (conflictTable) conflictTable->reload(0);
}

bool GKeyEnterDialog::store() {
    for (u32 i = 0; i < bindings.count; ++i) {
        if (mode == KeyModeReplace && (i32)i == index) continue;
        const GKeyBinding& b = bindings[i];
        if (b.actionId == binding.actionId && b.virtualKey == binding.virtualKey && b.modifiers == binding.modifiers &&
            b.context == binding.context) {
            showMessageBox(&mbError, this, guiText(GuiText::KeyDuplicate));
            return false;
        }
    }
    if (mode == KeyModeAdd) {
        if (index < 0 || index > (i32)bindings.count) {
            index = (i32)bindings.count;
        }
        *bindings.insert((u32)index, 1) = binding;
    } else if (index >= 0 && index < (i32)bindings.count) {
        bindings[(u32)index] = binding;
    } else {
        index = (i32)bindings.count;
        *bindings.append(1) = binding;
    }
    return true;
}

bool GKeyEnterDialog::onCommand(u32 command, GStateQuery* query) {
    if (command == CaptureCommand) {
        restartCapture();
        return true;
    }
    if (command == 1) {
        if (store()) endDialog(1);
        return true;
    }
    return GDialog::onCommand(command, query);
}

bool GKeyEnterDialog::onControlNotify(void* notification) {
    auto* n = static_cast<GControlNotification*>(notification);
    if (conflictTable && n->source == conflictTable && n->code == TableCellButton) {
        if (n->value >= 0 && (u64)n->value < conflictRows.size()) deleteBinding(conflictRows[(u32)n->value]);
        return true;
    }
    if (n->code != ComboSelectionChanged) return GDialog::onControlNotify(notification);
    auto* model = static_cast<ListRowModel*>(n->source == actionCombo ? actionCombo->model() : contextCombo->model());
    if (n->value < 0 || (u64)n->value >= model->rowCount()) return true;
    const i32 value = (i32)model->rows.data[n->value]->value;
    if (n->source == actionCombo) {
        binding.actionId = (u32)value;
        fillContexts();
        fillConflicts();
    } else if (n->source == contextCombo) {
        binding.context = value;
        preferredContext = value;
    }
    return true;
}

bool runKeyEnterDialog(GWindow* owner, i32 action) {
    GKeyBinding start{(u32)action, 0, 0, 0, 0};
    WindowKind* kind = owner ? windowKindOf(owner) : nullptr;
    GKeyEnterDialog dialog(owner, activeKeyBindings(), start, false, -1, kind ? (i32)kind->typeId : -1, KeyModeAdd);
    if (dialog.run() != 1) return false;
    replaceKeyBindings(dialog.bindings);
    return true;
}
