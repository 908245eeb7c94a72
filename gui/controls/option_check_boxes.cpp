#include "gui/controls/option_check_boxes.h"

#include "gui/controls/mark_window.h"

void applyOptionCheckBoxes(GCheckBox* const* boxes, i32 count, u32* word, u32 firstBit) {
    if (!word) return;
    for (i32 k = 0; k < count && firstBit + k < 32; ++k) {
        if (!boxes[k]) continue;
        u32 bit = 1u << (firstBit + k);
        if (boxes[k]->isChecked())
            *word |= bit;
        else
            *word &= ~bit;
    }
}
