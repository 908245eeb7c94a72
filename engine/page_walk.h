#pragma once
// Page walks of the operations, and the per-sample walk written once for all sample types.
//
// A walk hands out the pages of one byte range, whole frames at a time, through one interface
// whatever holds the bytes: a range of the store, a range of a file (the clip file, a plain file
// being read or written) or a block of memory. The opener names the direction and what the walk
// does with its pages (openBlockReader, openBlockWriter, ...); for memory only the direction counts.
//
// Walks in step: an operation's walks go together through nextPages, the caller naming the walk that
// ends the loop (the ender, usually the writer of the new bytes). Any other walk whose range runs dry
// first hands out silence from then on (zeros; what is written there is dropped), or, marked with
// repeatAtEnd, starts its range again. Who carries the job's progress is chosen by giving it to that
// walk: a cancel ends the loop only when the ender carries it; any other walk goes on regardless.
// The usual pair: a reader of the old bytes that carries the progress and a writer of the new bytes
// without it, so that a cancel does not stop the operation and the whole range gets written.
//
// The loop:
//     PageWalk in(openBlockReader, store, frameBytes, change.oldCursor, change.oldLength, progress);
//     PageWalk out(openBlockWriter, store, frameBytes, change, nullptr);
//     while (nextPages(out, {&in})) {
//         size_t n = std::min(in.left(), out.left());  // bytes; pages hold whole frames
//         work(in.take(n), out.take(n), n);
//     }
//     out.finish();
//
// Finishing: a writer of a change's new bytes (the constructor that takes the RangeChange) that
// stops before its end, on a cancel or an exception, fills the new bytes it did not reach itself:
// the pages it handed out before its current one are written back, and every later byte of the new
// range gets the old byte at the same offset while there is one (below the change's old length),
// then zeros. finish() does this and reports failures as usual; the destructor does it quietly when
// nobody called finish(), so no operation can leave new bytes unwritten.
#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <memory>
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

class PageSource;

// One walk over count bytes of a byte source. The page source goes with the walk.
class PageWalk {
public:
    // Bytes of the store from a cursor.
    PageWalk(PageOpener opener, SoundStore* store, i32 frameBytes, SegmentCursor at, u64 count,
             JobProgress* progress);
    // The new bytes of a change (newLength bytes at newCursor); finished by the fill rule above.
    PageWalk(PageOpener opener, SoundStore* store, i32 frameBytes, const RangeChange& change,
             JobProgress* progress);
    // Bytes of an open file from a position; a writer writes back every page it hands out.
    PageWalk(PageOpener opener, GFile& file, i32 frameBytes, u64 start, u64 count, JobProgress* progress);
    // A block of memory, handed out as one page; no progress.
    PageWalk(PageOpener opener, u8* block, i32 frameBytes, u64 count);
    PageWalk(const PageWalk&) = delete;
    PageWalk& operator=(const PageWalk&) = delete;
    ~PageWalk();

    // The next page. False at the end of the range (the page is then empty), or when the job was
    // cancelled (the page is still handed out, for walks that go on regardless).
    bool next();
    // Back to the start of the range, with an empty page.
    void restart();
    // At the end of its range, start it again instead of running dry (a repeated clipboard).
    void repeatAtEnd() { repeating = true; }
    // Has run dry and hands out silence.
    bool dry() const { return silent; }
    bool atEnd() const { return ended; }
    // Over a change its owner rolls back, after a Stop: nothing more is worth writing.
    bool abandoned() const;
    // Bytes of the range before the current page (forward walks); after a walk that ended at the
    // range's end, the whole count.
    u64 bytesBeforePage() const;
    // Writes back what a writer handed out before its current page (a write walk that stops early).
    void writeBackBeforePage();
    // Ends a writer: the bytes it has handed out are written back, the current page only when all of
    // it was taken (else it counts as unfinished); over a change the rest is filled as said above.
    // Later calls do nothing.
    void finish();
    // After finish: the bytes from the start of the range that hold what the caller wrote.
    u64 finishedBytes() const { return doneBytes; }

    // The bytes of the current page not taken yet, and taking n of them: from the start of the page
    // on, or for a reverse walk from its end back. The answer is the lowest byte taken.
    size_t left() const { return (size_t)(reverse ? taken - begin : end - taken); }
    size_t framesLeft() const { return left() / frameSize; }
    u8* take(size_t n) { return reverse ? (taken -= n) : (taken += n) - n; }

    // For nextPages: the next page of a walk that follows the ender (silence or a restart once dry).
    void refill();
    // Reads that the walk ahead has just made of the same file are copied from it, not read again
    // (store and file walks; a walk reading what another has read a moment before).
    void follow(const PageWalk& ahead);

    u8* begin = nullptr;
    u8* end = nullptr;
    const size_t frameSize;

private:
    PageWalk(PageOpener opener, i32 frameBytes, u64 count);

    std::unique_ptr<StorePageIterator> opened;  // the opener's page object, until a source takes it
    std::unique_ptr<PageSource> source;
    RangeChange change;  // with overChange: the change whose new bytes this walk writes
    SoundStore* store = nullptr;
    bool overChange = false;
    u64 count;
    u64 handedBefore = 0;  // bytes of the pages handed out before the current one
    u64 doneBytes = 0;
    u8* taken = nullptr;   // where the bytes not taken yet begin (reverse: end)
    std::unique_ptr<u8[]> silence;
    bool reverse = false;
    bool ended = false;
    bool silent = false;
    bool repeating = false;
    bool finished = false;
};

// Walks in step: `ender` and then every other walk (null ones left out) whose page is all taken gets
// its next page. False ends the loop: only when the ender has no next page (the end of its range, or
// a cancel when it carries the progress). Another walk that has run dry hands out silence (or starts
// again when it repeats), so when the answer is true every walk has bytes left; pages hold whole
// frames. The second form takes a set of any size.
bool nextPages(PageWalk& ender, std::initializer_list<PageWalk*> others);
bool nextPages(PageWalk& ender, PageWalk* const* others, size_t count);

// The old and the new bytes of a same-length change side by side: run(const U* old, U* out, size_t
// n), U = Unaligned<S>, gets in order every stretch of n samples that the reader's and the writer's
// pages both hold. The reader carries the processor's progress (its answer is not looked at); the
// writer ends the walk, and a walk ended early leaves the old bytes in the rest of the new ones.
template <class S, class Run>
void walkSampleRuns(SoundBlockProcessor& p, const RangeChange& change, Run run) {
    PageWalk in(openBlockReader, p.store, p.frameBytes, change.oldCursor, change.newLength, p.progress);
    PageWalk out(openBlockWriter, p.store, p.frameBytes, change, nullptr);
    typedef Unaligned<S> U;
    while (nextPages(out, {&in})) {
        const size_t n = std::min(in.left(), out.left()) / sizeof(S);
        run((const U*)in.take(n * sizeof(S)), (U*)out.take(n * sizeof(S)), n);
    }
    out.finish();
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

struct NoPageEnd {
    void operator()() const {}
};

// A reading pass over count old bytes: op(sample, channel) for every sample of a selected track, and
// pageEnd() after each page. The reader carries the progress and its answer ends the pass, so a
// cancel ends it early.
template <class Traits, class Op, class PageEnd = NoPageEnd>
void scanSelectedSamples(SoundBlockProcessor& p, SegmentCursor at, u64 count, Op op, PageEnd pageEnd = {}) {
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
        pageEnd();
    }
}
