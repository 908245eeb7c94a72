#pragma once
// GPathField: a path's edit line (child 0) with a browse button (child 1, command 1000) beside it,
// bound to a file-dialog object (not owned) and a dialog mode. The field belongs to its container
// like every layout item; its windows belong to the owner window.
#include "gui/layout/layout_rows.h"

class GEditLine;
class GFileDialog;

class GPathField : public GRowItem {
public:
    GPathField(GWindow* owner, GFileDialog* dialog, i32 mode, u32 extra)
        : GRowItem(owner), dialog(dialog), mode(mode), extra(extra) {}

    // 1000: hands the text to the dialog, runs it and puts the choice into the edit line.
    bool onCommand(u32 command, GStateQuery* query) override;
    // A change of the edit line's text is handed to the dialog (not consumed).
    bool onControlNotify(void* notification) override;

    GEditLine* editLine();
    GString getText();
    // The text to the dialog by mode: 1 file names, 3 and 4 the folder, others the path when not empty.
    void apply();
    // Sets the edit line, then applies.
    void apply(const char* text);

    GFileDialog* dialog;
    i32 mode;
    u32 extra;  // the history kind of the dialog's runs
};

// Creates the field in the builder's current container.
GPathField* addPathField(GLayoutBuilder& parent, GFileDialog* dialog, i32 mode, u32 extra);
