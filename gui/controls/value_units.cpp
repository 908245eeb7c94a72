#include "gui/controls/value_units.h"

#include <cmath>

namespace {
f64 ratioOfSemitones(f64 s) { return std::pow(2.0, s / 12.0); }

void levelFromFactor(f64* p, f64 f) {
    p[LevelUnit::Factor] = f;
    p[LevelUnit::SampleValue] = f * 32767.0;
    p[LevelUnit::Percent] = f * 100.0;
    p[LevelUnit::Decibels] = decibelsOfFactor(f);
}

void intervalFromSemitones(f64* p, f64 s) {
    p[IntervalUnit::Semitones] = s;
    p[IntervalUnit::Tones] = s * 0.5;
    p[IntervalUnit::Octaves] = s / 12.0;
    p[IntervalUnit::Cents] = s * 100.0;
}
}  // namespace

void convertLevelParts(f64* p, u32 changed) {
    switch (changed) {
    case LevelUnit::SampleValue: {
        const f64 s = p[LevelUnit::SampleValue];
        levelFromFactor(p, s / 32767.0);
        p[LevelUnit::SampleValue] = s;
        break;
    }
    case LevelUnit::Factor: levelFromFactor(p, p[LevelUnit::Factor]); break;
    case LevelUnit::Percent: {
        const f64 percent = p[LevelUnit::Percent];
        levelFromFactor(p, percent / 100.0);
        p[LevelUnit::Percent] = percent;
        break;
    }
    case LevelUnit::Decibels: {
        const f64 d = p[LevelUnit::Decibels];
        const f64 sign = p[LevelUnit::Factor] < 0 ? -1.0 : 1.0;
        levelFromFactor(p, sign * std::pow(10.0, d / 10.0));
        p[LevelUnit::Decibels] = d;
        break;
    }
    default: break;
    }
}

void convertIntervalParts(f64* p, u32 changed) {
    f64 semitones;
    switch (changed) {
    case IntervalUnit::Ratio:
        intervalFromSemitones(p, semitonesOfRatio(p[IntervalUnit::Ratio]));
        return;
    case IntervalUnit::Semitones: semitones = p[IntervalUnit::Semitones]; break;
    case IntervalUnit::Tones: semitones = p[IntervalUnit::Tones] * 2.0; break;
    case IntervalUnit::Octaves: semitones = p[IntervalUnit::Octaves] * 12.0; break;
    case IntervalUnit::Cents: semitones = p[IntervalUnit::Cents] / 100.0; break;
    default: return;
    }
    const f64 typed = p[changed];
    intervalFromSemitones(p, semitones);
    p[changed] = typed;
    p[IntervalUnit::Ratio] = ratioOfSemitones(semitones);
}

void levelPartsFromFactor(f64* p, f64 factor) { levelFromFactor(p, factor); }

void intervalPartsFromRatio(f64* p, f64 ratio) {
    p[IntervalUnit::Ratio] = ratio;
    intervalFromSemitones(p, semitonesOfRatio(ratio));
}

void levelPartsOf(const LevelValue& v, f64* p) {
    p[LevelUnit::SampleValue] = v.sampleValue;
    p[LevelUnit::Factor] = v.factor;
    p[LevelUnit::Percent] = v.factor * 100.0;
    p[LevelUnit::Decibels] = v.decibels;
}

void intervalPartsOf(const IntervalValue& v, f64* p) {
    intervalFromSemitones(p, v.semitones);
    p[IntervalUnit::Ratio] = v.ratio;
}

void levelPartRanges(const LevelRange& r, f64* lo, f64* hi) {
    lo[LevelUnit::SampleValue] = r.sampleMin, hi[LevelUnit::SampleValue] = r.sampleMax;
    lo[LevelUnit::Factor] = r.factorMin, hi[LevelUnit::Factor] = r.factorMax;
    lo[LevelUnit::Percent] = r.factorMin * 100.0, hi[LevelUnit::Percent] = r.factorMax * 100.0;
    lo[LevelUnit::Decibels] = r.decibelMin, hi[LevelUnit::Decibels] = r.decibelMax;
}

void intervalPartRanges(const IntervalRange& r, f64* lo, f64* hi) {
    intervalFromSemitones(lo, r.semitoneMin);
    intervalFromSemitones(hi, r.semitoneMax);
    lo[IntervalUnit::Ratio] = r.ratioMin, hi[IntervalUnit::Ratio] = r.ratioMax;
}
