#pragma once
// GSpinnerItem: an edit line (child 0) with the spinner's arrow column (child 1) beside it; Up and
// Down typed in the edit line step through the spinner. GSpinnerField binds such a pair to a
// variable of a dialog: its binding record, linked into the builder's field list (which owns it),
// checks the range when the dialog ends with OK and writes the value back. The item belongs to its
// container like every layout item.
#include "gui/controls/field_list.h"
#include "gui/controls/value_stepper.h"
#include "gui/layout/layout_cell.h"

class GEditLine;
class GLayoutBuilder;
class GSpinner;
class GSpinnerField;

class GSpinnerItem : public GLayoutItem {
public:
    // The edit line (sized by the template) and the arrow column, made on the owner.
    GSpinnerItem(GWindow* owner, const char* templateText);

    void getPreferredSize(i32* width, i32* height) override;
    void setRect(const RECT& rect) override;
    void removeChild(GLayoutCell* child) override;
    i32 handleKey(GInputEvent* event) override;

    GEditLine* edit = nullptr;
    GSpinner* arrows = nullptr;
};

// The record a spinner field links into the field list.
class GSpinnerBinding : public GFieldBinding {
public:
    // Reads the edit line; outside [minimum, maximum] (or no value) refuses with the range
    // message, the edit line as the failing field.
    void check() override;
    // The variable takes the value read by check.
    void commit() override;
    // The variable's value into the field again.
    void setValue() override;

    GSpinnerField* field = nullptr;  // null once the field is gone
    double value = 0;
};

class GSpinnerField : public GSpinnerItem {
public:
    GSpinnerField(GWindow* owner, const char* templateText, ValueKind kind, double minimum, double maximum, void* variable);
    ~GSpinnerField() override;

    // The value into the edit line.
    void show(double value);
    // The edit line's value; throws GVerifyException with the range message.
    double read();
    // The range message of this field.
    GString rangeMessage() const;

    GValueStepper stepper;
    void* variable;  // i32, u32, double or u32 milliseconds by the kind
    GSpinnerBinding* binding = nullptr;
};

// An integer field over an i32 variable.
GSpinnerField* addSpinnerField(GLayoutBuilder& builder, i32 minimum, i32 maximum, const char* templateText,
                               i32* variable, const char* code = nullptr);
// A floating-point field over a double.
GSpinnerField* addSpinnerFieldDouble(GLayoutBuilder& builder, double minimum, double maximum, const char* templateText,
                                     double* variable, const char* code = nullptr);
// An unsigned field over a u32.
GSpinnerField* addSpinnerField2(GLayoutBuilder& builder, const char* templateText, const char* code, u32 minimum,
                                u32 maximum, u32* variable);
// A time field over milliseconds, template "888:88.888_".
GSpinnerField* addTimeField(GLayoutBuilder& builder, u32* milliseconds, u32 minimum, u32 maximum,
                            const char* code = nullptr);
