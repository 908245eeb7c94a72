#pragma once
// Tones made from harmonics for the synthesizer output: mono 16-bit generators. A period of a
// spectrum looped (PeriodLoop), shaped by four linear envelope segments and an optional tremolo
// (HarmonicSynth), and the voice of one note that renders its own harmonics (NoteVoice). The stages
// of a HarmonicSynth are its members; its tone is the caller's unless it was given to own.
// Every sample is saturated to +/-32767.
#include <vector>

#include "engine/fft.h"
#include "engine/harmonics.h"
#include "mm/synth_output.h"

// Attack, decay and hold are ramps from the previous level to theirs; release falls to silence.
struct EnvelopeParams {
    f64 attackTime, attackLevel;
    f64 decayTime, decayLevel;
    f64 holdTime, holdEndLevel;
    f64 releaseTime;
    f64 tremoloPeriod, tremoloDepth;  // seconds per cycle; no tremolo when either is 0
};
// The envelope of playing a spectrum.
const EnvelopeParams playEnvelope = {0.05, 1.0, 0.1, 0.6, 1.0, 0.29, 0.25, 0.0, 0.0};
// A note of `total` seconds: attack 0.08 s, decay 0.15 s, hold 0.1 s and the rest release (each
// part scaled by total when that leaves less than 0.01 s); tremolo 0.07 s deep 0.1.
EnvelopeParams initDefaultEnvelope(f64 total);

// One channel of 16-bit samples.
class MonoGenerator : public SynthGenerator {
public:
    u32 encoding() const override { return 2; }
    u32 channels() const override { return 1; }
};

// Reads its input for `length` samples, scaling them from startGain to endGain.
class RampGain : public MonoGenerator {
public:
    u32 readFrames(void* out, u32 frames) override;
    bool rewind() override;

    u32 position = 0;
    u32 length = 0;
    f64 startGain = 1.0, endGain = 1.0;
    SynthGenerator* input = nullptr;
};

// Plays its sources one after the other; the sources are the caller's.
class SourceChain : public MonoGenerator {
public:
    u32 readFrames(void* out, u32 frames) override;
    // Rewinds every source and starts again with the first.
    bool rewind() override;

    std::vector<SynthGenerator*> sources;
    size_t current = 0;
};

// Scales its input by 1 + depth x sin(position x step).
class SineTremolo : public MonoGenerator {
public:
    u32 readFrames(void* out, u32 frames) override;
    bool rewind() override;

    u32 position = 0;
    f64 step = 0.0, depth = 0.1;
    SynthGenerator* input = nullptr;
};

// One period of samples played round without end, built from a spectrum of n bins.
class PeriodLoop : public MonoGenerator {
public:
    // A zeroed spectrum of n bins.
    PeriodLoop(u32 n, u32 rate) : spectrum(n), rate(rate) {}

    u32 readFrames(void* out, u32 frames) override;
    bool rewind() override;

    std::vector<i16> samples;
    u32 position = 0;
    std::vector<Complex> spectrum;  // freed once the period is built
    const u32 rate;
};
// The inverse transform of the loop's spectrum, real parts truncated toward zero into its samples;
// the spectrum is freed. False, with the loop unchanged, when the progress cancelled.
bool buildPeriod(PeriodLoop& loop, JobProgress* progress);

class HarmonicSynth : public MonoGenerator {
public:
    // Deletes the tone when it owns it.
    HarmonicSynth(SynthGenerator* tone, const EnvelopeParams& envelope, u32 rate, bool ownsTone = false);
    HarmonicSynth(const HarmonicSynth&) = delete;
    HarmonicSynth& operator=(const HarmonicSynth&) = delete;
    ~HarmonicSynth() override;

    u32 readFrames(void* out, u32 frames) override;
    bool rewind() override;

    SynthGenerator* const tone;
    RampGain segments[4];
    SourceChain chain;
    bool tremoloOn = false;
    SineTremolo tremolo;

private:
    bool ownsTone;
};

// Empties the array and fills it with the harmonics of a note: one at f from 100 Hz up; below, the
// multiples of f from 40 Hz up, from level / 3 falling by 2000 each while above 0. Nothing for f
// not above 0 or not finite.
void generateNoteHarmonics(HarmonicArray& array, f64 frequency, f64 level, f64 phase);

// A note of `duration` seconds: its harmonics as sines through the default envelope.
class NoteVoice : public HarmonicSynth {
public:
    NoteVoice(u32 rate, f64 frequency, f64 level, f64 phase, f64 duration);
    ~NoteVoice() override;

    // The sum of the harmonics, without envelope; it delivers nothing when there are none.
    class Tone : public MonoGenerator {
    public:
        u32 readFrames(void* out, u32 frames) override;
        bool rewind() override;

        HarmonicArray harmonics;  // reserved64: the phase step per sample
        u32 counter = 0;
    };
    Tone voiceTone;
};
