#include "gui/views/list_chooser.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "core/format.h"
#include "gui/controls/image_button.h"
#include "gui/controls/label.h"
#include "gui/input/input_event.h"
#include "gui/kernel/gui_texts.h"
#include "gui/layout/layout_builder.h"
#include "gui/paint/image_list_cache.h"

namespace {
// The image height of the lists' image list, -1 when it has none.
i32 imageRowHeight() {
    int cx = 0, cy = 0;
    auto* list = static_cast<HIMAGELIST>(getImageList((u32)ChooserUpBitmap));
    return list && ImageList_GetIconSize(list, &cx, &cy) && cy > 0 ? cy : -1;
}

GBox* addList(GLayoutBuilder& builder, i32 rowHeight) {
    GTableDesc desc;
    desc.flags = TableToolTips;
    desc.rowHeight = rowHeight;
    GBox* box = addTable(builder.current, builder.owner, desc, 0, "UC");
    if (box) builder.last = box;
    return box;
}

// The bitmap and tool tip of each button, by command - ChooserRemove.
const struct {
    i32 bitmap;
    GuiText tip;
} kArrows[] = {{ChooserRemoveBitmap, GuiText::ChooserRemoveTip},
               {ChooserAddBitmap, GuiText::ChooserAddTip},
               {ChooserUpBitmap, GuiText::ChooserUpTip},
               {ChooserDownBitmap, GuiText::ChooserDownTip}};

std::vector<u32> selectedRows(GTable* table) {
    std::vector<u32> rows;
    GSelectionModel* s = table->selection();
    for (i64 r = s->nextSelected(-1); r >= 0 && (u64)r < table->rowCount(); r = s->nextSelected(r)) rows.push_back((u32)r);
    return rows;
}

// Takes the rows at the ascending indexes out of the array without deleting them, in order.
std::vector<ListRow*> takeRows(ListRowArray& rows, const std::vector<u32>& indexes) {
    std::vector<ListRow*> taken;
    for (u32 i : indexes) {
        taken.push_back(rows.data[i]);
        rows.data[i] = nullptr;
    }
    u32 kept = 0;
    for (u32 i = 0; i < rows.count; ++i)
        if (rows.data[i]) rows.data[kept++] = rows.data[i];
    rows.count = kept;
    return taken;
}

ListRow* copyRow(const ListRow* row) {
    ListRow* copy = new ListRow(row->text, row->value, row->secondValue);
    copy->data = row->data;
    return copy;
}

i64 indexOf(ListRowArray& rows, const ListRow* row) {
    for (u32 i = 0; i < rows.count; ++i)
        if (rows.data[i] == row) return i;
    return -1;
}
}  // namespace

GListChooser* GListChooser::create(GLayoutBuilder& builder, const char* alignment) {
    auto* chooser = new GListChooser(builder.owner);
    builder.pushContainer(chooser, "080", alignment);
    i32 rowHeight = imageRowHeight();
    auto listColumn = [&](GuiText title, GLabel** label) {
        GColumnsItem::create(builder, nullptr, "UC");
        *label = GLabel::create(builder, guiText(title), LabelOwnerDrawn, "U^");
        GBox* box = addList(builder, rowHeight);
        builder.endContainer();
        return box;
    };
    auto buttonColumn = [&](u32 first, u32 second) {
        GColumnsItem::create(builder, nullptr, "<-");
        for (u32 command : {first, second}) {
            u32 i = command - ChooserRemove;
            GImageButton* button = addImageButton(builder, kArrows[i].bitmap, command, nullptr);
            assignHeapText(&button->toolTipText, guiText(kArrows[i].tip));
            chooser->buttons[i] = button;
        }
        builder.endContainer();
    };
    chooser->left = listColumn(GuiText::ChooserAvailable, &chooser->leftLabel);
    buttonColumn(ChooserAdd, ChooserRemove);
    chooser->right = listColumn(GuiText::ChooserChosen, &chooser->rightLabel);
    buttonColumn(ChooserUp, ChooserDown);
    builder.endContainer();
    builder.last = chooser;
    chooser->refill(0, 0);
    return chooser;
}

void GListChooser::fill(ListRowArray& available, ListRowArray& chosen) {
    ListRowModel* l = availableRows();
    ListRowModel* r = chosenRows();
    if (!l || !r) return;
    l->rows.clear();
    r->rows.clear();
    l->rows.insert(0, available.data, available.count);
    r->rows.insert(0, chosen.data, chosen.count);
    available.count = chosen.count = 0;
    refill(0, 0);
}

bool GListChooser::comesBefore(const ListRow* a, const ListRow* b) {
    bool sa = a->value == ChooserSeparator, sb = b->value == ChooserSeparator;
    if (sa != sb) return sa;
    return compareTextNoCase(a->text, b->text) < 0;
}

void GListChooser::sortAvailable() {
    ListRowModel* l = availableRows();
    if (!l) return;
    std::stable_sort(l->rows.data, l->rows.data + l->rows.count,
                     [this](const ListRow* a, const ListRow* b) { return comesBefore(a, b); });
}

void GListChooser::refill(u64 leftCaret, u64 rightCaret) {
    if (!left || !right) return;
    sortAvailable();
    RedrawLockScope lockLeft(left), lockRight(right);
    for (auto [table, caret] : {std::pair<GBox*, u64>{left, leftCaret}, {right, rightCaret}}) {
        table->reload(0);
        if (table->rowCount()) table->selectItem((i32)std::min(caret, table->rowCount() - 1));
    }
    updateButtons();
}

void GListChooser::moveToRight() {
    ListRowModel* l = availableRows();
    ListRowModel* r = chosenRows();
    std::vector<u32> picked = selectedRows(left);
    if (picked.empty()) return;
    std::vector<u32> leaving;
    for (u32 i : picked)
        if (l->rows.data[i]->value != ChooserSeparator) leaving.push_back(i);
    std::vector<ListRow*> moved;
    for (u32 i : picked)
        moved.push_back(l->rows.data[i]->value == ChooserSeparator ? copyRow(l->rows.data[i]) : l->rows.data[i]);
    takeRows(l->rows, leaving);
    i64 caret = right->selection()->caret();
    u32 at = caret < 0 ? r->rows.count : (u32)caret + 1;
    r->rows.insert(at, moved.data(), (u32)moved.size());
    refill(picked.front(), at + (u32)moved.size() - 1);
}

void GListChooser::moveToLeft() {
    ListRowModel* l = availableRows();
    ListRowModel* r = chosenRows();
    std::vector<u32> picked = selectedRows(right);
    if (picked.empty()) return;
    std::vector<ListRow*> taken = takeRows(r->rows, picked);
    const ListRow* first = nullptr;
    for (ListRow* row : taken) {
        if (row->value == ChooserSeparator) {
            delete row;  // the left list keeps its own
            continue;
        }
        l->rows.append(row);
        if (!first) first = row;
    }
    sortAvailable();
    refill(first ? (u64)indexOf(l->rows, first) : 0, picked.front());
}

bool GListChooser::commandUsable(u32 command) {
    if (!left || !right) return false;
    GSelectionModel* r = right->selection();
    switch (command) {
    case ChooserAdd: return left->rowCount() > 0 && left->selection()->selectedCount() > 0;
    case ChooserRemove: return right->rowCount() > 0 && r->selectedCount() > 0;
    case ChooserUp: return r->selectedCount() > 0 && r->firstSelected() > 0;
    case ChooserDown: return r->selectedCount() > 0 && r->lastSelected() >= 0 && (u64)r->lastSelected() + 1 < right->rowCount();
    default: return false;
    }
}

void GListChooser::updateButtons() {
    for (u32 i = 0; i < 4; ++i)
        if (buttons[i] && buttons[i]->hwnd) EnableWindow(buttons[i]->hwnd, commandUsable(ChooserRemove + i));
}

void GListChooser::pressButton(u32 command) {
    if (command < ChooserRemove || command > ChooserDown) return;
    GImageButton* button = buttons[command - ChooserRemove];
    if (button && button->hwnd && IsWindowEnabled(button->hwnd)) button->click();
}

i32 GListChooser::commandState(u32 command) {
    if (command < ChooserRemove || command > ChooserDown) return GRowItem::commandState(command);
    return commandUsable(command) ? CommandEnabled : CommandDisabled;
}

bool GListChooser::onCommand(u32 command, GStateQuery* query) {
    switch (command) {
    case ChooserAdd: moveToRight(); return true;
    case ChooserRemove: moveToLeft(); return true;
    case ChooserUp:
    case ChooserDown:
        if (command == ChooserUp)
            right->caretUp();
        else
            right->caretDown();
        updateButtons();
        return true;
    default: return GRowItem::onCommand(command, query);
    }
}

bool GListChooser::onControlNotify(void* notification) {
    auto* n = static_cast<GControlNotification*>(notification);
    if (!n->source || (n->source != left && n->source != right)) return false;
    if (n->code == TableSelectionChanged) updateButtons();
    if (n->code == TableRowActivated) pressButton(n->source == left ? ChooserAdd : ChooserRemove);
    return false;
}

i32 GListChooser::handleKey(GInputEvent* event) {
    if (event->isKeyDown(VK_RIGHT, ModAlt)) {
        pressButton(ChooserAdd);
        return 2;
    }
    if (event->isKeyDown(VK_LEFT, ModAlt)) {
        pressButton(ChooserRemove);
        return 2;
    }
    return GRowItem::handleKey(event);
}
