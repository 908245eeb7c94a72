// Operations that change the sound's length: silence inserted or appended, the tail cut, a range cut
// out with its splice smoothed, everything around a range cropped. One body for every sample type:
// a zero sample is all zero bytes in each of them.
#include <algorithm>
#include <cstring>

#include "engine/change_guard.h"
#include "engine/page_walk.h"
#include "engine/size_fields.h"

void setInsertRange(SoundBlockProcessor& p, u64 cursorFrame, u64 frames) {
    const u64 frame = (u64)std::max(p.frameBytes, 0);
    p.rangeStart = p.soundStart + cursorFrame * frame;
    p.rangeEnd = p.rangeStart + frames * frame;
    p.rangeLength = p.rangeEnd - p.rangeStart;
}

bool setNewLength(SoundBlockProcessor& p, u64 frames) {
    const u64 end = p.soundStart + frames * (u64)std::max(p.frameBytes, 0);
    if (end == p.soundEnd) return false;
    p.rangeStart = p.soundEnd;
    p.rangeEnd = end;
    p.rangeLength = end > p.soundEnd ? end - p.soundEnd : 0;
    return true;
}

u64 lengthAtRate(u64 frames, u32 enteredRate, u32 rate) {
    if (enteredRate == rate || enteredRate == 0) return frames;
    // frames x rate / enteredRate without overflow: the remainder's product stays below 2^64.
    return frames / enteredRate * rate + frames % enteredRate * rate / enteredRate;
}

namespace {
// Every new byte of the change becomes 0. The writer carries the progress, but a cancel does not
// stop it: the bytes are new and must all be written.
void writeSilence(SoundBlockProcessor& p, const RangeChange& change) {
    if (p.frameBytes <= 0 || change.newLength == 0) return;
    PageWalk out(openBlockWriter, p.store, p.frameBytes, change.newCursor, change.newLength, p.progress);
    for (;;) {
        out.next();
        if (out.atEnd()) break;
        memset(out.begin, 0, (size_t)(out.end - out.begin));
    }
}

void setSelection(SoundBlockProcessor& p, u64 start, u64 end, u64 cursor) {
    p.extraPositions[newSelectionStart] = start;
    p.extraPositions[newSelectionEnd] = end;
    p.extraPositions[newCursor] = cursor;
}
}  // namespace

// Both edges are taken at the insertion point: the start of the silence fades out of the sound that
// followed the point, its end into the sound that led up to it.
void SoundBlockProcessor::insertWave() {
    const u64 n = rangeEnd - rangeStart;
    if (edgeFadeBytes != 0) {
        readContextSamples(rangeStart);
        readEndContextSamples(rangeStart);
    }
    RangeChange change = openChange(rangeStart, 0, n);
    ChangeGuard guard(store, change);
    notifyChangeFinished();
    writeSilence(*this, change);
    applyEdgeCrossfades(rangeStart, rangeEnd);
    setSelection(*this, rangeStart, rangeEnd, rangeStart);
}

void SoundBlockProcessor::setSize() {
    if ((i64)rangeEnd > (i64)soundEnd) growTo();
    else shrinkTo();
}

// The added silence becomes the selection.
void SoundBlockProcessor::growTo() {
    RangeChange change = openChange(soundEnd, 0, rangeEnd - soundEnd);
    ChangeGuard guard(store, change);
    notifyChangeFinished();
    writeSilence(*this, change);
    setSelection(*this, soundEnd, rangeEnd, soundEnd);
}

void SoundBlockProcessor::shrinkTo() {
    openChange(rangeEnd, soundEnd - rangeEnd, 0);
    notifyChangeFinished();
}

// The first bytes of the removed range are kept and blended into the start of what follows it; the
// bytes blended are first copied into a change of their own, so that they can be written and undone.
void SoundBlockProcessor::cutOut() {
    const u64 length = rangeEnd - rangeStart;
    const u64 tail = soundEnd - rangeEnd;
    resizeEdgeBuffer(savedStartEdge, 0);
    readContextSamples(rangeStart);
    const i64 blend = std::min<i64>((i64)tail, (i64)savedStartEdge.length);
    if (blend > 0) {
        RangeChange copy = openChange(rangeEnd, (u64)blend, (u64)blend);
        ChangeGuard guard(store, copy);
        fillRestWithOld(copy, 0);
    }
    openChange(rangeStart, length, 0);
    notifyChangeFinished();
    if (savedStartEdge.data && blend > 0) blendStartEdge(rangeStart, (u64)blend);
    setSelection(*this, rangeStart, rangeStart, rangeStart);
}

// The tail goes before the head; the kept part, now at the start, is selected.
void SoundBlockProcessor::crop() {
    openChange(rangeEnd, soundEnd - rangeEnd, 0);
    openChange(soundStart, rangeStart - soundStart, 0);
    notifyChangeFinished();
    setSelection(*this, soundStart, soundStart + (rangeEnd - rangeStart), soundStart);
}
