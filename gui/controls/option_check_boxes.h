#pragma once
// A row of option check boxes written into consecutive bits of a global option word.
#include "core/types.h"

class GCheckBox;

// Box k sets or clears bit firstBit + k of the word; null boxes are skipped.
void applyOptionCheckBoxes(GCheckBox* const* boxes, i32 count, u32* word, u32 firstBit);
