#pragma once
// GInputEditDialog ("GInputEditDialog", type 60): a prompt, one edit line and OK and Cancel (and Help
// with a help page). GInputEditStrDialog ("GInputEditStrDialog", type 64) asks for one line of text
// with it: OK only while the text is not empty. Both live on the stack of their caller's run.
#include "gui/kernel/dialog.h"

class GButton;
class GEditLine;
class GMultiLabel;

const u32 TypeInputEditDialog = 60;
const u32 TypeInputEditStrDialog = 64;

class GInputEditDialog : public GDialog {
public:
    using GDialog::GDialog;

    bool isKindOf(u32 id) const override { return id == TypeInputEditDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GInputEditDialog"; }
    u32 typeId() const override { return TypeInputEditDialog; }

    // The window with the title, margins "88888", the prompt, an edit line taking at most `limit`
    // characters, "OC" or "OCH".
    bool build(const char* title, const char* prompt, i32 limit = 39);

    GMultiLabel* promptLabel = nullptr;
    GEditLine* edit = nullptr;
    GButton* okButton = nullptr;
};

class GInputEditStrDialog : public GInputEditDialog {
public:
    using GInputEditDialog::GInputEditDialog;

    bool isKindOf(u32 id) const override { return id == TypeInputEditStrDialog || GInputEditDialog::isKindOf(id); }
    const char* className() const override { return "GInputEditStrDialog"; }
    u32 typeId() const override { return TypeInputEditStrDialog; }

    // True on OK, with the entered text moved into result; any other end leaves result alone.
    static bool run(GWindow* owner, const char* title, const char* prompt, const char* initial, GString& result,
                    i32 limit = 39);
    // A change of the edit line's text enables OK for a non-empty text; passed on.
    bool onControlNotify(void* notification) override;
    void updateOk();
};
