#pragma once
// DigitField: a framed sample count entered as a time or as samples: a unit combo beside a page
// stack of a time spinner and a samples spinner, and an optional command button. The working
// values live in a SampleCountParts that the field links into its dialog's field list (which owns
// it). Owned like any item.
#include "gui/controls/sample_count.h"
#include "gui/layout/group_box_item.h"

class GButton;
class GCombo;
class GLayoutBuilder;
class GPageSwitchItem;
class GSpinnerField;
class DigitParts;

class DigitField : public GGroupBoxItem {
public:
    // rescale: a record taken at another rate is converted to `rate`. Rate 0 throws std::invalid_argument.
    DigitField(GLayoutBuilder& builder, const char* title, SampleCountRecord* record, const SampleCountRange& range,
               u32 rate, bool rescale);
    ~DigitField() override;

    bool onControlNotify(void* notification) override;
    // The time stays, the count follows the rate.
    void setSampleRate(u32 rate);
    // Shows a count of samples as if typed (held to the range).
    void setCount(u32 samples);
    // The count stays, the time and the limits follow the rate.
    void setRateKeepingCount(u32 rate, u32 maximum);
    // Disables both pages and marks the button.
    void setReadOnly(bool readOnly);

    GPageSwitchItem* chooser;
    GCombo* combo;
    GSpinnerField* time;
    GSpinnerField* samples;
    GButton* button = nullptr;
    DigitParts* parts = nullptr;  // owned by the field list; null once gone
    bool timeEditedLast = false;  // OK reads the page typed in last (the exact count until then)

private:
    void showTime();
    void showSamples();

    u32 timeValue = 0, samplesValue = 0;  // the spinners' variables (never committed)
    bool built = false;
};

DigitField* addDigitField(GLayoutBuilder& builder, const char* title, SampleCountRecord* record,
                          const SampleCountRange& range, u32 rate, const char* digits = nullptr,
                          const char* alignment = nullptr);
// The same without rescaling the record, aligned "UC".
DigitField* addValueFieldGroup(GLayoutBuilder& builder, const char* title, SampleCountRecord* record,
                               const SampleCountRange& range, u32 rate);
