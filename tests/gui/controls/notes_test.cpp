#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "gui/controls/notes.h"
#include "gui/kernel/gui_texts.h"

namespace {

// Points the schemes at local values for one test.
struct SchemeScope {
    u32 note = 0, octave = 0;
    NoteSchemes saved = noteSchemes();
    SchemeScope(u32 n, u32 o) : note(n), octave(o) { noteSchemes() = {&note, &octave}; }
    ~SchemeScope() { noteSchemes() = saved; }
};

std::string bagBytes(const GBag& bag) { return std::string((const char*)bag.data, bag.size); }

}  // namespace

TEST(Notes, FrequencyToNoteAndBack) {
    struct Case {
        f64 hz;
        i32 note, octave;
    } cases[] = {
        {440.0, 9, 4}, {261.63, 0, 4}, {27.5, 9, 0}, {8.0, 0, 0},
        // A quarter tone above A goes up to B flat.
        {440.0 * std::pow(2.0, 0.5 / 12), 10, 4},
        // Not valid frequencies: all give note 0, octave 0.
        {0.0, 0, 0}, {-440.0, 0, 0}, {std::numeric_limits<f64>::quiet_NaN(), 0, 0},
        {std::numeric_limits<f64>::infinity(), 0, 0},
    };
    for (const Case& c : cases) {
        NoteOctave r = frequencyToNote(c.hz);
        EXPECT_EQ(r.note, c.note) << c.hz;
        EXPECT_EQ(r.octave, c.octave) << c.hz;
    }
    EXPECT_DOUBLE_EQ(noteToFrequency(69), 880.0);
    EXPECT_NEAR(noteToFrequency(0), 16.3516, 1e-4);
    for (i32 n = 1; n < 120; ++n) {
        NoteOctave r = frequencyToNote(noteToFrequency(n));
        EXPECT_EQ(r.octave * 12 + r.note, n);
    }
}

TEST(Notes, NamesInEachScheme) {
    {
        SchemeScope s(0, 0);
        EXPECT_STREQ(noteName(11), "H");
        EXPECT_STREQ(noteName(10), "B");
        EXPECT_STREQ(noteName(12), "?");
        EXPECT_STREQ(noteName(-1), "?");
        EXPECT_STREQ(octaveName(4), "0");
        EXPECT_STREQ(octaveName(16), "?");
        EXPECT_STREQ(octaveName(-1), "?");
    }
    {
        SchemeScope s(1, 2);
        EXPECT_STREQ(noteName(2), "R");
        EXPECT_STREQ(octaveName(4), "3");
        EXPECT_STREQ(octaveName(0), "-");
    }
    {
        SchemeScope s(9, 9);  // an unknown scheme names nothing
        EXPECT_STREQ(noteName(0), "?");
        EXPECT_STREQ(octaveName(0), "?");
    }
}

TEST(Notes, RunTimeListsAndShortTexts) {
    const char* savedNotes = kxguiTexts[(u32)GuiText::NoteNames];
    const char* savedFirst = kxguiTexts[(u32)GuiText::OctaveNamesFirst];
    const char* savedSecond = kxguiTexts[(u32)GuiText::OctaveNamesSecond];
    // A language text with three note names and a second octave list with one: the rest stay missing.
    static const char shortNotes[] = "do|re|mi";
    static const char shortOctaves[] = "low";
    kxguiTexts[(u32)GuiText::NoteNames] = shortNotes;
    kxguiTexts[(u32)GuiText::OctaveNamesSecond] = shortOctaves;
    fillNumberNames();
    {
        SchemeScope s(4, 3);
        EXPECT_STREQ(noteName(0), "do");
        EXPECT_STREQ(noteName(2), "mi");
        EXPECT_STREQ(noteName(3), "?");
        EXPECT_STREQ(noteName(11), "?");
        EXPECT_STREQ(octaveName(0), "low");
        EXPECT_STREQ(octaveName(1), "?");
        GBag bag;
        buildNoteChoices(bag);
        EXPECT_EQ(bagBytes(bag).substr(0, 22), std::string("0: do\0" "1: re\0" "2: mi\0" "3: \0", 22));
    }
    kxguiTexts[(u32)GuiText::NoteNames] = savedNotes;
    kxguiTexts[(u32)GuiText::OctaveNamesSecond] = savedSecond;
    fillNumberNames();
    {
        // The defaults fill every place; scheme 3 takes the second octave list, 4 the first.
        SchemeScope s(4, 3);
        EXPECT_STREQ(noteName(11), "H");
        EXPECT_STREQ(octaveName(15), "14");
        s.octave = 4;
        EXPECT_EQ(std::string(savedFirst).compare(0, strlen(octaveName(0)), octaveName(0)), 0);
        EXPECT_STRNE(octaveName(0), "?");
    }
}

TEST(Notes, ChoiceBags) {
    SchemeScope s(0, 1);
    GBag bag;
    bagWriteString(bag, "old content");
    buildOctaveChoices(bag);
    EXPECT_EQ(bag.pos, 0u);
    std::string bytes = bagBytes(bag);
    EXPECT_EQ(bytes.substr(0, 5), std::string("0: 0\0", 5));
    EXPECT_EQ(bytes.substr(bytes.size() - 8), std::string("15: 15\0\0", 8));
    size_t entries = 0;
    for (size_t at = 0; bytes[at]; at += strlen(bytes.c_str() + at) + 1) ++entries;
    EXPECT_EQ(entries, 16u);

    buildNoteChoices(bag);
    bytes = bagBytes(bag);
    EXPECT_NE(bytes.find(std::string("9: A\0", 5)), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 7), std::string("11: H\0\0", 7));
}
