#include "gui/controls/notes.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "gui/kernel/gui_texts.h"

namespace {

const u32 zeroStyle = 0;

const char* const noteTables[4][12] = {
    {"C", "C#", "D", "Eb", "E", "F", "F#", "G", "G#", "A", "B", "H"},
    {"D", "D#", "R", "Mb", "M", "F", "F#", "S", "S#", "L", "Cb", "C"},
    {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B"},
    {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"},
};

const char* const octaveTables[3][16] = {
    {"-4", "-3", "-2", "-1", "0", "+1", "+2", "+3", "+4", "+5", "+6", "+7", "+8", "+9", "+10", "+11"},
    {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15"},
    {"-", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14"},
};

// Filled by fillNumberNames; null = missing. The names point into copies of the texts.
const char* runNotes[12];
const char* runOctavesFirst[16];
const char* runOctavesSecond[16];
std::string runTexts[3];

// Splits a '|'-separated text into its copy; names past the end of the text stay missing.
void splitNames(const char* text, std::string& copy, const char** names, u32 count) {
    copy = text ? text : "";
    for (char& c : copy)
        if (c == '|') c = 0;
    const char* at = copy.c_str();
    const char* end = at + copy.size();
    for (u32 i = 0; i < count; ++i) {
        names[i] = at <= end && *at ? at : nullptr;
        at += strlen(at) + 1;
        if (at > end) at = end + 1;
    }
}

void buildChoices(GBag& bag, u32 count, const char* (*name)(i32)) {
    bag.size = bag.pos = 0;
    for (u32 i = 0; i < count; ++i) {
        char number[16];
        int n = snprintf(number, sizeof number, "%d", (int)i);
        bagWriteBytes(bag, number, (u32)n);
        bagWriteBytes(bag, ": ", 2);
        const char* text = name((i32)i);
        bagWriteString(bag, text && strcmp(text, "?") ? text : nullptr);
    }
    bagWriteU8(bag, 0);
    bag.pos = 0;
}

}  // namespace

NoteSchemes& noteSchemes() {
    static NoteSchemes schemes{&zeroStyle, &zeroStyle};
    return schemes;
}

f64 noteToFrequency(i32 n) { return 440.0 * std::pow(2.0, (n - 57) / 12.0); }

namespace {
// The note number by the formula; 0, negative and non-finite input give NaN or an infinity.
f64 noteNumber(f64 hz) { return std::floor(12.0 * std::log(hz / 440.0) / std::log(2.0) + 0.5) + 57.0; }

// The lowest frequency the formula gives note k or more for, found on the formula itself (bisection
// over the ordered bits of positive doubles), so that a lookup gives exactly its results.
const i32 tableNotes = 192;
struct NoteThresholds {
    f64 from[tableNotes + 1];
    NoteThresholds() {
        for (i32 k = 1; k <= tableNotes; ++k) {
            u64 lo = 1, hi = 0x7FEFFFFFFFFFFFFFull;  // noteNumber(hi) >= k
            while (lo < hi) {
                const u64 mid = lo + (hi - lo) / 2;
                f64 hz;
                memcpy(&hz, &mid, sizeof hz);
                if (noteNumber(hz) >= k) hi = mid;
                else lo = mid + 1;
            }
            memcpy(&from[k], &lo, sizeof lo);
        }
    }
};
}  // namespace

NoteOctave frequencyToNote(f64 hz) {
    static const NoteThresholds table;
    i32 k;
    if (hz >= table.from[1] && hz < table.from[tableNotes]) {
        i32 lo = 1, hi = tableNotes - 1;  // the last k with from[k] <= hz
        while (lo < hi) {
            const i32 mid = (lo + hi + 1) / 2;
            if (table.from[mid] <= hz) lo = mid;
            else hi = mid - 1;
        }
        k = lo;
    } else {
        const f64 m = noteNumber(hz);
        if (!std::isfinite(m) || m < 1.0 || m > 1e9) return {0, 0};
        k = (i32)m;
    }
    return {k % 12, k / 12};
}

const char* noteName(i32 note) {
    if (note < 0 || note > 11) return "?";
    u32 scheme = *noteSchemes().noteStyle;
    const char* name = scheme < 4 ? noteTables[scheme][note] : scheme == 4 ? runNotes[note] : nullptr;
    return name ? name : "?";
}

const char* octaveName(i32 octave) {
    if (octave < 0 || octave > 15) return "?";
    u32 scheme = *noteSchemes().octaveStyle;
    const char* name = scheme < 3    ? octaveTables[scheme][octave]
                       : scheme == 3 ? runOctavesSecond[octave]
                       : scheme == 4 ? runOctavesFirst[octave]
                                     : nullptr;
    return name ? name : "?";
}

void fillNumberNames() {
    splitNames(guiText(GuiText::NoteNames), runTexts[0], runNotes, 12);
    splitNames(guiText(GuiText::OctaveNamesFirst), runTexts[1], runOctavesFirst, 16);
    splitNames(guiText(GuiText::OctaveNamesSecond), runTexts[2], runOctavesSecond, 16);
}

void buildNoteChoices(GBag& bag) { buildChoices(bag, 12, noteName); }
void buildOctaveChoices(GBag& bag) { buildChoices(bag, 16, octaveName); }
