#pragma once
// HarmonicOneDialog: one harmonic (base frequency with the note picker, harmonic number, amplitude,
// phase in degrees), the rows chosen by a field mask; with mask bit 0 a check box before each row
// says which values apply. The process-wide sine defaults that seed it live here too. Its caller
// owns the dialog (on the stack of a modal run); its controls belong to its window.
#include "app/effect_dialogs.h"
#include "engine/harmonics.h"

class GCheckBox;
class GEditLine;
class GNoteBoard;
class GSpinnerField;

// Field mask bits.
enum : u32 {
    HarmonicChecks = 0x1,
    HarmonicBase = 0x2,
    HarmonicNumber = 0x4,
    HarmonicAmplitude = 0x8,
    HarmonicPhase = 0x10,
    HarmonicSineFields = 0x1E,
};

class HarmonicOneDialog : public GDialog {
public:
    explicit HarmonicOneDialog(GWindow* owner, const char* help = "gen.htm") : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeHarmonicOneDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "HarmonicOneDialog"; }
    u32 typeId() const override { return TypeHarmonicOneDialog; }
    // An accepted OK takes the phase back to radians and the frequency and note from the picker.
    bool onCommand(u32 command, GStateQuery* query) override;
    // Editing a row's value checks the row's box.
    bool onControlNotify(void* notification) override;
    // The rows whose values apply: every shown row without check boxes, else the checked ones (mask bits).
    u32 applied() const;

    HarmonicRecord values = {};  // the phase in degrees while the dialog is open
    u32 mask = 0;
    GCheckBox* switches[4] = {};  // base, number, amplitude, phase
    GNoteBoard* board = nullptr;
    GSpinnerField* number = nullptr;
    GEditLine* amplitude = nullptr;
    GEditLine* phase = nullptr;
    bool building = false;
};

// The window over a copy of `start` with the rows of the mask and "OCH"; false when it could not be made.
bool buildHarmonicBody(HarmonicOneDialog* dialog, const char* title, u32 mask, const HarmonicRecord& start);

// The process-wide sine defaults: amplitude 10000, 440 Hz, phase 0, harmonic 0, A in octave 4 at first.
HarmonicRecord& sineDefaults();
// Harmonic number, amplitude, phase and base frequency of the values into the defaults; the
// frequency derived and the note recomputed.
void storeSineDefaults(const HarmonicRecord& values);
// The values of the applied rows onto a record; the frequency derived again and the note
// recomputed when the base or the harmonic number applied.
void applyHarmonicValues(const HarmonicRecord& values, u32 applied, HarmonicRecord* record);
