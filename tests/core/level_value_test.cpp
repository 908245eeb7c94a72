#include <gtest/gtest.h>

#include <cmath>

#include "core/level_value.h"

TEST(LevelValue, SetInEachUnit) {
    struct Case {
        u32 unit;
        f64 v;
        f64 sample, factor, decibels;
    } cases[] = {
        {LevelUnit::SampleValue, 16000, 16000, 1.0, 0.0},  // the other fields keep full scale
        {LevelUnit::Factor, 0.5, 16384, 0.5, 10 * std::log10(0.5)},
        {LevelUnit::Factor, -0.5, -16383, -0.5, 10 * std::log10(0.5)},  // floor(x + 0.5)
        {LevelUnit::Factor, 0.0, 0, 0.0, -100.0},
        {LevelUnit::Factor, 1e-11, 0, 1e-11, -100.0},
        {LevelUnit::Factor, 1e-10, 0, 1e-10, -100.0 + 1e-12},
        {LevelUnit::Percent, 50, 16384, 0.5, 10 * std::log10(0.5)},
        {LevelUnit::Decibels, -6, std::pow(10.0, -0.6) * 32767, std::pow(10.0, -0.6), -6},
        {7, 3, 32767, 1.0, 0.0},
    };
    for (const Case& c : cases) {
        LevelValue level;
        level.sampleValue = level.factor = level.decibels = 123;
        level.set(c.unit, c.v);
        EXPECT_EQ(level.unit, c.unit);
        EXPECT_DOUBLE_EQ(level.sampleValue, c.sample) << c.unit << " " << c.v;
        EXPECT_DOUBLE_EQ(level.factor, c.factor) << c.unit << " " << c.v;
        EXPECT_NEAR(level.decibels, c.decibels, 1e-9) << c.unit << " " << c.v;
    }
    EXPECT_EQ(decibelsOfFactor(NAN), -100.0);
}

TEST(IntervalValue, RatiosFromSemitones) {
    IntervalValue v;
    semitoneRatio(&v, 12, 3);
    EXPECT_DOUBLE_EQ(v.ratio, 2.0);
    EXPECT_EQ(v.semitones, 12.0);
    EXPECT_EQ(v.unit, 3u);
    semitoneRatio(&v, -24, 0);
    EXPECT_DOUBLE_EQ(v.ratio, 0.25);

    IntervalRange r = IntervalRange::fromSemitones(-12, 24);
    for (u8 on : r.enabled) EXPECT_EQ(on, 1);
    EXPECT_DOUBLE_EQ(r.ratioMin, 0.5);
    EXPECT_DOUBLE_EQ(r.ratioMax, 4.0);
    EXPECT_EQ(r.semitoneMin, -12.0);
    EXPECT_EQ(r.semitoneMax, 24.0);

    EXPECT_EQ(semitonesOfRatio(0), 0.0);
    EXPECT_EQ(semitonesOfRatio(-2), 0.0);
    EXPECT_EQ(semitonesOfRatio(NAN), 0.0);
    EXPECT_DOUBLE_EQ(semitonesOfRatio(2), 12.0);
}
