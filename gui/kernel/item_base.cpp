#include "gui/kernel/item_base.h"

GItemBase::GItemBase() { life = new GLifeRecord(this); }

GItemBase::~GItemBase() {
    if (life) life->object = nullptr;
    TaskQueue::clear(pendingTasks);
}

bool GItemBase::answerStateQuery(u32 kind, GStateQuery* query) {
    switch (kind) {
    case QueryEnabled:
        query->answer = commandState(query->command);
        return query->answer != CommandUnknown;
    case QueryExecute: {
        i32 state = commandState(query->command);
        if (state == CommandEnabled) return onCommand(query->command, query);
        return state == CommandDisabled;  // a disabled command is consumed unexecuted
    }
    case QueryChecked:
        query->answer = commandChecked(query->command);
        return query->answer != CommandUnknown;
    case QueryValue:
        query->answer = commandValue(query->command);
        return query->answer != -1;
    default:
        return false;
    }
}
