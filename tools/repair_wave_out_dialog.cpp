#include "tools/repair_wave_out_dialog.h"

#include <windows.h>
#include <mmsystem.h>

#include "gui/controls/label.h"
#include "gui/controls/multi_label.h"
#include "gui/layout/layout_builder.h"
#include "mm/mm_settings.h"
#include "mm/mm_texts.h"
#include "mm/synth_output.h"
#include "tools/mixer_line_list.h"
#include "tools/test_melody.h"

GRepairWaveOutDialog::GRepairWaveOutDialog(GWindow* owner, SoundSettings* sound)
    : GRepairWaveDialog(owner, sound, &sound->play, "repair_play.htm") {}

GRepairWaveOutDialog::~GRepairWaveOutDialog() { stopSound(); }

const char* GRepairWaveOutDialog::text(i32 part) const {
    static const MmText parts[] = {MmText::RepairPlayTitle, MmText::RepairPlayHeading, MmText::RepairPlayText1,
                                   MmText::RepairPlayText2, MmText::RepairPlayText3};
    return part >= -1 && part <= 3 ? mmText(parts[part + 1]) : "";
}

void GRepairWaveOutDialog::addDeviceChoosers(GLayoutBuilder& b) {
    GLabel::create(b, mmText(MmText::RepairPlayLine), 0, "<^");
    lineList = MixerLineList::create(b, settings, "U^");
}

void GRepairWaveOutDialog::addExtraContent(GLayoutBuilder& b) {
    GMultiLabel::create(b, mmText(MmText::RepairPlayExtra), 60, 2, MultiWidthChars | MultiHeightChars | MultiNoVerticalBar,
                        "U^<^");
}

std::string GRepairWaveOutDialog::deviceName(u32 device) const {
    WAVEOUTCAPSA caps = {};
    return waveOutGetDevCapsA(device, &caps, sizeof caps) == MMSYSERR_NOERROR ? caps.szPname : "";
}

void GRepairWaveOutDialog::startSound() {
    output.reset(new SynthOutput(settings, sound->synth, 2));
    output->clearSources(true);
    output->addSource(new TestMelody(repairMelody, 10, 44100), true);
}

void GRepairWaveOutDialog::stopSound() {
    if (!output) return;
    output->stopAndWait(false);
    output.reset();
}

void GRepairWaveOutDialog::run(GWindow* owner, SoundSettings* sound) {
    GRepairWaveOutDialog dialog(owner, sound);
    runDialog(dialog);
}
