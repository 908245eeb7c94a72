#pragma once
// The format panels of the new-sound and rate dialogs: SampleRatePanel (six standard rates or
// another one) and NewSoundFormatPanel (file kind, tracks, encoding, with a rate panel inside).
// Each links one record into its dialog's field list that checks and then applies the panel's
// choice to the settings fields it points at. Built by their create functions into a builder;
// owned by the layout tree, their records by the field list.
#include <functional>

#include "gui/layout/group_box_item.h"

class GEditLine;
class GLabel;
class GLayoutBuilder;
class GRadioBox;
class GSpinnerField;

// The six standard rates in their order.
extern const u32 standardRates[6];
// Once-per-run notice keys of the panels.
enum : u32 { NoticeRateLow = 18201, NoticeRateHigh = 18202, NoticeRateOther = 18203, NoticeDoubleSamples = 18204 };
// The largest rate the edit line takes.
const u32 maxTypedRate = 1000000000;

class SampleRatePanel : public GGroupBoxItem {
public:
    // Edits a copy of *target; the accepted rate is written back on OK.
    static SampleRatePanel* create(GLayoutBuilder& builder, u32* target, const char* alignment = "UC");

    bool onControlNotify(void* notification) override;
    // The edit line's value when other-rate is checked; GVerifyException when it is no rate a sound
    // can have.
    void commitRate();

    u32 rate = 44100;  // the edited rate
    u32* target = nullptr;
    GRadioBox* boxes[6] = {};
    GRadioBox* other = nullptr;
    GEditLine* edit = nullptr;
    GLabel* unit = nullptr;
    // Told each time the edited rate changes.
    std::function<void(u32)> rateChanged;

private:
    SampleRatePanel(GWindow* owner, const char* caption) : GGroupBoxItem(owner, caption) {}
    void setRate(u32 value);
    bool showing = false;
};

// The settings fields a new sound's format is chosen into.
struct NewSoundFields {
    u32* tag;
    u32* channels;
    u32* encoding;
    u32* rate;
};

class NewSoundFormatPanel : public GGroupBoxItem {
public:
    static NewSoundFormatPanel* create(GLayoutBuilder& builder, const NewSoundFields& fields,
                                       const char* alignment = nullptr);

    bool onControlNotify(void* notification) override;
    // The enabling rules over the current checks.
    void updateEnabling();
    // Writes tracks, kind and encoding (after the rate panel wrote the rate).
    void apply();

    NewSoundFields fields;
    GRadioBox* riff = nullptr;
    GRadioBox* own = nullptr;
    GRadioBox* oneTrack = nullptr;
    GRadioBox* twoTracks = nullptr;
    GRadioBox* manyTracks = nullptr;
    GSpinnerField* trackCount = nullptr;
    GRadioBox* encodings[4] = {};  // 16-bit, 32-bit integer, 32-bit float, 64-bit float
    SampleRatePanel* ratePanel = nullptr;

private:
    NewSoundFormatPanel(GWindow* owner, const char* caption) : GGroupBoxItem(owner, caption) {}
    u32 trackValue = 2;  // what the spinner edits before it is applied
};
