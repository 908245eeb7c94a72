#include "app/effect_bodies.h"

#include <windows.h>

#include "app/program_texts.h"
#include "app/value_dialog_body.h"
#include "gui/controls/button_row.h"
#include "gui/controls/digit_field.h"
#include "gui/controls/multi_label.h"
#include "gui/controls/value_field.h"
#include "gui/kernel/dialog.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

namespace {
// The window, the column with its digits and the caption; the builder is left in the column.
bool beginBody(GDialog* dialog, GLayoutBuilder& b, const char* title, const char* digits, const char* caption) {
    dialog->keepOnCancel = true;
    if (!beginDialogBody(dialog, b, title, digits)) return false;
    GMultiLabel::create(b, caption ? caption : "", 30, 10, 0xA400);
    return true;
}

void endBody(GDialog* dialog, GLayoutBuilder& b, const char* buttons) {
    GButtonRow::create(b, buttons);
    b.endContainer();
    dialog->fitToContent();
}

SampleCountRecord* counted(SamplePeriod* period) { return reinterpret_cast<SampleCountRecord*>(period); }
}  // namespace

bool buildDurationBody(GDialog* dialog, const char* title, const char* caption, SamplePeriod* duration,
                       const SampleCountRange& options, u32 rate) {
    GLayoutBuilder b(dialog);
    if (!beginBody(dialog, b, title, "88488", caption)) return false;
    addDigitField(b, ravoText(RavoText::DurationLabel), counted(duration), options, rate ? rate : 44100);
    endBody(dialog, b, dialog->helpPage && *dialog->helpPage ? "OCH" : "OC");
    return true;
}

bool buildVibratoBody(GDialog* dialog, const char* title, const char* caption, IntervalValue* depth,
                      SamplePeriod* period, u32 rate) {
    GLayoutBuilder b(dialog);
    if (!beginBody(dialog, b, title, "88448", caption)) return false;
    const IntervalRange depthRange = {{1, 1, 1, 1, 1}, 0.0, 4.0, 0.0, 24.0};
    addFrequencyField(b, ravoText(RavoText::VibratoDepth), depth, depthRange);
    rate = rate ? rate : 44100;
    const SampleCountRange periods = {0, 1, rate * 10, -1};
    addDigitField(b, ravoText(RavoText::VibratoPeriod), counted(period), periods, rate);
    endBody(dialog, b, "OCH");
    return true;
}
