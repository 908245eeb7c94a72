#pragma once
// Page walks of the operations over a store change, and the per-sample walk written once for all
// sample types.
//
// A walk is one page object on its own StorePageIterator; the walks of one operation go in step
// (nextPages). Who carries the job's progress is chosen by giving it to that walk; which walk ends
// the loop, by naming it to nextPages. The usual pair: a reader of the old bytes that carries the
// progress (its answer is not looked at, so a cancel does not stop it) and a writer of the new bytes
// without progress, whose end ends the loop: the whole range gets written.
#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <type_traits>

#include "engine/processor.h"
#include "mm/page_reader.h"

// The page-object openers: each makes a page object of the frame size, attaches it to the iterator
// (cursor cleared) and returns the iterator.
StorePageIterator& openBlockReader(StorePageIterator& iterator, i32 frameBytes);
StorePageIterator& openBlockWriter(StorePageIterator& iterator, i32 frameBytes);
StorePageIterator& openBlockReaderWriter(StorePageIterator& iterator, i32 frameBytes);
StorePageIterator& openBlockReverseReader(StorePageIterator& iterator, i32 frameBytes);
typedef StorePageIterator& (*PageOpener)(StorePageIterator&, i32);

// One page object walking count bytes of the store from a cursor. The page object goes with the walk.
class PageWalk {
public:
    PageWalk(PageOpener opener, SoundStore* store, i32 frameBytes, SegmentCursor at, u64 count,
             JobProgress* progress);
    PageWalk(const PageWalk&) = delete;
    PageWalk& operator=(const PageWalk&) = delete;

    // The next page. False at the end of the range (the page is then empty), or when the job was
    // cancelled (the page is still handed out, for walks that go on regardless).
    bool next();
    bool atEnd() const { return ended; }
    SamplePageReader* page() const { return iterator.page.get(); }
    // Bytes of the range before the current page (forward walks); after a walk that ended at the
    // range's end, the whole count.
    u64 bytesBeforePage() const;
    // Writes back what a writer handed out before its current page (a write walk that stops early).
    void writeBackBeforePage() { page()->writeBackBeforePage(); }

    // The bytes of the current page not taken yet, and taking n of them: from the start of the page
    // on, or for a reverse walk from its end back. The answer is the lowest byte taken.
    size_t left() const { return (size_t)(reverse ? taken - begin : end - taken); }
    u8* take(size_t n) { return reverse ? (taken -= n) : (taken += n) - n; }

    u8* begin = nullptr;
    u8* end = nullptr;
    StorePageIterator iterator;

private:
    u64 count;
    u64 pieceBytes = 0;  // handed out of the current piece before the current page
    u8* taken = nullptr;  // where the bytes not taken yet begin (reverse: end)
    bool reverse = false;
    bool ended = false;
};

// Walks in step: `ender` and then every other walk (null ones left out) whose page is all taken gets
// its next page. False ends the loop: when the ender has no next page (the end of its range, or a
// cancel when it carries the progress), or when another walk has no bytes left (its answer is not
// looked at otherwise, so a cancel does not stop it). Otherwise every walk has bytes left; pages
// hold whole frames.
bool nextPages(PageWalk& ender, std::initializer_list<PageWalk*> others);

// After a walk whose writer may have ended early: writes back the pages it handed out before its
// current one and gives the rest of the new bytes the old ones.
void finishNewBytes(SoundBlockProcessor& p, const RangeChange& change, PageWalk& out);

// The old and the new bytes of a same-length change side by side: run(const U* old, U* out, size_t
// n), U = Unaligned<S>, gets in order every stretch of n samples that the reader's and the writer's
// pages both hold. The reader carries the processor's progress (its answer is not looked at); the
// writer ends the walk, and a walk ended early leaves the old bytes in the rest of the new ones.
template <class S, class Run>
void walkSampleRuns(SoundBlockProcessor& p, const RangeChange& change, Run run) {
    PageWalk in(openBlockReader, p.store, p.frameBytes, change.oldCursor, change.newLength, p.progress);
    PageWalk out(openBlockWriter, p.store, p.frameBytes, change.newCursor, change.newLength, nullptr);
    typedef Unaligned<S> U;
    while (nextPages(out, {&in})) {
        const size_t n = std::min(in.left(), out.left()) / sizeof(S);
        run((const U*)in.take(n * sizeof(S)), (U*)out.take(n * sizeof(S)), n);
    }
    finishNewBytes(p, change, out);
}

// The same over count bytes rewritten in place: run(const U* old, U* out, size_t n) gets old == out.
// One read-write walk from `at` carries the processor's progress, and its answer ends the walk: a
// cancel stops it at its next page, leaving the bytes after it as they were.
template <class S, class Run>
void walkSampleRunsInPlace(SoundBlockProcessor& p, SegmentCursor at, u64 count, Run run) {
    PageWalk io(openBlockReaderWriter, p.store, p.frameBytes, at, count, p.progress);
    typedef Unaligned<S> U;
    while (io.next()) {
        const size_t n = io.left() / sizeof(S);
        U* data = (U*)io.take(n * sizeof(S));
        run(data, data, n);
    }
}

// The body of the per-sample walks below, given every run of samples in order.
template <class Traits, bool withPosition, class Op, class Block>
class SampleRunBody {
public:
    typedef typename Traits::Sample S;
    typedef Unaligned<S> U;
    // A block that takes the track of its first sample keeps per-track state of its own; it serves
    // positioned ops too.
    static constexpr bool trackedBlock = std::is_invocable<Block&, const U*, U*, size_t, i32>::value;

    SampleRunBody(SoundBlockProcessor& p, Op& op, Block& block)
        : channels(p.channelCount),
          mask(p.channelMask),
          all(p.selectedChannelCount == p.channelCount && (!withPosition || trackedBlock)),
          op(op),
          block(block) {}

    void operator()(const U* r, U* w, size_t n) {
        if (all) {
            if constexpr (trackedBlock) {
                const i32 first = c == channels ? 0 : c;
                block(r, w, n, first);
                c = channels > 0 ? (i32)(((size_t)first + n) % (size_t)channels) : 0;
            } else {
                block(r, w, n);
            }
            return;
        }
        for (size_t i = 0; i < n; ++i) {
            if (c == channels) {
                c = 0;
                ++frame;
            }
            if (!mask[c]) w[i] = r[i];
            else if constexpr (withPosition) w[i] = op(r[i], c, frame);
            else w[i] = op(r[i]);
            ++c;
        }
    }

private:
    const i32 channels;
    const u8* mask;
    const bool all;
    Op& op;
    Block& block;
    i32 c = 0;
    u64 frame = 0;
};

// Per-sample walk of the same-length change: every sample of a selected track goes through op,
// every other sample is copied. Op is (Sample) -> Sample, or with positions (Sample, i32 channel,
// u64 frame index in the range) -> Sample. The reader carries the processor's progress; the writer
// ends the walk. Where every track is selected and op needs no position, the mask is not looked at
// and the block (const U* in, U* out, size_t n) takes the samples instead; a block that also takes
// the track of in[0] (i32) does so for positioned ops too.
template <class Traits, bool withPosition, class Op, class Block>
void walkSamples(SoundBlockProcessor& p, const RangeChange& change, Op op, Block block) {
    walkSampleRuns<typename Traits::Sample>(p, change, SampleRunBody<Traits, withPosition, Op, Block>(p, op, block));
}

// The same over count bytes from `at`, rewritten in place (walkSampleRunsInPlace): unselected
// samples stay as they are, and a cancel ends the walk.
template <class Traits, bool withPosition, class Op, class Block>
void walkSamplesInPlace(SoundBlockProcessor& p, SegmentCursor at, u64 count, Op op, Block block) {
    walkSampleRunsInPlace<typename Traits::Sample>(p, at, count,
                                                   SampleRunBody<Traits, withPosition, Op, Block>(p, op, block));
}

template <class Traits, class Op>
void mapSamples(SoundBlockProcessor& p, const RangeChange& change, Op op) {
    typedef typename Traits::Sample S;
    walkSamples<Traits, false>(p, change, op, [&op](const Unaligned<S>* r, Unaligned<S>* w, size_t n) {
        for (size_t i = 0; i < n; ++i) w[i] = op(r[i]);
    });
}

// The same with a block function (const U* in, U* out, size_t n), U = Unaligned<Sample>, for the
// stretches where every track is selected; it must give what op gives sample by sample.
template <class Traits, class Op, class Block>
void mapSampleBlocks(SoundBlockProcessor& p, const RangeChange& change, Op op, Block block) {
    walkSamples<Traits, false>(p, change, op, block);
}

template <class Traits, class Op>
void mapPlacedSamples(SoundBlockProcessor& p, const RangeChange& change, Op op) {
    typedef typename Traits::Sample S;
    walkSamples<Traits, true>(p, change, op, [](const Unaligned<S>*, Unaligned<S>*, size_t) {});
}

// A reading pass over count old bytes: op(sample, channel) for every sample of a selected track. The
// reader carries the progress and its answer ends the pass, so a cancel ends it early.
template <class Traits, class Op>
void scanSelectedSamples(SoundBlockProcessor& p, SegmentCursor at, u64 count, Op op) {
    typedef typename Traits::Sample S;
    PageWalk in(openBlockReader, p.store, p.frameBytes, at, count, p.progress);
    const i32 channels = p.channelCount;
    const u8* mask = p.channelMask;
    i32 c = 0;
    while (in.next()) {
        for (const Unaligned<S>* r = (const Unaligned<S>*)in.begin; r < (const Unaligned<S>*)in.end; ++r) {
            if (c == channels) c = 0;
            if (mask[c]) op(*r, c);
            ++c;
        }
    }
}
