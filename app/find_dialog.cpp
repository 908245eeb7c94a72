#include "app/find_dialog.h"

#include <windows.h>

#include <cstring>

#include "app/program_texts.h"
#include "app/value_dialog_body.h"
#include "gui/controls/button_row.h"
#include "gui/controls/combo.h"
#include "gui/controls/digit_field.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/page_stack.h"
#include "gui/controls/value_field.h"
#include "gui/kernel/message_box.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

namespace {
SampleCountRecord* countOf(SamplePeriod* period) { return reinterpret_cast<SampleCountRecord*>(period); }

i32 storedKind(const u8* record) {
    i32 k;
    std::memcpy(&k, record + 4, 4);
    return k < 0 || k > FindKindPeak ? FindKindDefect : k;
}
}  // namespace

bool buildFindBody(FindDialog* dialog, const char* title, const FindDialogValues& v) {
    dialog->record = v.record;
    dialog->keepOnCancel = true;
    const u32 rate = v.rate ? v.rate : 44100;
    GLayoutBuilder b(dialog);
    if (!beginDialogBody(dialog, b, title, "88408")) return false;

    GRowItem::create(b, "08000");
    GLabel::create(b, ravoText(RavoText::FindKindLabel), 0, "<C");
    dialog->kinds = GCombo::create(b, static_cast<const GBag*>(nullptr), -1, 16, "<^");
    if (dialog->kinds) {
        for (RavoText t : {RavoText::FindKindDefect, RavoText::FindKindSilence, RavoText::FindKindPeak})
            dialog->kinds->addItem(ravoText(t));
        dialog->kinds->select(storedKind(v.record));
    }
    b.endContainer();

    dialog->pages = new GPageStack(dialog);
    b.pushContainer(dialog->pages, "0000", "U^");
    const SampleCountRange periods = {0, 1, rate, -1};
    GColumnsItem::create(b, "00000", "U^");
    addValueField(b, ravoText(RavoText::FindDefectLevel), v.defectLevel, v.defectUnits);
    addDigitField(b, ravoText(RavoText::FindDefectPeriod), countOf(v.defectPeriod), periods, rate);
    b.pushContainer(new GGroupBoxItem(dialog, ravoText(RavoText::FindDefectTests)), nullptr, "U^");
    GColumnsItem::create(b, "00000", "U^");
    dialog->jumps = GCheckBoxItem::create(b, ravoText(RavoText::FindJumps), v.record[2] ? 1 : 0, "<C");
    dialog->clipping = GCheckBoxItem::create(b, ravoText(RavoText::FindClipping), v.record[3] ? 1 : 0, "<C");
    b.endContainer();
    b.endContainer();
    b.endContainer();
    GColumnsItem::create(b, "00000", "U^");
    addValueField(b, ravoText(RavoText::FindSilenceLevel), v.silenceLevel, v.silenceUnits);
    addDigitField(b, ravoText(RavoText::FindSilencePeriod), countOf(v.silencePeriod), periods, rate);
    b.endContainer();
    GColumnsItem::create(b, "00000", "U^");
    b.endContainer();
    b.endContainer();

    b.pushContainer(new GRowItem(dialog), "08088", "Uv");
    GGroupBoxItem* direction = new GGroupBoxItem(dialog, ravoText(RavoText::FindDirection));
    dialog->directionGroup = direction;
    b.pushContainer(direction, nullptr, "U^");
    GColumnsItem::create(b, "00000", "U^");
    dialog->direction = v.record[1] ? 1 : 0;
    dialog->forwardBox = addRadioBox(b, ravoText(RavoText::FindForward), 1, &dialog->direction, 1);
    dialog->backwardBox = addRadioBox(b, ravoText(RavoText::FindBackward), 1, &dialog->direction, 0);
    b.endContainer();
    b.endContainer();
    b.pushContainer(new GGroupBoxItem(dialog, ravoText(RavoText::FindScope)), nullptr, "U^");
    GColumnsItem::create(b, "00000", "U^");
    dialog->scope = v.hasSelection && v.record[0] ? 1 : 0;
    dialog->wholeBox = addRadioBox(b, ravoText(RavoText::FindWholeSound), 2, &dialog->scope, 0);
    dialog->selectionBox = addRadioBox(b, ravoText(RavoText::FindInSelection), 2, &dialog->scope, 1);
    if (!v.hasSelection && dialog->selectionBox && dialog->selectionBox->hwnd)
        EnableWindow(dialog->selectionBox->hwnd, FALSE);
    b.endContainer();
    b.endContainer();
    b.endContainer();

    const bool help = dialog->helpPage && *dialog->helpPage;
    GButtonRow::create(b, help ? "OCH" : "OC");
    b.endContainer();
    dialog->showKind();
    dialog->fitToContent();
    return true;
}

i32 FindDialog::kind() const { return kinds && kinds->selection >= 0 ? kinds->selection : FindKindDefect; }

void FindDialog::showKind() {
    const i32 k = kind();
    if (pages) pages->setCurrentPage(k);
    if (directionGroup) directionGroup->notify(k == FindKindPeak ? LayoutExclude : LayoutInclude);
}

bool FindDialog::onControlNotify(void* n) {
    auto* notification = static_cast<GControlNotification*>(n);
    if (kinds && notification->source == kinds && notification->code == ComboSelectionChanged) {
        showKind();
        return true;
    }
    return GDialog::onControlNotify(n);
}

bool FindDialog::onCommand(u32 command, GStateQuery* query) {
    if (command != 1) return GDialog::onCommand(command, query);
    const bool jumpCheck = jumps && jumps->isChecked(), clipCheck = clipping && clipping->isChecked();
    if (kind() == FindKindDefect && !jumpCheck && !clipCheck) {
        showMessageBox(&mbError, this, ravoText(RavoText::FindNoDefectTest));
        return true;
    }
    GDialog::onCommand(command, query);
    if (result == 1 && record) {
        record[0] = selectionBox && selectionBox->isChecked() ? 1 : 0;
        record[1] = forwardBox && forwardBox->isChecked() ? 1 : 0;
        record[2] = jumpCheck ? 1 : 0;
        record[3] = clipCheck ? 1 : 0;
        const i32 k = kind();
        std::memcpy(record + 4, &k, 4);
    }
    return true;
}
