#include "app/harmonic_dialog.h"

#include <windows.h>

#include <cstring>

#include "app/number_line.h"
#include "app/program_texts.h"
#include "app/value_dialog_body.h"
#include "gui/controls/button_row.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/notes.h"
#include "gui/controls/spinner_field.h"
#include "gui/frame/note_board.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

namespace {
const f64 pi = 3.14159265358979323846;
const u32 rowBits[4] = {HarmonicBase, HarmonicNumber, HarmonicAmplitude, HarmonicPhase};
}  // namespace

HarmonicRecord& sineDefaults() {
    static HarmonicRecord record = [] {
        HarmonicRecord r;
        std::memset(&r, 0, sizeof r);
        r.amplitude = 10000.0;
        r.frequency = r.baseFrequency = 440.0;
        r.note = 9;
        r.octave = 4;
        return r;
    }();
    return record;
}

void applyHarmonicValues(const HarmonicRecord& v, u32 applied, HarmonicRecord* r) {
    if (applied & HarmonicBase) r->baseFrequency = v.baseFrequency;
    if (applied & HarmonicNumber) r->overtone = v.overtone;
    if (applied & HarmonicAmplitude) r->amplitude = v.amplitude;
    if (applied & HarmonicPhase) r->phase = v.phase;
    if (applied & (HarmonicBase | HarmonicNumber)) {
        r->frequency = overtoneFrequency(r->baseFrequency, r->overtone);
        HarmonicRecord::updateNote(r);
    }
}

void storeSineDefaults(const HarmonicRecord& values) {
    applyHarmonicValues(values, HarmonicSineFields, &sineDefaults());
}

bool buildHarmonicBody(HarmonicOneDialog* dialog, const char* title, u32 mask, const HarmonicRecord& start) {
    dialog->values = start;
    dialog->values.phase = start.phase * 180.0 / pi;
    dialog->mask = mask;
    dialog->building = true;
    GLayoutBuilder b(dialog);
    if (!beginDialogBody(dialog, b, title, "88488")) return false;
    const bool checks = (mask & HarmonicChecks) != 0;
    i32 rows = 0;
    for (u32 bit : rowBits) rows += (mask & bit) ? 1 : 0;
    b.pushContainer(new GGroupBoxItem(dialog, ravoText(RavoText::HarmonicValues)), nullptr, "U^");
    setLayoutDigits(addGridLayout(checks ? 4 : 3, rows, b, "U^"), "050050");
    HarmonicRecord& v = dialog->values;
    const RavoText labels[4] = {RavoText::HarmonicBaseLabel, RavoText::HarmonicNumberLabel,
                                RavoText::HarmonicAmplitudeLabel, RavoText::HarmonicPhaseLabel};
    for (u32 row = 0; row < 4; ++row) {
        if (!(mask & rowBits[row])) continue;
        if (checks) dialog->switches[row] = GCheckBoxItem::create(b, "", 0, "<C");
        GLabel::create(b, ravoText(labels[row]), 0, "<C");
        switch (row) {
        case 0: dialog->board = new GNoteBoard(b, v.baseFrequency); break;
        case 1: dialog->number = addSpinnerField(b, -20, 20, "00000000", &v.overtone, "<C"); break;
        case 2:
            dialog->amplitude = GEditLine::createAlt(b, "00000000", "<C");
            bindNumberLine(b, dialog->amplitude, 1.0, 32767.0, &v.amplitude);
            break;
        default:
            dialog->phase = GEditLine::createAlt(b, "00000000", "<C");
            bindNumberLine(b, dialog->phase, -180.0, 180.0, &v.phase);
            break;
        }
        if (row == 3) GLabel::create(b, ravoText(RavoText::HarmonicDegrees), 0, "<C");
        else GLabel::create(b, "", 0, "<C");
    }
    b.endContainer();
    b.endContainer();
    const bool help = dialog->helpPage && *dialog->helpPage;
    GButtonRow::create(b, help ? "OCH" : "OC");
    b.endContainer();
    dialog->fitToContent();
    dialog->building = false;
    return true;
}

u32 HarmonicOneDialog::applied() const {
    u32 bits = 0;
    for (u32 row = 0; row < 4; ++row) {
        if (!(mask & rowBits[row])) continue;
        if (!(mask & HarmonicChecks) || (switches[row] && switches[row]->isChecked())) bits |= rowBits[row];
    }
    return bits;
}

bool HarmonicOneDialog::onControlNotify(void* n) {
    auto* notification = static_cast<GControlNotification*>(n);
    if (!building && (mask & HarmonicChecks) && notification->source) {
        GItemBase* source = notification->source;
        const GItemBase* fields[4] = {board, number ? static_cast<GItemBase*>(number->edit) : nullptr, amplitude,
                                      phase};
        for (u32 row = 0; row < 4; ++row)
            if (fields[row] && source == fields[row] && switches[row] && !switches[row]->isChecked())
                switches[row]->setChecked(1);
    }
    return GDialog::onControlNotify(n);
}

bool HarmonicOneDialog::onCommand(u32 command, GStateQuery* query) {
    const bool taken = GDialog::onCommand(command, query);
    if (command == 1 && result == 1) {
        values.phase = values.phase * pi / 180.0;
        if (board) {
            values.baseFrequency = board->frequency;
            const NoteOctave shown = frequencyToNote(board->frequency);
            values.note = (u32)shown.note;
            values.octave = (u32)shown.octave;
        }
    }
    return taken;
}
