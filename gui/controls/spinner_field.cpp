#include "gui/controls/spinner_field.h"

#include "core/exceptions.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/spinner.h"
#include "gui/controls/value_text.h"
#include "gui/input/input_event.h"
#include "gui/kernel/gui_texts.h"
#include "gui/layout/layout_builder.h"

namespace {
const i32 kArrowWidth = 11;
}

GSpinnerItem::GSpinnerItem(GWindow* owner, const char* templateText) : GLayoutItem(owner) {
    edit = new GEditLine(owner);
    edit->createEdit(WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
    edit->controlStyle = (edit->controlStyle | EditSizedBySample) & ~EditSizedByChars;
    stringAssignText(edit->sample, templateText);
    edit->hAlign = 'U';
    edit->vAlign = 'C';
    arrows = new GSpinner(owner);
    arrows->create();
    arrows->buddy = edit;
    arrows->hAlign = 'U';
    arrows->vAlign = 'C';
    insertChild(0, edit);
    insertChild(1, arrows);
}

void GSpinnerItem::getPreferredSize(i32* width, i32* height) {
    i32 ew = -1, eh = 0, aw = -1, ah = 0;
    if (edit) preferredSizeOf(edit, &ew, &eh);
    if (arrows) preferredSizeOf(arrows, &aw, &ah);
    if (!edit) ew = eh = 0;
    if (!arrows) aw = ah = 0;
    if (*width < 0) *width = ew + aw;
    *height = eh > ah ? eh : ah;
}

void GSpinnerItem::setRect(const RECT& r) {
    rect = r;
    RECT e = {r.left, r.top, r.right - kArrowWidth > r.left ? r.right - kArrowWidth : r.left, r.bottom};
    if (edit) edit->setRect(e);
    if (arrows) arrows->setRect(RECT{e.right, e.top, r.right, e.bottom});
}

void GSpinnerItem::removeChild(GLayoutCell* child) {
    if (child == edit) {
        edit = nullptr;
        if (arrows) arrows->buddy = nullptr;
    }
    if (child == arrows) arrows = nullptr;
    GLayoutItem::removeChild(child);
}

i32 GSpinnerItem::handleKey(GInputEvent* event) { return arrows ? arrows->arrowKey(event) : 0; }

// ---- the field ----

GSpinnerField::GSpinnerField(GWindow* owner, const char* templateText, ValueKind kind, double minimum, double maximum,
                             void* variable)
    : GSpinnerItem(owner, templateText), stepper(kind, minimum, maximum), variable(variable) {
    arrows->stepper = &stepper;
}

GSpinnerField::~GSpinnerField() {
    if (binding) binding->field = nullptr;
    if (arrows) arrows->stepper = nullptr;
}

void GSpinnerField::show(double v) {
    if (!edit) return;
    switch (stepper.kind) {
    case ValueKind::Integer: edit->setI32((i32)v); break;
    case ValueKind::Unsigned: edit->setU32((u32)v); break;
    case ValueKind::Double: edit->setDouble(v); break;
    case ValueKind::Time: edit->setTime((u32)v); break;
    }
}

GString GSpinnerField::rangeMessage() const {
    GString s;
    switch (stepper.kind) {
    case ValueKind::Integer: stringFormat(s, guiText(GuiText::RangeInteger), (i32)stepper.minimum, (i32)stepper.maximum); break;
    case ValueKind::Unsigned: stringFormat(s, guiText(GuiText::RangeUnsigned), (u32)stepper.minimum, (u32)stepper.maximum); break;
    case ValueKind::Double: stringFormat(s, guiText(GuiText::RangeDouble), stepper.minimum, stepper.maximum); break;
    case ValueKind::Time: {
        GString low, high;
        formatTimeText(low, (u32)stepper.minimum);
        formatTimeText(high, (u32)stepper.maximum);
        stringFormat(s, guiText(GuiText::RangeTime), low.c_str(), high.c_str());
        break;
    }
    }
    return s;
}

double GSpinnerField::read() {
    double v = 0;
    bool ok = edit != nullptr;
    if (ok) {
        try {
            switch (stepper.kind) {
            case ValueKind::Integer: v = edit->getI32(); break;
            case ValueKind::Unsigned: v = edit->getU32(); break;
            case ValueKind::Double: v = edit->getDouble(); break;
            case ValueKind::Time: v = edit->getTime(); break;
            }
        } catch (const GVerifyException&) {
            ok = false;
        }
    }
    if (!ok || !(v >= stepper.minimum && v <= stepper.maximum)) {
        GVerifyException e;
        e.text = rangeMessage();
        e.field = edit ? static_cast<GItemBase*>(edit) : static_cast<GItemBase*>(this);
        throw e;
    }
    return v;
}

void GSpinnerBinding::check() {
    if (field) value = field->read();
}

void GSpinnerBinding::commit() {
    if (!field || !field->variable) return;
    switch (field->stepper.kind) {
    case ValueKind::Integer: *static_cast<i32*>(field->variable) = (i32)value; break;
    case ValueKind::Unsigned:
    case ValueKind::Time: *static_cast<u32*>(field->variable) = (u32)value; break;
    case ValueKind::Double: *static_cast<double*>(field->variable) = value; break;
    }
}

void GSpinnerBinding::setValue() {
    if (!field || !field->variable) return;
    switch (field->stepper.kind) {
    case ValueKind::Integer: value = *static_cast<i32*>(field->variable); break;
    case ValueKind::Unsigned:
    case ValueKind::Time: value = *static_cast<u32*>(field->variable); break;
    case ValueKind::Double: value = *static_cast<double*>(field->variable); break;
    }
    field->show(value);
}

namespace {
GSpinnerField* addField(GLayoutBuilder& builder, const char* templateText, ValueKind kind, double minimum,
                        double maximum, void* variable, const char* code) {
    GSpinnerField* field = new GSpinnerField(builder.owner, templateText, kind, minimum, maximum, variable);
    GSpinnerBinding* binding = new GSpinnerBinding;
    binding->field = field;
    binding->setValue();
    // Without a list nobody checks or commits: the record goes at once.
    if (builder.fieldList) field->binding = binding;
    builder.linkField(binding);
    builder.add(field, code);
    return field;
}
}  // namespace

GSpinnerField* addSpinnerField(GLayoutBuilder& builder, i32 minimum, i32 maximum, const char* templateText,
                               i32* variable, const char* code) {
    return addField(builder, templateText, ValueKind::Integer, minimum, maximum, variable, code);
}

GSpinnerField* addSpinnerFieldDouble(GLayoutBuilder& builder, double minimum, double maximum, const char* templateText,
                                     double* variable, const char* code) {
    return addField(builder, templateText, ValueKind::Double, minimum, maximum, variable, code);
}

GSpinnerField* addSpinnerField2(GLayoutBuilder& builder, const char* templateText, const char* code, u32 minimum,
                                u32 maximum, u32* variable) {
    return addField(builder, templateText, ValueKind::Unsigned, minimum, maximum, variable, code);
}

GSpinnerField* addTimeField(GLayoutBuilder& builder, u32* milliseconds, u32 minimum, u32 maximum, const char* code) {
    return addField(builder, "888:88.888_", ValueKind::Time, minimum, maximum, milliseconds, code);
}
