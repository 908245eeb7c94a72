#include "app/chorus_dialog.h"

#include <windows.h>

#include <cmath>

#include "app/app_settings.h"
#include "app/program_texts.h"
#include "app/value_dialog_body.h"
#include "core/bag.h"
#include "engine/chorus_params.h"
#include "engine/echo_reflections.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/combo.h"
#include "gui/controls/digit_field.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/value_field.h"
#include "gui/dialogs/select_dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

namespace {
const ChorusPreset presets[chorusPresetCount] = {
    {2, 25, 500, 0.2, 0.1, 0.1, -0.382, 1, 1, 0, 1, 1},   {4, 30, 500, 0.2, 0.1, 0.2, -0.382, 1, 1, 0, 1, 1},
    {32, 40, 500, 0.5, 0.1, 0.2, -0.382, 1, 1, 0, 1, 1},  {128, 200, 500, 0.8, 0.1, 0.3, -0.382, 1, 1, 0, 1, 1},
    {8, 35, 500, 0.2, 0.1, 0.2, -0.382, 1, 1, 1, 1, 1},   {32, 500, 500, 1.0, 0.3, 0.5, -0.382, 1, 1, 1, 1, 1},
    {16, 500, 500, 2.0, 0.8, 0.9, -0.382, 1, 1, 1, 1, 1},
};

const f64 anyMin = -2147483648.0, anyMax = 2147483647.0;
const LevelRange fadeLimits = {{0, 1, 1, 1}, anyMin, anyMax, -1.0, 0.0, -30.0, 0.0};
const LevelRange levelLimits = {{0, 1, 1, 1}, anyMin, anyMax, 0.0, 1.0, -30.0, 0.0};
const IntervalRange detuneLimits = {{1, 1, 1, 1, 1}, 0.0, 2.0, 0.0, 12.0};

SampleCountRecord* counted(SamplePeriod* p) { return reinterpret_cast<SampleCountRecord*>(p); }

// A check box bound to the flag with its field beside it, in a row of their own.
GCheckBox* optionBox(GLayoutBuilder& b, GWindow* owner, RavoText text, u8* flag) {
    GRowItem* row = new GRowItem(owner);
    b.pushContainer(row, "08080", "<C");
    GCheckBox* box = GCheckBoxItem::createAlt(b, ravoText(text), flag, "<C");
    return box;
}

bool on(GCheckBox* box) { return box && box->state != 0; }
void enable(GLayoutItem* item, bool state) {
    if (item) enableSubtree(item, state);
}
}  // namespace

const ChorusPreset& chorusPreset(u32 row) { return presets[row >= 1 && row <= chorusPresetCount ? row - 1 : 0]; }
u32 chorusVoiceChoice(u32 index) { return 2u << (index < chorusVoiceChoices ? index : 0); }

bool buildChorusBody(ChorusDialog* d, const char* title, ChorusParams* params, u32 rate) {
    EditorSettings& e = appSettings.Editor;
    d->params = params;
    d->rate = rate ? rate : 44100;
    d->keepOnCancel = true;
    GLayoutBuilder b(d);
    if (!beginDialogBody(d, b, title, "88488")) return false;

    GBag choices;
    i32 chosen = -1;
    for (u32 k = 0; k < chorusVoiceChoices; ++k) {
        char text[16];
        snprintf(text, sizeof text, "%u", chorusVoiceChoice(k));
        bagWriteString(choices, text);
        if (chorusVoiceChoice(k) == e.chorusCount) chosen = (i32)k;
    }
    bagWriteU8(choices, 0);
    choices.pos = 0;
    GRowItem::create(b, "08080");
    GLabel::create(b, ravoText(RavoText::ChorusVoices), 0, "<C");
    d->voices = GCombo::create(b, &choices, chosen, 8, "<C");
    if (d->voices) d->voices->visibleRows = 5;
    b.endContainer();
    d->phaser = GCheckBoxItem::createAlt(b, ravoText(RavoText::ChorusPhaser), &e.chorusUsePhaser, "<C");

    d->useDelay = optionBox(b, d, RavoText::ChorusUseDelay, &e.chorusUseDelay);
    d->maxDelay = addDigitField(b, "", counted(&e.chorusMaxDelay), SampleCountRange{0, 0, d->rate / 2, -1}, d->rate);
    b.endContainer();
    d->useFade = optionBox(b, d, RavoText::ChorusUseFade, &e.chorusUseFade);
    d->fade = addValueField(b, "", &e.chorusFadeCoeff, fadeLimits);
    b.endContainer();
    d->useAmpPulse = optionBox(b, d, RavoText::ChorusUseAmpPulse, &e.chorusUseAmpPulse);
    d->pulseAmp = addValueField(b, "", &e.chorusAmpPulseAmp, levelLimits);
    b.endContainer();
    d->useDetuning = optionBox(b, d, RavoText::ChorusUseDetuning, &e.chorusUseDetuning);
    d->detuning = addFrequencyField(b, "", &e.chorusDetuning, detuneLimits);
    b.endContainer();
    d->useAmpDiff = optionBox(b, d, RavoText::ChorusUseAmpDiff, &e.chorusUseAmpDiff);
    d->ampDiff = addValueField(b, "", &e.chorusMaxAmpDiff, levelLimits);
    b.endContainer();
    d->pulsePeriod = addDigitField(b, ravoText(RavoText::ChorusPulsePeriod), counted(&e.chorusAmpPulsePeriod),
                                   SampleCountRange{0, 1, d->rate * 10, -1}, d->rate);

    GRowItem::create(b, "08080");
    GButton::create(b, ravoText(RavoText::ChorusPresets), 0, ChorusPresetsCommand, "<C");
    GButtonRow::create(b, d->helpPage && *d->helpPage ? "OCH" : "OC");
    b.endContainer();
    b.endContainer();
    d->updateEnabled();
    d->fitToContent();
    return true;
}

void ChorusDialog::updateEnabled() {
    enable(maxDelay, on(useDelay));
    enable(detuning, on(useDetuning));
    enable(fade, on(useFade));
    enable(ampDiff, on(useAmpDiff));
    enable(pulseAmp, on(useAmpPulse));
    enable(pulsePeriod, on(useAmpPulse));
}

void ChorusDialog::applyPreset(const ChorusPreset& row) {
    if (voices)
        for (u32 k = 0; k < chorusVoiceChoices; ++k)
            if (chorusVoiceChoice(k) == row.voices) voices->setCurrentIndex((i32)k);
    if (fade) fade->setFactor(row.fadeFactor);
    if (ampDiff) ampDiff->setFactor(row.ampDiffFactor);
    if (pulseAmp) pulseAmp->setFactor(row.pulseFactor);
    if (maxDelay) maxDelay->setCount(framesOfMilliseconds(row.maxDelayMs, rate));
    if (pulsePeriod) pulsePeriod->setCount(framesOfMilliseconds(row.pulsePeriodMs, rate));
    if (detuning) detuning->setRatio(std::pow(2.0, row.detuneSemitones / 12.0));
    const struct {
        GCheckBox* box;
        u8 state;
    } boxes[] = {{useDelay, row.useDelay},
                 {useDetuning, row.useDetuning},
                 {useAmpPulse, row.useAmpPulse},
                 {useAmpDiff, row.useAmpDiff},
                 {useFade, row.useFade}};
    for (const auto& b : boxes)
        if (b.box) b.box->setChecked(b.state);
    updateEnabled();
}

i32 ChorusDialog::commandState(u32 command) {
    return command == ChorusPresetsCommand ? CommandEnabled : GDialog::commandState(command);
}

bool ChorusDialog::onCommand(u32 command, GStateQuery* query) {
    if (command == ChorusPresetsCommand) {
        const char* names[chorusPresetCount];
        for (u32 k = 0; k < chorusPresetCount; ++k)
            names[k] = ravoText((RavoText)((u32)RavoText::ChorusPreset1 + k));
        i32 chosen = -1;
        if (GSelectDialog::run(0, this, ravoText(RavoText::ChorusPresetTitle), ravoText(RavoText::ChorusPresetPrompt),
                               names, (i32)chorusPresetCount, &chosen) &&
            chosen >= 0)
            applyPreset(chorusPreset((u32)chosen + 1));
        return true;
    }
    const bool storing = command == 1 || command == 4 || command == 5;
    if (!storing) return GDialog::onCommand(command, query);
    const i32 index = voices ? voices->selection : -1;
    if (index < 0 || index >= (i32)chorusVoiceChoices) {
        showMessageBox(&mbError, this, ravoText(RavoText::ChorusNoVoices));
        return true;
    }
    if (!endDialog((i32)command)) return true;
    EditorSettings& e = appSettings.Editor;
    e.chorusCount = chorusVoiceChoice((u32)index);
    if (!params) return true;
    params->voices = (i32)e.chorusCount;
    params->maxDelay = (i32)e.chorusMaxDelay.countAt(rate);
    params->lfoPeriod = (i32)e.chorusAmpPulsePeriod.countAt(rate);
    params->driftRatio = e.chorusDetuning.ratio;
    params->lfoDepth = e.chorusAmpPulseAmp.factor;
    params->levelSpread = e.chorusMaxAmpDiff.factor;
    params->gain = e.chorusFadeCoeff.factor;
    params->useDelay = e.chorusUseDelay;
    params->driftDelay = e.chorusUseDetuning;
    params->useLfo = e.chorusUseAmpPulse;
    params->useLevelSpread = e.chorusUseAmpDiff;
    params->useGain = e.chorusUseFade;
    params->usePhaseFilters = e.chorusUsePhaser;
    return true;
}

bool ChorusDialog::onControlNotify(void* n) {
    auto* notification = static_cast<GControlNotification*>(n);
    GItemBase* source = notification->source;
    if (source && (source == useDelay || source == useFade || source == useAmpPulse || source == useDetuning ||
                   source == useAmpDiff))
        updateEnabled();
    return GDialog::onControlNotify(n);
}
