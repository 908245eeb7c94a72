#pragma once
// AmpDialog: one amplitude over a level record, in the units and limits its caller sets before the
// body is built ("volume2.htm", "ari.htm", "volume1.htm"). Its caller owns it (on the stack of a
// modal run); the field belongs to its window.
#include "app/effect_dialogs.h"
#include "core/level_value.h"

class ValueField;

class AmpDialog : public GDialog {
public:
    AmpDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeAmpDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "AmpDialog"; }
    u32 typeId() const override { return TypeAmpDialog; }

    // Units offered (sample value, factor, percent, decibels) and their ranges.
    LevelRange limits = {{1, 1, 1, 1}, -32767.0, 32767.0, -1.0, 1.0, -30.0, 0.0};
    ValueField* field = nullptr;
};

// The title, the caption, the labelled amplitude field over the record within the dialog's limits,
// and "OCH" ("OC" without a help page). What the user types stays in the record also on Cancel.
// Answers the field; null when the window could not be made.
ValueField* buildDialogBody(AmpDialog* dialog, const char* title, const char* caption, const char* label,
                            LevelValue* record);
