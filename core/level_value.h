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
