#pragma once
// GVSTInfoDialog: the plug-ins of the process-wide list beside the selected one's information;
// Open loads the selected plug-in and adjusts it in a GVSTEffectDialog. The caller owns the
// dialog (a modal run); its parts are its tree's.
#include "app/effect_dialogs.h"

class GBox;
class GMultiLabel;

// The command of the Open button.
enum : u32 { PluginListOpen = 1000 };

class GVSTInfoDialog : public GDialog {
public:
    GVSTInfoDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeGVSTInfoDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GVSTInfoDialog"; }
    u32 typeId() const override { return TypeGVSTInfoDialog; }

    // The window with the list filled; false when it cannot be made.
    static bool build(GVSTInfoDialog* dialog);
    // The selected plug-in loaded and run in its parameter dialog. A plug-in that faulted or does
    // not load is reported and nothing opens.
    void openSelected();
    // The information of the selected row, or nothing.
    void showSelected();
    i32 selectedRow();

    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    bool onControlNotify(void* notification) override;

    GBox* list = nullptr;
    GMultiLabel* details = nullptr;
};
