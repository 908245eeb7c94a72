#pragma once
// HarmonicRandomizeDialog: the dialog of RANDOMIZE on the spectrum page: three switches (frequency,
// amplitude, phase), each enabling its percentage field, and absolute or relative ranges, over a
// working copy of the settings. Its command owns it on the stack of a modal run; the windows it
// builds belong to it.
#include "app/spectrum_settings.h"
#include "gui/kernel/dialog.h"

class GCheckBox;
class GRadioBox;
class GSpinnerField;

enum : u32 { TypeHarmonicRandomizeDialog = 1008 };

class HarmonicRandomizeDialog : public GDialog {
public:
    explicit HarmonicRandomizeDialog(GWindow* owner) : GDialog(owner, nullptr) {}

    bool isKindOf(u32 id) const override { return id == TypeHarmonicRandomizeDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "HarmonicRandomizeDialog"; }
    u32 typeId() const override { return TypeHarmonicRandomizeDialog; }
    // A switch changed: its field follows it.
    bool onControlNotify(void* notification) override;

    // Makes the window over `values` (kept as the working copy); false when it could not be made.
    bool build(const SpectrumRandom& values, const char* title, const char* explanation);
    // After OK: the switches and the mode from the boxes into the working copy.
    void readBoxes();
    // Each percentage field enabled while its switch is on.
    void enableFields();

    i32 reentry = 0;
    SpectrumRandom working;
    GCheckBox* switches[3] = {};
    GRadioBox* absoluteBox = nullptr;
    GRadioBox* relativeBox = nullptr;
    GSpinnerField* percents[3] = {};
    i32 mode = 0;  // the radio boxes' variable
};
