// Clipboard operations: copy puts the selected tracks of the range on the sound clipboard; cut does
// the same and then silences them (the range keeps its length); paste writes the clipboard over the
// range, repeated from its first frame to the range's end, alone or added to or subtracted from the
// sound; paste insert puts it in before the range start. One body for all sample types, except the
// silencing of cut.
#include "core/progress.h"
#include "engine/change_guard.h"
#include "engine/clipboard_transfer.h"
#include "engine/sample_processor.h"
#include "mm/sound_clipboard.h"

namespace {
CombineFunction combineFor(u32 combine) {
    switch (combine) {
    case pasteCombineAdd: return combineAdd;
    case pasteCombineSubtract: return combineSubtract;
    default: return nullptr;
    }
}

// Selection, cursor and view after a paste: the pasted range selected, the cursor at its end.
void selectPasted(SoundBlockProcessor& p) {
    p.extraPositions[newSelectionStart] = p.rangeStart;
    p.extraPositions[newSelectionEnd] = p.extraPositions[newCursor] = p.extraPositions[showPosition] = p.rangeEnd;
}

// The change of a paste, guarded, and the clipboard written into it (its busy mark held).
void pasteOver(SoundBlockProcessor& p, u64 oldLength, u64 newLength, u32 combine, bool zeroOthers) {
    RangeChange change = p.openChange(p.rangeStart, oldLength, newLength);
    ChangeGuard guard(p.store, change);
    p.notifyChangeFinished();
    bool clipped = false;
    pasteFromClipboard(soundClipboard(), p.store, p.soundFormat, change, combineFor(combine), &clipped, p.progress,
                       zeroOthers);
    if (clipped) p.flags |= clippedFlag;
    p.applyEdgeCrossfades(p.rangeStart, p.rangeEnd);
    selectPasted(p);
}
}  // namespace

// Changes nothing of the sound: no change, no notification, no positions.
void SoundBlockProcessor::copy() {
    ClipboardUse use(soundClipboard(), store->errorHandler());
    if (!use.taken()) return;
    copyToClipboard(soundClipboard(), store, soundFormat, store->findSegment(rangeStart), rangeEnd - rangeStart,
                    progress);
}

// A cancel ends the copy (the clipboard keeps what it got) but not the silencing. A busy clipboard
// refuses the whole cut: the sound is not changed.
template <class Traits>
void SampleProcessor<Traits>::cut() {
    ClipboardUse use(soundClipboard(), store->errorHandler());
    if (!use.taken()) return;
    RangeChange change = openSameLengthChange();
    ChangeGuard guard(store, change);
    copyToClipboard(soundClipboard(), store, soundFormat, change.oldCursor, change.oldLength, progress);
    if (progress) progress->commit();
    clearChannelsKernel(change);
    applyEdgeCrossfades(rangeStart, rangeEnd);
}

// The range is replaced, as far as the sound reaches, by as many pasted bytes: a range past the end
// lengthens the sound. How often the clipboard repeats follows from the range alone. A busy or empty
// clipboard refuses the paste before anything changes.
void SoundBlockProcessor::paste(u32 combine, u32 /*repeat*/) {
    ClipboardUse use(soundClipboard(), store->errorHandler());
    if (!use.taken() || !clipboardCanPaste(soundClipboard())) return;
    readEdgeContextSamples(rangeStart, rangeEnd);
    const u64 length = rangeEnd - rangeStart;
    const i64 inSound = (i64)(soundEnd - rangeStart);
    const u64 replaced = inSound <= 0 ? 0 : std::min(length, (u64)inSound);
    pasteOver(*this, replaced, length, combine, false);
}

// Both edges are taken at the insertion point; tracks without a clipboard track get silence.
void SoundBlockProcessor::pasteInsert() {
    ClipboardUse use(soundClipboard(), store->errorHandler());
    if (!use.taken() || !clipboardCanPaste(soundClipboard())) return;
    readEdgeContextSamples(rangeStart, rangeStart);
    pasteOver(*this, 0, rangeEnd - rangeStart, pasteCombineNone, true);
}

#define INSTANTIATE_CLIPBOARD(T) template void SampleProcessor<T>::cut();
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_CLIPBOARD)
