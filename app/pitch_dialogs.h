#pragma once
// The pitch-scale dialog (one interval), the phase-vocoder dialog in its three variants
// (transposition, tempo, stretch) with the analysis settings, and the pulsation dialog. Their
// callers own them (on the stack of a modal run); the controls belong to their windows.
#include "app/editor_settings.h"
#include "app/effect_dialogs.h"

class DigitField;
class GCombo;
class GEditLine;
class GSpinnerField;

// A pitch scale.
class PitchDialog : public GDialog {
public:
    explicit PitchDialog(GWindow* owner, const char* help = "pitch.htm") : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypePitchDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "PitchDialog"; }
    u32 typeId() const override { return TypePitchDialog; }
};

// A caption and one interval field over the record within the range ("88488", "OCH"); the field
// writes the record also on Cancel. False when no window was made.
bool buildFrequencyBody(GDialog* dialog, const char* title, const char* caption, const char* label,
                        IntervalValue* value, const IntervalRange& range);

// The variants by their command ids.
enum : u32 { PitchShiftPitch = 403, PitchShiftTempo = 404, PitchShiftStretch = 405 };

// The FFT sizes offered (entry k is 512 << k).
const u32 pitchFftSizeCount = 5;
u32 pitchFftSizeOf(u32 index);
// The tempo ratio new / old the dialog accepts: 0.25 to 4.0, both included.
bool tempoRatioAccepted(f64 oldTempo, f64 newTempo);
// The new lengths a stretch of `frames` offers: frames x 0.25 and x 4.0, truncated.
void stretchLimits(u64 frames, u32* minimum, u32* maximum);

// Transposition ("transp.htm"), tempo and stretch ("tempo.htm").
class PitchShiftDialog : public GDialog {
public:
    PitchShiftDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypePitchShiftDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "PitchShiftDialog"; }
    u32 typeId() const override { return TypePitchShiftDialog; }

    u32 command = PitchShiftPitch;
    PitchSettings* analysis = nullptr;  // written on 1, 4 and 5
    GSpinnerField* overlap = nullptr;
    GCombo* fftSize = nullptr;
    GCombo* window = nullptr;
    GEditLine* oldTempo = nullptr;
    GEditLine* newTempo = nullptr;
    DigitField* length = nullptr;
};

// The variant row over the settings (PITCH: pitchData_pitch; TEMPO: oldTempo and newTempo; STRETCH:
// `length`, a count at `rate`, limited by stretchLimits of its count), the analysis group over the
// Pitch sub-section, three captions and "OCH". False when no window was made.
bool buildPitchShiftBody(PitchShiftDialog* dialog, const char* title, u32 command, EditorSettings* settings,
                         SamplePeriod* length, u32 rate);

// Pulsation.
class PulsationDialog : public GDialog {
public:
    PulsationDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypePulsationDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "PulsationDialog"; }
    u32 typeId() const override { return TypePulsationDialog; }

    GCombo* fade = nullptr;  // none for the random pulsation
};

// Kind 1: one level over pulse0; kind 2: two over pulse1 and pulse2. With `fade` (not for the random
// pulsation) the fade shapes, whose choice is written to *fade on 1, 4 and 5. The period from 1
// frame to ten seconds at the rate. "OCH".
bool buildPulsationBody(PulsationDialog* dialog, const char* title, u32 kind, LevelValue* pulse0, LevelValue* pulse1,
                        LevelValue* pulse2, u32* fade, SamplePeriod* period, u32 rate);
