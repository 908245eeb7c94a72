#include "gui/controls/value_stepper.h"

#include <windows.h>

#include <cmath>
#include <cstring>

#include "core/exceptions.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/value_text.h"

GString EditStepText::text() { return line->getText(); }
void EditStepText::setText(const char* text) { line->setText(text); }
void EditStepText::selection(i32* start, i32* end) {
    DWORD s = 0, e = 0;
    SendMessageA(line->hwnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    *start = (i32)s;
    *end = (i32)e;
}
void EditStepText::select(i32 start, i32 end) { SendMessageA(line->hwnd, EM_SETSEL, start, end); }

namespace {
[[noreturn]] void refuseStep() { throw GVerifyException(); }

// direction × multiplier × unit, saturated.
i64 stepAmount(i32 direction, i32 multiplier, i64 unit) {
    i64 amount;
    if (__builtin_mul_overflow((i64)direction * multiplier, unit, &amount)) return direction < 0 ? INT64_MIN : INT64_MAX;
    return amount;
}

i64 addSaturated(i64 a, i64 b) {
    i64 sum;
    if (__builtin_add_overflow(a, b, &sum)) return b < 0 ? INT64_MIN : INT64_MAX;
    return sum;
}

// The caret (end of the selection) and its digit position; the caret keeps its distance from the end.
struct CaretDigit {
    i32 position;
    i64 unit;
};
CaretDigit caretDigit(GStepText& target, const GString& text) {
    i32 start, end;
    target.selection(&start, &end);
    i32 p = caretDigitPosition(text.c_str(), end);
    if (p > 19) p = 19;
    i64 unit = 1;
    for (i32 i = 1; i < p; ++i) unit *= 10;
    return {p, unit};
}

void setKeepingDigit(GStepText& target, const GString& text, i32 position) {
    target.setText(text.c_str());
    i32 caret = (i32)text.length - (position - 1);
    if (caret < 0) caret = 0;
    target.select(caret, caret);
}

// One integer step in 64 bits.
i64 steppedInteger(i64 current, i64 unit, i32 direction, i32 multiplier) {
    return addSaturated(current / unit * unit, stepAmount(direction, multiplier, unit));
}
}  // namespace

i32 caretDigitPosition(const char* text, i32 caret) {
    i32 n = (i32)strlen(text);
    if (caret < 0 || caret > n) caret = n;
    return n - caret + 1;
}

namespace {
template <typename T>
void stepWhole(GStepText& target, i64 minimum, i64 maximum, i32 direction, i32 multiplier,
               bool (*read)(const char*, T*), void (*format)(GString&, T)) {
    GString text = target.text();
    T current;
    if (!read(text.c_str(), &current)) refuseStep();
    CaretDigit digit = caretDigit(target, text);
    i64 value = steppedInteger(current, digit.unit, direction, multiplier);
    if (value < minimum || value > maximum) refuseStep();
    format(text, (T)value);
    setKeepingDigit(target, text, digit.position);
}
}  // namespace

void stepInteger(GStepText& target, i64 minimum, i64 maximum, i32 direction, i32 multiplier) {
    stepWhole<i32>(target, minimum, maximum, direction, multiplier, readI32Text, formatI32Text);
}

void stepUnsigned(GStepText& target, u32 minimum, u32 maximum, i32 direction, i32 multiplier) {
    stepWhole<u32>(target, minimum, maximum, direction, multiplier, readU32Text, formatU32Text);
}

void stepDouble(GStepText& target, double minimum, double maximum, i32 direction, i32 multiplier) {
    GString text = target.text();
    double current;
    if (!readDoubleText(text.c_str(), &current)) refuseStep();
    i32 start, end;
    target.selection(&start, &end);
    const char* s = text.c_str();
    i32 n = (i32)text.length;
    if (end < 0 || end > n) end = n;
    // The mantissa ends at an exponent; the caret counts inside it.
    const char* e = strpbrk(s, "eE");
    i32 mantissa = e ? (i32)(e - s) : n;
    if (end > mantissa) end = mantissa;
    const char* dot = strchr(s, '.');
    i32 point = dot && dot - s < mantissa ? (i32)(dot - s) : mantissa;
    i32 digit = end - 1;
    if (digit == point) --digit;
    // The power of ten of the digit left of the caret; left of the first digit, the next one up.
    i32 power = digit < 0 ? point : digit < point ? point - digit - 1 : -(digit - point);
    if (power > 300) power = 300;
    if (power < -300) power = -300;
    double exponent = e ? std::strtod(e + 1, nullptr) : 0;
    double unit = std::pow(10.0, power + exponent);
    double value = current + (double)direction * multiplier * unit;
    if (power + exponent < 0) {
        double scale = std::pow(10.0, -(power + exponent));
        value = std::round(value * scale) / scale;
    }
    if (!(value >= minimum && value <= maximum)) refuseStep();
    formatDoubleText(text, value);
    setKeepingDigit(target, text, n - end + 1 > 0 ? n - end + 1 : 1);
}

void stepTime(GStepText& target, u32 minimum, u32 maximum, i32 direction, i32 multiplier) {
    i32 start, end;
    target.selection(&start, &end);
    if (start < 0) return;
    GString text = target.text();
    u32 current;
    if (!readTimeText(text.c_str(), &current)) refuseStep();
    const char* s = text.c_str();
    const char* colon = strchr(s, ':');
    const char* dot = strchr(s, '.');
    i64 unit = 1000;
    if (colon && start <= colon - s)
        unit = 60000;
    else if (dot && start > dot - s)
        unit = 1;
    i64 value = addSaturated(current, stepAmount(direction, multiplier, unit));
    if (value < minimum || value > maximum) refuseStep();
    formatTimeText(text, (u32)value);
    target.setText(text.c_str());
    s = text.c_str();
    i32 n = (i32)text.length;
    colon = strchr(s, ':');
    dot = strchr(s, '.');
    if (unit == 1000)
        target.select(colon ? (i32)(colon - s) + 1 : 0, dot ? (i32)(dot - s) : n);
    else if (unit == 1)
        target.select(dot ? (i32)(dot - s) + 1 : n, n);
    else
        target.select(0, colon ? (i32)(colon - s) : n);
}

void GValueStepper::step(GStepText& target, i32 direction, i32 multiplier) const {
    switch (kind) {
    case ValueKind::Integer:
        stepInteger(target, (i64)minimum, (i64)maximum, direction, multiplier);
        break;
    case ValueKind::Unsigned:
        stepUnsigned(target, (u32)minimum, (u32)maximum, direction, multiplier);
        break;
    case ValueKind::Double:
        stepDouble(target, minimum, maximum, direction, multiplier);
        break;
    case ValueKind::Time:
        stepTime(target, (u32)minimum, (u32)maximum, direction, multiplier);
        break;
    }
}
