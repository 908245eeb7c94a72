#include "app/number_line.h"

#include "gui/controls/edit_line.h"
#include "gui/controls/value_field.h"
#include "gui/layout/layout_builder.h"

namespace {
class LineNumber : public NumberValidator {
public:
    EditNumberText line;
};
}  // namespace

NumberValidator* bindNumberLine(GLayoutBuilder& builder, GEditLine* edit, f64 minimum, f64 maximum, f64* bound) {
    LineNumber* number = new LineNumber;
    number->line.edit = edit;
    number->text = &number->line;
    number->field = static_cast<GItemBase*>(edit);
    number->minimum = minimum;
    number->maximum = maximum;
    number->bound = bound;
    number->set(*bound);
    builder.linkField(number);
    return number;
}
