#include "app/note_list_dialog.h"

#include <algorithm>
#include <cmath>

#include "app/program_texts.h"
#include "gui/controls/button.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/frame/board_window.h"
#include "gui/input/input_event.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/views/selection_model.h"

GMIDIEditor* GMIDIEditor::create(GLayoutItem* parent, GWindow* owner, NoteEventList& list) {
    GTableDesc desc;
    desc.columnCount = 5;
    desc.columnSpec = ravoText(RavoText::NoteEventColumns);
    desc.visibleRows = 16;
    desc.model = new NoteEventTableModel(list);
    GMIDIEditor* table = new GMIDIEditor(owner);
    if (!table->GTable::create(desc)) {
        delete table;
        return nullptr;
    }
    if (parent) parent->addChild(table);
    setAlignmentCode(table, "UC");
    return table;
}

i64 GMIDIEditor::selectedRow() {
    GSelectionModel* s = selection();
    if (!s) return -1;
    i64 row = s->firstSelected();
    return row >= 0 && (u64)row < rowCount() ? row : -1;
}

// ---- the note dialog ----

bool GMIDINoteDialog::build() {
    if (!createWindow(ravoText(RavoText::NoteDialogTitle))) return false;
    GLayoutBuilder b(this);
    GColumnsItem* body = new GColumnsItem(this);
    b.current = body;
    GRowItem::create(b, "00000");
    GLabel::create(b, ravoText(RavoText::NoteStartLabel), 0, "<^");
    startLine = GEditLine::create(b, 8);
    GLabel::create(b, ravoText(RavoText::NoteEndLabel), 0, "<^");
    endLine = GEditLine::create(b, 8);
    GLabel::create(b, ravoText(RavoText::NoteVelocityLabel), 0, "<^");
    velocityLine = GEditLine::create(b, 4);
    b.endContainer();
    const u8 number = pair.on.data1;
    keyboard = GBoardWindow::create(b, number % 12, number / 12 - 1, 9, "U-");
    startSeconds = pair.on.time / 1000.0;
    endSeconds = pair.off.time / 1000.0;
    velocity = pair.on.data2;
    startLine->setDouble(startSeconds);
    endLine->setDouble(endSeconds);
    velocityLine->setU32(velocity);
    setDialogContent(body, this, "88888", false);
    return true;
}

i32 GMIDINoteDialog::run(GWindow* owner, NotePair& pair) {
    GMIDINoteDialog dialog(owner, pair);
    if (!dialog.build()) return -1;
    return dialog.GSinglePlacerDialog::run();
}

bool GMIDINoteDialog::onCommand(u32 command, GStateQuery* query) {
    if (command == 1) {
        u8 number = 60;
        try {
            startSeconds = startLine->getDouble();
            endSeconds = endLine->getDouble();
            velocity = (u8)std::min<u32>(127, velocityLine->getU32());
        } catch (...) {
            return true;  // refused: the dialog stays
        }
        if (!keyboard || !noteNumber(keyboard->markedNote, keyboard->markedOctave, &number)) return true;
        makeNotePair(pair, startSeconds, endSeconds, number, velocity);
    }
    return GSinglePlacerDialog::onCommand(command, query);
}

// ---- the list dialog ----

bool GMIDIDialog::build() {
    if (!createWindow(ravoText(RavoText::NoteListTitle))) return false;
    copyNoteEvents(backup, list);
    GLayoutBuilder b(this);
    GColumnsItem* body = new GColumnsItem(this);
    editor = GMIDIEditor::create(body, this, list);
    b.current = body;
    GRowItem::create(b, "00000");
    GButton::create(b, ravoText(RavoText::NoteInsert), 0, NoteListInsert);
    GButton::create(b, ravoText(RavoText::NoteEdit), 0, NoteListEdit);
    GButton::create(b, ravoText(RavoText::NoteDelete), 0, NoteListDelete);
    b.endContainer();
    setDialogContent(body, this, "88888", false);
    return editor != nullptr;
}

i32 GMIDIDialog::run(GWindow* owner, NoteEventList& list) {
    GMIDIDialog dialog(owner, list);
    if (!dialog.build()) return -1;
    return dialog.GSinglePlacerDialog::run();
}

void GMIDIDialog::reloadAndSelect(i64 row) {
    if (!editor) return;
    editor->reload(row >= 0 ? (u64)row : (u64)-1);
    GSelectionModel* s = editor->selection();
    if (s->isMulti()) s->clearSelection();
    else s->setCaret(-1);
    editor->invalidate();
    if (row >= 0) {
        editor->setRowSelected((u64)row, true);
        editor->scrollRowIntoView((u64)row);
    }
}

void GMIDIDialog::insertNote() {
    NotePair& pair = workingNotes();
    NotePair working = pair;
    prepareInsert(list, editor ? editor->selectedRow() : -1, working);
    if (GMIDINoteDialog::run(this, working) != 1) return;
    pair = working;
    reloadAndSelect(commitInsert(list, pair));
}

void GMIDIDialog::editNote() {
    const i64 row = editor ? editor->selectedRow() : -1;
    if (row < 0) {
        insertNote();
        return;
    }
    NotePair& pair = workingNotes();
    NotePair working = pair;
    NoteEditRows rows;
    if (!prepareEdit(list, (u32)row, working, &rows)) {
        showMessageBox(&mbInformation, this, ravoText(RavoText::NoteNotANote));
        return;
    }
    if (GMIDINoteDialog::run(this, working) != 1) return;
    pair = working;
    reloadAndSelect(commitEdit(list, rows, pair));
}

void GMIDIDialog::deleteNote() {
    const i64 row = editor ? editor->selectedRow() : -1;
    if (row < 0) return;
    const i64 partner = notePartner(list, (u32)row);
    // The higher row first, so that the lower stays where it is.
    editor->removeRow((u64)std::max(row, partner));
    if (partner >= 0) editor->removeRow((u64)std::min(row, partner));
}

i32 GMIDIDialog::commandState(u32 command) {
    if (command >= NoteListDelete && command <= NoteListInsert) return CommandEnabled;
    return GSinglePlacerDialog::commandState(command);
}

bool GMIDIDialog::onCommand(u32 command, GStateQuery* query) {
    switch (command) {
    case NoteListDelete: deleteNote(); return true;
    case NoteListEdit: editNote(); return true;
    case NoteListInsert: insertNote(); return true;
    case 2: copyNoteEvents(list, backup); break;
    default: break;
    }
    return GSinglePlacerDialog::onCommand(command, query);
}

i32 GMIDIDialog::handleKey(GInputEvent* e) {
    if (e->isKeyDown(VK_INSERT)) {
        insertNote();
        return 2;
    }
    if (e->isKeyDown(VK_DELETE)) {
        deleteNote();
        return 2;
    }
    if (e->isKeyDown(VK_RETURN) && editor && focusWindow == editor) {
        editNote();
        return 2;
    }
    return GSinglePlacerDialog::handleKey(e);
}
