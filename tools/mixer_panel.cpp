#include "tools/mixer_panel.h"

#include "gui/controls/button.h"
#include "gui/controls/label.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "mm/mm_settings.h"
#include "mm/mm_texts.h"
#include "tools/device_adjust_panel.h"
#include "tools/mixer_control_panel.h"
#include "tools/mixer_line_list.h"
#include "tools/mixer_settings_file.h"
#include "tools/repair_wave_dialog.h"

void (*mixerRepairDialog)(GWindow* owner, SoundSettings* sound, bool playback) = runRepairDialog;

GMixerPanel* GMixerPanel::build(GLayoutBuilder& b, DeviceSettings* settings, SoundSettings* sound,
                                const char* alignment) {
    GMixerPanel* p = new GMixerPanel(b.owner);
    p->settings = settings;
    p->sound = sound;
    b.pushContainer(p, "08000", alignment);

    GColumnsItem::create(b, "00000", "<^");
    const u32 flat = ButtonFlat;
    GButton::create(b, mmText(MmText::MixerSaveButton), flat, SaveCommand, "U^");
    GButton::create(b, mmText(MmText::MixerLoadButton), flat, LoadCommand, "U^");
    GButton* repair = GButton::create(b, mmText(MmText::MixerRepairButton), flat, RepairCommand, "U^");
    if (repair && !mixerRepairDialog) EnableWindow(repair->hwnd, FALSE);
    b.endContainer();

    GColumnsItem::create(b, "00000", "UC");
    p->lineList = MixerLineList::create(b, settings, "U^");
    setLayoutDigits(p->lineList, "88800");
    GColumnsItem::create(b, "88800", "UC");
    p->adjust = DeviceAdjustPanel::create(b, settings, "UC");
    b.endContainer();
    GGroupBoxItem* lines = new GGroupBoxItem(b.owner, mmText(MmText::MixerLinesBox));
    b.pushContainer(lines, nullptr, "UC");
    GRowItem::create(b, "48404");
    p->sourcePanel = MixerControlPanel::create(b, "<C");
    setAlignmentCode(GLine2::create(b), "|C");
    p->destinationPanel = MixerControlPanel::create(b, "<C");
    b.endContainer();
    b.endContainer();
    b.endContainer();

    b.endContainer();
    p->refresh(false);
    return p;
}

void GMixerPanel::refresh(bool force) {
    if (!settings || !sourcePanel) return;
    MixerLineBinding source;
    source.destination = settings->destination;
    source.source = settings->source;
    source.mixer = settings->mixer;
    MixerLineBinding destination = source;
    destination.source = -1;
    sourcePanel->openMixer(source, force);
    destinationPanel->openMixer(destination, force);
}

bool GMixerPanel::editsPlayback() const { return sound && settings == &sound->play; }

bool GMixerPanel::onControlNotify(void* n) {
    GControlNotification* note = static_cast<GControlNotification*>(n);
    if (note->source == lineList && note->code == MixerLineList::changedCode) {
        // A change of everything (a restored set-up) may have moved the controls as well.
        refresh(false);
        sourcePanel->refreshValues();
        destinationPanel->refreshValues();
    }
    return false;
}

bool GMixerPanel::onCommand(u32 command, GStateQuery* query) {
    switch (command) {
    case RepairCommand:
        if (mixerRepairDialog) mixerRepairDialog(owner, sound, editsPlayback());
        return true;
    case SaveCommand:
        if (sound) saveSoundSettings(owner, *sound);
        return true;
    case LoadCommand:
        if (sound) chooseAndLoadSoundSettings(owner, *sound);
        return true;
    }
    return GRowItem::onCommand(command, query);
}

i32 GMixerPanel::commandState(u32 command) {
    if (command == RepairCommand) return mixerRepairDialog ? CommandEnabled : CommandDisabled;
    if (command == SaveCommand || command == LoadCommand) return sound ? CommandEnabled : CommandDisabled;
    return GRowItem::commandState(command);
}
