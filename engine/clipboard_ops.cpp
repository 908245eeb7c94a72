// Clipboard operations: copy puts the selected tracks of the range on the sound clipboard; cut does
// the same and then silences them (the range keeps its length); paste writes the clipboard over the
// range, repeated from its first frame to the range's end, alone or added to or subtracted from the
// sound; paste insert puts it in before the range start. One body for all sample types, except the
// silencing of cut.
#include "core/progress.h"
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

void pasteOver(SoundBlockProcessor& p, const RangeChange& change, u32 combine, bool zeroOthers) {
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
    copyToClipboard(soundClipboard(), store, soundFormat, store->findSegment(rangeStart), rangeEnd - rangeStart,
                    progress);
}

// A cancel ends the copy (the clipboard keeps what it got) but not the silencing.
template <class Traits>
void SampleProcessor<Traits>::cut() {
    RangeChange change = openSameLengthChange();
    copyToClipboard(soundClipboard(), store, soundFormat, change.oldCursor, change.oldLength, progress);
    if (progress) progress->commit();
    clearChannelsKernel(change);
    applyEdgeCrossfades(rangeStart, rangeEnd);
}

// The range is replaced, as far as the sound reaches, by as many pasted bytes: a range past the end
// lengthens the sound. How often the clipboard repeats follows from the range alone.
void SoundBlockProcessor::paste(u32 combine, u32 /*repeat*/) {
    readEdgeContextSamples(rangeStart, rangeEnd);
    const u64 length = rangeEnd - rangeStart;
    const i64 inSound = (i64)(soundEnd - rangeStart);
    const u64 replaced = inSound <= 0 ? 0 : std::min(length, (u64)inSound);
    pasteOver(*this, openChange(rangeStart, replaced, length), combine, false);
}

// Both edges are taken at the insertion point; tracks without a clipboard track get silence.
void SoundBlockProcessor::pasteInsert() {
    readEdgeContextSamples(rangeStart, rangeStart);
    pasteOver(*this, openChange(rangeStart, 0, rangeEnd - rangeStart), pasteCombineNone, true);
}

#define INSTANTIATE_CLIPBOARD(T) template void SampleProcessor<T>::cut();
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_CLIPBOARD)
