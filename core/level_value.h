#pragma once
// The level and pitch-interval records that effect settings store and the value fields edit.
#include "core/types.h"

namespace LevelUnit {
enum : u32 { SampleValue = 0, Factor = 1, Percent = 2, Decibels = 3 };
}

// A level: the sample value on the 16-bit scale (full scale 32767.0), the linear factor and the
// decibels, and the unit the user last entered it in. Stored as its 32 bytes.
struct LevelValue {
    f64 sampleValue = 32767.0;
    f64 factor = 1.0;
    f64 decibels = 0.0;
    u32 unit = LevelUnit::SampleValue;
    u32 spare = 0;

    // Full scale in every field, then the value in the unit: a sample value is kept as given; a factor
    // or percent sets all three (sample value rounded); decibels are stored as given, with the factor
    // 10^(v/10) and its sample value (the field's own conversion). Another unit keeps full scale.
    void set(u32 unit, f64 v);
    // The factor, its decibels and its sample value rounded to the nearest whole.
    void setFactor(f64 f);
};
static_assert(sizeof(LevelValue) == 32, "stored level record");

// A pitch interval: the ratio 2^(semitones / 12), the semitones and the unit. Stored as its 24 bytes.
struct IntervalValue {
    f64 ratio = 1.0;
    f64 semitones = 0.0;
    u32 unit = 0;
    u32 spare = 0;
};
static_assert(sizeof(IntervalValue) == 24, "stored interval record");

namespace IntervalUnit {
enum : u32 { Ratio = 0, Semitones = 1, Tones = 2, Octaves = 3, Cents = 4 };
}

// Units offered by a level field (nonzero enables) and the ranges; percent takes the factor range x 100.
struct LevelRange {
    u8 enabled[4];  // sample value, factor, percent, decibels
    f64 sampleMin, sampleMax;
    f64 factorMin, factorMax;
    f64 decibelMin, decibelMax;
};

// Units offered by an interval field and the ranges; tones, octaves and cents take the semitone
// range x 0.5, / 12 and x 100.
struct IntervalRange {
    u8 enabled[5];  // ratio, semitones, tones, octaves, cents
    f64 ratioMin, ratioMax;
    f64 semitoneMin, semitoneMax;

    // Every unit, semitones a..b and the ratios they give.
    static IntervalRange fromSemitones(f64 a, f64 b);
};

// 10 log10 |f|, or -100 below 1e-10 in magnitude (and for a factor that is not a number).
f64 decibelsOfFactor(f64 f);
// 12 log2 r, or 0 below 1e-10 (and for a ratio that is not a number).
f64 semitonesOfRatio(f64 r);
// Ratio 2^(x/12), semitones x and the unit.
void semitoneRatio(IntervalValue* value, f64 x, u32 unit);
