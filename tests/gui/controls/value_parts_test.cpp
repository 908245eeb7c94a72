#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

#include "core/exceptions.h"
#include "gui/controls/value_parts.h"

namespace {

struct FakeText : NumberText {
    std::string text;
    GString numberText() override { return GString(text.c_str()); }
    void setNumberText(const char* t) override { text = t; }
};

struct LevelRig {
    FakeText texts[4];
    NumberText* pointers[4] = {&texts[0], &texts[1], &texts[2], &texts[3]};
    LevelRange range{{1, 1, 1, 1}, -32767, 32767, -1, 1, -100, 0};
};

struct IntervalRig {
    FakeText texts[5];
    NumberText* pointers[5] = {&texts[0], &texts[1], &texts[2], &texts[3], &texts[4]};
};

}  // namespace

TEST(ValueUnits, EveryLevelUnitToEveryOther) {
    const f64 f = std::pow(10.0, -0.6);
    // Each row: the unit typed and the four parts after conversion (sample, factor, percent, dB).
    struct Case {
        u32 changed;
        f64 typed;
        f64 factorBefore;
        f64 sample, factor, percent, decibels;
    } cases[] = {
        {LevelUnit::SampleValue, 16383.5, 1, 16383.5, 0.5, 50, 10 * std::log10(0.5)},
        {LevelUnit::Factor, 0.5, 1, 16383.5, 0.5, 50, 10 * std::log10(0.5)},
        {LevelUnit::Percent, 50, 1, 16383.5, 0.5, 50, 10 * std::log10(0.5)},
        // Power decibels: -6 dB is 10^(-0.6), not 10^(-0.3).
        {LevelUnit::Decibels, -6, 1, f * 32767, f, f * 100, -6},
        {LevelUnit::Decibels, -6, -0.3, -f * 32767, -f, -f * 100, -6},  // the sign survives
        {LevelUnit::Factor, -0.5, 1, -16383.5, -0.5, -50, 10 * std::log10(0.5)},
        {LevelUnit::Factor, 1e-11, 1, 1e-11 * 32767, 1e-11, 1e-9, -100},
        {LevelUnit::SampleValue, 0, 1, 0, 0, 0, -100},
    };
    for (const Case& c : cases) {
        f64 p[4] = {1, c.factorBefore, 1, 1};
        p[c.changed] = c.typed;
        convertLevelParts(p, c.changed);
        SCOPED_TRACE(testing::Message() << "unit " << c.changed << " typed " << c.typed);
        EXPECT_DOUBLE_EQ(p[0], c.sample);
        EXPECT_DOUBLE_EQ(p[1], c.factor);
        EXPECT_DOUBLE_EQ(p[2], c.percent);
        EXPECT_NEAR(p[3], c.decibels, 1e-12);
    }
}

TEST(ValueUnits, EveryIntervalUnitToEveryOther) {
    // ratio, semitones, tones, octaves, cents after typing one of them.
    struct Case {
        u32 changed;
        f64 typed;
        f64 ratio, semitones, tones, octaves, cents;
    } cases[] = {
        {IntervalUnit::Octaves, 1, 2.0, 12, 6, 1, 1200},
        {IntervalUnit::Ratio, 2.0, 2.0, 12, 6, 1, 1200},
        {IntervalUnit::Semitones, 12, 2.0, 12, 6, 1, 1200},
        {IntervalUnit::Tones, 6, 2.0, 12, 6, 1, 1200},
        {IntervalUnit::Cents, 1200, 2.0, 12, 6, 1, 1200},
        {IntervalUnit::Cents, -600, std::pow(2.0, -0.5), -6, -3, -0.5, -600},
        {IntervalUnit::Ratio, 0, 0, 0, 0, 0, 0},
        {IntervalUnit::Ratio, 1e-11, 1e-11, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        f64 p[5] = {9, 9, 9, 9, 9};
        p[c.changed] = c.typed;
        convertIntervalParts(p, c.changed);
        SCOPED_TRACE(testing::Message() << "unit " << c.changed << " typed " << c.typed);
        EXPECT_DOUBLE_EQ(p[0], c.ratio);
        EXPECT_NEAR(p[1], c.semitones, 1e-12);
        EXPECT_NEAR(p[2], c.tones, 1e-12);
        EXPECT_NEAR(p[3], c.octaves, 1e-12);
        EXPECT_NEAR(p[4], c.cents, 1e-9);
    }
}

TEST(NumberValidator, RefusalKeepsTheValue) {
    FakeText text;
    f64 caller = 5;
    NumberValidator v;
    v.text = &text;
    v.bound = &caller;
    v.minimum = -10;
    v.maximum = 10;
    v.set(2.5);
    EXPECT_EQ(text.text, "2.5");
    struct Case {
        const char* typed;
        bool accepted;
    } cases[] = {{"10", true}, {"-10", true}, {"1e1", true}, {"10.0001", false}, {"", false},
                 {"3x", false}, {"abc", false}, {"1e999", false}, {"nan", false}};
    for (const Case& c : cases) {
        v.value = 2.5;
        text.text = c.typed;
        if (c.accepted) {
            EXPECT_NO_THROW(v.check()) << c.typed;
            EXPECT_EQ(v.value, std::strtod(c.typed, nullptr));
        } else {
            EXPECT_THROW(v.check(), GVerifyException) << c.typed;
            EXPECT_EQ(v.value, 2.5) << "a refused text must not reach the caller: " << c.typed;
        }
    }
    v.commit();
    EXPECT_EQ(caller, 2.5);
    // The range message names both ends.
    text.text = "11";
    try {
        v.check();
        FAIL();
    } catch (GVerifyException& e) {
        EXPECT_NE(std::string(e.text.c_str()).find("-10"), std::string::npos) << e.text.c_str();
        EXPECT_NE(std::string(e.text.c_str()).find("10"), std::string::npos);
    }
}

TEST(ValueParts, TypingThenSwitchingConverts) {
    LevelRig rig;
    LevelValue level;
    level.set(LevelUnit::Decibels, 0);
    LevelValueParts parts(&level, rig.range, rig.pointers);
    EXPECT_EQ(parts.shown, LevelUnit::Decibels);
    EXPECT_EQ(rig.texts[3].text, "0");

    // Switching alone converts nothing: the stored value of the new unit.
    parts.unitSwitched(LevelUnit::SampleValue);
    EXPECT_EQ(rig.texts[0].text, "32767");
    parts.unitSwitched(LevelUnit::Decibels);

    rig.texts[3].text = "-6";
    parts.textEdited(LevelUnit::Decibels);
    parts.unitSwitched(LevelUnit::Factor);
    EXPECT_EQ(parts.edited, -1);
    EXPECT_NEAR(std::strtod(rig.texts[1].text.c_str(), nullptr), std::pow(10.0, -0.6), 1e-12);
    EXPECT_EQ(level.factor, 1.0) << "the caller's record waits for OK";

    // Out of range at a switch: dropped; the new unit shows the value from before.
    rig.texts[1].text = "3";
    parts.textEdited(LevelUnit::Factor);
    parts.unitSwitched(LevelUnit::Percent);
    EXPECT_NEAR(std::strtod(rig.texts[2].text.c_str(), nullptr), std::pow(10.0, -0.6) * 100, 1e-9);

    // At OK a typed out-of-range value refuses and the record stays; then a good one stores.
    rig.texts[2].text = "250";
    parts.textEdited(LevelUnit::Percent);
    EXPECT_THROW(parts.check(), GVerifyException);
    EXPECT_EQ(parts.edited, (i32)LevelUnit::Percent) << "the edited mark stays";
    rig.texts[2].text = "50";
    parts.check();
    parts.commit();
    EXPECT_EQ(level.unit, LevelUnit::Percent);
    EXPECT_DOUBLE_EQ(level.factor, 0.5);
    EXPECT_DOUBLE_EQ(level.sampleValue, 16383.5);
    EXPECT_NEAR(level.decibels, 10 * std::log10(0.5), 1e-12);
}

TEST(ValueParts, UnitsThatAreNotOffered) {
    LevelRig rig;
    // Unit 7 names no part: the first enabled one shows and is stored.
    LevelValue level;
    level.unit = 7;
    LevelValueParts parts(&level, rig.range, rig.pointers);
    EXPECT_EQ(parts.shown, 0u);
    parts.commit();
    EXPECT_EQ(level.unit, 0u);

    // The sample part disabled: three units; the sample value is still converted and stored.
    rig.range.enabled[0] = 0;
    LevelValue preset;
    preset.setFactor(0.5);
    preset.unit = LevelUnit::Factor;
    rig.texts[0].text = "untouched";
    LevelValueParts three(&preset, rig.range, rig.pointers);
    EXPECT_EQ(three.enabledCount(), 3u);
    EXPECT_EQ(three.enabledAt(0), (u32)LevelUnit::Factor);
    rig.texts[1].text = "0.25";
    three.textEdited(LevelUnit::Factor);
    three.check();
    three.commit();
    EXPECT_EQ(rig.texts[0].text, "untouched");
    EXPECT_DOUBLE_EQ(preset.sampleValue, 0.25 * 32767);

    // A field that offers nothing cannot be built.
    LevelRange none = rig.range;
    none.enabled[0] = none.enabled[1] = none.enabled[2] = none.enabled[3] = 0;
    EXPECT_THROW(LevelValueParts(&level, none, rig.pointers), std::invalid_argument);
}

TEST(ValueParts, IntervalsAndPresets) {
    IntervalRig rig;
    IntervalValue v;
    semitoneRatio(&v, 0, IntervalUnit::Octaves);
    IntervalValueParts parts(&v, IntervalRange::fromSemitones(-24, 24), rig.pointers);
    rig.texts[3].text = "1";
    parts.textEdited(IntervalUnit::Octaves);
    parts.unitSwitched(IntervalUnit::Cents);
    EXPECT_EQ(rig.texts[4].text, "1200");
    parts.unitSwitched(IntervalUnit::Ratio);
    EXPECT_EQ(rig.texts[0].text, "2");
    parts.commit();
    EXPECT_DOUBLE_EQ(v.ratio, 2.0);
    EXPECT_DOUBLE_EQ(v.semitones, 12.0);
    EXPECT_EQ(v.unit, IntervalUnit::Ratio);

    parts.setRatio(0.5);
    EXPECT_EQ(rig.texts[1].text, "-12");
    EXPECT_EQ(rig.texts[2].text, "-6");

    LevelRig levelRig;
    LevelValue level;
    LevelValueParts levelParts(&level, levelRig.range, levelRig.pointers);
    levelParts.setFactor(-0.5);
    EXPECT_EQ(levelRig.texts[0].text, "-16383.5");
    EXPECT_EQ(levelRig.texts[2].text, "-50");
}

TEST(ValueParts, InADialogsFieldList) {
    // The list checks every field before it commits any: a refused level leaves both records alone.
    LevelRig levelRig;
    IntervalRig intervalRig;
    LevelValue level;
    IntervalValue interval;
    {
        GFieldList list;
        auto* levelParts = new LevelValueParts(&level, levelRig.range, levelRig.pointers);
        auto* intervalParts = new IntervalValueParts(&interval, IntervalRange::fromSemitones(-12, 12), intervalRig.pointers);
        list.link(levelParts);
        list.link(intervalParts);
        intervalRig.texts[0].text = "1.5";
        intervalParts->textEdited(IntervalUnit::Ratio);
        levelRig.texts[0].text = "40000";
        levelParts->textEdited(LevelUnit::SampleValue);
        EXPECT_THROW(list.check(), GVerifyException);
        EXPECT_EQ(level.sampleValue, 32767.0);
        EXPECT_EQ(interval.ratio, 1.0);

        levelRig.texts[0].text = "100";
        list.check();
        list.commit();
    }
    EXPECT_EQ(level.sampleValue, 100.0);
    EXPECT_DOUBLE_EQ(level.factor, 100.0 / 32767);
    EXPECT_DOUBLE_EQ(interval.ratio, 1.5);
    EXPECT_DOUBLE_EQ(interval.semitones, semitonesOfRatio(1.5));
}
