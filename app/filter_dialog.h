#pragma once
// The filter parameter body and its two dialogs: GFilterDialog for the cut and pass filters and
// GBQFFilterDialog for the biquad kinds, which keeps its result for the caller. The body shows only
// the fields named in its descriptor. Callers own the dialogs (on the stack of a modal run).
#include "app/effect_dialogs.h"
#include "core/level_value.h"

class GEditLine;
class GLabel;
class GSpinnerField;
class FrequencyField;
class ValueField;

// One pointer per optional field; null leaves the field out.
struct FilterFields {
    const char* label1 = nullptr;
    f64* frequency1 = nullptr;  // Hz
    const char* label2 = nullptr;
    f64* frequency2 = nullptr;
    i32* order = nullptr;  // 1 to 10
    IntervalValue* interval = nullptr;
    LevelValue* gain = nullptr;
    const char* label3 = nullptr;
    f64* number = nullptr;  // 0.01 to 100
};

class GFilterDialog : public GDialog {
public:
    explicit GFilterDialog(GWindow* owner, const char* help = "filters.htm") : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeGFilterDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GFilterDialog"; }
    u32 typeId() const override { return TypeGFilterDialog; }
    // A typed frequency shows its note beside it.
    bool onControlNotify(void* notification) override;

    GEditLine* frequency[2] = {};
    GLabel* note[2] = {};
    GEditLine* number = nullptr;
    GSpinnerField* order = nullptr;
    FrequencyField* interval = nullptr;
    ValueField* gain = nullptr;
};

// Kinds: action id - BQF_LOW_PASS.
enum : u32 {
    BiquadLowPass,
    BiquadHighPass,
    BiquadBandPass,
    BiquadNotch,
    BiquadBand,
    BiquadLowShelf,
    BiquadHighShelf,
    BiquadPhaser,
    BiquadKindCount
};

// The values the biquad dialog edits, remembered by its caller.
struct BiquadValues {
    f64 frequency = 1000.0;
    IntervalValue interval = {2.0, 12.0, 1, 0};
    LevelValue gain = {32767.0, 1.0, 0.0, 1, 0};
    f64 number1 = 0.7071;  // kinds 0, 1, 2, 7
    f64 number2 = 1.0;     // kinds 5 and 6
    i32* order = nullptr;  // shared with the cut filters
};

// What an accepted biquad dialog hands on: the gain factor (0 for kinds 0 to 3 and 7), the
// frequency, the third value (the number; for kinds 3 and 4 the interval in octaves) and the order.
struct BiquadResult {
    u32 kind = 0;
    f64 gain = 0.0;
    f64 frequency = 0.0;
    f64 third = 0.0;
    u32 order = 1;
};

// The descriptor of a biquad kind over the values.
FilterFields biquadFields(u32 kind, BiquadValues* values);
BiquadResult biquadResultOf(u32 kind, const BiquadValues& values);

class GBQFFilterDialog : public GFilterDialog {
public:
    explicit GBQFFilterDialog(GWindow* owner, const char* help = "filters.htm") : GFilterDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeGBQFFilterDialog || GFilterDialog::isKindOf(id); }
    const char* className() const override { return "GBQFFilterDialog"; }
    u32 typeId() const override { return TypeGBQFFilterDialog; }
    // 1, 4 and 5 validate and, when the dialog ends with the code, fill the result.
    bool onCommand(u32 command, GStateQuery* query) override;

    u32 kind = 0;
    BiquadValues* values = nullptr;
    BiquadResult biquad;  // filled when the dialog ends with 1, 4 or 5
};

// Frequencies 1 Hz to 100000 Hz with their notes; "88408" and "OCH". False when no window was made.
bool buildFilterBody(GFilterDialog* dialog, const char* title, const FilterFields& fields);
// The biquad dialog of a kind over the values.
bool buildBiquadBody(GBQFFilterDialog* dialog, const char* title, u32 kind, BiquadValues* values);
