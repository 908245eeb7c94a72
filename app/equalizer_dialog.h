#pragma once
// EqualizerDialog: one vertical slider per band of a geometric band bank ("equalizer.htm"), in rows
// of at most 20, with reset, the band layout dialog and the "eq" presets. Works on its own copy of
// the bank; the caller's record changes only on 1, 4 and 5. Its caller owns it (on the stack of a
// modal run); the controls belong to its window. EqualizerLayoutDialog: the lowest and highest
// band and the ratio between bands, over the Editor's settings.
#include <vector>

#include "app/effect_dialogs.h"
#include "gui/controls/geometric_scale.h"

class FrequencyField;
class GEditLine;
class GLabel;
class GLayoutItem;
class GRegulator;

enum : u32 {
    EqSaveCommand = 1000,
    EqLoadCommand = 1001,
    EqResetCommand = 1002,
    EqLayoutCommand = 1003,
    eqBandsPerRow = 20,
};

class EqualizerDialog : public GDialog {
public:
    explicit EqualizerDialog(GWindow* owner, const char* help = "equalizer.htm") : GDialog(owner, help) {
        bank.set(50.0, 20000.0, 2.0);
    }
    bool isKindOf(u32 id) const override { return id == TypeEqualizerDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "EqualizerDialog"; }
    u32 typeId() const override { return TypeEqualizerDialog; }

    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;

    // The sliders again from the bank, and the window at its new size.
    void rebuildBands();
    // The sliders' values into the bank's gains.
    void takeSliders();
    void savePreset();
    void loadPreset();
    void changeLayout();

    GeometricScale bank;
    GeometricScale* record = nullptr;  // the caller's
    std::vector<GRegulator*> sliders;
    std::vector<GLabel*> bandLabels;
    GLayoutItem* bandArea = nullptr;
};

// The body over the caller's bank; false when no window was made.
bool buildEqualizerBody(EqualizerDialog* dialog, const char* title, GeometricScale* record);

class EqualizerLayoutDialog : public GDialog {
public:
    explicit EqualizerLayoutDialog(GWindow* owner) : GDialog(owner, "equalizer.htm") {}
    // 1, 4 and 5 pass the fields, then the layout checks; a failure is shown and the dialog stays.
    bool onCommand(u32 command, GStateQuery* query) override;

    GEditLine* lowest = nullptr;
    GEditLine* highest = nullptr;
    FrequencyField* ratio = nullptr;
};

// The layout dialog's window and fields; false when no window was made.
bool buildEqualizerLayoutBody(EqualizerLayoutDialog* dialog);
