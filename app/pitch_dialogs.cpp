#include "app/pitch_dialogs.h"

#include <windows.h>

#include <algorithm>

#include "app/program_texts.h"
#include "app/value_dialog_body.h"
#include "core/exceptions.h"
#include "gui/controls/button_row.h"
#include "gui/controls/combo.h"
#include "gui/controls/combo_items.h"
#include "gui/controls/digit_field.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/multi_label.h"
#include "gui/controls/number_validator.h"
#include "gui/controls/spinner_field.h"
#include "gui/controls/value_field.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

namespace {

const f64 tempoMin = 0.25, tempoMax = 4.0;

// The dialog's own check (the tempo ratio) and the analysis choices written back.
class PitchShiftCheck : public GFieldBinding {
public:
    explicit PitchShiftCheck(PitchShiftDialog* dialog) : dialog(dialog) {}
    void check() override {
        if (dialog->command != PitchShiftTempo || !dialog->oldTempo || !dialog->newTempo) return;
        f64 oldTempo = 0, newTempo = 0;
        // A text that is no number is the edit lines' own refusal.
        if (!parseNumber(dialog->oldTempo->text(), &oldTempo) || !parseNumber(dialog->newTempo->text(), &newTempo))
            return;
        if (tempoRatioAccepted(oldTempo, newTempo)) return;
        GVerifyException refusal;
        refusal.field = static_cast<GItemBase*>(dialog->newTempo);
        stringFormat(refusal.text, ravoText(RavoText::TempoRatioRefused), tempoMin, tempoMax);
        throw refusal;
    }
    void commit() override {
        PitchSettings* a = dialog->analysis;
        if (!a) return;
        if (dialog->window && dialog->window->selection >= 0) a->windowFunction = (u32)dialog->window->selection;
        if (dialog->fftSize && dialog->fftSize->selection >= 0) {
            a->fftSizeIndex = (u32)dialog->fftSize->selection;
            a->fftSize = pitchFftSizeOf(a->fftSizeIndex);
        }
    }
    PitchShiftDialog* dialog;
};

// The fade shape chosen, written on 1, 4 and 5.
class FadeChoice : public GFieldBinding {
public:
    void commit() override {
        if (combo && target && combo->selection >= 0) *target = (u32)combo->selection;
    }
    GCombo* combo = nullptr;
    u32* target = nullptr;
};

void endBody(GDialog* dialog, GLayoutBuilder& b) {
    GButtonRow::create(b, dialog->helpPage && *dialog->helpPage ? "OCH" : "OC");
    b.endContainer();
    dialog->fitToContent();
}

void buildAnalysis(PitchShiftDialog* d, GLayoutBuilder& b, PitchSettings* a) {
    b.pushContainer(new GGroupBoxItem(b.owner, ravoText(RavoText::PitchAnalysis)), nullptr, "U^");
    addGridLayout(2, 3, b, "U^");
    GLabel::create(b, ravoText(RavoText::PitchOverlap), 0, "<C");
    d->overlap = addSpinnerField2(b, "888", "<C", 1, 32, &a->overlapFactor);
    GLabel::create(b, ravoText(RavoText::PitchFftSize), 0, "<C");
    GBag sizes = comboItems("512|1024|2048|4096|8192");
    d->fftSize = GCombo::create(b, &sizes, (i32)std::min(a->fftSizeIndex, pitchFftSizeCount - 1), 8, "<C");
    GLabel::create(b, ravoText(RavoText::PitchWindow), 0, "<C");
    GBag windows = comboItems(ravoText(RavoText::PitchWindowFunctions));
    d->window = GCombo::create(b, &windows, (i32)std::min<u32>(a->windowFunction, 9), 18, "<C");
    if (d->window) d->window->visibleRows = 15;
    b.endContainer();
    b.endContainer();
}

}  // namespace

bool buildFrequencyBody(GDialog* dialog, const char* title, const char* caption, const char* label,
                        IntervalValue* value, const IntervalRange& range) {
    dialog->keepOnCancel = true;
    GLayoutBuilder b(dialog);
    if (!beginDialogBody(dialog, b, title, "88488")) return false;
    GMultiLabel::create(b, caption ? caption : "", 30, 4, 0xA400);
    addFrequencyField(b, label, value, range, "U-");
    endBody(dialog, b);
    return true;
}

u32 pitchFftSizeOf(u32 index) { return 512u << std::min(index, pitchFftSizeCount - 1); }

bool tempoRatioAccepted(f64 oldTempo, f64 newTempo) {
    if (!(oldTempo > 0)) return false;
    const f64 r = newTempo / oldTempo;
    return r >= tempoMin && r <= tempoMax;
}

void stretchLimits(u64 frames, u32* minimum, u32* maximum) {
    const f64 top = 4294967295.0;
    *minimum = (u32)std::min(top, (f64)frames * tempoMin);
    *maximum = (u32)std::min(top, (f64)frames * tempoMax);
}

bool buildPitchShiftBody(PitchShiftDialog* d, const char* title, u32 command, EditorSettings* settings,
                         SamplePeriod* length, u32 rate) {
    d->command = command;
    d->analysis = &settings->Pitch;
    d->keepOnCancel = true;
    rate = rate ? rate : 44100;
    GLayoutBuilder b(d);
    if (!beginDialogBody(d, b, title, "88488")) return false;
    b.linkField(new PitchShiftCheck(d));
    if (command == PitchShiftTempo) {
        GMultiLabel::create(b, ravoText(RavoText::TempoCaption), 30, 2, 0xA400);
        GRowItem::create(b, "08080");
        GLabel::create(b, ravoText(RavoText::TempoOld), 0, "<C");
        d->oldTempo = addNumberLine(b, "8888888888", 1e-10, 10000000000.0, &settings->oldTempo);
        GLabel::create(b, ravoText(RavoText::TempoNew), 0, "<C");
        d->newTempo = addNumberLine(b, "8888888888", 1e-10, 10000000000.0, &settings->newTempo);
        b.endContainer();
    } else if (command == PitchShiftStretch && length) {
        GMultiLabel::create(b, ravoText(RavoText::StretchCaption), 30, 2, 0xA400);
        SampleCountRange range = {0, 0, 0, -1};
        stretchLimits(length->count, &range.minimum, &range.maximum);
        d->length = addDigitField(b, ravoText(RavoText::StretchLength), reinterpret_cast<SampleCountRecord*>(length),
                                  range, rate);
    } else {
        GMultiLabel::create(b, ravoText(RavoText::PitchShiftCaption), 30, 2, 0xA400);
        addFrequencyField(b, ravoText(RavoText::PitchInterval), &settings->pitchData_pitch,
                          IntervalRange::fromSemitones(-120.0, 120.0), "Uv");
    }
    buildAnalysis(d, b, &settings->Pitch);
    b.pushContainer(new GGroupBoxItem(b.owner, nullptr), nullptr, "U^");
    GColumnsItem::create(b, "00000", "U^");
    for (RavoText t : {RavoText::PitchNote1, RavoText::PitchNote2, RavoText::PitchNote3})
        GMultiLabel::create(b, ravoText(t), 30, 2, 0xA400);
    b.endContainer();
    b.endContainer();
    endBody(d, b);
    return true;
}

bool buildPulsationBody(PulsationDialog* d, const char* title, u32 kind, LevelValue* pulse0, LevelValue* pulse1,
                        LevelValue* pulse2, u32* fade, SamplePeriod* period, u32 rate) {
    d->keepOnCancel = true;
    rate = rate ? rate : 44100;
    GLayoutBuilder b(d);
    if (!beginDialogBody(d, b, title, "88488")) return false;
    GMultiLabel::create(b, ravoText(RavoText::PulsationCaption), 30, 2, 0xA400);
    const LevelRange depth = {{0, 1, 1, 1}, -2147483648.0, 2147483647.0, 0.0, 1.0, -30.0, 0.0};
    if (kind == 2) {
        addValueField(b, ravoText(RavoText::PulsationUpper), pulse1, depth);
        addValueField(b, ravoText(RavoText::PulsationLower), pulse2, depth);
    } else {
        addValueField(b, ravoText(RavoText::PulsationDepth), pulse0, depth);
    }
    if (fade) {
        GRowItem::create(b, "08080");
        GLabel::create(b, ravoText(RavoText::PulsationFade), 0, "<C");
        GBag shapes = comboItems(ravoText(RavoText::PulsationFadeShapes));
        d->fade = GCombo::create(b, &shapes, (i32)std::min<u32>(*fade, 3), 24, "<C");
        b.endContainer();
        FadeChoice* choice = new FadeChoice;
        choice->combo = d->fade;
        choice->target = fade;
        b.linkField(choice);
    }
    const SampleCountRange periods = {0, 1, rate * 10, -1};
    addDigitField(b, ravoText(RavoText::PulsationPeriod), reinterpret_cast<SampleCountRecord*>(period), periods, rate);
    endBody(d, b);
    return true;
}
