#pragma once
// The note event list: timed three-byte channel messages, one list for the process, kept sorted by
// time (unsigned) and then by status (signed, so that a note off comes before a note on at one
// time). A note is a note on and the first later note off of the same number. The list outlives
// every window that shows it; the table model shows it without owning it.
#include "core/arrays.h"
#include "gui/views/table_model.h"
#include "mm/plugin_host.h"

typedef PluginEvent NoteEvent;
typedef RecordArray<PluginEvent> NoteEventList;

enum : u8 { NoteOffStatus = 0x80, NoteOnStatus = 0x90, ControlStatus = 0xB0, AllSoundOff = 120 };

// The process's list.
NoteEventList& noteEventList();

void sortNoteEvents(NoteEventList& list);
// Count and records copied; the capacity follows.
void copyNoteEvents(NoteEventList& to, const NoteEventList& from);
void clearNoteEvents(NoteEventList& list);
// The other event of the note at the row (a note on's first later note off, a note off's nearest
// earlier note on, the same number); -1 when none or the row is no note event.
i64 notePartner(const NoteEventList& list, u32 row);
// Seconds to milliseconds, rounded half up and kept in 0..4294967295.
u32 secondsToMs(f64 seconds);
// The first of the first `within` rows at the time, -1 when none.
i64 firstRowAtTime(const NoteEventList& list, u32 time, u32 within);
// A note number 12 x (octave + 1) + note; false (nothing made) above 127.
bool noteNumber(i32 note, i32 octave, u8* number);

// The two events a note dialog works on; the process's pair carries the last values into the next
// insertion.
struct NotePair {
    PluginEvent on{}, off{};
};
NotePair& workingNotes();

// Before an insertion: the selected row's bytes (and its time for the note on), else the pair's
// bytes at time 0; the note off 500 ms after the note on.
void prepareInsert(const NoteEventList& list, i64 row, NotePair& pair);
// Appends the pair and sorts; answers the first of the rows there before at the note on's time.
i64 commitInsert(NoteEventList& list, const NotePair& pair);

// The rows of the note being edited (-1: the partner is missing and will be appended).
struct NoteEditRows {
    i64 on = -1, off = -1;
};
// False for a row that is no note event. A missing note off is the note on 1 ms earlier; a missing
// note on is the pair's note off as it stood, 1 ms later.
bool prepareEdit(const NoteEventList& list, u32 row, NotePair& pair, NoteEditRows* rows);
// Writes the pair over the note (appending a missing partner) and sorts; the answer as commitInsert.
i64 commitEdit(NoteEventList& list, const NoteEditRows& rows, const NotePair& pair);
// Removes the row and its partner; answers the rows removed.
u32 deleteNote(NoteEventList& list, u32 row);
// The note dialog's result: start and end in ms (swapped when reversed), the note on at velocity,
// the note off at 64.
void makeNotePair(NotePair& pair, f64 startSeconds, f64 endSeconds, u8 number, u8 velocity);

class NoteEventTableModel : public GTableModel {
public:
    explicit NoteEventTableModel(NoteEventList& list) : list(list) {}

    u64 rowCount() override { return list.count; }
    i32 columnCount() override { return 5; }
    const char* cellText(GString& scratch, u64 row, i32 column) override;
    void clearRows() override { clearNoteEvents(list); }
    void removeRows(u64 first, u64 end) override;
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }

    NoteEventList& list;
};
