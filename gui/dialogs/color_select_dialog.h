#pragma once
// GColorSelectDialog: the colour settings in a dialog. Choices apply at once; OK keeps them,
// Cancel (Escape, the close box) reverts them first. Built on the caller's stack by run.
#include "gui/dialogs/single_placer_dialog.h"

class GColorListWindow;

class GColorSelectDialog : public GSinglePlacerDialog {
public:
    explicit GColorSelectDialog(GWindow* owner) : GSinglePlacerDialog(owner, "colors.htm") {}

    bool isKindOf(u32 id) const override { return id == 59 || GSinglePlacerDialog::isKindOf(id); }
    const char* className() const override { return "GColorSelectDialog"; }
    u32 typeId() const override { return 59; }

    // The window and its content, not yet shown.
    bool build();
    bool onCommand(u32 command, GStateQuery* query) override;

    // Builds and runs the dialog modally; answers its result.
    static i32 run(GWindow* owner);

    GColorListWindow* list = nullptr;
};
