#include "app/equalizer_dialog.h"

#include <windows.h>

#include <cmath>
#include <cstring>

#include "app/app_settings.h"
#include "app/effect_presets.h"
#include "app/program_file_dialogs.h"
#include "app/program_texts.h"
#include "app/value_dialog_body.h"
#include "core/error.h"
#include "core/gfile.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/number_validator.h"
#include "gui/controls/regulator.h"
#include "gui/controls/value_field.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

namespace {
// A frequency typed in Hz, written to its f64 on commit. The dialog's field list owns it.
class HertzNumber : public NumberValidator {
public:
    EditNumberText line;
};

GEditLine* addHertz(GLayoutBuilder& b, const char* label, f64* value) {
    GLabel::create(b, label, 0, "<C");
    GEditLine* edit = GEditLine::create(b, 12, "<C");
    HertzNumber* number = new HertzNumber;
    number->line.edit = edit;
    number->text = &number->line;
    number->field = static_cast<GItemBase*>(edit);
    number->minimum = 0.0;
    number->maximum = 1e300;
    number->bound = value;
    number->set(*value);
    b.linkField(number);
    return edit;
}

void buildBandRows(EqualizerDialog* d, GLayoutBuilder& b) {
    d->sliders.clear();
    d->bandLabels.clear();
    const u32 n = d->bank.count();
    f64 frequency = d->bank.start;
    for (u32 first = 0; first < n; first += eqBandsPerRow) {
        GRowItem::create(b, "08080");
        // The scale beside the sliders: top, middle and bottom, spread by spacers.
        GColumnsItem::create(b, "00000", "<C");
        GLabel::create(b, ravoText(RavoText::EqScaleTop), 0, "<^");
        GLabel::create(b, "", 0, "UC");
        GLabel::create(b, ravoText(RavoText::EqScaleMiddle), 0, "<-");
        GLabel::create(b, "", 0, "UC");
        GLabel::create(b, ravoText(RavoText::EqScaleBottom), 0, "<v");
        GLabel::createVariant(b, "<v", "15000");  // the height of the frequency labels
        b.endContainer();
        for (u32 k = first; k < n && k < first + eqBandsPerRow; ++k) {
            GColumnsItem::create(b, "00000", "<^");
            GRegulator* slider = GRegulator::create(b, RegulatorVertical | RegulatorTicksBefore, -20, 20, "|C");
            if (slider) slider->setValue((i32)d->bank.values.data[k]);
            d->sliders.push_back(slider);
            GLabel* label = GLabel::createVariant(b, "|C", "15000");
            if (label) label->setTextF("%d", (i32)std::floor(frequency + 0.5));
            d->bandLabels.push_back(label);
            b.endContainer();
            frequency *= d->bank.factor;
        }
        b.endContainer();
    }
}

void copyBank(GeometricScale* to, const GeometricScale& from) {
    to->set(from.start, from.end, from.factor);
    if (to->count() == from.count() && from.count())
        memcpy(to->values.data, from.values.data, from.count() * sizeof(u32));
}
}  // namespace

bool buildEqualizerBody(EqualizerDialog* d, const char* title, GeometricScale* record) {
    d->record = record;
    // A remembered bank that fails the layout checks (a damaged settings file) is not rebuilt: the
    // dialog keeps its default bank.
    if (record && !eqLayoutRefusal(record->start, record->end, record->factor)) copyBank(&d->bank, *record);
    GLayoutBuilder b(d);
    if (!beginDialogBody(d, b, title, "00088")) return false;
    GRowItem::create(b, "08080");
    GColumnsItem::create(b, "00000", "<^");
    GButton::create(b, ravoText(RavoText::EqReset), 0, EqResetCommand, "-^");
    GButton::create(b, ravoText(RavoText::EqLoad), 0, EqLoadCommand, "-^");
    GButton::create(b, ravoText(RavoText::EqSave), 0, EqSaveCommand, "-^");
    GButton::create(b, ravoText(RavoText::EqLayout), 0, EqLayoutCommand, "-^");
    b.endContainer();
    d->bandArea = GColumnsItem::create(b, "88080", "U^");
    buildBandRows(d, b);
    b.endContainer();
    b.endContainer();
    GButtonRow::create(b, d->helpPage && *d->helpPage ? "OCH" : "OC");
    b.endContainer();
    d->fitToContent();
    return true;
}

void EqualizerDialog::rebuildBands() {
    if (!bandArea) return;
    bandArea->removeAllChildren();
    GLayoutBuilder b(this);
    b.current = bandArea;
    buildBandRows(this, b);
    fitToContent();
    InvalidateRect(hwnd, nullptr, TRUE);
}

void EqualizerDialog::takeSliders() {
    for (u32 k = 0; k < bank.count() && k < sliders.size(); ++k)
        if (sliders[k]) bank.values.data[k] = (u32)(i32)sliders[k]->value;
}

void EqualizerDialog::savePreset() {
    if (!runFileDialog(&equalizerPresetDialog, 0, this, FileSave)) return;
    WindowErrorHandler handler(this);
    GFile file(&handler);
    if (!fileOpen(file, equalizerPresetDialog.nameBuffer, FileMode::Write)) return;
    takeSliders();
    if (writeEqPreset(file, bank)) fileClose(file);
}

void EqualizerDialog::loadPreset() {
    if (!runFileDialog(&equalizerPresetDialog, 0, this, FileOpenOne)) return;
    WindowErrorHandler handler(this);
    GFile file(&handler);
    if (!fileOpen(file, equalizerPresetDialog.nameBuffer, FileMode::Read)) return;
    const PresetRead read = readEqPreset(file, &bank);
    fileCloseQuietly(file);
    if (read == PresetRead::WrongFormat) showMessageBox(&mbError, this, ravoText(RavoText::PresetWrongFormat));
    if (read == PresetRead::Version) showMessageBox(&mbError, this, ravoText(RavoText::PresetVersion));
    if (read == PresetRead::Ok) rebuildBands();
}

void EqualizerDialog::changeLayout() {
    EqualizerLayoutDialog layout(this);
    if (!buildEqualizerLayoutBody(&layout)) return;
    if (placeWindowAuto(&layout, PlaceCentreOnOwner) != 1) return;
    const EditorSettings& e = appSettings.Editor;
    bank.set(e.equalizer_minFreq, e.equalizer_maxFreq, e.equalizer_bandwidth.ratio);
    rebuildBands();
}

i32 EqualizerDialog::commandState(u32 command) {
    return command >= EqSaveCommand && command <= EqLayoutCommand ? CommandEnabled : GDialog::commandState(command);
}

bool EqualizerDialog::onCommand(u32 command, GStateQuery* query) {
    switch (command) {
    case EqSaveCommand: savePreset(); return true;
    case EqLoadCommand: loadPreset(); return true;
    case EqLayoutCommand: changeLayout(); return true;
    case EqResetCommand:
        for (GRegulator* s : sliders)
            if (s) s->setValue(0);
        InvalidateRect(hwnd, nullptr, TRUE);
        return true;
    case 1:
    case 4:
    case 5:
        takeSliders();
        if (record) copyBank(record, bank);
        return GDialog::onCommand(command, query);
    default: return GDialog::onCommand(command, query);
    }
}

bool buildEqualizerLayoutBody(EqualizerLayoutDialog* d) {
    EditorSettings& e = appSettings.Editor;
    d->keepOnCancel = true;
    GLayoutBuilder b(d);
    if (!beginDialogBody(d, b, ravoText(RavoText::EqLayoutTitle), "88488")) return false;
    GRowItem::create(b, "08080");
    d->lowest = addHertz(b, ravoText(RavoText::EqLowest), &e.equalizer_minFreq);
    b.endContainer();
    GRowItem::create(b, "08080");
    d->highest = addHertz(b, ravoText(RavoText::EqHighest), &e.equalizer_maxFreq);
    b.endContainer();
    const IntervalRange ratios = {{1, 1, 1, 1, 1}, 1.0, 1024.0, 0.0, 120.0};
    d->ratio = addFrequencyField(b, ravoText(RavoText::EqBandRatio), &e.equalizer_bandwidth, ratios, "|C");
    GButtonRow::create(b, "OCH");
    b.endContainer();
    d->fitToContent();
    return true;
}

bool EqualizerLayoutDialog::onCommand(u32 command, GStateQuery* query) {
    if (command != 1 && command != 4 && command != 5) return GDialog::onCommand(command, query);
    if (!validate(&fields)) return true;
    const EditorSettings& e = appSettings.Editor;
    if (const char* refusal = eqLayoutRefusal(e.equalizer_minFreq, e.equalizer_maxFreq, e.equalizer_bandwidth.ratio)) {
        showMessageBox(&mbError, this, refusal);
        return true;
    }
    return GDialog::onCommand(command, query);
}
