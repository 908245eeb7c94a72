#include "gui/dialogs/single_placer_dialog.h"

#include "gui/controls/button_row.h"
#include "gui/controls/label.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

GButtonRow* setDialogContent(GLayoutItem* content, GDialog* dialog, const char* digits, bool separator) {
    GColumnsItem* column = new GColumnsItem(dialog);
    setLayoutDigits(column, "00000");
    dialog->setContent(column);
    setLayoutDigits(content, digits);
    GLayoutBuilder builder(dialog);
    builder.current = column;
    builder.add(content, "UC");
    if (separator) GLine2::create(builder);
    GButtonRow* row = GButtonRow::create(builder, "OCH");
    if (dialog->isKindOf(TypeSinglePlacerDialog)) {
        static_cast<GSinglePlacerDialog*>(dialog)->body = content;
        static_cast<GSinglePlacerDialog*>(dialog)->buttonRow = row;
    }
    return row;
}

bool GSinglePlacerDialog::createWindow(const char* title) {
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    return createTopLevelWindow(this, style, WS_EX_DLGMODALFRAME, title);
}

i32 GSinglePlacerDialog::run() {
    fitToContent();
    return placeWindowAuto(this, PlaceCentreOnOwner);
}
