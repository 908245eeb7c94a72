#include "tools/options_device_panels.h"

#include "app/options_mixer.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "mm/mm_settings.h"
#include "mm/mm_texts.h"
#include "tools/mixer_panel.h"
#include "tools/sound_setup.h"

namespace {
class SoundSetupLine : public OptionsMixerLine {
public:
    explicit SoundSetupLine(SoundSettings& sound) : sound(sound) {}
    bool saveState(GBag& state) override { return writeSoundSetup(sound, state, nullptr); }
    bool applyState(GBag& state) override { return readSoundSetup(sound, state, nullptr); }
    // The panels show the volumes themselves.
    bool volume(u32*) override { return false; }
    bool setVolume(u32) override { return false; }

    SoundSettings& sound;
};

void panelBox(GLayoutBuilder& b, const char* title, DeviceSettings* device, SoundSettings& sound) {
    GGroupBoxItem* box = new GGroupBoxItem(b.owner, title);
    b.pushContainer(box, nullptr, "UC");
    GMixerPanel::build(b, device, &sound, "UC");
    b.endContainer();
}
}  // namespace

void buildOptionsDevicePanels(GLayoutBuilder& b, SoundSettings& sound) {
    GColumnsItem::create(b, "00000", "UC");
    panelBox(b, mmText(MmText::PlayOptionsTitle), &sound.play, sound);
    panelBox(b, mmText(MmText::RecordOptionsTitle), &sound.record, sound);
    b.endContainer();
}

OptionsMixerLine* makeSoundSetupLine() { return new SoundSetupLine(multimediaSettings().sound); }
