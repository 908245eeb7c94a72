#pragma once
// The event list dialog (GMIDIDialog) over its table (GMIDIEditor), and the note dialog
// (GMIDINoteDialog) that edits one note on and note off pair. The list is the caller's and edited
// in place; Cancel puts back the copy taken when the dialog opened. Callers own the dialogs (on the
// stack of a modal run); the table belongs to its dialog's tree and owns its model.
#include "app/note_events.h"
#include "gui/dialogs/single_placer_dialog.h"
#include "gui/views/table.h"

class GBoardWindow;
class GEditLine;

enum : u32 { TypeGMIDIEditor = 116, TypeGMIDIDialog = 117, TypeGMIDINoteDialog = 118 };
// The dialog's commands.
enum : u32 { NoteListDelete = 1000, NoteListEdit = 1001, NoteListInsert = 1002 };

class GMIDIEditor : public GTable {
public:
    explicit GMIDIEditor(GWindow* owner) : GTable(owner) {}
    bool isKindOf(u32 id) const override { return id == TypeGMIDIEditor || GTable::isKindOf(id); }
    const char* className() const override { return "GMIDIEditor"; }
    u32 typeId() const override { return TypeGMIDIEditor; }

    static GMIDIEditor* create(GLayoutItem* parent, GWindow* owner, NoteEventList& list);
    // The selected event, -1 for none.
    i64 selectedRow();
};

class GMIDINoteDialog : public GSinglePlacerDialog {
public:
    GMIDINoteDialog(GWindow* owner, NotePair& pair) : GSinglePlacerDialog(owner, nullptr), pair(pair) {}
    bool isKindOf(u32 id) const override { return id == TypeGMIDINoteDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GMIDINoteDialog"; }
    u32 typeId() const override { return TypeGMIDINoteDialog; }

    bool build();
    // 1 when the pair was written.
    static i32 run(GWindow* owner, NotePair& pair);
    // OK: the fields into the pair, then the end; a field that is no number refuses.
    bool onCommand(u32 command, GStateQuery* query) override;

    NotePair& pair;
    f64 startSeconds = 0, endSeconds = 0;
    u8 velocity = 100;
    GEditLine* startLine = nullptr;
    GEditLine* endLine = nullptr;
    GEditLine* velocityLine = nullptr;
    GBoardWindow* keyboard = nullptr;
};

class GMIDIDialog : public GSinglePlacerDialog {
public:
    GMIDIDialog(GWindow* owner, NoteEventList& list) : GSinglePlacerDialog(owner, nullptr), list(list) {}
    bool isKindOf(u32 id) const override { return id == TypeGMIDIDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GMIDIDialog"; }
    u32 typeId() const override { return TypeGMIDIDialog; }

    bool build();
    static i32 run(GWindow* owner, NoteEventList& list);

    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    // Insert, Delete; Enter while the table has the focus.
    i32 handleKey(GInputEvent* event) override;

    void insertNote();
    void editNote();
    void deleteNote();

    NoteEventList& list;
    NoteEventList backup;
    GMIDIEditor* editor = nullptr;

private:
    void reloadAndSelect(i64 row);
};
