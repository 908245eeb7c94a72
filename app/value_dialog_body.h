#pragma once
// The body shared by the dialogs that ask for one level value: a prompt, one value field and the
// button row, built into a caller's dialog (the dialog's tree owns what is made).
#include "core/level_value.h"

class GDialog;
class GEditLine;
class GLayoutBuilder;
class ValueField;

// The dialog's window with the title and its content column with the digits, current in the
// builder; false when the window could not be made.
bool beginDialogBody(GDialog* dialog, GLayoutBuilder& builder, const char* title, const char* digits);

// Creates the dialog's window with the title and fills it; the caller runs the dialog and reads the
// field. Answers the field, or null when the window could not be made. A label titles the field's frame.
ValueField* buildValueDialogBody(GDialog* dialog, const char* title, const char* prompt, LevelValue* value,
                                 const LevelRange& options, const char* label = nullptr);

// An edit line sized by the sample text, its number checked against [minimum, maximum] on 1, 4 and
// 5 and then written to *bound (its record goes into the builder's field list).
GEditLine* addNumberLine(GLayoutBuilder& builder, const char* sample, f64 minimum, f64 maximum, f64* bound,
                         const char* alignment = "<C");

// A row of n buttons (digits "08080"), each with its text and command id.
void addCommandButtons(GLayoutBuilder& builder, const char* const* texts, const u32* commands, u32 n);
