#pragma once
// The parameter dialogs of the spectrum page's jobs: SpectrumGenParamsDialog (rate, FFT size and
// threshold of SPECTRUM_OPTIONS, MAKE_FOURIER and REMOVE_SMEARING) and SpectrumRestoreOverDialog
// (the four values of RESTORE_OVER), with the two layout builders. Commands own the dialogs on the
// stack of a modal run; the windows and bound fields the builders make belong to them.
#include "gui/kernel/dialog.h"

class GLayoutBuilder;
class GSpinnerField;

enum : u32 { TypeSpectrumGenParamsDialog = 1033, TypeSpectrumRestoreOverDialog = 1034 };

// One bound number of a job dialog: its heading, its label and its variable (a u32 or i32 when
// whole, else an f64) with the bounds.
struct JobDialogValue {
    const char* heading;
    const char* label;
    bool whole;
    void* variable;
    f64 minimum, maximum;
};

// The explanation, the format panel on the rate, two headed value rows, a rule and OK, Cancel.
// False when the window could not be made; the fields made are written to `fields`.
bool buildFormatValuesDialog(GDialog* dialog, const char* title, const char* explanation, u32* sampleRate,
                             const JobDialogValue values[2], GSpinnerField* fields[2]);
// Four headed value rows (edit widths 8, 3, 8, 8), a rule and OK, Cancel, titled RESTORE_OVER.
bool buildRestoreOverDialog(GDialog* dialog, const JobDialogValue values[4], GSpinnerField* fields[4]);

class SpectrumGenParamsDialog : public GDialog {
public:
    SpectrumGenParamsDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeSpectrumGenParamsDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "SpectrumGenParamsDialog"; }
    u32 typeId() const override { return TypeSpectrumGenParamsDialog; }

    GSpinnerField* sizeField = nullptr;
    GSpinnerField* thresholdField = nullptr;
};

class SpectrumRestoreOverDialog : public GDialog {
public:
    explicit SpectrumRestoreOverDialog(GWindow* owner) : GDialog(owner, "eva_over.htm") {}
    bool isKindOf(u32 id) const override { return id == TypeSpectrumRestoreOverDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "SpectrumRestoreOverDialog"; }
    u32 typeId() const override { return TypeSpectrumRestoreOverDialog; }

    GSpinnerField* fields[4] = {};
};
