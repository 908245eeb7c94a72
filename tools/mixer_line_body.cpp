#include "tools/mixer_line_body.h"

#include "gui/dialogs/single_placer_dialog.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "mm/mm_texts.h"
#include "tools/mixer_control_panel.h"

MixerControlPanel* buildMixerLineBody(GDialog* dialog, const MixerLineBinding& line) {
    GGroupBoxItem* box = new GGroupBoxItem(dialog, mmText(MmText::MixerLineBox));
    GLayoutBuilder b(dialog);
    b.current = box;
    MixerControlPanel* panel = MixerControlPanel::create(b, "UC");
    setDialogContent(box, dialog, "88888", false);
    panel->openMixer(line, true);
    return panel;
}
