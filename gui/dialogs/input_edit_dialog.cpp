#include "gui/dialogs/input_edit_dialog.h"

#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/multi_label.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

bool GInputEditDialog::build(const char* title, const char* prompt, i32 limit) {
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (!createTopLevelWindow(this, style, WS_EX_DLGMODALFRAME, title ? title : "")) return false;
    GColumnsItem* column = new GColumnsItem(this);
    setLayoutDigits(column, "88888");
    setContent(column);
    GLayoutBuilder builder(this);
    builder.current = column;
    promptLabel = GMultiLabel::create(builder, prompt ? prompt : "", 30, 10, 0xA400);
    edit = GEditLine::create(builder, 30, "U^");
    if (edit && edit->hwnd) SendMessageA(edit->hwnd, EM_LIMITTEXT, (WPARAM)limit, 0);
    GButtonRow* row = GButtonRow::create(builder, helpPage ? "OCH" : "OC");
    okButton = row->findButton(1);
    fitToContent();
    return edit != nullptr;
}

bool GInputEditStrDialog::run(GWindow* owner, const char* title, const char* prompt, const char* initial,
                              GString& result, i32 limit) {
    GInputEditStrDialog dialog(owner, nullptr);
    if (!dialog.build(title, prompt, limit)) return false;
    dialog.edit->setText(initial ? initial : "");
    dialog.updateOk();
    dialog.edit->setFocusSafe();
    RECT empty{};
    if (showModal(&dialog, &empty, PlaceCentreOnOwner) != 1) return false;
    result = dialog.edit->getText();
    return true;
}

void GInputEditStrDialog::updateOk() {
    if (okButton && okButton->hwnd) EnableWindow(okButton->hwnd, edit && !edit->getText().empty());
}

bool GInputEditStrDialog::onControlNotify(void* notification) {
    auto* n = static_cast<GControlNotification*>(notification);
    if (edit && n->source == edit) updateOk();
    return false;
}
