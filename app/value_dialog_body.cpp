#include "app/value_dialog_body.h"

#include <windows.h>

#include "app/number_line.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/multi_label.h"
#include "gui/controls/value_field.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

bool beginDialogBody(GDialog* dialog, GLayoutBuilder& builder, const char* title, const char* digits) {
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    if (!createTopLevelWindow(dialog, style, 0, title ? title : "")) return false;
    GColumnsItem* body = new GColumnsItem(dialog);
    builder.pushContainer(body, digits, nullptr);
    dialog->setContent(body);
    return true;
}

ValueField* buildValueDialogBody(GDialog* dialog, const char* title, const char* prompt, LevelValue* value,
                                 const LevelRange& options, const char* label) {
    GLayoutBuilder builder(dialog);
    if (!beginDialogBody(dialog, builder, title, "88488")) return nullptr;
    GMultiLabel::create(builder, prompt ? prompt : "", 30, 10, 0xA400);
    ValueField* field = addValueField(builder, label, value, options, nullptr, "U-");
    const bool help = dialog->helpPage && *dialog->helpPage;
    GButtonRow::create(builder, help ? "OCH" : "OC");
    builder.endContainer();
    dialog->fitToContent();
    return field;
}

GEditLine* addNumberLine(GLayoutBuilder& b, const char* sample, f64 minimum, f64 maximum, f64* bound,
                         const char* alignment) {
    GEditLine* edit = GEditLine::createAlt(b, sample, alignment);
    bindNumberLine(b, edit, minimum, maximum, bound);
    return edit;
}

void addCommandButtons(GLayoutBuilder& builder, const char* const* texts, const u32* commands, u32 n) {
    GRowItem::create(builder, "08080");
    for (u32 k = 0; k < n; ++k) GButton::create(builder, texts[k], 0, commands[k], "<C");
    builder.endContainer();
}
