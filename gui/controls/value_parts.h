#pragma once
// The working values behind a unit-switching value field: one NumberValidator per unit (index =
// unit), the shown unit, and the part typed into since the last conversion. A unit switch converts
// from the typed part (an out-of-range text is dropped); check at OK refuses like the typed part;
// commit writes the shown unit and every bound part. The field that shows it owns it and links it
// into its dialog's field list; the texts (edit lines) belong to the field.
#include "core/level_value.h"
#include "gui/controls/number_validator.h"
#include "gui/controls/value_units.h"

class CompositeValueParts : public GFieldBinding {
public:
    enum : u32 { Slots = 10 };
    explicit CompositeValueParts(u32* unitVariable) : unitVariable(unitVariable) {}

    // A disabled part has no text but still converts and stores.
    void addPart(u32 index, bool enabled, f64* bound, f64 minimum, f64 maximum, f64 initial, NumberText* text);
    // Shows the unit the unit variable names, or the first enabled part when it names none.
    // A field without an enabled part cannot show or store one: throws std::invalid_argument.
    void layoutParts();

    // The user picked another unit.
    void unitSwitched(u32 index);
    // The text of a part changed; only the shown part's edits count.
    void textEdited(u32 index);

    void check() override;
    void commit() override;

    // Enabled part indexes in order (the combo entries and pages).
    u32 enabledCount() const;
    u32 enabledAt(u32 k) const;

    NumberValidator parts[Slots];
    bool present[Slots] = {};
    bool enabled[Slots] = {};
    u32* unitVariable;
    u32 shown = 0;
    i32 edited = -1;

protected:
    // Sets every other part from the changed one.
    virtual void onPartChanged(u32 index) = 0;
    // Converts on the values of the first `count` parts and shows the shown part again.
    void convert(u32 index, u32 count, void (*conversion)(f64*, u32));
    // Parts 0..count-1 from the per-part arrays, then layoutParts.
    void addParts(u32 count, const u8* on, f64* const* bound, const f64* minimum, const f64* maximum,
                  const f64* initial, NumberText* const* texts);
};

// A level in sample value, factor, percent and decibels over a LevelValue.
class LevelValueParts : public CompositeValueParts {
public:
    // texts: one per unit (null for a unit the range does not offer).
    LevelValueParts(LevelValue* value, const LevelRange& range, NumberText* const* texts);
    void setFactor(f64 f);

protected:
    void onPartChanged(u32 index) override;
};

// A pitch interval in ratio, semitones, tones, octaves and cents over an IntervalValue.
class IntervalValueParts : public CompositeValueParts {
public:
    IntervalValueParts(IntervalValue* value, const IntervalRange& range, NumberText* const* texts);
    void setRatio(f64 r);

protected:
    void onPartChanged(u32 index) override;
};
