#include "spectrum/harmonic_edits.h"

#include <algorithm>
#include <cstring>

#include "gui/views/table.h"
#include "spectrum/harmonic_page.h"

namespace {
void saveSelection(HarmonicPage* page, GBag& bag) {
    bagFree(bag);
    if (GTable* table = page->harmonicTable()) table->selection()->save(bag);
    bag.pos = 0;
}

// `to` becomes a block of exactly from's records.
void copyRecords(HarmonicArray& to, const HarmonicArray& from) {
    arrayFree(to);
    if (!from.count) return;
    to.data = reinterpret_cast<HarmonicRecord*>(new char[sizeof(HarmonicRecord) * from.count]);
    memcpy(static_cast<void*>(to.data), from.data, sizeof(HarmonicRecord) * from.count);
    to.capacity = to.count = from.count;
}

// `to` takes from's block; from is left empty.
void takeRecords(HarmonicArray& to, HarmonicArray& from) {
    arrayFree(to);
    to.data = from.data;
    to.capacity = to.count = from.count;
    from.data = nullptr;
    from.capacity = from.count = 0;
}

// The record back at its row, byte for byte.
void putBack(HarmonicArray& list, const HarmonicRowEntry& entry) {
    *list.insert(std::min(entry.row, list.count), 1) = entry.record;
}
}  // namespace

HarmonicEdit::HarmonicEdit(u32 kind, const char* name, HarmonicPage* page) : kind(kind), name(name), page(page) {
    saveSelection(page, savedSelection);
}

u32 HarmonicEdit::undo(u32, JobProgress*) {
    swapStep(false);
    return 0;
}

u32 HarmonicEdit::redo(u32, JobProgress*) {
    swapStep(true);
    return 0;
}

void HarmonicEdit::swapStep(bool redo) {
    GBag taken;
    saveSelection(page, taken);
    step(redo);
    if (GTable* table = page->harmonicTable()) {
        savedSelection.pos = 0;
        table->selection()->load(savedSelection);
        table->invalidate();
        table->markDirty(TableSelectionChanged);
        table->markDirty(TableCaretMoved);
        i64 caret = table->selection()->caret();
        if (caret >= 0) table->setScrollOrigin((u64)caret);
    }
    savedSelection = std::move(taken);
}

void HarmonicEdit::afterRowsMoved() {
    GTable* table = page->harmonicTable();
    {
        RedrawLockScope hold(table);
        page->syncPane();
        if (table) {
            HarmonicSyncScope guard;
            table->reload((u64)-1);
        }
        page->refreshViews();
        if (table) table->ensureSelection();
    }
    page->refreshViews();
}

void HarmonicRowEdit::add(const HarmonicRecord& record, u32 row) {
    HarmonicRowEntry* entry = entries.append(1);
    entry->record = record;
    entry->row = row;
}

u32 HarmonicSnapshotEdit::execute(u32, JobProgress*) {
    copyRecords(before, page->harmonics());
    return 0;
}

void HarmonicSnapshotEdit::step(bool redo) {
    HarmonicArray& keep = redo ? before : after;
    HarmonicArray& give = redo ? after : before;
    copyRecords(keep, page->harmonics());
    takeRecords(page->harmonics(), give);
    page->syncPane();
    if (GTable* table = page->harmonicTable()) {
        HarmonicSyncScope guard;
        table->reload((u64)-1);
    }
    page->refreshViews();
}

void HarmonicModifyEdit::step(bool) {
    HarmonicArray& list = page->harmonics();
    for (u32 i = 0; i < entries.count; ++i) {
        HarmonicRowEntry& e = entries[i];
        if (e.row < list.count) std::swap(e.record, list[e.row]);
    }
    if (GTable* table = page->harmonicTable()) table->invalidate();
    page->syncPane();
}

void HarmonicDeleteEdit::step(bool redo) {
    HarmonicArray& list = page->harmonics();
    if (redo) {
        for (u32 i = 0; i < entries.count; ++i) list.remove(entries[i].row);
    } else {
        for (u32 i = entries.count; i-- > 0;) putBack(list, entries[i]);
    }
    afterRowsMoved();
}

void HarmonicInsertEdit::step(bool redo) {
    HarmonicArray& list = page->harmonics();
    if (redo) {
        for (u32 i = 0; i < entries.count; ++i) putBack(list, entries[i]);
    } else {
        for (u32 i = entries.count; i-- > 0;) list.remove(entries[i].row);
    }
    afterRowsMoved();
}

u32 SpectrumHeaderEdit::execute(u32, JobProgress*) {
    sampleRate = page->header().sampleRate;
    fftSize = page->header().fftSize;
    return 0;
}

u32 SpectrumHeaderEdit::exchange() {
    SpectrumHeader& h = page->header();
    std::swap(sampleRate, h.sampleRate);
    std::swap(fftSize, h.fftSize);
    page->refreshViews();
    return 0;
}
