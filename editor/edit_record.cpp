#include "editor/edit_record.h"

#include "editor/wave_pane.h"
#include "mm/sound_store.h"

StoreChangeOperation::~StoreChangeOperation() { delete change; }

u32 StoreChangeOperation::undo(u32, JobProgress*) {
    store->undoChange(change);
    return 0;
}

u32 StoreChangeOperation::redo(u32, JobProgress*) {
    store->redoChange(change);
    return 0;
}

u64 StoreChangeOperation::byteCount() { return change ? change->newCount : 0; }

void PanePositionsOperation::apply() {
    if (!pane->source) return;
    arrayFree(removed);
    pane->source->adjustPositionsForEdit(pane->positions, position, oldLength, newLength, removed);
}

u32 PanePositionsOperation::undo(u32, JobProgress*) {
    if (!pane->source) return 0;
    BookmarkList none;
    pane->source->adjustPositionsForEdit(pane->positions, position, newLength, oldLength, none);
    arrayFree(none);
    for (u32 i = 0; i < removed.count; ++i) addBookmark(pane->positions.bookmarks, removed[i]);
    return 0;
}

u32 PanePositionsOperation::redo(u32, JobProgress*) {
    apply();
    return 0;
}
