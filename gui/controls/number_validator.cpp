#include "gui/controls/number_validator.h"

#include <cerrno>
#include <cstdlib>

#include "core/exceptions.h"
#include "gui/kernel/gui_texts.h"

bool parseNumber(const char* text, f64* out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    f64 v = strtod(text, &end);
    if (end == text || *end || errno == ERANGE) return false;
    *out = v;
    return true;
}

GString formatNumber(f64 value) {
    GString s;
    stringFormat(s, "%.15G", value);
    return s;
}

void NumberValidator::check() {
    f64 v = value;
    GVerifyException refusal;
    refusal.field = field;
    if (!text || !parseNumber(text->numberText().data, &v)) {
        refusal.text = GString(guiText(GuiText::NumberMessage));
        throw refusal;
    }
    if (!(v >= minimum && v <= maximum)) {
        stringFormat(refusal.text, guiText(GuiText::NumberRangeMessage), minimum, maximum);
        throw refusal;
    }
    value = v;
}

void NumberValidator::commit() {
    if (bound) *bound = value;
}

void NumberValidator::set(f64 v) {
    value = v;
    show();
}

void NumberValidator::show() {
    if (text) text->setNumberText(formatNumber(value).data);
}
