#include "tools/mixer_value_row.h"

#include "gui/controls/label.h"
#include "gui/controls/spinner_field.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/layout_builder.h"
#include "mm/mm_texts.h"

GMixerValueRow* GMixerValueRow::create(GLayoutBuilder& b, i32* count, i32* length, const char* alignment) {
    GMixerValueRow* row = new GMixerValueRow(b.owner, mmText(MmText::BuffersBox));
    b.pushContainer(row, nullptr, alignment);
    addGridLayout(2, 2, b, "UC");
    GLabel::create(b, mmText(MmText::BufferCount), 0, "<C");
    row->countField = addSpinnerField(b, 2, 32, "32", count, "U-");
    GLabel::create(b, mmText(MmText::BufferLength), 0, "<C");
    row->lengthField = addSpinnerField(b, 10, 10000, "10000", length, "U-");
    b.endContainer();
    b.endContainer();
    return row;
}
