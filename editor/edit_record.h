#pragma once
// The undo record of one edit in the Editor: a compound of the store's change records and the
// position changes of the wave pane, with the selection and cursor before and after. The
// processor owns it while the edit runs, then the Editor's history.
#include "core/arrays.h"
#include "editor/wave_view.h"
#include "gui/frame/undo_history.h"

class SoundStore;
struct ChangeRecord;
class WavePane;

class EditRecord : public GCommonObject, public CompoundOperation {
public:
    bool empty() const { return children.head == nullptr; }

    u64 selectionBefore[2] = {0, 0};
    u64 cursorBefore = 0;
    u64 selectionAfter[2] = {0, 0};
    u64 cursorAfter = 0;
};

// One change of the store; undo and redo through the store (exact in stack order).
class StoreChangeOperation : public NamedOperation {
public:
    StoreChangeOperation(SoundStore* store, ChangeRecord* change) : store(store), change(change) {}
    ~StoreChangeOperation() override;
    u32 undo(u32 a, JobProgress* progress) override;
    u32 redo(u32 a, JobProgress* progress) override;
    u64 byteCount() override;

    SoundStore* store;
    ChangeRecord* change;  // owned
};

// The pane's bookmarks, saved selections and play start moved for one change; undo moves them
// back and restores the bookmarks the change removed.
class PanePositionsOperation : public NamedOperation {
public:
    PanePositionsOperation(WavePane* pane, u64 position, u64 oldLength, u64 newLength)
        : pane(pane), position(position), oldLength(oldLength), newLength(newLength) {}
    ~PanePositionsOperation() override { arrayFree(removed); }
    // Applies the change to the pane's positions now.
    void apply();
    u32 undo(u32 a, JobProgress* progress) override;
    u32 redo(u32 a, JobProgress* progress) override;
    u64 byteCount() override { return 0; }

    WavePane* pane;
    u64 position, oldLength, newLength;
    BookmarkList removed;
};
