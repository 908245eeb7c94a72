#include "app/filter_dialog.h"

#include <windows.h>

#include "app/program_texts.h"
#include "app/value_dialog_body.h"
#include "gui/controls/button_row.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/notes.h"
#include "gui/controls/number_validator.h"
#include "gui/controls/spinner_field.h"
#include "gui/controls/value_field.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

namespace {

void showNote(GLabel* label, const char* text) {
    if (!label) return;
    f64 hz = 0;
    if (!parseNumber(text, &hz) || !(hz > 0)) {
        label->setText("");
        return;
    }
    NoteOctave n = frequencyToNote(hz);
    label->setTextF("%s %s", noteName(n.note), octaveName(n.octave));
}

// A labelled frequency in Hz with its note, in a frame of its own.
void addFrequency(GFilterDialog* d, GLayoutBuilder& b, u32 k, const char* label, f64* value) {
    b.pushContainer(new GGroupBoxItem(b.owner, label ? label : ""), nullptr, "UC");
    GRowItem::create(b, "08080");
    d->frequency[k] = addNumberLine(b, "100000.000", 1.0, 100000.0, value);
    GLabel::create(b, ravoText(RavoText::FilterHz), 0, "<C");
    d->note[k] = GLabel::createVariant(b, "<C", "C#/Db 10");
    showNote(d->note[k], d->frequency[k] ? d->frequency[k]->text() : "");
    b.endContainer();
    b.endContainer();
}

const LevelRange gainRange = {{0, 1, 1, 1}, -2147483648.0, 2147483647.0, 0.001, 1000.0, -30.0, 30.0};
const IntervalRange intervalRange = {{1, 1, 1, 1, 0}, 1.0 / 1024.0, 1024.0, -120.0, 120.0};

}  // namespace

bool GFilterDialog::onControlNotify(void* n) {
    auto* notification = static_cast<GControlNotification*>(n);
    if (notification->code == 0)
        for (u32 k = 0; k < 2; ++k)
            if (frequency[k] && notification->source == frequency[k]) {
                showNote(note[k], frequency[k]->text());
                return true;
            }
    return GDialog::onControlNotify(n);
}

bool buildFilterBody(GFilterDialog* d, const char* title, const FilterFields& f) {
    d->keepOnCancel = true;
    GLayoutBuilder b(d);
    if (!beginDialogBody(d, b, title, "88408")) return false;
    if (f.frequency1 || f.frequency2) {
        GRowItem::create(b, "08080");
        if (f.frequency1) addFrequency(d, b, 0, f.label1, f.frequency1);
        if (f.frequency2) addFrequency(d, b, 1, f.label2, f.frequency2);
        b.endContainer();
    }
    if (f.interval || f.gain) {
        GRowItem::create(b, "08080");
        if (f.interval) d->interval = addFrequencyField(b, ravoText(RavoText::FilterBandwidth), f.interval, intervalRange, "UC");
        if (f.gain) d->gain = addValueField(b, ravoText(RavoText::FilterGain), f.gain, gainRange, nullptr, "UC");
        b.endContainer();
    }
    if (f.number || f.order) {
        b.pushContainer(new GGroupBoxItem(b.owner, ravoText(RavoText::FilterSettings)), nullptr, "UC");
        addGridLayout(2, 2, b, "UC");
        if (f.number) {
            GLabel::create(b, f.label3 ? f.label3 : "", 0, "<C");
            d->number = addNumberLine(b, "0.9999999", 0.01, 100.0, f.number);
        }
        if (f.order) {
            GLabel::create(b, ravoText(RavoText::FilterPasses), 0, "<C");
            d->order = addSpinnerField(b, 1, 10, "10", f.order, "<C");
        }
        b.endContainer();
        b.endContainer();
    }
    GButtonRow::create(b, d->helpPage && *d->helpPage ? "OCH" : "OC");
    b.endContainer();
    d->fitToContent();
    return true;
}

FilterFields biquadFields(u32 kind, BiquadValues* v) {
    FilterFields f;
    f.label1 = ravoText(RavoText::FilterFrequency);
    f.frequency1 = &v->frequency;
    f.order = v->order;
    switch (kind) {
    case BiquadNotch: f.interval = &v->interval; break;
    case BiquadBand:
        f.interval = &v->interval;
        f.gain = &v->gain;
        break;
    case BiquadLowShelf:
    case BiquadHighShelf:
        f.gain = &v->gain;
        f.label3 = ravoText(RavoText::FilterSlope);
        f.number = &v->number2;
        break;
    default:
        f.label3 = ravoText(RavoText::FilterQuality);
        f.number = &v->number1;
        break;
    }
    return f;
}

BiquadResult biquadResultOf(u32 kind, const BiquadValues& v) {
    BiquadResult r;
    r.kind = kind;
    r.frequency = v.frequency;
    r.order = v.order && *v.order > 0 ? (u32)*v.order : 1;
    const bool gained = kind == BiquadBand || kind == BiquadLowShelf || kind == BiquadHighShelf;
    r.gain = gained ? v.gain.factor : 0.0;
    if (kind == BiquadNotch || kind == BiquadBand) r.third = v.interval.semitones / 12.0;
    else if (kind == BiquadLowShelf || kind == BiquadHighShelf) r.third = v.number2;
    else r.third = v.number1;
    return r;
}

bool GBQFFilterDialog::onCommand(u32 command, GStateQuery* query) {
    if (command != 1 && command != 4 && command != 5) return GFilterDialog::onCommand(command, query);
    if (endDialog((i32)command) && result == (i32)command && values) biquad = biquadResultOf(kind, *values);
    return true;
}

bool buildBiquadBody(GBQFFilterDialog* dialog, const char* title, u32 kind, BiquadValues* values) {
    dialog->kind = kind;
    dialog->values = values;
    return buildFilterBody(dialog, title, biquadFields(kind, values));
}
