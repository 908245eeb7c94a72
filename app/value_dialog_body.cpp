#include "app/value_dialog_body.h"

#include <windows.h>

#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/multi_label.h"
#include "gui/controls/number_validator.h"
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

namespace {
// A number typed in an edit line. The field list owns it.
class LineNumber : public NumberValidator {
public:
    EditNumberText line;
};
}  // namespace

GEditLine* addNumberLine(GLayoutBuilder& b, const char* sample, f64 minimum, f64 maximum, f64* bound,
                         const char* alignment) {
    GEditLine* edit = GEditLine::createAlt(b, sample, alignment);
    LineNumber* number = new LineNumber;
    number->line.edit = edit;
    number->text = &number->line;
    number->field = static_cast<GItemBase*>(edit);
    number->minimum = minimum;
    number->maximum = maximum;
    number->bound = bound;
    number->set(*bound);
    b.linkField(number);
    return edit;
}

void addCommandButtons(GLayoutBuilder& builder, const char* const* texts, const u32* commands, u32 n) {
    GRowItem::create(builder, "08080");
    for (u32 k = 0; k < n; ++k) GButton::create(builder, texts[k], 0, commands[k], "<C");
    builder.endContainer();
}
