#pragma once
// The settings groups of the spectrum, notes and instrument windows.
#include <windows.h>

#include "app/editor_settings.h"
#include "engine/harmonic_synth.h"

struct InstrumentSettings {
    u8 drum = 0;
    f64 frequencyPrecision = 10.0;
    u8 openInNewTab = 1;
    GString statusLine;
    f64 volumePrecision = 0.01;
};

// Up to 1000 macro steps; step i is text byte i with value i of each array.
struct MacroBlock {
    enum : u32 { Capacity = 1000 };
    u8 text[Capacity] = {};
    u32 first[Capacity] = {};
    u32 second[Capacity] = {};
    u32 count = 0;
};

struct MDEditorSettings {
    LOGFONTA logFont = {};
    MacroBlock macro;
    u8 openInNewTab = 1;
};
static_assert(sizeof(LOGFONTA) == 60, "stored font record");

// The colours of the spectrum pane are kept by its colour group.
struct SpectrumPaneSettings {
    u32 drawFlags = 0x55;
    u32 funcFlagsAmp = 0x40;
    u32 funcFlagsPhase = 0x20;
    GString statusLine;
};

struct SpectrumTableSettings {
    GString statusLine;
};

struct SpectrumRandom {
    f64 values[3] = {1.0, 5.0, 100.0};
    u8 flags[4] = {0, 0, 1, 1};
    u32 mode = 0;
};
static_assert(sizeof(SpectrumRandom) == 32, "stored random record");
static_assert(sizeof(EnvelopeParams) == 72, "stored envelope");

struct SpectrumSettings {
    f64 ampLimit = 5.0;
    EnvelopeParams gen = initDefaultEnvelope(2.0);
    u8 openInNewTab = 1;
    f64 overtoneDeviation = 0.01;
    f64 overtoneLowLimit = 50.0;
    u32 overtoneMax = 40;
    u32 phantomLevel = 0;
    IntervalValue pitchData_duplicates = interval(0.01, IntervalUnit::Cents);
    IntervalValue pitchData_normalize = interval(1.0, IntervalUnit::Semitones);
    IntervalValue pitchData_smooth = interval(1.0, IntervalUnit::Semitones);
    SpectrumRandom randData;

    // Kept in memory only.
    u8 flag = 0;
    SamplePeriod period{0, 44100};
    u32 words[4] = {1, 2, 1, 44100};

    SpectrumPaneSettings Pane;
    SpectrumTableSettings Table;
};
