#include "gui/controls/value_field.h"

#include "gui/controls/combo.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/page_switch_item.h"
#include "gui/kernel/gui_texts.h"
#include "gui/layout/layout_builder.h"

namespace {
// The field's pointer to its parts, cleared by whichever of the two goes first.
struct PartsLink {
    virtual ~PartsLink() {
        if (owner) *owner = nullptr;
    }
    CompositeValueParts** owner = nullptr;
};

template <class Parts>
class LinkedParts : public Parts, public PartsLink {
public:
    template <class... Args>
    LinkedParts(CompositeValueParts** owner, Args&&... args) : Parts(args...) {
        this->owner = owner;
    }
};
}  // namespace

GString EditNumberText::numberText() { return GString(edit ? edit->text() : ""); }

void EditNumberText::setNumberText(const char* text) {
    if (edit) edit->setTextQuiet(text);
}

GCompositeValueField::GCompositeValueField(GLayoutBuilder& b, const char* title)
    : GGroupBoxItem(b.owner, title) {
    chooser = new GPageSwitchItem(b.owner, '>');
    setAlignmentCode(chooser, "U^");
    addChild(chooser);
    GLayoutBuilder inner(b.owner);
    inner.current = chooser;
    combo = GCombo::create(inner, static_cast<const GBag*>(nullptr), -1, 10, ">C");
    combo->visibleRows = 12;
}

GCompositeValueField::~GCompositeValueField() {
    if (!parts) return;
    // The parts outlive the edit lines in the field list: they keep their values, lose their texts.
    for (NumberValidator& p : parts->parts) {
        p.text = nullptr;
        p.field = nullptr;
    }
    if (PartsLink* link = dynamic_cast<PartsLink*>(parts)) link->owner = nullptr;
}

void GCompositeValueField::addPages(u32 count, const u8* enabled, const char* const* names,
                                    const char* const* templates) {
    GLayoutBuilder inner(owner);
    inner.current = chooser;
    for (u32 i = 0; i < count; ++i) {
        if (!enabled[i]) continue;
        texts[i].edit = GEditLine::createAlt(inner, templates[i], "UC");
        textPointers[i] = &texts[i];
        combo->addItem(names[i]);
    }
}

void GCompositeValueField::attach(GLayoutBuilder& builder, CompositeValueParts* made) {
    parts = made;
    for (u32 i = 0; i < CompositeValueParts::Slots; ++i)
        parts->parts[i].field = texts[i].edit ? static_cast<GItemBase*>(texts[i].edit) : nullptr;
    i32 page = 0;
    while (parts->enabledAt((u32)page) != parts->shown) ++page;
    combo->select(page);
    chooser->stack->setCurrentPage(page);
    builder.linkField(parts);
}

bool GCompositeValueField::onControlNotify(void* n) {
    GControlNotification* notification = static_cast<GControlNotification*>(n);
    if (!notification->source || !parts) return false;
    if (notification->source == chooser) {
        parts->unitSwitched(parts->enabledAt((u32)chooser->stack->current));
    } else {
        for (u32 i = 0; i < CompositeValueParts::Slots; ++i)
            if (texts[i].edit && notification->source == texts[i].edit) parts->textEdited(i);
    }
    return false;
}

// ---- level ----

namespace {
const char* const kLevelTemplates[LevelPartCount] = {"88888", "10000000000.0", "100000000.0", "-30.0001"};
const char* const kIntervalTemplates[IntervalPartCount] = {"10000.000000", "10000.0", "10000.0", "10000.0",
                                                           "10000.0"};
}  // namespace

ValueField::ValueField(GLayoutBuilder& b, const char* title, LevelValue* value, const LevelRange& range)
    : GCompositeValueField(b, title) {
    const char* names[LevelPartCount] = {guiText(GuiText::UnitSampleValue), guiText(GuiText::UnitFactor),
                                         guiText(GuiText::UnitPercent), guiText(GuiText::UnitDecibels)};
    addPages(LevelPartCount, range.enabled, names, kLevelTemplates);
    attach(b, new LinkedParts<LevelValueParts>(&parts, value, range, textPointers));
}

void ValueField::setFactor(f64 f) {
    if (parts) static_cast<LevelValueParts*>(parts)->setFactor(f);
}

FrequencyField::FrequencyField(GLayoutBuilder& b, const char* title, IntervalValue* value, const IntervalRange& range)
    : GCompositeValueField(b, title) {
    const char* names[IntervalPartCount] = {guiText(GuiText::UnitFactor), guiText(GuiText::UnitSemitones),
                                            guiText(GuiText::UnitTones), guiText(GuiText::UnitOctaves),
                                            guiText(GuiText::UnitCents)};
    addPages(IntervalPartCount, range.enabled, names, kIntervalTemplates);
    attach(b, new LinkedParts<IntervalValueParts>(&parts, value, range, textPointers));
}

void FrequencyField::setRatio(f64 r) {
    if (parts) static_cast<IntervalValueParts*>(parts)->setRatio(r);
}

ValueField* addValueField(GLayoutBuilder& builder, const char* title, LevelValue* value, const LevelRange& range,
                          const char* digits, const char* alignment) {
    ValueField* field = new ValueField(builder, title, value, range);
    builder.addContainer(field, digits, alignment);
    return field;
}

FrequencyField* addFrequencyField(GLayoutBuilder& builder, const char* title, IntervalValue* value,
                                  const IntervalRange& range, const char* alignment) {
    FrequencyField* field = new FrequencyField(builder, title, value, range);
    builder.addContainer(field, nullptr, alignment);
    return field;
}
