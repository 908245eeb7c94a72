#pragma once
// TestMelody: a short tune played over and over, each note a NoteVoice made when it starts, for the
// play device's repair dialog. The output that plays it owns it.
#include <memory>

#include "engine/harmonic_synth.h"

struct MelodyNote {
    u32 semitone;
    u32 octave;
    f64 level;     // of full scale
    f64 duration;  // seconds
};

extern const MelodyNote repairMelody[10];

class TestMelody : public MonoGenerator {
public:
    TestMelody(const MelodyNote* notes, u32 count, u32 rate) : notes(notes), count(count), rate(rate) {}

    u32 readFrames(void* out, u32 frames) override;
    bool rewind() override;

    const MelodyNote* const notes;
    const u32 count;
    const u32 rate;
    u32 current = 0;  // the note playing
    std::unique_ptr<NoteVoice> voice;
};
