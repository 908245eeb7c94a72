#include "gui/layout/layout_builder.h"

#include "gui/kernel/dialog.h"
#include "gui/layout/rect_list.h"
#include "gui/paint/colors.h"

GLayoutBuilder::GLayoutBuilder(GWindow* owner, void* fieldList) : owner(owner), fieldList(fieldList) {
    if (!fieldList && owner && owner->isKindOf(TypeDialog)) this->fieldList = &static_cast<GDialog*>(owner)->fields;
}

void GLayoutBuilder::linkField(GFieldBinding* record) {
    if (fieldList)
        static_cast<GFieldList*>(fieldList)->link(record);
    else
        delete record;  // nobody commits an unbound list
}

void GLayoutBuilder::addContainer(GLayoutItem* item, const char* digits, const char* code) {
    setLayoutDigits(item, digits);
    setAlignmentCode(item, code);
    if (current) current->addChild(item);
    last = item;
}

void GLayoutBuilder::pushContainer(GLayoutItem* item, const char* digits, const char* code) {
    addContainer(item, digits, code);
    if (depth < 20) stack[depth++] = current;
    current = item;
}

void GLayoutBuilder::endContainer() {
    if (depth > 0) current = stack[--depth];
}

void GLayoutBuilder::add(GLayoutCell* cell, const char* code) {
    if (current) current->addChild(cell);
    last = cell;
    setAlignmentCode(cell, code);
}

void GSpacer::paint(HDC dc, const RECT&, bool) {
    RECT r;
    GetClientRect(hwnd, &r);
    fillRectSolid(dc, r, toolkitColors.background);
}

GSpacer* GSpacer::make(GLayoutBuilder& builder, i32 w, i32 h, const char* code) {
    GSpacer* spacer = new GSpacer(builder.owner, w, h);
    spacer->GUserWindow::create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_DISABLED);
    builder.add(spacer, code);
    return spacer;
}

GSpacer* GSpacer::create(GLayoutBuilder& builder) { return make(builder, 20, 1, nullptr); }
GSpacer* GSpacer::createSized(GLayoutBuilder& builder, i32 h) { return make(builder, 1, h, nullptr); }
GSpacer* GSpacer::createDefault(GLayoutBuilder& builder) { return make(builder, 1, 1, "UC"); }
