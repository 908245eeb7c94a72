#pragma once
// GCompositeValueField: a framed number shown in one unit at a time: a unit combo beside a page
// stack with one edit line per enabled unit. The working values live in a CompositeValueParts that
// the field links into its dialog's field list (which owns it); the field owns the edit lines'
// number texts. ValueField and FrequencyField give it levels and intervals. Owned like any item.
#include "core/level_value.h"
#include "gui/controls/value_parts.h"
#include "gui/layout/group_box_item.h"

class GCombo;
class GEditLine;
class GLayoutBuilder;
class GPageSwitchItem;

// The number text of one edit line; reads "" once the line is gone.
class EditNumberText : public NumberText {
public:
    GString numberText() override;
    void setNumberText(const char* text) override;
    GEditLine* edit = nullptr;
};

class GCompositeValueField : public GGroupBoxItem {
public:
    GCompositeValueField(GLayoutBuilder& builder, const char* title);
    ~GCompositeValueField() override;

    // A unit switch converts from the typed part; a text edit of the shown part marks it.
    bool onControlNotify(void* notification) override;

    // The edit line of a part (null when the part is not offered).
    GEditLine* editOf(u32 index) const { return texts[index].edit; }

    GPageSwitchItem* chooser;
    GCombo* combo;
    CompositeValueParts* parts = nullptr;  // owned by the field list; null once gone

protected:
    // Pages and combo entries for the offered units; the texts are handed to the parts.
    void addPages(u32 count, const u8* enabled, const char* const* names, const char* const* templates);
    // Shows the parts' unit and links them into the builder's field list.
    void attach(GLayoutBuilder& builder, CompositeValueParts* made);

    EditNumberText texts[CompositeValueParts::Slots];
    NumberText* textPointers[CompositeValueParts::Slots] = {};
};

class ValueField : public GCompositeValueField {
public:
    ValueField(GLayoutBuilder& builder, const char* title, LevelValue* value, const LevelRange& range);
    void setFactor(f64 f);
};

class FrequencyField : public GCompositeValueField {
public:
    FrequencyField(GLayoutBuilder& builder, const char* title, IntervalValue* value, const IntervalRange& range);
    void setRatio(f64 r);
};

// Made in the builder's current container; digits and a two-letter alignment ('*' keeps a letter).
ValueField* addValueField(GLayoutBuilder& builder, const char* title, LevelValue* value, const LevelRange& range,
                          const char* digits = nullptr, const char* alignment = nullptr);
FrequencyField* addFrequencyField(GLayoutBuilder& builder, const char* title, IntervalValue* value,
                                  const IntervalRange& range, const char* alignment = nullptr);
