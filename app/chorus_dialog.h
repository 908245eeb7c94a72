#pragma once
// ChorusDialog: the chorus over the Editor's chorus settings ("chorus.htm"): the voice count, the
// phaser, five options with their fields, the pulse period and seven presets. The controls write the
// settings (also on Cancel); OK, 4 and 5 fill the caller's ChorusParams. Its caller owns it (on the
// stack of a modal run); the controls belong to its window.
#include "app/effect_dialogs.h"

class ChorusParams;
class DigitField;
class FrequencyField;
class GCheckBox;
class GCombo;
class GLayoutItem;
class ValueField;

enum : u32 { ChorusPresetsCommand = 1000, chorusPresetCount = 7, chorusVoiceChoices = 8 };

// One preset row: delays in ms, detuning in semitones.
struct ChorusPreset {
    u32 voices, maxDelayMs, pulsePeriodMs;
    f64 detuneSemitones, pulseFactor, ampDiffFactor, fadeFactor;
    u8 useDelay, useDetuning, useAmpPulse, useAmpDiff, useFade;
};
// Row 1..7.
const ChorusPreset& chorusPreset(u32 row);
// The choices of the voice combo: 2, 4 ... 256.
u32 chorusVoiceChoice(u32 index);

class ChorusDialog : public GDialog {
public:
    explicit ChorusDialog(GWindow* owner, const char* help = "chorus.htm") : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeChorusDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "ChorusDialog"; }
    u32 typeId() const override { return TypeChorusDialog; }

    // 1000 offers the presets; 1, 4 and 5 are refused until a voice count is chosen, then store.
    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    // A check box's change updates which fields are enabled.
    bool onControlNotify(void* notification) override;
    void applyPreset(const ChorusPreset& row);
    void updateEnabled();

    ChorusParams* params = nullptr;  // the caller's, filled on 1, 4 and 5
    u32 rate = 44100;
    GCombo* voices = nullptr;
    GCheckBox* phaser = nullptr;
    GCheckBox* useDelay = nullptr;
    GCheckBox* useFade = nullptr;
    GCheckBox* useAmpPulse = nullptr;
    GCheckBox* useDetuning = nullptr;
    GCheckBox* useAmpDiff = nullptr;
    DigitField* maxDelay = nullptr;
    ValueField* fade = nullptr;
    ValueField* pulseAmp = nullptr;
    FrequencyField* detuning = nullptr;
    ValueField* ampDiff = nullptr;
    DigitField* pulsePeriod = nullptr;
};

// The body over the settings at the sound's rate; false when no window was made.
bool buildChorusBody(ChorusDialog* dialog, const char* title, ChorusParams* params, u32 rate);
