#pragma once
// An edit line bound to an f64 through a NumberValidator: checked against its range when the dialog
// ends with an accepting code, then written back. The dialog's field list owns the record.
#include "gui/controls/number_validator.h"

class GEditLine;
class GLayoutBuilder;

// Links the record of the line into the builder's field list and shows *bound in it.
NumberValidator* bindNumberLine(GLayoutBuilder& builder, GEditLine* edit, f64 minimum, f64 maximum, f64* bound);
