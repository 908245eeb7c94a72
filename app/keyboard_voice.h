#pragma once
// The piano keyboard's own voice: every key sounds as a note of 5 seconds through the synthesizer
// output after what plays there was set to fade out; a release fades it. Each keyboard owns one
// (made through the keyboard's maker hook) and holds a use of the output while it lives.
#include "gui/frame/board_window.h"

class SynthOutput;

// The program's switch that lets keys sound (not stored with the settings); on at start.
extern u8 keyboardSound;

// A use of the output: the count is raised and, unless it plays, its sources are cleared (and it
// starts again). Leaving lowers the count; the last user stops it and waits.
void holdSynthOutput(SynthOutput& output);
void leaveSynthOutput(SynthOutput& output);

class KeyboardVoice : public GKeyListener {
public:
    // The process's output when none is given.
    explicit KeyboardVoice(SynthOutput* output = nullptr);
    ~KeyboardVoice() override;
    KeyboardVoice(const KeyboardVoice&) = delete;
    KeyboardVoice& operator=(const KeyboardVoice&) = delete;

    void noteOn(i32 note, i32 octave, i32 velocity) override;
    void noteOff() override;
    void allOff(bool) override {}

    SynthOutput& output;
};

// Points the keyboards' switch at keyboardSound and makes their voices KeyboardVoices.
void installKeyboardVoice();
