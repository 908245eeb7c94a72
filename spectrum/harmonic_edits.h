#pragma once
// The undo records of a harmonic page: a snapshot of the whole list, lists of modified, deleted
// and inserted rows, and the page's rate and FFT size. Each holds its page (not owned) and, for
// the list records, the table selection of its moment; its history owns and deletes it.
#include "core/arrays.h"
#include "core/bag.h"
#include "core/gstring.h"
#include "engine/harmonics.h"
#include "gui/frame/undo_history.h"

class HarmonicPage;

// Kinds of the list records.
enum : u32 { HarmonicModifyKind = 1, HarmonicDeleteKind = 2, HarmonicInsertKind = 3, HarmonicSnapshotKind = 4 };

struct HarmonicRowEntry {
    HarmonicRecord record;
    u32 row;
};
typedef RecordArray<HarmonicRowEntry> HarmonicRowList;

// Undo and redo exchange data with the page's list and the table's selection with the saved one:
// undo shows the selection of the moment the record was made, the redo after it the one of the
// undo; the caret row then stands at the top of the table.
class HarmonicEdit : public NamedOperation {
public:
    // Saves the table's selection now.
    HarmonicEdit(u32 kind, const char* name, HarmonicPage* page);

    u32 undo(u32 a, JobProgress* progress) override;
    u32 redo(u32 a, JobProgress* progress) override;

    const u32 kind;
    GString name;
    HarmonicPage* page;
    GBag savedSelection;  // as the selection model saves it

protected:
    virtual void step(bool redo) = 0;
    // The step between taking the table's selection aside and putting the saved one back.
    void swapStep(bool redo);
    // Under the table's redraw hold: the pane, the table reloaded without caret, the status and a
    // valid selection.
    void afterRowsMoved();
};

// A row-list record; the maker appends the entries after the history executed it.
class HarmonicRowEdit : public HarmonicEdit {
public:
    using HarmonicEdit::HarmonicEdit;
    void add(const HarmonicRecord& record, u32 row);
    u64 byteCount() override { return (u64)entries.count * sizeof(HarmonicRowEntry); }

    HarmonicRowList entries;
};

// The list before (undo) and after (redo) a command that rewrites it.
class HarmonicSnapshotEdit : public HarmonicEdit {
public:
    HarmonicSnapshotEdit(const char* name, HarmonicPage* page) : HarmonicEdit(HarmonicSnapshotKind, name, page) {}
    // Copies the list into `before`.
    u32 execute(u32 a, JobProgress* progress) override;
    u64 byteCount() override { return (u64)(before.count + after.count) * sizeof(HarmonicRecord); }

    HarmonicArray before, after;

protected:
    void step(bool redo) override;
};

// The old contents of edited rows; undo and redo exchange them with the rows.
class HarmonicModifyEdit : public HarmonicRowEdit {
public:
    HarmonicModifyEdit(const char* name, HarmonicPage* page) : HarmonicRowEdit(HarmonicModifyKind, name, page) {}

protected:
    void step(bool redo) override;
};

// Removed rows, each entry holding its row's index at the moment of its removal, in the order of
// removal: undo puts them back from the last to the first, redo removes them from the first to the
// last. A maker removing several rows removes (and appends) from the highest row down.
class HarmonicDeleteEdit : public HarmonicRowEdit {
public:
    HarmonicDeleteEdit(const char* name, HarmonicPage* page) : HarmonicRowEdit(HarmonicDeleteKind, name, page) {}

protected:
    void step(bool redo) override;
};

// Inserted rows in the order of insertion: undo removes them from the last to the first, redo
// inserts them from the first to the last.
class HarmonicInsertEdit : public HarmonicRowEdit {
public:
    HarmonicInsertEdit(const char* name, HarmonicPage* page) : HarmonicRowEdit(HarmonicInsertKind, name, page) {}

protected:
    void step(bool redo) override;
};

// The page's sample rate and FFT size before a command sets new ones; no selection is kept.
class SpectrumHeaderEdit : public NamedOperation {
public:
    SpectrumHeaderEdit(const char* name, HarmonicPage* page, u32 action = 0) : action(action), name(name), page(page) {}
    // Saves the page's rate and FFT size.
    u32 execute(u32 a, JobProgress* progress) override;
    u32 undo(u32, JobProgress*) override { return exchange(); }
    u32 redo(u32, JobProgress*) override { return exchange(); }
    u64 byteCount() override { return 8; }

    const u32 action;
    GString name;
    HarmonicPage* page;
    u32 sampleRate = 0, fftSize = 0;

private:
    u32 exchange();
};

// The records of one command as one step: execute and redo run them in order, undo backward.
class HarmonicGroupEdit : public CompoundOperation {
public:
    HarmonicGroupEdit(u32 action, const char* name) : action(action), name(name) {}

    const u32 action;
    GString name;
};
