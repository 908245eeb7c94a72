#include "spectrum/harmonic_randomize_dialog.h"

#include <windows.h>

#include "app/program_texts.h"
#include "gui/controls/button_row.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/multi_label.h"
#include "gui/controls/spinner_field.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

bool HarmonicRandomizeDialog::build(const SpectrumRandom& values, const char* title, const char* explanation) {
    working = values;
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    if (!createTopLevelWindow(this, style, 0, title ? title : "")) return false;
    GLayoutBuilder b(this);
    GColumnsItem* body = new GColumnsItem(this);
    b.pushContainer(body, "88488", nullptr);
    setContent(body);
    GMultiLabel::create(b, explanation ? explanation : "", 40, 4, 0xA400);

    b.pushContainer(new GGroupBoxItem(this, ravoText(RavoText::RandomizeValues)), nullptr, "U^");
    addGridLayout(3, 3, b, "UC");
    const RavoText names[3] = {RavoText::RandomizeFrequency, RavoText::RandomizeAmplitude, RavoText::RandomizePhase};
    for (int i = 0; i < 3; ++i) {
        switches[i] = GCheckBoxItem::create(b, ravoText(names[i]), working.flags[i] ? 1 : 0, "<C");
        percents[i] = addSpinnerFieldDouble(b, 0.0, 100000.0, "888888.88", &working.values[i], "U-");
        GLabel::create(b, "%", 0, "<C");
    }
    b.endContainer();
    b.endContainer();

    mode = working.flags[3] ? 0 : 1;
    b.pushContainer(new GGroupBoxItem(this, ravoText(RavoText::RandomizeRange)), nullptr, "U^");
    GColumnsItem::create(b, "00000", "UC");
    absoluteBox = addRadioBox(b, ravoText(RavoText::RandomizeAbsolute), 1, &mode, 0);
    relativeBox = addRadioBox(b, ravoText(RavoText::RandomizeRelative), 1, &mode, 1);
    b.endContainer();
    b.endContainer();

    GButtonRow::create(b, "OC");
    b.endContainer();
    enableFields();
    fitToContent();
    return true;
}

void HarmonicRandomizeDialog::enableFields() {
    ++reentry;
    for (int i = 0; i < 3; ++i)
        if (switches[i] && percents[i]) enableSubtree(percents[i], switches[i]->isChecked());
    --reentry;
}

bool HarmonicRandomizeDialog::onControlNotify(void* notification) {
    GControlNotification* n = static_cast<GControlNotification*>(notification);
    if (n->code == MarkChanged && !reentry)
        for (GCheckBox* box : switches)
            if (n->source == box) {
                enableFields();
                return true;
            }
    return GDialog::onControlNotify(notification);
}

void HarmonicRandomizeDialog::readBoxes() {
    for (int i = 0; i < 3; ++i) working.flags[i] = switches[i] && switches[i]->isChecked() ? 1 : 0;
    working.flags[3] = absoluteBox && absoluteBox->isChecked() ? 1 : 0;
}
