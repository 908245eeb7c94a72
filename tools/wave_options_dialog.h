#pragma once
// GWaveOptionsDialog: the play options and the record options: the mixer panel of one device in a
// dialog. Changes apply at once; Cancel puts back the set-up taken when the dialog opened. Built on
// the caller's stack by runPlayOptions and runRecordOptions.
#include "core/bag.h"
#include "gui/dialogs/single_placer_dialog.h"

class GMixerPanel;
struct SoundSettings;

enum : u32 { TypeWaveOptionsDialog = 93 };

class GWaveOptionsDialog : public GSinglePlacerDialog {
public:
    GWaveOptionsDialog(GWindow* owner, SoundSettings* sound, bool playback);

    bool isKindOf(u32 id) const override { return id == TypeWaveOptionsDialog || GSinglePlacerDialog::isKindOf(id); }
    const char* className() const override { return "GWaveOptionsDialog"; }
    u32 typeId() const override { return TypeWaveOptionsDialog; }

    // The window, the panel and the snapshot; false when the window cannot be made.
    bool build();
    // Cancel restores the snapshot first.
    bool onCommand(u32 command, GStateQuery* query) override;
    // The panel changed its line: the window fits its content again.
    bool onControlNotify(void* notification) override;

    // Build and run modally; without a mixer line for the device a message says so and no dialog runs.
    static void runPlayOptions(GWindow* owner, SoundSettings* sound);
    static void runRecordOptions(GWindow* owner, SoundSettings* sound);

    SoundSettings* settings;
    GBag snapshot;
    GMixerPanel* panel = nullptr;
    bool playback;

private:
    static void run(GWindow* owner, SoundSettings* sound, bool playback);
};
