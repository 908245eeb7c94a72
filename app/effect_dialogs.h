#pragma once
// The family of the edit and effect dialogs: thin GDialog classes, each with its class name, type id,
// help page and kind test. Their bodies are built by the effect handlers; a dialog that grows members
// of its own moves to a file of its own (the plug-in dialogs are the Editor's). Callers own them
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

// Tracks to add or remove.
class GAddRemoveTracksDialog : public GDialog {
public:
    GAddRemoveTracksDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeGAddRemoveTracksDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GAddRemoveTracksDialog"; }
    u32 typeId() const override { return TypeGAddRemoveTracksDialog; }
};

// Track changes.
class GModifyTracksDialog : public GDialog {
public:
    GModifyTracksDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeGModifyTracksDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GModifyTracksDialog"; }
    u32 typeId() const override { return TypeGModifyTracksDialog; }
};

// Cut-off and band frequencies.
class GFilterDialog : public GDialog {
public:
    explicit GFilterDialog(GWindow* owner, const char* help = "filters.htm") : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeGFilterDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GFilterDialog"; }
    u32 typeId() const override { return TypeGFilterDialog; }
};

// Biquad filter parameters.
class GBQFFilterDialog : public GFilterDialog {
public:
    explicit GBQFFilterDialog(GWindow* owner, const char* help = "filters.htm") : GFilterDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeGBQFFilterDialog || GFilterDialog::isKindOf(id); }
    const char* className() const override { return "GBQFFilterDialog"; }
    u32 typeId() const override { return TypeGBQFFilterDialog; }
};

// One duration ("copypaste.htm" or "setsize.htm").
class DurationDialog : public GDialog {
public:
    DurationDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeDurationDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "DurationDialog"; }
    u32 typeId() const override { return TypeDurationDialog; }
};

// One harmonic.
class HarmonicOneDialog : public GDialog {
public:
    explicit HarmonicOneDialog(GWindow* owner, const char* help = "gen.htm") : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeHarmonicOneDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "HarmonicOneDialog"; }
    u32 typeId() const override { return TypeHarmonicOneDialog; }
};

// The selected range.
class RangeWin : public GDialog {
public:
    explicit RangeWin(GWindow* owner, const char* help = "range.htm") : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeRangeWin || GDialog::isKindOf(id); }
    const char* className() const override { return "RangeWin"; }
    u32 typeId() const override { return TypeRangeWin; }
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

// Pulsation.
class PulsationDialog : public GDialog {
public:
    PulsationDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypePulsationDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "PulsationDialog"; }
    u32 typeId() const override { return TypePulsationDialog; }
};

// A pitch scale.
class PitchDialog : public GDialog {
public:
    explicit PitchDialog(GWindow* owner, const char* help = "pitch.htm") : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypePitchDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "PitchDialog"; }
    u32 typeId() const override { return TypePitchDialog; }
};

// Transposition, tempo, stretch ("transp.htm" or "tempo.htm").
class PitchShiftDialog : public GDialog {
public:
    PitchShiftDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypePitchShiftDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "PitchShiftDialog"; }
    u32 typeId() const override { return TypePitchShiftDialog; }
};

// Vibrato.
class VibrationDialog : public GDialog {
public:
    VibrationDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeVibrationDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "VibrationDialog"; }
    u32 typeId() const override { return TypeVibrationDialog; }
};

// A search.
class FindDialog : public GDialog {
public:
    FindDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeFindDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "FindDialog"; }
    u32 typeId() const override { return TypeFindDialog; }
};

// Spectrum analysis settings.
class FFTDialog : public GDialog {
public:
    explicit FFTDialog(GWindow* owner, const char* help = "spectran.htm") : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeFFTDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "FFTDialog"; }
    u32 typeId() const override { return TypeFFTDialog; }
};
