#include "gui/controls/value_parts.h"

#include <stdexcept>

#include "core/exceptions.h"

void CompositeValueParts::addPart(u32 index, bool on, f64* bound, f64 minimum, f64 maximum, f64 initial,
                                  NumberText* text) {
    NumberValidator& p = parts[index];
    present[index] = true;
    enabled[index] = on && text;
    p.bound = bound;
    p.minimum = minimum;
    p.maximum = maximum;
    p.text = enabled[index] ? text : nullptr;
    p.set(initial);
}

void CompositeValueParts::addParts(u32 count, const u8* on, f64* const* bound, const f64* minimum,
                                   const f64* maximum, const f64* initial, NumberText* const* texts) {
    for (u32 i = 0; i < count; ++i) addPart(i, on[i], bound[i], minimum[i], maximum[i], initial[i], texts[i]);
    layoutParts();
}

u32 CompositeValueParts::enabledCount() const {
    u32 n = 0;
    for (u32 i = 0; i < Slots; ++i) n += enabled[i];
    return n;
}

u32 CompositeValueParts::enabledAt(u32 k) const {
    for (u32 i = 0; i < Slots; ++i)
        if (enabled[i] && !k--) return i;
    return Slots;
}

void CompositeValueParts::layoutParts() {
    if (!enabledCount()) throw std::invalid_argument("a value field needs an enabled part");
    const u32 wanted = unitVariable ? *unitVariable : 0;
    shown = wanted < Slots && enabled[wanted] ? wanted : enabledAt(0);
}

void CompositeValueParts::unitSwitched(u32 index) {
    if (index >= Slots || !enabled[index]) return;
    shown = index;
    if (edited >= 0) {
        try {
            parts[edited].check();
            onPartChanged((u32)edited);
        } catch (GVerifyException&) {
            // An out-of-range or unreadable text is dropped: the new unit shows the value from before.
        }
    }
    edited = -1;
    parts[shown].show();
}

void CompositeValueParts::textEdited(u32 index) {
    if (index == shown) edited = (i32)index;
}

void CompositeValueParts::check() {
    if (edited < 0) return;
    parts[edited].check();
    onPartChanged((u32)edited);
}

void CompositeValueParts::commit() {
    if (unitVariable) *unitVariable = shown;
    for (u32 i = 0; i < Slots; ++i)
        if (present[i]) parts[i].commit();
}

void CompositeValueParts::convert(u32 index, u32 count, void (*conversion)(f64*, u32)) {
    f64 values[Slots];
    for (u32 i = 0; i < count; ++i) values[i] = parts[i].value;
    conversion(values, index);
    for (u32 i = 0; i < count; ++i) parts[i].value = values[i];
    parts[shown].show();
}

// ---- level ----

LevelValueParts::LevelValueParts(LevelValue* v, const LevelRange& r, NumberText* const* texts)
    : CompositeValueParts(&v->unit) {
    f64 values[LevelPartCount], lo[LevelPartCount], hi[LevelPartCount];
    levelPartsOf(*v, values);
    levelPartRanges(r, lo, hi);
    f64* bound[LevelPartCount] = {&v->sampleValue, &v->factor, nullptr, &v->decibels};
    addParts(LevelPartCount, r.enabled, bound, lo, hi, values, texts);
}

void LevelValueParts::onPartChanged(u32 index) { convert(index, LevelPartCount, convertLevelParts); }

void LevelValueParts::setFactor(f64 f) {
    f64 values[LevelPartCount];
    levelPartsFromFactor(values, f);
    for (u32 i = 0; i < LevelPartCount; ++i) parts[i].set(values[i]);
}

// ---- interval ----

IntervalValueParts::IntervalValueParts(IntervalValue* v, const IntervalRange& r, NumberText* const* texts)
    : CompositeValueParts(&v->unit) {
    f64 values[IntervalPartCount], lo[IntervalPartCount], hi[IntervalPartCount];
    intervalPartsOf(*v, values);
    intervalPartRanges(r, lo, hi);
    f64* bound[IntervalPartCount] = {&v->ratio, &v->semitones, nullptr, nullptr, nullptr};
    addParts(IntervalPartCount, r.enabled, bound, lo, hi, values, texts);
}

void IntervalValueParts::onPartChanged(u32 index) { convert(index, IntervalPartCount, convertIntervalParts); }

void IntervalValueParts::setRatio(f64 r) {
    f64 values[IntervalPartCount];
    intervalPartsFromRatio(values, r);
    for (u32 i = 0; i < IntervalPartCount; ++i) parts[i].set(values[i]);
}
