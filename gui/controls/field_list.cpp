#include "gui/controls/field_list.h"

#include "core/exceptions.h"
#include "gui/kernel/child_window.h"

GFieldList::~GFieldList() {
    while (head) {
        GFieldBinding* record = head;
        head = record->next;
        delete record;
    }
}

void GFieldList::link(GFieldBinding* record) {
    record->next = head;
    head = record;
}

i32 failureRank(void* field) {
    GItemBase* item = static_cast<GItemBase*>(field);
    GLayoutCell* cell = item ? item->asLayoutCell() : nullptr;
    if (!cell) return 0;
    GChildWindow* window = cell->asChildWindow();
    if (!window || !cell->visible() || !window->hwnd || !IsWindowVisible(window->hwnd)) return 1;
    return IsWindowEnabled(window->hwnd) ? 3 : 2;
}

void GFieldList::check() {
    bool failed = false;
    GVerifyException kept;
    i32 keptRank = -1;
    for (GFieldBinding* record = head; record; record = record->next) {
        try {
            record->check();
        } catch (const GVerifyException& e) {
            i32 rank = failureRank(e.field);
            if (rank > keptRank) {
                kept = e;
                keptRank = rank;
                failed = true;
            }
        }
    }
    if (failed) throw kept;
}

void GFieldList::commit() {
    for (GFieldBinding* record = head; record; record = record->next) record->commit();
}
