#pragma once
// Musical notes in equal temperament (note number 57 = A = 440 Hz) and their names in the schemes
// the user picks. The scheme numbers are read at each call through two pointers that the owner of
// the settings points at its record; the run-time name lists are filled by fillNumberNames from
// three toolkit texts of names separated by "|".
#include "core/bag.h"
#include "core/types.h"

struct NoteOctave {
    i32 note;
    i32 octave;
};

struct NoteSchemes {
    const u32* noteStyle;    // 0..4
    const u32* octaveStyle;  // 0..4
};
// The pointers in use; both point at 0 until the settings owner sets them.
NoteSchemes& noteSchemes();

f64 noteToFrequency(i32 n);
// Note 0, octave 0 for anything below note number 1, including 0, negative and non-finite input.
NoteOctave frequencyToNote(f64 hz);
// "?" for a note outside 0..11 or an octave outside 0..15 (or a missing run-time name).
const char* noteName(i32 note);
const char* octaveName(i32 octave);

// Splits the three name-list texts of the toolkit table into the run-time lists (12 notes, then 16
// and 16 octaves). A list that ends early leaves its remaining names missing.
void fillNumberNames();

// Entries "i: name" each with its zero, ended by an empty entry; the bag is rewound to its start.
void buildNoteChoices(GBag& bag);
void buildOctaveChoices(GBag& bag);
