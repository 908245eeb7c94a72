// Value fields and sample count fields in a shown dialog: units switched with the closed combo's
// keys, checks and stores through the dialog's field list, the count field's conversions, rates,
// read-only state and button.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "gui/controls/button.h"
#include "gui/controls/combo.h"
#include "gui/controls/digit_field.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/page_switch_item.h"
#include "gui/controls/spinner.h"
#include "gui/controls/spinner_field.h"
#include "gui/controls/value_field.h"
#include "gui/input/input_routing.h"
#include "gui/kernel/gui_texts.h"
#include "tests/gui/control_fixture.h"
#include "tests/support/test_support.h"

using namespace controls;

namespace {

struct FieldFixture : ColumnFixture {
    FieldFixture() : ColumnFixture() {
        builder.fieldList = &dialog->fields;
        recordedBoxes().clear();
    }
};

// Up or Down to the closed combo, as the user changes the unit.
void pressKey(GCombo* combo, u32 vk) {
    GInputEvent e = GInputEvent::keyDown(vk);
    e.target = combo;
    routeKeyEvent(&e);
}

std::string textOf(GEditLine* edit) { return edit ? edit->text() : "(none)"; }

const LevelRange kAllLevels{{1, 1, 1, 1}, -32767, 32767, -1, 1, -100, 0};

TEST(ValueField, TypingThenSwitchingConvertsAndSwitchingAloneDoesNot) {
    FieldFixture f;
    LevelValue level{16383.5, 0.5, 10 * std::log10(0.5), LevelUnit::Decibels};
    ValueField* field = addValueField(f.builder, "Gain", &level, kAllLevels);
    f.layout();
    ASSERT_EQ(4, field->combo->rowCount());
    EXPECT_EQ(3, field->combo->selection);
    EXPECT_EQ(3, field->chooser->stack->current);

    // Switching alone shows the stored value of the new unit.
    pressKey(field->combo, VK_UP);
    EXPECT_EQ(2, field->chooser->stack->current);
    EXPECT_EQ("50", textOf(field->editOf(LevelUnit::Percent)));
    pressKey(field->combo, VK_DOWN);
    EXPECT_EQ(3, field->chooser->stack->current);

    // -6 dB typed, then factor: power decibels.
    field->editOf(LevelUnit::Decibels)->setText("-6");
    pressKey(field->combo, VK_UP);
    pressKey(field->combo, VK_UP);
    EXPECT_EQ(1, field->chooser->stack->current);
    EXPECT_NEAR(std::pow(10.0, -0.6), atof(field->editOf(LevelUnit::Factor)->text()), 1e-12);
    EXPECT_EQ(0.5, level.factor);  // nothing stored before OK

    ASSERT_TRUE(f.dialog->validate(&f.dialog->fields));
    EXPECT_EQ(LevelUnit::Factor, level.unit);
    EXPECT_NEAR(std::pow(10.0, -0.6), level.factor, 1e-12);
    EXPECT_DOUBLE_EQ(-6, level.decibels);
    EXPECT_NEAR(std::pow(10.0, -0.6) * 32767, level.sampleValue, 1e-9);
    EXPECT_TRUE(recordedBoxes().empty());
}

TEST(ValueField, OutOfRangeIsDroppedAtASwitchAndRefusedAtOk) {
    FieldFixture f;
    LevelValue level{32767, 1, 0, LevelUnit::Factor};
    ValueField* field = addValueField(f.builder, "Gain", &level, kAllLevels);
    f.layout();

    // At a switch the typed text goes: the new unit shows the value from before.
    field->editOf(LevelUnit::Factor)->setText("3");
    pressKey(field->combo, VK_DOWN);
    EXPECT_EQ("100", textOf(field->editOf(LevelUnit::Percent)));
    pressKey(field->combo, VK_UP);
    EXPECT_EQ("1", textOf(field->editOf(LevelUnit::Factor)));

    // At OK the range message, the dialog stays and the record is untouched.
    field->editOf(LevelUnit::Factor)->setText("3");
    EXPECT_FALSE(f.dialog->validate(&f.dialog->fields));
    ASSERT_EQ(1u, recordedBoxes().size());
    EXPECT_NE(std::string::npos, recordedBoxes()[0].text.find("from -1 to 1")) << recordedBoxes()[0].text;
    EXPECT_EQ(1.0, level.factor);
    EXPECT_EQ(32767.0, level.sampleValue);
    EXPECT_EQ(LevelUnit::Factor, level.unit);

    // Text that is no number is refused with the number message.
    field->editOf(LevelUnit::Factor)->setText("1x");
    EXPECT_FALSE(f.dialog->validate(&f.dialog->fields));
    ASSERT_EQ(2u, recordedBoxes().size());
    EXPECT_EQ(std::string(guiText(GuiText::NumberMessage)), recordedBoxes()[1].text);
    EXPECT_EQ(1.0, level.factor);
}

TEST(ValueField, AnUnknownUnitShowsAndStoresTheFirstEnabledOne) {
    FieldFixture f;
    // No sample value unit offered: three entries, but the sample value is still stored.
    LevelRange range = kAllLevels;
    range.enabled[0] = 0;
    LevelValue level{32767, 1, 0, 7};
    ValueField* field = addValueField(f.builder, "Gain", &level, range);
    f.layout();
    EXPECT_EQ(3, field->combo->rowCount());
    EXPECT_EQ(nullptr, field->editOf(LevelUnit::SampleValue));
    EXPECT_EQ(0, field->chooser->stack->current);
    EXPECT_EQ("1", textOf(field->editOf(LevelUnit::Factor)));

    field->editOf(LevelUnit::Factor)->setText("0.25");
    ASSERT_TRUE(f.dialog->validate(&f.dialog->fields));
    EXPECT_EQ(LevelUnit::Factor, level.unit);
    EXPECT_EQ(0.25, level.factor);
    EXPECT_EQ(0.25 * 32767, level.sampleValue);
}

TEST(ValueField, AFieldWithoutAnOfferedUnitIsRefused) {
    FieldFixture f;
    LevelRange none = kAllLevels;
    for (u8& e : none.enabled) e = 0;
    LevelValue level{32767, 1, 0, 0};
    EXPECT_THROW(addValueField(f.builder, "Gain", &level, none), std::invalid_argument);
}

TEST(FrequencyField, OctavesConvertAndSetRatioRewritesTheShownText) {
    FieldFixture f;
    IntervalValue interval{1, 0, IntervalUnit::Octaves};
    FrequencyField* field =
        addFrequencyField(f.builder, "Pitch", &interval, IntervalRange::fromSemitones(-24, 24));
    f.layout();
    ASSERT_EQ(5, field->combo->rowCount());
    EXPECT_EQ(3, field->chooser->stack->current);
    field->editOf(IntervalUnit::Octaves)->setText("1");
    pressKey(field->combo, VK_DOWN);
    EXPECT_EQ("1200", textOf(field->editOf(IntervalUnit::Cents)));
    ASSERT_TRUE(f.dialog->validate(&f.dialog->fields));
    EXPECT_EQ(IntervalUnit::Cents, interval.unit);
    EXPECT_DOUBLE_EQ(2.0, interval.ratio);
    EXPECT_DOUBLE_EQ(12.0, interval.semitones);

    field->setRatio(0.5);
    EXPECT_EQ("-1200", textOf(field->editOf(IntervalUnit::Cents)));
}

TEST(ValueField, TheFieldListOutlivesTheWindows) {
    LevelValue level{32767, 1, 0, LevelUnit::Factor};
    FieldFixture f;
    addValueField(f.builder, "Gain", &level, kAllLevels)->editOf(LevelUnit::Factor)->setText("0.5");
    f.dialog->fields.check();
    // The lines go with the window; the parts keep their values and still store.
    DestroyWindow(f.dialog->hwnd);
    f.dialog->fields.commit();
    EXPECT_EQ(0.5, level.factor);
    EXPECT_EQ(0.5 * 32767, level.sampleValue);
}

// ---- sample count field ----

struct DigitRig : FieldFixture {
    SampleCountRecord record{44100, 44100};
    DigitField* make(const SampleCountRange& range, u32 rate = 44100) {
        DigitField* field = addDigitField(builder, "Length", &record, range, rate);
        layout();
        return field;
    }
};

const SampleCountRange kCounts{0, 0, 10000000, -1};

TEST(DigitField, TimeAndSamplesConvertAtTheRate) {
    DigitRig f;
    DigitField* field = f.make(kCounts);
    EXPECT_EQ("1.000", textOf(field->time->edit));
    EXPECT_EQ("44100", textOf(field->samples->edit));
    EXPECT_EQ(0, field->chooser->stack->current);

    field->time->edit->setText("1.500");
    EXPECT_EQ("66150", textOf(field->samples->edit));
    pressKey(field->combo, VK_DOWN);
    EXPECT_EQ(1, field->chooser->stack->current);
    field->samples->edit->setText("22050");
    EXPECT_EQ("0.500", textOf(field->time->edit));
    // Out of range while typing converts nothing.
    field->samples->edit->setText("10000001");
    EXPECT_EQ("0.500", textOf(field->time->edit));

    // At OK the samples page is checked; the record keeps its values.
    EXPECT_FALSE(f.dialog->validate(&f.dialog->fields));
    ASSERT_EQ(1u, recordedBoxes().size());
    EXPECT_EQ(44100u, f.record.count);
    field->samples->edit->setText("22050");
    ASSERT_TRUE(f.dialog->validate(&f.dialog->fields));
    EXPECT_EQ(22050u, f.record.count);
    EXPECT_EQ(44100u, f.record.rate);
}

TEST(DigitField, ARecordFromAnotherRateOpensOnceRescaled) {
    DigitRig f;
    f.record = {22050, 22050};
    DigitField* field = f.make(kCounts);
    EXPECT_EQ("44100", textOf(field->samples->edit));
    ASSERT_TRUE(f.dialog->validate(&f.dialog->fields));
    // Stored with the field's rate: opening it again does not rescale again.
    EXPECT_EQ(44100u, f.record.count);
    EXPECT_EQ(44100u, f.record.rate);

    // The group factory keeps the count as it is.
    SampleCountRecord kept{22050, 22050};
    DigitField* group = addValueFieldGroup(f.builder, "Kept", &kept, kCounts, 44100);
    EXPECT_EQ("22050", textOf(group->samples->edit));
    EXPECT_THROW(addDigitField(f.builder, "Zero", &kept, kCounts, 0), std::invalid_argument);
}

TEST(DigitField, ARateChangeKeepsTheTime) {
    DigitRig f;
    DigitField* field = f.make(kCounts);
    field->setSampleRate(48000);
    EXPECT_EQ("1.000", textOf(field->time->edit));
    EXPECT_EQ("48000", textOf(field->samples->edit));
    ASSERT_TRUE(f.dialog->validate(&f.dialog->fields));
    EXPECT_EQ(48000u, f.record.count);
    EXPECT_EQ(48000u, f.record.rate);
}

TEST(DigitField, OkReadsThePageTypedInLast) {
    // 100..44100 samples at 44100: 0.002 to 1.000 seconds.
    const SampleCountRange range{0, 100, 44100, -1};
    struct Case {
        const char* name;
        const char* time;     // typed into the time page last (null: the samples page)
        const char* samples;  // typed into the samples page first (null: none)
        bool accepted;
        u32 count;
    };
    const Case cases[] = {
        {"a time past the range", "2.000", nullptr, false, 44100},
        {"no time at all", "abc", nullptr, false, 44100},
        {"a time after good samples", "5.000", "22050", false, 44100},
        {"a good time after bad samples", "0.500", "99999999", true, 22050},
        {"the range's first time", "0.002", nullptr, true, 100},
        {"samples typed last", nullptr, "300", true, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DigitRig f;
        DigitField* field = f.make(range);
        if (c.samples) field->samples->edit->setText(c.samples);
        if (c.time) field->time->edit->setText(c.time);
        recordedBoxes().clear();
        EXPECT_EQ(c.accepted, f.dialog->validate(&f.dialog->fields));
        EXPECT_EQ(c.count, f.record.count);
        if (c.accepted) {
            EXPECT_TRUE(recordedBoxes().empty());
        } else {
            ASSERT_EQ(1u, recordedBoxes().size());
            EXPECT_EQ(std::string(field->time->rangeMessage().c_str()), recordedBoxes()[0].text);
            EXPECT_NE(std::string::npos, recordedBoxes()[0].text.find("1.000"));
        }
    }
}

TEST(DigitField, ARateChangeKeepsBothPagesInAgreement) {
    // 1 to 48000 samples: 1.000 s at 48000 does not fit at 96000 (0.500 s at most) and is held
    // there; that time then stays through the next rates.
    struct Case {
        u32 rate;
        const char* time;
        const char* samples;
    };
    const Case cases[] = {{96000, "0.500", "48000"}, {22050, "0.500", "11025"}, {48000, "0.500", "24000"}};
    DigitRig f;
    f.record = {48000, 48000};
    DigitField* field = f.make({0, 1, 48000, -1}, 48000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        field->setSampleRate(c.rate);
        EXPECT_EQ(c.time, textOf(field->time->edit));
        EXPECT_EQ(c.samples, textOf(field->samples->edit));
        ASSERT_TRUE(f.dialog->validate(&f.dialog->fields));
        EXPECT_EQ((u32)std::stoul(c.samples), f.record.count);
    }
}

TEST(DigitField, ReadOnlyAndTheButton) {
    struct Case {
        u8 readOnly;
        i32 command;
        bool button;
    } cases[] = {{1, 0, true}, {0, 0, true}, {1, -1, false}, {0, -1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "read-only " << (int)c.readOnly << " command " << c.command);
        DigitRig f;
        DigitField* field = f.make({c.readOnly, 0, 10000000, c.command});
        EXPECT_EQ(c.button, field->button != nullptr);
        const BOOL enabled = !c.readOnly;
        EXPECT_EQ(enabled, IsWindowEnabled(field->time->edit->hwnd));
        EXPECT_EQ(enabled, IsWindowEnabled(field->samples->edit->hwnd));
        EXPECT_EQ(enabled, IsWindowEnabled(field->samples->arrows->hwnd));
        if (field->button) {
            EXPECT_EQ(c.readOnly != 0, field->button->checked());
            EXPECT_EQ(0, GetWindowLongA(field->button->hwnd, GWL_STYLE) & WS_TABSTOP);
        }
        // Back and forth, with or without a button.
        field->setReadOnly(!c.readOnly);
        EXPECT_EQ(!enabled, IsWindowEnabled(field->samples->edit->hwnd));
    }
}

}  // namespace
