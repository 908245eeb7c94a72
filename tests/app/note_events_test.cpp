// The note event list: order, notes and their partners, the edits of the event list dialog and the
// table's texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/note_events.h"
#include "tests/app/note_event_text.h"
#include "gui/controls/notes.h"

namespace {

void fill(NoteEventList& list, const std::vector<PluginEvent>& events) {
    list.count = 0;
    for (const PluginEvent& e : events) *list.append(1) = e;
}

// "time:status:data1" per event.
}  // namespace

TEST(NoteEvents, SortedByUnsignedTimeThenSignedStatus) {
    NoteEventList list;
    fill(list, {noteEvent(0x80000000u, 0x90, 1), noteEvent(5, 0x90, 60), noteEvent(5, 0x10, 3), noteEvent(5, 0xB0, 7), noteEvent(5, 0x80, 60), noteEvent(0, 0xF0, 0)});
    sortNoteEvents(list);
    EXPECT_EQ("0:F0:0 5:80:60 5:90:60 5:B0:7 5:10:3 2147483648:90:1", dumpNoteEvents(list));
}

TEST(NoteEvents, PartnersOfNotes) {
    NoteEventList list;
    fill(list, {noteEvent(0, 0x90, 60), noteEvent(1, 0x90, 62), noteEvent(2, 0x80, 62), noteEvent(3, 0x80, 60), noteEvent(4, 0x80, 60), noteEvent(5, 0xB0, 60)});
    struct Case {
        u32 row;
        i64 partner;
    } cases[] = {{0, 3}, {1, 2}, {2, 1}, {3, 0}, {4, 0}, {5, -1}, {9, -1}};
    for (const Case& c : cases) EXPECT_EQ(c.partner, notePartner(list, c.row)) << c.row;
}

TEST(NoteEvents, SecondsToMilliseconds) {
    struct Case {
        f64 seconds;
        u32 ms;
    } cases[] = {{0.0004, 0}, {0.0005, 1}, {-1, 0}, {1.5, 1500}, {5e6, 4294967295u}, {1e300, 4294967295u}};
    for (const Case& c : cases) EXPECT_EQ(c.ms, secondsToMs(c.seconds)) << c.seconds;
    NotePair pair;
    makeNotePair(pair, 2.0, 0.5, 69, 90);  // reversed times are swapped
    EXPECT_EQ(500u, pair.on.time);
    EXPECT_EQ(2000u, pair.off.time);
    EXPECT_EQ(0x90, pair.on.status);
    EXPECT_EQ(90, pair.on.data2);
    EXPECT_EQ(0x80, pair.off.status);
    EXPECT_EQ(64, pair.off.data2);
    EXPECT_EQ(69, pair.off.data1);
    u8 n = 0;
    EXPECT_TRUE(noteNumber(11, 8, &n));
    EXPECT_EQ(119, n);
    EXPECT_TRUE(noteNumber(7, 9, &n));
    EXPECT_EQ(127, n);
    EXPECT_FALSE(noteNumber(8, 9, &n));
    EXPECT_FALSE(noteNumber(0, 15, &n));
}

TEST(NoteEvents, InsertEditAndDeleteNotes) {
    NoteEventList list;
    NotePair pair;
    // Into an empty list: 0 and 500 ms, and no row to select.
    prepareInsert(list, -1, pair);
    makeNotePair(pair, pair.on.time / 1000.0, pair.off.time / 1000.0, 60, 100);
    EXPECT_EQ(-1, commitInsert(list, pair));
    EXPECT_EQ("0:90:60 500:80:60", dumpNoteEvents(list));

    // From a selected row: its time; the selection lands on the first row of that time.
    prepareInsert(list, 1, pair);
    EXPECT_EQ(500u, pair.on.time);
    EXPECT_EQ(1000u, pair.off.time);
    makeNotePair(pair, 0.5, 1.0, 62, 100);
    EXPECT_EQ(1, commitInsert(list, pair));
    EXPECT_EQ("0:90:60 500:80:60 500:90:62 1000:80:62", dumpNoteEvents(list));

    // Editing from the note off edits its note.
    NoteEditRows rows;
    ASSERT_TRUE(prepareEdit(list, 3, pair, &rows));
    EXPECT_EQ(2, rows.on);
    EXPECT_EQ(3, rows.off);
    makeNotePair(pair, 0.25, 0.75, 64, 100);
    EXPECT_EQ(1, commitEdit(list, rows, pair));
    EXPECT_EQ("0:90:60 250:90:64 500:80:60 750:80:64", dumpNoteEvents(list));

    // A note off without its note on gets one from the last note off, 1 ms later.
    list.append(1)[0] = noteEvent(900, 0x80, 70);
    ASSERT_TRUE(prepareEdit(list, 4, pair, &rows));
    EXPECT_EQ(-1, rows.on);
    EXPECT_EQ(751u, pair.on.time);
    // A control change is refused.
    list.append(1)[0] = noteEvent(950, 0xB0, 7, 1);
    EXPECT_FALSE(prepareEdit(list, 5, pair, &rows));

    // Deleting a note off removes its note on further up; a lone event goes alone.
    EXPECT_EQ(2u, deleteNote(list, 3));
    EXPECT_EQ("0:90:60 500:80:60 900:80:70 950:B0:7", dumpNoteEvents(list));
    EXPECT_EQ(1u, deleteNote(list, 3));
    EXPECT_EQ(2u, deleteNote(list, 0));
    EXPECT_EQ("900:80:70", dumpNoteEvents(list));

    // The copy a dialog keeps puts the list back.
    NoteEventList backup;
    fill(list, {noteEvent(0, 0x90, 60), noteEvent(10, 0x80, 60)});
    copyNoteEvents(backup, list);
    deleteNote(list, 0);
    EXPECT_EQ(0u, list.count);
    copyNoteEvents(list, backup);
    EXPECT_EQ("0:90:60 10:80:60", dumpNoteEvents(list));
}

TEST(NoteEvents, TableTexts) {
    u32 style = 0, octaves = 1;
    NoteSchemes saved = noteSchemes();
    noteSchemes() = NoteSchemes{&style, &octaves};
    NoteEventList list;
    fill(list, {noteEvent(1500, 0x90, 69, 100), noteEvent(2000, 0x80, 69, 64), noteEvent(0, 0xE0, 0, 64), noteEvent(0, 0xB0, 120, 0),
                noteEvent(0, 0xB0, 122, 1), noteEvent(0, 0xB0, 7, 99), noteEvent(0, 0xC0, 5, 0)});
    NoteEventTableModel model(list);
    GString s;
    struct Case {
        u64 row;
        i32 column;
        const char* text;
    } cases[] = {
        {0, 0, "1.5"}, {0, 1, "Note on"}, {0, 2, "A"}, {0, 3, "4"}, {0, 4, "Velocity 100"},
        {1, 1, "Note off"}, {1, 4, ""}, {2, 4, "0"}, {2, 2, ""}, {3, 1, "All sound off"},
        {4, 1, "Local control on"}, {5, 1, "Control 7 = 99"}, {6, 4, "Program 5"}, {7, 0, ""}, {0, 5, ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(c.text, model.cellText(s, c.row, c.column)) << c.row << "/" << c.column;
    model.removeRows(1, 3);
    EXPECT_EQ(5u, model.rowCount());
    model.clearRows();
    EXPECT_EQ(0u, list.count);
    EXPECT_EQ(0u, list.capacity);
    noteSchemes() = saved;
}
