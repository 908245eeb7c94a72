#include "app/fft_dialog.h"

#include <windows.h>

#include "app/number_line.h"
#include "app/program_texts.h"
#include "app/value_dialog_body.h"
#include "gui/controls/button_row.h"
#include "gui/controls/combo.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/multi_label.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

namespace {
const char* const windowNames[10] = {nullptr,    "Hann",           "Hamming",         "Gaussian",  "Blackman",
                                     "Nutall",   "Blackman-Harris", "Blackman-Nutall", "Flat Top", "Triangle"};

void beginGroup(GLayoutBuilder& b, RavoText caption) {
    b.pushContainer(new GGroupBoxItem(b.owner, ravoText(caption)), nullptr, "U^");
    GColumnsItem::create(b, "00000", "U^");
}
void endGroup(GLayoutBuilder& b) {
    b.endContainer();
    b.endContainer();
}

GCombo* comboOf(GLayoutBuilder& b, i32 rows) {
    GCombo* combo = GCombo::create(b, static_cast<const GBag*>(nullptr), -1, 16, "<C");
    if (combo) combo->visibleRows = rows;
    return combo;
}

// Radio boxes over a u32 setting (the same bytes as an i32).
GRadioBox* radio(GLayoutBuilder& b, RavoText text, i32 group, u32* variable, i32 value) {
    return addRadioBox(b, ravoText(text), group, reinterpret_cast<i32*>(variable), value);
}
}  // namespace

bool buildFftBody(FFTDialog* dialog, const char* title, FourierSettings* s) {
    dialog->settings = s;
    dialog->keepOnCancel = true;
    GLayoutBuilder b(dialog);
    if (!beginDialogBody(dialog, b, title, "88888")) return false;

    beginGroup(b, RavoText::FftLimitGroup);
    GMultiLabel::create(b, ravoText(RavoText::FftLimitCaption), 40, 2, 0xA400);
    dialog->limitLine = GEditLine::create(b, 10, "<v");
    bindNumberLine(b, dialog->limitLine, 0.0, 100000.0, &s->ampLimit);
    endGroup(b);

    beginGroup(b, RavoText::FftWindowGroup);
    GLabel::create(b, ravoText(RavoText::FftWindowCaption), 0, "<C");
    dialog->windows = comboOf(b, 15);
    if (dialog->windows) {
        for (const char* name : windowNames) dialog->windows->addItem(name ? name : ravoText(RavoText::FftNoWindow));
        if ((i32)s->windowFunction >= 0) dialog->windows->select((i32)s->windowFunction);
    }
    endGroup(b);

    beginGroup(b, RavoText::FftRangeGroup);
    dialog->selectionBox = radio(b, RavoText::FftRangeSelection, 1, &s->selection, 1);
    dialog->cursorBox = radio(b, RavoText::FftRangeCursor, 1, &s->selection, 0);
    dialog->sizes = comboOf(b, 5);
    if (dialog->sizes) {
        for (u32 size : fftSizeChoices) {
            char text[16];
            wsprintfA(text, "%u", size);
            dialog->sizes->addItem(text);
        }
        if ((i32)s->defaultSizeIndex >= 0) dialog->sizes->select((i32)s->defaultSizeIndex);
    }
    endGroup(b);

    beginGroup(b, RavoText::FftTracksGroup);
    radio(b, RavoText::FftTracksOne, 2, &s->multiChannelMode, 0);
    radio(b, RavoText::FftTracksFirst, 2, &s->multiChannelMode, 2);
    radio(b, RavoText::FftTracksSum, 2, &s->multiChannelMode, 1);
    endGroup(b);

    beginGroup(b, RavoText::FftResultGroup);
    radio(b, RavoText::FftResultNewPage, 3, &s->newTabMode, 0);
    radio(b, RavoText::FftResultLastPage, 3, &s->newTabMode, 1);
    radio(b, RavoText::FftResultPeak, 3, &s->newTabMode, 2);
    endGroup(b);

    GCheckBoxItem::createAlt(b, ravoText(RavoText::FftAutoFit), &s->autoFit, "<C");
    GCheckBoxItem::createAlt(b, ravoText(RavoText::FftRefine), &s->restoreTrueFrequencies, "<C");

    const bool help = dialog->helpPage && *dialog->helpPage;
    GButtonRow::create(b, help ? "OCH" : "OC");
    b.endContainer();
    dialog->enableSizes(s->selection == 0);
    dialog->fitToContent();
    return true;
}

void FFTDialog::enableSizes(bool aroundCursor) {
    if (sizes && sizes->hwnd) EnableWindow(sizes->hwnd, aroundCursor);
}

bool FFTDialog::onControlNotify(void* n) {
    auto* notification = static_cast<GControlNotification*>(n);
    // The box that changed tells; its partner may not have followed yet.
    if (notification->code == MarkChanged && notification->source && notification->source == cursorBox) {
        enableSizes(cursorBox->isChecked());
        return true;
    }
    if (notification->code == MarkChanged && notification->source && notification->source == selectionBox) {
        enableSizes(!selectionBox->isChecked());
        return true;
    }
    return GDialog::onControlNotify(n);
}

bool FFTDialog::onCommand(u32 command, GStateQuery* query) {
    const bool taken = GDialog::onCommand(command, query);
    if (command == 1 && result == 1 && settings) {
        if (windows && windows->selection >= 0) settings->windowFunction = (u32)windows->selection;
        if (sizes && sizes->selection >= 0 && sizes->selection < 5) {
            settings->defaultSizeIndex = (u32)sizes->selection;
            settings->defaultSize = fftSizeChoices[sizes->selection];
        }
    }
    return taken;
}
