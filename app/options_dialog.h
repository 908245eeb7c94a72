#pragma once
// OptionsDialog ("OptionsDialog", type 1032, help "options.htm"): the program's options on pages
// chosen from a tree: folders, note names, the mixer line, buffers, warnings, undo, smoothing,
// performance, tool bars and menus, tabs, new tabs, keys and colours. OK writes the controls to
// their settings and applies them; Cancel puts back what changed while it was open; reset-all (3)
// restarts the program with "-Reset". Lives on the stack of runOptionsDialog.
#include "core/bag.h"
#include "core/gstring.h"
#include "gui/kernel/dialog.h"

class OptionsMixerLine;

const u32 TypeOptionsDialog = 1032;

class OptionsDialog : public GDialog {
public:
    explicit OptionsDialog(GWindow* owner);
    ~OptionsDialog() override;

    bool isKindOf(u32 id) const override { return id == TypeOptionsDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "OptionsDialog"; }
    u32 typeId() const override { return TypeOptionsDialog; }

    // 1 OK, 2 Cancel, 3 reset all, 9 and 101 help; other ids 1 to 99 end the dialog.
    bool onCommand(u32 command, GStateQuery* query) override;
    // The kind combos of the bar editors and the page list; passed on.
    bool onControlNotify(void* notification) override;

    GBag barSnapshot;                 // every kind's menus and tool bars at opening
    GString shownWorkFolder;          // the path fields' texts at opening
    GString shownPluginFolders;
    OptionsMixerLine* mixerLine = nullptr;  // owned
    GBag mixerState;                  // the line at opening
    bool mixerChanged = false;
};

// Makes the dialog's window and builds every page into it, filled from the settings records.
bool buildOptionsPage(OptionsDialog& dialog);
// Opens the options dialog modally over the owner; answers its end code.
i32 runOptionsDialog(GWindow* owner);
