#pragma once
// The family of the edit and effect dialogs: thin GDialog classes, each with its class name, type id,
// help page and kind test. Their bodies are built by the effect handlers; a dialog that grows members
// of its own moves to a file of its own (the plug-in dialogs are the Editor's; the pitch, pulsation,
// filter and range dialogs are in pitch_dialogs.h, filter_dialog.h and range_window.h). Callers own them
// (usually on the stack of a modal run).
// The shared behaviour (Esc and Ctrl+F4 end with 2, validation on 1, 4 and 5, Help only with a
// page) is GDialog's.
#include "gui/kernel/dialog.h"

enum : u32 {
    TypeGAddRemoveTracksDialog = 98,
    TypeGModifyTracksDialog = 99,
    TypeGVSTInfoDialog = 112,
    TypeGVSTEffectDialog = 113,
    TypeGVSTInstrumentDialog = 114,
    TypeGFilterDialog = 121,
    TypeGBQFFilterDialog = 122,
    TypeDurationDialog = 1005,
    TypeHarmonicOneDialog = 1006,
    TypeRangeWin = 1010,
    TypeFormatDialog = 1013,
    TypeRateDialog = 1014,
    TypeAmpDialog = 1017,
    TypePulsationDialog = 1018,
    TypePitchDialog = 1019,
    TypePitchShiftDialog = 1020,
    TypeEchoDialog = 1021,
    TypeReverberationDialog = 1022,
    TypeEqualizerDialog = 1024,
    TypeVibrationDialog = 1025,
    TypeChorusDialog = 1026,
    TypeFindDialog = 1027,
    TypeFFTDialog = 1036,
    TypeRecordDialog = 1037,
    TypeRecordProcessDialog = 1038,
};

// One duration ("copypaste.htm" or "setsize.htm").
class DurationDialog : public GDialog {
public:
    DurationDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeDurationDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "DurationDialog"; }
    u32 typeId() const override { return TypeDurationDialog; }
};

// The format of a new sound.
class FormatDialog : public GDialog {
public:
    FormatDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeFormatDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "FormatDialog"; }
    u32 typeId() const override { return TypeFormatDialog; }
};

// A new sample rate.
class RateDialog : public GDialog {
public:
    RateDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeRateDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "RateDialog"; }
    u32 typeId() const override { return TypeRateDialog; }
};

// Vibrato.
class VibrationDialog : public GDialog {
public:
    VibrationDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeVibrationDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "VibrationDialog"; }
    u32 typeId() const override { return TypeVibrationDialog; }
};

