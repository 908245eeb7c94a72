#include "spectrum/harmonic_job_dialogs.h"

#include <windows.h>

#include "app/program_texts.h"
#include "gui/controls/button_row.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/multi_label.h"
#include "gui/controls/spinner_field.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "spectrum/harmonic_window.h"

namespace {
const char* const kTemplates[] = {"888", "88888888", "8888888888"};

const char* widthTemplate(i32 width) { return width <= 3 ? kTemplates[0] : width <= 8 ? kTemplates[1] : kTemplates[2]; }

bool openDialog(GDialog* dialog, const char* title, GLayoutBuilder& b) {
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    if (!createTopLevelWindow(dialog, style, 0, title ? title : "")) return false;
    GColumnsItem* body = new GColumnsItem(dialog);
    b.pushContainer(body, "88488", nullptr);
    dialog->setContent(body);
    return true;
}

// A heading over a label and its number field.
GSpinnerField* addValueRow(GLayoutBuilder& b, const JobDialogValue& v, i32 headingWidth, i32 headingLines, i32 width) {
    GMultiLabel::create(b, v.heading ? v.heading : "", headingWidth, headingLines, 0xA400);
    GRowItem::create(b, "00000");
    GLabel::create(b, v.label ? v.label : "", 0, "<C");
    GSpinnerField* field;
    if (v.whole)
        field = addSpinnerField(b, (i32)v.minimum, (i32)v.maximum, widthTemplate(width), static_cast<i32*>(v.variable), "<-");
    else
        field = addSpinnerFieldDouble(b, v.minimum, v.maximum, widthTemplate(width), static_cast<f64*>(v.variable), "<-");
    b.endContainer();
    return field;
}

// The texts again once the lines have their widths: a line sized after its text shows it scrolled away.
void finish(GDialog* dialog, GLayoutBuilder& b, GSpinnerField* const* fields, int count) {
    GLine1::create(b);
    GButtonRow::create(b, "OC");
    b.endContainer();
    dialog->fitToContent();
    char text[64];
    for (int i = 0; i < count; ++i)
        if (fields[i] && fields[i]->edit) {
            GetWindowTextA(fields[i]->edit->hwnd, text, sizeof text);
            SetWindowTextA(fields[i]->edit->hwnd, text);
        }
}
}  // namespace

bool buildFormatValuesDialog(GDialog* dialog, const char* title, const char* explanation, u32* sampleRate,
                             const JobDialogValue values[2], GSpinnerField* fields[2]) {
    GLayoutBuilder b(dialog);
    if (!openDialog(dialog, title, b)) return false;
    GMultiLabel::create(b, explanation ? explanation : "", 50, 10, 0xA400);
    SpectrumCalls::buildFormatPanel(b, sampleRate);
    for (int i = 0; i < 2; ++i) fields[i] = addValueRow(b, values[i], 50, 4, 10);
    finish(dialog, b, fields, 2);
    return true;
}

bool buildRestoreOverDialog(GDialog* dialog, const JobDialogValue values[4], GSpinnerField* fields[4]) {
    GLayoutBuilder b(dialog);
    if (!openDialog(dialog, ravoText(RavoText::RestoreOver), b)) return false;
    const i32 widths[4] = {8, 3, 8, 8};
    for (int i = 0; i < 4; ++i) fields[i] = addValueRow(b, values[i], 30, 5, widths[i]);
    finish(dialog, b, fields, 4);
    return true;
}
