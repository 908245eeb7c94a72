#include "tools/wave_options_dialog.h"

#include "gui/kernel/message_box.h"
#include "gui/layout/layout_builder.h"
#include "mm/mm_settings.h"
#include "mm/mm_texts.h"
#include "tools/mixer_line_list.h"
#include "tools/mixer_panel.h"
#include "tools/sound_setup.h"

GWaveOptionsDialog::GWaveOptionsDialog(GWindow* owner, SoundSettings* sound, bool playback)
    : GSinglePlacerDialog(owner, playback ? "play_options.htm" : "record_options.htm"),
      settings(sound),
      playback(playback) {}

bool GWaveOptionsDialog::build() {
    if (!createWindow(mmText(playback ? MmText::PlayOptionsTitle : MmText::RecordOptionsTitle))) return false;
    GLayoutBuilder builder(this);
    DeviceSettings* device = playback ? static_cast<DeviceSettings*>(&settings->play) : &settings->record;
    panel = GMixerPanel::build(builder, device, settings);
    setDialogContent(panel, this, "00088", false);
    // Errors of the snapshot show when the dialog is cancelled, if at all.
    writeSoundSetup(*settings, snapshot, nullptr);
    return true;
}

bool GWaveOptionsDialog::onCommand(u32 command, GStateQuery* query) {
    if (command == 2) {
        WindowErrorHandler handler(this);
        readSoundSetup(*settings, snapshot, &handler);
    }
    return GSinglePlacerDialog::onCommand(command, query);
}

bool GWaveOptionsDialog::onControlNotify(void* n) {
    GControlNotification* note = static_cast<GControlNotification*>(n);
    if (note->code == MixerLineList::changedCode && hwnd) fitToContent();
    return GSinglePlacerDialog::onControlNotify(n);
}

void GWaveOptionsDialog::run(GWindow* owner, SoundSettings* sound, bool playback) {
    GWaveOptionsDialog dialog(owner, sound, playback);
    if (!dialog.build()) return;
    if (dialog.panel->lineList->entries.empty()) {
        DestroyWindow(dialog.hwnd);
        showMessageBox(&mbError, owner, mmText(playback ? MmText::NoPlayLine : MmText::NoRecordLine));
        return;
    }
    dialog.GSinglePlacerDialog::run();
    if (IsWindow(dialog.hwnd)) DestroyWindow(dialog.hwnd);
}

void GWaveOptionsDialog::runPlayOptions(GWindow* owner, SoundSettings* sound) { run(owner, sound, true); }

void GWaveOptionsDialog::runRecordOptions(GWindow* owner, SoundSettings* sound) { run(owner, sound, false); }
