#include "core/level_value.h"

#include <cmath>

f64 decibelsOfFactor(f64 f) { return std::fabs(f) >= 1e-10 ? 10.0 * std::log10(std::fabs(f)) : -100.0; }

f64 semitonesOfRatio(f64 r) { return r >= 1e-10 ? 12.0 * std::log(r) / std::log(2.0) : 0.0; }

void LevelValue::setFactor(f64 f) {
    factor = f;
    decibels = decibelsOfFactor(f);
    sampleValue = std::floor(f * 32767.0 + 0.5);
}

void LevelValue::set(u32 u, f64 v) {
    sampleValue = 32767.0;
    factor = 1.0;
    decibels = 0.0;
    unit = u;
    switch (u) {
    case LevelUnit::SampleValue: sampleValue = v; break;
    case LevelUnit::Factor: setFactor(v); break;
    case LevelUnit::Percent: setFactor(v / 100.0); break;
    case LevelUnit::Decibels:
        decibels = v;
        factor = std::pow(10.0, v / 10.0);
        sampleValue = factor * 32767.0;
        break;
    default: break;
    }
}

IntervalRange IntervalRange::fromSemitones(f64 a, f64 b) {
    return {{1, 1, 1, 1, 1}, std::pow(2.0, a / 12.0), std::pow(2.0, b / 12.0), a, b};
}

void semitoneRatio(IntervalValue* value, f64 x, u32 unit) {
    value->ratio = std::pow(2.0, x / 12.0);
    value->semitones = x;
    value->unit = unit;
}
