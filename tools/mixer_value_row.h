#pragma once
// GMixerValueRow: the buffer fields of the device option windows in a group box: the number of
// buffers (2..32) and the buffer length in ms (10..10000), bound to the window's variables, which
// take the values when the dialog ends with OK. Owned by the layout tree like any item.
#include "gui/layout/group_box_item.h"

class GLayoutBuilder;
class GSpinnerField;

class GMixerValueRow : public GGroupBoxItem {
public:
    GMixerValueRow(GWindow* owner, const char* caption) : GGroupBoxItem(owner, caption) {}

    static GMixerValueRow* create(GLayoutBuilder& builder, i32* count, i32* length, const char* alignment = nullptr);

    GSpinnerField* countField = nullptr;
    GSpinnerField* lengthField = nullptr;
};
