#include "app/editor_settings.h"

#include <cmath>

LevelValue levelFactor(f64 factor) {
    LevelValue v;
    v.unit = LevelUnit::Factor;
    v.setFactor(factor);
    return v;
}

LevelValue levelPercent(f64 percent) {
    LevelValue v;
    v.set(LevelUnit::Percent, percent);
    return v;
}

LevelValue levelFull(u32 unit) {
    LevelValue v;
    v.unit = unit;
    return v;
}

IntervalValue interval(f64 value, u32 unit) {
    IntervalValue v;
    semitoneRatio(&v, value, unit);
    return v;
}

ScaleSetting& ScaleSetting::operator=(const ScaleSetting& other) {
    if (this != &other) {
        start = other.start;
        end = other.end;
        factor = other.factor;
        copyU32Array(values, other.values);
    }
    return *this;
}

EditorSettings::EditorSettings() { equalizer_data.set(55.0, 22050.0, 2.0); }
