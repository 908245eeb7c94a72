#pragma once
// Value steppers: one step of a value field's text up or down, as the spin arrows and the arrow
// keys do it. They know nothing of windows: what they edit is a GStepText (an edit line through
// EditStepText, or a plain text in tests). A step that would leave the range, or a text that is no
// value, throws GVerifyException with an empty message and leaves the text as it was.
//
// Integer, unsigned and floating-point steps change the digit left of the caret (the end of the
// selection): digit 1 is the last one, 2 the one before it, and so on. Time steps change the minutes,
// seconds or milliseconds part under the start of the selection and select that part again.
#include "core/gstring.h"

class GEditLine;

class GStepText {
public:
    virtual ~GStepText() = default;
    virtual GString text() = 0;
    virtual void setText(const char* text) = 0;
    // Start and end of the selection; a negative start means none.
    virtual void selection(i32* start, i32* end) = 0;
    virtual void select(i32 start, i32 end) = 0;
};

// An edit line's text and selection.
class EditStepText : public GStepText {
public:
    explicit EditStepText(GEditLine* line) : line(line) {}
    GString text() override;
    void setText(const char* text) override;
    void selection(i32* start, i32* end) override;
    void select(i32 start, i32 end) override;
    GEditLine* line;
};

enum class ValueKind : u8 { Integer, Unsigned, Double, Time };

// The kind and range of one field; the spinner steps through it. The step is direction × multiplier
// units; the product saturates.
class GValueStepper {
public:
    GValueStepper(ValueKind kind, double minimum, double maximum) : kind(kind), minimum(minimum), maximum(maximum) {}
    void step(GStepText& target, i32 direction, i32 multiplier) const;

    ValueKind kind;
    double minimum, maximum;  // exact for every i32 and u32 limit
};

// The kinds one by one. Integer and unsigned values are i32 and u32 texts.
void stepInteger(GStepText& target, i64 minimum, i64 maximum, i32 direction, i32 multiplier);
void stepUnsigned(GStepText& target, u32 minimum, u32 maximum, i32 direction, i32 multiplier);
void stepDouble(GStepText& target, double minimum, double maximum, i32 direction, i32 multiplier);
void stepTime(GStepText& target, u32 minimum, u32 maximum, i32 direction, i32 multiplier);

// 1 with the caret at the end of the text, counting up leftwards.
i32 caretDigitPosition(const char* text, i32 caret);
