#pragma once
// GLanguageDialog ("GLanguageDialog", type 84): the modal dialog in which the user picks the
// interface language from the localizer's list. run() makes it on its own stack and destroys it
// before answering.
#include "gui/kernel/dialog.h"

class GBox;
class GButtonRow;
class GMultiLabel;
class Localizer;

const u32 TypeLanguageDialog = 84;

class GLanguageDialog : public GDialog {
public:
    using GDialog::GDialog;

    bool isKindOf(u32 id) const override { return id == TypeLanguageDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GLanguageDialog"; }
    u32 typeId() const override { return TypeLanguageDialog; }

    // Shows the localizer's languages with the index selected (the first when it is outside the
    // list). True after OK, with the index set to the selected language; any other end keeps it.
    // The help page (null: none) adds a help button.
    static bool run(GWindow* owner, const Localizer& localizer, i32& index, const char* help = nullptr);

    // While the dialog runs.
    GMultiLabel* prompt = nullptr;
    GBox* list = nullptr;
    GButtonRow* buttons = nullptr;

private:
    bool build(const Localizer& localizer, i32 index);
};
