#pragma once
// NumberValidator: the field-list record of one floating-point number shown as text. check reads
// the text and refuses a non-number or a value outside [minimum, maximum] with GVerifyException,
// keeping the value it had; commit writes the value to the bound variable. Owned by whoever links it.
#include "core/gstring.h"
#include "core/types.h"
#include "gui/controls/field_list.h"

// The text a number is read from and written to (an edit line).
class NumberText {
public:
    virtual ~NumberText() = default;
    virtual GString numberText() = 0;
    virtual void setNumberText(const char* text) = 0;
};

// The whole text as one decimal number: no leftover characters, no range error, not empty.
bool parseNumber(const char* text, f64* out);
// "%.15G".
GString formatNumber(f64 value);

class NumberValidator : public GFieldBinding {
public:
    // Refuses with the number message, then with the range message; the value stays as it was.
    void check() override;
    // Writes the value to the bound variable (none for a derived unit).
    void commit() override;
    // Keeps the value and shows it.
    void set(f64 v);
    // Shows the value.
    void show();

    f64 value = 0.0;
    f64* bound = nullptr;
    f64 minimum = 0.0;
    f64 maximum = 0.0;
    NumberText* text = nullptr;
    void* field = nullptr;  // the layout item reported with a refusal (its edit line), or null
};
