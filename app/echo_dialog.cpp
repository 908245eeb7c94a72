#include "app/echo_dialog.h"

#include <windows.h>

#include "app/effect_records.h"
#include "app/program_texts.h"
#include "app/value_dialog_body.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/digit_field.h"
#include "gui/controls/label.h"
#include "gui/controls/regulator.h"
#include "gui/controls/spinner_field.h"
#include "gui/controls/value_field.h"
#include "gui/dialogs/select_dialog.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

namespace {
const LevelRange tapLimits = {{0, 1, 1, 1}, -2147483648.0, 2147483647.0, 0.001, 1.0, -30.0, 0.0};

GRegulator* sliderRow(GLayoutBuilder& b, GWindow* owner, const char* title, i32 minimum, i32 maximum, i32 value,
                      GLabel** label) {
    GRowItem* row = new GRowItem(owner);
    b.pushContainer(row, "08080", nullptr);
    GLabel::create(b, title, 0, "<C");
    GRegulator* slider = GRegulator::create(b, 0, minimum, maximum, "UC");
    if (slider) slider->setValue(value);
    *label = GLabel::createVariant(b, "<C", "10000 Hz");
    b.endContainer();
    return slider;
}

void showDamping(EchoDialog* d) {
    if (d->dampingLabel) d->dampingLabel->setTextF("%d%%", (i32)d->record->mode);
}
void showTone(EchoDialog* d) {
    if (d->toneLabel) d->toneLabel->setTextF(ravoText(RavoText::EchoToneValue), (i32)d->record->feedback);
}
}  // namespace

bool buildEchoBody(EchoDialog* dialog, const char* title, EchoParams* record, u32 rate) {
    dialog->record = record;
    dialog->rate = rate ? rate : 44100;
    dialog->keepOnCancel = true;
    GLayoutBuilder b(dialog);
    if (!beginDialogBody(dialog, b, title, "88488")) return false;
    const SampleCountRange delays = {0, 1, dialog->rate * 10, -1};
    dialog->firstLevel = addValueField(b, ravoText(RavoText::EchoFirstLevel), &record->firstLevel, tapLimits);
    dialog->firstDelay = addDigitField(b, ravoText(RavoText::EchoFirstDelay),
                                       reinterpret_cast<SampleCountRecord*>(&record->firstDelay), delays, dialog->rate);
    dialog->nextLevel = addValueField(b, ravoText(RavoText::EchoNextLevel), &record->nextLevel, tapLimits);
    dialog->nextDelay = addDigitField(b, ravoText(RavoText::EchoNextDelay),
                                      reinterpret_cast<SampleCountRecord*>(&record->nextDelay), delays, dialog->rate);
    GButton::create(b, ravoText(RavoText::EchoPresets), 0, EchoPresetsCommand, "<C");

    GColumnsItem* second = new GColumnsItem(dialog);
    b.pushContainer(second, "00000", nullptr);
    GRowItem* row = new GRowItem(dialog);
    b.pushContainer(row, "08080", nullptr);
    GLabel::create(b, ravoText(RavoText::EchoRepeats), 0, "<C");
    dialog->repeats = addSpinnerField2(b, "888", "<C", 0, 30, &record->count);
    b.endContainer();
    dialog->damping = sliderRow(b, dialog, ravoText(RavoText::EchoDamping), 0, 90, (i32)record->mode,
                                &dialog->dampingLabel);
    dialog->tone = sliderRow(b, dialog, ravoText(RavoText::EchoTone), 500, 10000, (i32)record->feedback,
                             &dialog->toneLabel);
    b.endContainer();

    const bool help = dialog->helpPage && *dialog->helpPage;
    GButtonRow::create(b, help ? "OCH" : "OC");
    b.endContainer();
    showDamping(dialog);
    showTone(dialog);
    dialog->fitToContent();
    return true;
}

i32 EchoDialog::commandState(u32 command) {
    return command == EchoPresetsCommand ? CommandEnabled : GDialog::commandState(command);
}

bool EchoDialog::onCommand(u32 command, GStateQuery* query) {
    if (command != EchoPresetsCommand) return GDialog::onCommand(command, query);
    const char* names[echoPresetCount];
    for (u32 k = 0; k < echoPresetCount; ++k) names[k] = ravoText((RavoText)((u32)RavoText::EchoPreset1 + k));
    i32 chosen = -1;
    if (GSelectDialog::run(0, this, ravoText(RavoText::EchoPresetTitle), ravoText(RavoText::EchoPresetPrompt), names,
                           (i32)echoPresetCount, &chosen) &&
        chosen >= 0)
        applyPreset(echoPresetBlock((u32)chosen + 1));
    return true;
}

void EchoDialog::applyPreset(const EchoBlock& block) {
    EchoParams values = *record;
    echoParamsFromBlock(block, rate, &values);
    if (firstDelay) firstDelay->setCount(values.firstDelay.count);
    if (nextDelay) nextDelay->setCount(values.nextDelay.count);
    if (firstLevel) firstLevel->setFactor(block.factor1);
    if (nextLevel) nextLevel->setFactor(block.factor2);
    if (repeats) repeats->show(values.count);
    record->count = values.count;
    record->mode = values.mode;
    record->feedback = values.feedback;
    if (damping) damping->setValue((i32)values.mode);
    if (tone) tone->setValue((i32)values.feedback);
    showDamping(this);
    showTone(this);
}

bool EchoDialog::onControlNotify(void* n) {
    auto* notification = static_cast<GControlNotification*>(n);
    if (notification->code != 0 || !record) return GDialog::onControlNotify(n);
    if (damping && notification->source == damping) {
        record->mode = (u32)damping->value;
        showDamping(this);
        return true;
    }
    if (tone && notification->source == tone) {
        record->feedback = (u32)tone->value;
        showTone(this);
        return true;
    }
    return GDialog::onControlNotify(n);
}
