// The dialogs of the value and job commands: the Editor's pitch dialog, and plain ones for the
// amplitude and the format until the wave editor's own reach this side.
#include <windows.h>

#include "app/pitch_dialogs.h"
#include "app/program_texts.h"
#include "app/value_dialog_body.h"
#include "gui/controls/button_row.h"
#include "gui/controls/label.h"
#include "gui/controls/spinner_field.h"
#include "gui/controls/value_field.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "spectrum/harmonic_window.h"

namespace {
// The Editor's pitch dialog; Cancel leaves the value as it was.
bool editorPitchDialog(GWindow* owner, const char* helpPage, const char* title, const char* explanation,
                       const char* label, IntervalValue* value, const IntervalRange& range) {
    PitchDialog dialog(owner, helpPage);
    if (!buildFrequencyBody(&dialog, title, explanation, label, value, range)) return false;
    dialog.keepOnCancel = false;
    return runModal(&dialog) == 1;
}

bool plainAmpDialog(GWindow* owner, const char* helpPage, const char* title, const char* label, LevelValue* value,
                    const LevelRange& range) {
    GDialog dialog(owner, helpPage);
    if (!buildValueDialogBody(&dialog, title, label, value, range)) return false;
    return runModal(&dialog) == 1;
}

void rateField(GLayoutBuilder& b, u32* sampleRate) {
    GRowItem::create(b, "00000");
    GLabel::create(b, ravoText(RavoText::SampleRateLabel), 0, "<C");
    addSpinnerField2(b, "8888888", "<-", 1, 1000000, sampleRate);
    b.endContainer();
}
}  // namespace

namespace SpectrumCalls {
RunPitchDialog runPitchDialog = editorPitchDialog;
RunAmpDialog runAmpDialog = plainAmpDialog;
BuildFormatPanel buildFormatPanel = rateField;
}  // namespace SpectrumCalls
