#include "editor/track_dialogs.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/image_button.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/regulator.h"
#include "gui/dialogs/choose_color.h"
#include "gui/input/input_event.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/views/table.h"

namespace {
const u32 kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
enum : u32 { ColourDefault = 1000, ColourChoose = 1001 };
}  // namespace

// ---- one track ----

bool GTrackDialog::build() {
    if (!createTopLevelWindow(this, kDialogStyle, 0, ravoText(RavoText::TrackDialogTitle))) return false;
    GLayoutBuilder b(this);
    GColumnsItem* body = new GColumnsItem(this);
    b.pushContainer(body, "88888", nullptr);
    setContent(body);

    // The captions share one width, so that the fields line up.
    const RavoText captions[] = {RavoText::TrackInfoLabel, RavoText::TrackColourLabel, RavoText::TrackBalanceLabel,
                                 RavoText::TrackLevelLabel};
    GString widest;
    for (RavoText c : captions)
        if (strlen(ravoText(c)) > widest.length) stringAssignText(widest, ravoText(c));
    auto caption = [&](RavoText c) { GLabel::createVariant(b, "<^", widest.c_str())->setText(ravoText(c)); };
    GRowItem::create(b, "08080");
    caption(RavoText::TrackInfoLabel);
    info = GEditLine::create(b, 24, "UC");
    b.endContainer();

    GRowItem::create(b, "08080");
    caption(RavoText::TrackColourLabel);
    swatch = GLabel::createWithLayout(b, 4, 0);
    GButton::create(b, ravoText(RavoText::TrackColourDefault), 0, ColourDefault);
    GButton::create(b, ravoText(RavoText::TrackColourChoose), 0, ColourChoose);
    b.endContainer();

    for (u32 k = 0; k < 2; ++k) {
        GRowItem::create(b, "08080");
        caption(k == 0 ? RavoText::TrackBalanceLabel : RavoText::TrackLevelLabel);
        sides[2 * k] = GLabel::createWithLayout(b, 9, 0);
        GRegulator* r = GRegulator::create(b, RegulatorTicksAfter, k == 0 ? -100 : -300, k == 0 ? 100 : 300, "UC");
        (k == 0 ? balance : level) = r;
        sides[2 * k + 1] = GLabel::createWithLayout(b, 9, 0);
        b.endContainer();
    }
    switches[0] = GCheckBoxItem::create(b, ravoText(RavoText::TrackSwitchOn), (record.flags & 1) ? 1 : 0);
    switches[1] = GCheckBoxItem::create(b, ravoText(RavoText::TrackSecondSwitch), (record.flags & 2) ? 1 : 0);
    GButtonRow::create(b, "OC");
    b.endContainer();

    char text[sizeof record.info + 1] = {};
    memcpy(text, record.info, sizeof record.info);
    SendMessageA(info->hwnd, EM_LIMITTEXT, sizeof record.info - 1, 0);
    info->setTextQuiet(text);
    balance->setValue(trackBalance(record));
    level->setValue(std::max(-300, std::min(300, trackLevelTenths(record))));
    showValues();
    fitToContent();
    return true;
}

void GTrackDialog::showValues() {
    const COLORREF c = waveTrackColour(record, track, std::max<u32>(tracks, 1));
    if (swatch) swatch->setValue(c, c);
    for (GLabel* side : sides)
        if (side) side->setText("");
    if (balance && balance->value) {
        GString text;
        stringFormat(text, "%d%%", (i32)std::abs(balance->value));
        sides[balance->value < 0 ? 0 : 1]->setText(text.c_str());
    }
    if (level && level->value) {
        GString text;
        stringFormat(text, ravoText(RavoText::TrackDecibels), level->value / 10.0);
        sides[level->value < 0 ? 2 : 3]->setText(text.c_str());
    }
}

i32 GTrackDialog::run() {
    if (!build()) return -1;
    return placeWindowAuto(this, PlaceCentreOnOwner);
}

bool GTrackDialog::onCommand(u32 command, GStateQuery* query) {
    switch (command) {
    case ColourDefault:
        record.color = 0xFFFFFFFFu;
        showValues();
        return true;
    case ColourChoose: {
        const COLORREF initial = waveTrackColour(record, track, std::max<u32>(tracks, 1));
        COLORREF chosen = initial;
        chooseColor(this, &chosen, initial);
        record.color = chosen & 0xFFFFFF;
        showValues();
        return true;
    }
    case 1: {
        memset(record.info, 0, sizeof record.info);
        if (const char* text = info->text()) strncpy(record.info, text, sizeof record.info - 1);
        setTrackCoefficients(record, (i32)balance->value, (i32)level->value);
        const u32 bits = (switches[0]->isChecked() ? 1u : 0u) | (switches[1]->isChecked() ? 2u : 0u);
        record.flags = (record.flags & ~3u) | bits;
        break;
    }
    default: break;
    }
    return GDialog::onCommand(command, query);
}

i32 GTrackDialog::commandState(u32 command) {
    if (command == ColourDefault || command == ColourChoose) return CommandEnabled;
    return GDialog::commandState(command);
}

bool GTrackDialog::onControlNotify(void* notification) {
    auto* n = static_cast<GControlNotification*>(notification);
    if (n && (n->source == balance || n->source == level)) {
        showValues();
        return true;
    }
    return GDialog::onControlNotify(notification);
}

// ---- the shared list ----

bool TrackListDialog::buildList(const char* title, const std::vector<std::pair<RavoText, u32>>& buttons,
                                bool listMode, u32 upCommand, u32 downCommand) {
    if (!createTopLevelWindow(this, kDialogStyle, 0, title)) return false;
    GLayoutBuilder b(this);
    GColumnsItem* body = new GColumnsItem(this);
    b.pushContainer(body, "88488", nullptr);
    setContent(body);
    GRowItem::create(b, "08080");
    GColumnsItem::create(b, "00000", "|^");
    for (const auto& button : buttons) buttonList.push_back(GButton::create(b, ravoText(button.first), 0, button.second));
    b.endContainer();
    GTableDesc desc;
    desc.flags |= TableMultiSelect | TableMoveRows;
    desc.columnCount = 8;
    desc.columnSpec = ravoText(RavoText::TrackColumns);
    desc.visibleRows = 10;
    desc.model = new TrackTableModel(rows, listMode, trackCount);
    table = new GTable(this);
    if (!table->create(desc)) {
        delete table;
        table = nullptr;
        return false;
    }
    b.add(table, "UC");
    b.endContainer();
    b.pushContainer(new GRowItem(this), "000", ">-");
    up = addImageButton(b, 9002, upCommand, nullptr);
    down = addImageButton(b, 9003, downCommand, nullptr);
    b.endContainer();
    GButtonRow::create(b, "OCH");
    b.endContainer();
    updateButtons();
    fitToContent();
    return true;
}

i32 TrackListDialog::commandState(u32 command) {
    if (command >= 1000 && command <= 1004) return CommandEnabled;
    return GDialog::commandState(command);
}

i64 TrackListDialog::firstSelected() {
    GSelectionModel* s = table ? table->selection() : nullptr;
    const i64 r = s ? s->firstSelected() : -1;
    return r >= 0 && (u64)r < rows.size() ? r : -1;
}

i64 TrackListDialog::lastSelected() {
    GSelectionModel* s = table ? table->selection() : nullptr;
    const i64 r = s ? s->lastSelected() : -1;
    return r >= 0 && (u64)r < rows.size() ? r : -1;
}

void TrackListDialog::copyIntoSelected(const TrackRecord& edited) {
    GSelectionModel* s = table->selection();
    for (i64 r = s->firstSelected(); r >= 0 && (u64)r < rows.size(); r = s->nextSelected(r)) {
        const u32 layer = rows[(size_t)r].layer;
        rows[(size_t)r] = edited;
        rows[(size_t)r].layer = layer;
    }
    table->invalidate();
}

void TrackListDialog::enable(GWindow* w, bool on) {
    if (w && w->hwnd) EnableWindow(w->hwnd, on);
}

void TrackListDialog::moveRows(bool up) {
    if (up) table->caretUp();
    else table->caretDown();
    updateButtons();
}

void TrackListDialog::enableMoves() {
    const i64 first = firstSelected(), last = lastSelected();
    enable(up, first > 0);
    enable(down, last >= 0 && (u64)last + 1 < rows.size());
}

bool TrackListDialog::onControlNotify(void* notification) {
    auto* n = static_cast<GControlNotification*>(notification);
    if (n && table && n->source == table) {
        if (n->code == TableRowActivated) {
            editRows();
            return true;
        }
        if (n->code == TableSelectionChanged || n->code == TableCaretMoved) updateButtons();
        return false;
    }
    return GDialog::onControlNotify(notification);
}

// ---- modify ----

bool GModifyTracksDialog::build(const char* title) {
    rows = rowsByLayer(*format);
    trackCount = format->trackCount();
    return buildList(title,
                     {{RavoText::TrackEdit, Edit}, {RavoText::TrackAllOff, AllOff}, {RavoText::TrackAllOn, AllOn}},
                     false, Up, Down);
}

i32 GModifyTracksDialog::run() {
    if (!build(ravoText(RavoText::TracksModifyTitle))) return -1;
    return placeWindowAuto(this, PlaceCentreOnOwner);
}

void GModifyTracksDialog::updateButtons() {
    enable(buttonList[0], firstSelected() >= 0);
    enable(buttonList[1], !rows.empty());
    enable(buttonList[2], !rows.empty());
    enableMoves();
}

void GModifyTracksDialog::editRows() {
    const i64 first = firstSelected();
    if (first < 0) return;
    const TrackRecord& r = rows[(size_t)first];
    GTrackDialog dialog(this, r, r.layer, trackCount);
    if (dialog.run() != 1) return;
    copyIntoSelected(dialog.record);
}

bool GModifyTracksDialog::onCommand(u32 command, GStateQuery* query) {
    switch (command) {
    case Edit: editRows(); return true;
    case Up:
    case Down: moveRows(command == Up); return true;
    case AllOff:
    case AllOn:
        for (TrackRecord& r : rows) r.flags = command == AllOn ? r.flags | 1u : r.flags & ~1u;
        table->invalidate();
        return true;
    case 1: writeModifiedTracks(*format, rows); break;
    default: break;
    }
    return GDialog::onCommand(command, query);
}

bool runModifyTracks(EditorWindow* editor, SoundFormat* format) {
    GModifyTracksDialog dialog(editor->window, format);
    return dialog.run() == 1;
}

// ---- add and remove ----

bool GAddRemoveTracksDialog::build(const char* title) {
    trackCount = format->trackCount();
    rows = rowsByLayer(*format);
    return buildList(title,
                     {{RavoText::TrackAdd, Add}, {RavoText::TrackEdit, Edit}, {RavoText::TrackRemove, Remove}},
                     true, Up, Down);
}

void GAddRemoveTracksDialog::updateButtons() {
    const i64 first = firstSelected();
    enable(buttonList[1], first >= 0 && (i32)rows[(size_t)first].layer < 0);
    enable(buttonList[2], first >= 0);
    enableMoves();
}

void GAddRemoveTracksDialog::addRow() {
    if (rows.size() == 2 && (format->flags & formatPcm)) {
        showMessageBox(&mbError, this, ravoText(RavoText::TrackPcmLimit));
        return;
    }
    GTrackDialog dialog(this, newTrackRecord(), (u32)rows.size(), (u32)rows.size() + 1);
    if (dialog.run() != 1) return;
    const i64 current = table->selection()->caret();
    const u64 at = current >= 0 && (u64)current < rows.size() ? (u64)current + 1 : 0;
    table->insertRecords(at, &dialog.record, 1);
    table->clearSelection();
    table->setRowSelected(at, true);
    table->setCaretRow(at);
    table->invalidate();
    updateButtons();
}

void GAddRemoveTracksDialog::editRows() {
    const i64 first = firstSelected();
    if (first < 0 || (i32)rows[(size_t)first].layer >= 0) return;
    GTrackDialog dialog(this, rows[(size_t)first], (u32)first, (u32)rows.size());
    if (dialog.run() != 1) return;
    copyIntoSelected(dialog.record);
}

void GAddRemoveTracksDialog::removeSelected() {
    if (firstSelected() < 0) return;
    table->removeRows();
    table->invalidate();
    updateButtons();
}

bool GAddRemoveTracksDialog::onCommand(u32 command, GStateQuery* query) {
    switch (command) {
    case Add: addRow(); return true;
    case Remove: removeSelected(); return true;
    case Edit: editRows(); return true;
    case Up:
    case Down: moveRows(command == Up); return true;
    case 1:
        if (rows.empty()) {
            showMessageBox(&mbError, this, ravoText(RavoText::TrackNoneLeft));
            return true;
        }
        writeTrackList(*format, rows);
        break;
    default: break;
    }
    return GDialog::onCommand(command, query);
}

i32 GAddRemoveTracksDialog::handleKey(GInputEvent* e) {
    if (e->isKeyDown(VK_INSERT)) {
        addRow();
        return 2;
    }
    if (e->isKeyDown(VK_DELETE) && firstSelected() >= 0) {
        removeSelected();
        return 2;
    }
    return GDialog::handleKey(e);
}
