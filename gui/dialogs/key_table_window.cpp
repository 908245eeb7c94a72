#include "gui/dialogs/key_table_window.h"

#include <algorithm>
#include <cstring>

#include "core/wide_text.h"
#include "gui/controls/button.h"
#include "gui/dialogs/key_enter_dialog.h"
#include "gui/input/input_event.h"
#include "gui/input/key_names.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_boxes.h"
#include "gui/layout/layout_builder.h"
#include "gui/menus/action_texts.h"
#include "gui/menus/key_bindings.h"
#include "gui/views/table.h"

KeyRow* makeKeyRow(const GKeyBinding& binding) {
    KeyRow* row = new KeyRow;
    row->binding = binding;
    if (GActionItem* action = actionById((i32)binding.actionId)) row->title = actionTitleWithShortcut(action);
    keyToText(row->keyText, (i32)binding.virtualKey, 0);
    if (binding.modifiers) keyToText(row->modifiersText, 0, binding.modifiers);
    row->contextName = keyContextName(binding.context);
    return row;
}

namespace {
int sign(i64 v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }
int byTitle(const KeyRow* a, const KeyRow* b) { return compareTexts(a->title.c_str(), b->title.c_str()); }
int byKey(const KeyRow* a, const KeyRow* b) {
    const bool shortA = a->keyText.length == 1, shortB = b->keyText.length == 1;
    if (shortA != shortB) return shortA ? -1 : 1;
    int c = strcmp(a->keyText.c_str(), b->keyText.c_str());
    return c ? sign(c) : sign((i64)a->binding.modifiers - b->binding.modifiers);
}
int byModifiers(const KeyRow* a, const KeyRow* b) {
    int c = sign((i64)a->binding.modifiers - b->binding.modifiers);
    return c ? c : byKey(a, b);
}
int byContext(const KeyRow* a, const KeyRow* b) {
    return sign(strcmp(a->contextName ? a->contextName : "", b->contextName ? b->contextName : ""));
}
int byFixed(const KeyRow* a, const KeyRow* b) { return sign((i64)(a->binding.flag != 0) - (b->binding.flag != 0)); }
template <int (*F)(const KeyRow*, const KeyRow*)>
int reversed(const KeyRow* a, const KeyRow* b) {
    return F(b, a);
}
}  // namespace

const KeyRowCompare keyRowComparators[10] = {byTitle,     reversed<byTitle>,   byModifiers, reversed<byModifiers>,
                                             byKey,       reversed<byKey>,     byContext,   reversed<byContext>,
                                             byFixed,     reversed<byFixed>};

void KeyTableModel::fill(const RecordArray<GKeyBinding>& bindings) {
    clearRows();
    rows.reserve(bindings.count);
    for (u32 i = 0; i < bindings.count; ++i) rows.push_back(makeKeyRow(bindings[i]));
}

const char* KeyTableModel::cellText(GString&, u64 row, i32 column) {
    if (row >= rows.size()) return nullptr;
    const KeyRow* r = rows[row];
    switch (column) {
    case 0: return r->title.c_str();
    case 1: return r->modifiersText.c_str();
    case 2: return r->keyText.c_str();
    case 3: return r->contextName;
    default: return r->binding.flag ? guiText(GuiText::KeyFixed) : "";
    }
}

void KeyTableModel::clearRows() {
    for (KeyRow* row : rows) delete row;
    rows.clear();
}

void KeyTableModel::removeRows(u64 first, u64 end) {
    if (end > rows.size()) end = rows.size();
    if (first >= end) return;
    for (u64 i = first; i < end; ++i) delete rows[i];
    rows.erase(rows.begin() + (i64)first, rows.begin() + (i64)end);
}

void KeyTableModel::sortByColumn(i32 column, bool ascending) {
    if (column < 0 || column > 4) return;
    KeyRowCompare compare = keyRowComparators[column * 2 + (ascending ? 0 : 1)];
    std::stable_sort(rows.begin(), rows.end(), [compare](const KeyRow* a, const KeyRow* b) { return compare(a, b) < 0; });
}

GKeyTableWindow::GKeyTableWindow(GLayoutBuilder& b, const RecordArray<GKeyBinding>* defaults,
                                 const RecordArray<GKeyBinding>* live)
    : GColumnsItem(b.owner), defaults(defaults), live(live) {
    GLayoutBuilder inner(b.owner);
    inner.current = this;
    GRowItem::create(inner, "00000");
    GButton::create(inner, guiText(GuiText::KeyAdd), 0, KeyTableAdd);
    editButton = GButton::create(inner, guiText(GuiText::KeyEdit), 0, KeyTableEdit);
    deleteButton = GButton::create(inner, guiText(GuiText::KeyDelete), 0, KeyTableDelete);
    GButton::create(inner, guiText(GuiText::RestoreDefaults), 0, KeyTableRestore);
    inner.endContainer();
    GTableDesc desc;
    desc.columnCount = 5;
    desc.columnSpec = guiText(GuiText::KeyTableColumns);
    desc.minRowTextHeight = 20;
    desc.visibleRows = 16;
    desc.flags &= ~(u32)TableMultiSelect;
    model = new KeyTableModel;
    model->fill(*live);
    desc.model = model;
    table = createTable(this, b.owner, desc);
    updateButtons();
}

i64 GKeyTableWindow::selectedRow() {
    GSelectionModel* s = table ? table->selection() : nullptr;
    if (!s) return -1;
    i64 row = s->firstSelected();
    return row >= 0 && (u64)row < model->rows.size() ? row : -1;
}

void GKeyTableWindow::updateButtons() {
    i64 row = selectedRow();
    const bool editable = row >= 0 && !model->rows[(u64)row]->binding.flag;
    if (editButton) EnableWindow(editButton->hwnd, editable);
    if (deleteButton) EnableWindow(deleteButton->hwnd, editable);
}

void GKeyTableWindow::storeInto(RecordArray<GKeyBinding>& bindings) {
    bindings.count = 0;
    for (const KeyRow* row : model->rows) *bindings.append(1) = row->binding;
}

void GKeyTableWindow::refresh() {
    model->fill(*live);
    if (table) table->reload(0);
    updateButtons();
}

void GKeyTableWindow::deleteRow() {
    i64 row = selectedRow();
    if (row < 0 || !deleteButton || !IsWindowEnabled(deleteButton->hwnd)) return;
    i64 caret = table->selection()->caret();
    table->removeRow((u64)row);
    const i64 count = (i64)model->rows.size();
    if (caret > row) --caret;
    if (caret >= count) caret = count - 1;
    if (caret >= 0) table->setCaretRow((u64)caret);
    updateButtons();
    table->setFocusSafe();
}

void GKeyTableWindow::editRow(bool add) {
    i64 row = selectedRow();
    if (!add && (row < 0 || !editButton || !IsWindowEnabled(editButton->hwnd))) return;
    RecordArray<GKeyBinding> working;
    storeInto(working);
    GKeyBinding start{0, 0, 0, 0, -1};
    if (row >= 0) start = model->rows[(u64)row]->binding;
    start.flag = 0;
    GKeyEnterDialog dialog(owner, working, start, true, (i32)row, -1, add ? KeyModeAdd : KeyModeReplace);
    if (dialog.run() == 1) {
        model->fill(dialog.bindings);
        table->reload(dialog.index >= 0 ? (u64)dialog.index : 0);
        if (dialog.index >= 0) table->setCaretRow((u64)dialog.index);
        updateButtons();
    }
    table->setFocusSafe();
}

void GKeyTableWindow::restoreDefaults() {
    if (!askYesNo(guiText(GuiText::KeyRestoreQuestion))) return;
    model->fill(*defaults);
    model->sortByColumn(0, true);
    table->reload(0);
    if (!model->rows.empty()) table->setCaretRow(0);
    updateButtons();
}

i32 GKeyTableWindow::commandState(u32 command) {
    if (command >= KeyTableDelete && command <= KeyTableRestore) return CommandEnabled;
    return GColumnsItem::commandState(command);
}

bool GKeyTableWindow::onCommand(u32 command, GStateQuery* query) {
    switch (command) {
    case KeyTableDelete: deleteRow(); return true;
    case KeyTableEdit: editRow(false); return true;
    case KeyTableAdd: editRow(true); return true;
    case KeyTableRestore: restoreDefaults(); return true;
    default: return GColumnsItem::onCommand(command, query);
    }
}

bool GKeyTableWindow::onControlNotify(void* notification) {
    auto* n = static_cast<GControlNotification*>(notification);
    if (!table || n->source != table) return false;
    if (n->code == TableRowActivated) {
        editRow(false);
        return true;
    }
    if (n->code == TableSelectionChanged || n->code == TableCaretMoved) updateButtons();
    return false;
}

i32 GKeyTableWindow::handleKey(GInputEvent* event) {
    static const struct {
        u32 key, command;
    } keys[] = {{VK_DELETE, KeyTableDelete}, {VK_INSERT, KeyTableAdd}, {VK_RETURN, KeyTableEdit}};
    for (const auto& k : keys)
        if (event->isKeyDown(k.key)) {
            onCommand(k.command, nullptr);
            return 2;
        }
    return GColumnsItem::handleKey(event);
}

bool GKeyCustomizeDialog::build() {
    if (!createWindow(guiText(GuiText::KeyCustomizeTitle))) return false;
    GLayoutBuilder builder(this);
    keys = new GKeyTableWindow(builder, &defaultKeyBindings(), &activeKeyBindings());
    setDialogContent(keys, this, "00088", false);
    return true;
}

bool GKeyCustomizeDialog::onCommand(u32 command, GStateQuery* query) {
    if (command == 1 && keys) {
        RecordArray<GKeyBinding> rows;
        keys->storeInto(rows);
        replaceKeyBindings(rows);
    }
    return GSinglePlacerDialog::onCommand(command, query);
}

i32 GKeyCustomizeDialog::run(GWindow* owner) {
    GKeyCustomizeDialog dialog(owner);
    if (!dialog.build()) return -1;
    return dialog.GSinglePlacerDialog::run();
}
