// The note picker: keyboard, frequency and period following each other on real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "gui/controls/edit_line.h"
#include "gui/frame/board_window.h"
#include "gui/frame/note_board.h"
#include "tests/gui/control_fixture.h"

namespace {
f64 valueOf(GEditLine* line) { return atof(line->getText().c_str()); }
}  // namespace

TEST(NoteBoard, FieldsAndKeyboardFollowEachOther) {
    controls::ColumnFixture fx;
    u8 silent = 0;
    u8* savedFlag = keyboardSoundFlag();
    keyboardSoundFlag() = &silent;
    GNoteBoard* picker = new GNoteBoard(fx.builder, 440.0);
    fx.layout();
    EXPECT_EQ(9, picker->board->markedNote);
    EXPECT_EQ(4, picker->board->markedOctave);
    EXPECT_NEAR(440.0, valueOf(picker->frequencyLine), 1e-9);
    EXPECT_NEAR(1000.0 / 440, valueOf(picker->periodLine), 1e-6);
    EXPECT_EQ(16, picker->board->octaves);

    // The user types a frequency, then a period.
    SetWindowTextA(picker->frequencyLine->hwnd, "880");
    EXPECT_EQ(5, picker->board->markedOctave);
    EXPECT_NEAR(1000.0 / 880, valueOf(picker->periodLine), 1e-6);
    SetWindowTextA(picker->periodLine->hwnd, "0.5");  // below 1 ms: frequency 0
    EXPECT_EQ(0.0, valueOf(picker->frequencyLine));
    SetWindowTextA(picker->periodLine->hwnd, "4");
    EXPECT_NEAR(250.0, valueOf(picker->frequencyLine), 1e-9);
    EXPECT_EQ(11, picker->board->markedNote);  // 250 Hz is nearest B3
    EXPECT_EQ(3, picker->board->markedOctave);

    // A key pressed with the mouse sets both fields.
    RECT r;
    GetClientRect(picker->board->hwnd, &r);
    i32 note, octave;
    picker->board->keyAt(5, 50, &note, &octave);
    SendMessageA(picker->board->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 50));
    SendMessageA(picker->board->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 50));
    const f64 hz = 440.0 * std::pow(2.0, (note + 12 * octave - 57) / 12.0);
    EXPECT_NEAR(hz, valueOf(picker->frequencyLine), hz * 1e-6);
    EXPECT_NEAR(1000.0 / hz, valueOf(picker->periodLine), 1e-4);

    // Each change went up to the dialog.
    int fromPicker = 0;
    for (const GControlNotification& n : fx.dialog->notifications) fromPicker += n.source == picker;
    EXPECT_EQ(4, fromPicker);
    keyboardSoundFlag() = savedFlag;
}
