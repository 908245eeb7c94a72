#include "gui/controls/digit_field.h"

#include <algorithm>

#include "core/exceptions.h"
#include "gui/controls/button.h"
#include "gui/controls/combo.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/page_switch_item.h"
#include "gui/controls/spinner.h"
#include "gui/controls/spinner_field.h"
#include "gui/controls/value_text.h"
#include "gui/kernel/gui_texts.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

// The count as the field list holds it: check reads the page the user edited last and refuses
// with that page's range message.
class DigitParts : public SampleCountParts {
public:
    using SampleCountParts::SampleCountParts;
    ~DigitParts() override {
        if (field) field->parts = nullptr;
    }
    void check() override {
        if (field && field->timeEditedLast) {
            timeChanged((u32)field->time->read());
        } else if (field) {
            u32 samples = (u32)field->samples->read();
            count = samples;
            ms = samplesToMs(samples, rate);
        }
        SampleCountParts::check();
    }
    DigitField* field = nullptr;
};

DigitField::DigitField(GLayoutBuilder& b, const char* title, SampleCountRecord* record, const SampleCountRange& range,
                       u32 rate, bool rescale)
    : GGroupBoxItem(b.owner, title) {
    DigitParts* made = new DigitParts(record, range, rate, rescale);
    made->field = this;
    parts = made;

    GLayoutBuilder inner(b.owner);
    inner.current = this;
    GRowItem::create(inner, "080");
    chooser = new GPageSwitchItem(b.owner, '>');
    inner.pushContainer(chooser, nullptr, "UC");
    combo = GCombo::create(inner, static_cast<const GBag*>(nullptr), -1, 8, ">C");
    combo->visibleRows = 12;
    combo->addItem(guiText(GuiText::UnitTime));
    combo->addItem(guiText(GuiText::UnitSamples));
    combo->select(0);
    time = new GSpinnerField(b.owner, "888:88.888_", ValueKind::Time, made->msMinimum, made->msMaximum, &timeValue);
    inner.add(time, "UC");
    samples = new GSpinnerField(b.owner, "9999999999", ValueKind::Unsigned, made->minimum, made->maximum,
                                &samplesValue);
    inner.add(samples, "UC");
    chooser->stack->setCurrentPage(0);
    inner.endContainer();
    if (range.buttonCommand >= 0) {
        button = GButton::create(inner, guiText(GuiText::DigitFieldButton), 0x50, (u32)range.buttonCommand, "<C");
        if (button && button->hwnd)
            SetWindowLongA(button->hwnd, GWL_STYLE, GetWindowLongA(button->hwnd, GWL_STYLE) & ~WS_TABSTOP);
    }
    showTime();
    showSamples();
    setReadOnly(range.readOnly != 0);
    b.linkField(made);
    built = true;
}

DigitField::~DigitField() {
    if (parts) parts->field = nullptr;
}

// Quietly: a shown conversion is no edit of the other page.
void DigitField::showTime() {
    GString text;
    formatTimeText(text, parts->ms);
    time->edit->setTextQuiet(text.c_str());
}

void DigitField::showSamples() {
    GString text;
    formatU32Text(text, parts->count);
    samples->edit->setTextQuiet(text.c_str());
}

bool DigitField::onControlNotify(void* n) {
    if (!built) return true;
    GControlNotification* notification = static_cast<GControlNotification*>(n);
    if (!parts || notification->code != 0) return false;
    // A text that is no value or out of range converts nothing.
    try {
        if (notification->source == samples->edit) {
            timeEditedLast = false;
            if (parts->samplesChanged((u32)samples->read())) showTime();
        } else if (notification->source == time->edit) {
            timeEditedLast = true;
            if (parts->timeChanged((u32)time->read())) showSamples();
        }
    } catch (const GVerifyException&) {
    }
    return false;
}

void DigitField::setSampleRate(u32 rate) {
    if (!parts) return;
    parts->setSampleRate(rate);
    time->stepper.minimum = parts->msMinimum;
    time->stepper.maximum = parts->msMaximum;
    showTime();
    showSamples();
}

void DigitField::setCount(u32 samples) {
    if (!parts) return;
    parts->samplesChanged(std::min(std::max(samples, parts->minimum), parts->maximum));
    timeEditedLast = false;
    showTime();
    showSamples();
}

void DigitField::setRateKeepingCount(u32 rate, u32 maximum) {
    if (!parts) return;
    parts->setRateKeepingCount(rate, maximum);
    samples->stepper.maximum = parts->maximum;
    time->stepper.minimum = parts->msMinimum;
    time->stepper.maximum = parts->msMaximum;
    showTime();
    showSamples();
}

void DigitField::setReadOnly(bool readOnly) {
    if (button) {
        button->style = readOnly ? button->style | ButtonChecked : button->style & ~ButtonChecked;
        if (button->hwnd) button->invalidate();
    }
    for (GSpinnerField* page : {time, samples}) {
        for (GChildWindow* w : {static_cast<GChildWindow*>(page->edit), static_cast<GChildWindow*>(page->arrows)})
            if (w && w->hwnd && !IsWindowEnabled(w->hwnd) != readOnly) EnableWindow(w->hwnd, !readOnly);
    }
}

DigitField* addDigitField(GLayoutBuilder& builder, const char* title, SampleCountRecord* record,
                          const SampleCountRange& range, u32 rate, const char* digits, const char* alignment) {
    DigitField* field = new DigitField(builder, title, record, range, rate, true);
    builder.addContainer(field, digits, alignment);
    return field;
}

DigitField* addValueFieldGroup(GLayoutBuilder& builder, const char* title, SampleCountRecord* record,
                               const SampleCountRange& range, u32 rate) {
    DigitField* field = new DigitField(builder, title, record, range, rate, false);
    builder.addContainer(field, nullptr, "UC");
    return field;
}
