#include "app/keyboard_voice.h"

#include <cmath>

#include "engine/harmonic_synth.h"
#include "mm/synth_output.h"

u8 keyboardSound = 1;

void holdSynthOutput(SynthOutput& output) {
    ++output.users;
    if (!(output.stateBits() & playerRunning)) output.clearSources(true);
}

void leaveSynthOutput(SynthOutput& output) {
    if (output.users.fetch_sub(1) <= 1) output.stopAndWait(true);
}

KeyboardVoice::KeyboardVoice(SynthOutput* out) : output(out ? *out : SynthOutput::instance()) { holdSynthOutput(output); }

KeyboardVoice::~KeyboardVoice() { leaveSynthOutput(output); }

void KeyboardVoice::noteOn(i32 note, i32 octave, i32 velocity) {
    if (!keyboardSoundOn()) return;
    const f64 hz = 440.0 * std::pow(2.0, (note + 12 * octave - 57) / 12.0);
    const f64 level = velocity * 32767.0 / 127.0;
    output.replaceSource(new NoteVoice((u32)output.rate, hz, level, 0.0, 5.0), true);
}

void KeyboardVoice::noteOff() { output.fadeOutSources(); }

void installKeyboardVoice() {
    keyboardSoundFlag() = &keyboardSound;
    keyboardVoiceMaker() = []() -> GKeyListener* { return new KeyboardVoice; };
}
