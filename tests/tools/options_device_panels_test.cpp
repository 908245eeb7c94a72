// The program options' mixer page with the real device panels: both panels on the page, and
// Cancel putting back what a panel changed, through the sound set-up snapshot.
#include "tools/options_device_panels.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/options_dialog.h"
#include "app/options_mixer.h"
#include "gui/controls/regulator.h"
#include "gui/layout/layout_cell.h"
#include "gui/views/tree_table.h"
#include "mm/mm_settings.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/gui_fixture.h"
#include "tests/tools/mixer_machine.h"
#include "tools/device_adjust_panel.h"
#include "tools/mixer_control_panel.h"
#include "tools/mixer_panel.h"

namespace {
void findPanels(GItemBase* item, std::vector<GMixerPanel*>& out) {
    if (auto* panel = dynamic_cast<GMixerPanel*>(item)) out.push_back(panel);
    if (auto* cell = dynamic_cast<GLayoutItem*>(item))
        for (int i = 0; i < cell->childCount(); ++i)
            if (GLayoutCell* child = cell->childAt(i)) findPanels(child, out);
}
}  // namespace

TEST(OptionsDevicePanels, ThePageShowsBothPanelsAndCancelPutsTheSetUpBack) {
    TestApplication app;
    MixerMachine machine;
    SoundSettings& sound = multimediaSettings().sound;
    MultimediaSettings saved;
    saved.assign(multimediaSettings());
    sound.play.mixer = 0;
    sound.play.destination = 0;
    sound.play.source = 0;
    sound.record.mixer = 0;
    sound.record.destination = 2;
    sound.record.source = 1;
    buildOptionsMixerPanels = buildOptionsDevicePanels;
    makeOptionsMixerLine = makeSoundSetupLine;
    const std::vector<u32> volumeBefore = machine.valuesOf(machine.waveVolume);
    std::vector<u32> volumeDuring;
    i32 gainDuring = 0;
    size_t panels = 0;
    bool playFirst = false;
    ModalScript script(TypeOptionsDialog, {
        [&](GDialog& d) {
            OptionsDialog& o = static_cast<OptionsDialog&>(d);
            o.pageList->setCaretRow(OptionsMixerPage);
            std::vector<GMixerPanel*> found;
            findPanels(o.content, found);
            panels = found.size();
            ASSERT_EQ(found.size(), 2u);
            playFirst = found[0]->editsPlayback() && !found[1]->editsPlayback();
            found[0]->sourcePanel->master->setValue(1000);
            found[0]->adjust->gain->setValue(7);
            volumeDuring = machine.valuesOf(machine.waveVolume);
            gainDuring = sound.play.adjust1;
            ModalScript::post(d, 2);
        },
    });
    EXPECT_EQ(runOptionsDialog(nullptr), 2);
    buildOptionsMixerPanels = nullptr;
    makeOptionsMixerLine = makeDeviceMixerLine;
    EXPECT_EQ(panels, 2u);
    EXPECT_TRUE(playFirst);
    EXPECT_NE(volumeDuring, volumeBefore);
    EXPECT_NE(gainDuring, 0);
    EXPECT_EQ(machine.valuesOf(machine.waveVolume), volumeBefore);
    EXPECT_EQ(sound.play.adjust1, 0);
    EXPECT_EQ(sound.record.source, 1);
    multimediaSettings().assign(saved);
}
