#include "engine/page_walk.h"

#include <cstring>
#include <memory>

#include "core/gfile.h"
#include "core/progress.h"
#include "engine/change_guard.h"

static StorePageIterator& attachPage(StorePageIterator& iterator, SamplePageReader* page) {
    iterator.attach(std::unique_ptr<SamplePageReader>(page));
    iterator.cursor = SegmentCursor();
    return iterator;
}

StorePageIterator& openBlockReader(StorePageIterator& iterator, i32 frameBytes) {
    return attachPage(iterator, new SamplePageReader((u32)frameBytes, PageMode::Read));
}

StorePageIterator& openBlockWriter(StorePageIterator& iterator, i32 frameBytes) {
    return attachPage(iterator, new SamplePageReader((u32)frameBytes, PageMode::Write));
}

StorePageIterator& openBlockReaderWriter(StorePageIterator& iterator, i32 frameBytes) {
    return attachPage(iterator, new SamplePageReader((u32)frameBytes, PageMode::ReadWrite));
}

StorePageIterator& openBlockReverseReader(StorePageIterator& iterator, i32 frameBytes) {
    return attachPage(iterator, new ReversePageReader((u32)frameBytes, PageMode::Read));
}

// Where a walk's pages come from. Pages hold whole frames; next() answers false at the end of the
// range (an empty page) or on a cancel (the page still handed out).
class PageSource {
public:
    virtual ~PageSource() = default;
    virtual bool next(u8** begin, u8** end) = 0;
    virtual void restart(u8** begin, u8** end) = 0;
    // Bytes of the range before the current page, the pages handed out so far being `handed`.
    virtual u64 bytesBeforePage(u64 handed) const { return handed; }
    virtual void writeBackBeforePage() {}
    // Writes back every page handed out, the current one too.
    virtual void writeBackPages() {}
    // Taken bytes are in place at once (memory).
    virtual bool writesInPlace() const { return false; }
    // The page object of a store or file range.
    virtual SamplePageReader* pageObject() const { return nullptr; }
};

namespace {

// A range of the store, piece by piece through a StorePageIterator.
class StoreRange : public PageSource {
public:
    StoreRange(StorePageIterator& opened, SoundStore* store, SegmentCursor at, u64 count, JobProgress* progress)
        : store(store), at(at), count(count), progress(progress) {
        iterator.attach(std::move(opened.page));
    }
    bool next(u8** begin, u8** end) override {
        u64 doneBefore = iterator.done;
        pieceBytes += (u64)(*end - *begin);
        bool more = iterator.readSegmentsNext(begin, end);
        if (iterator.done != doneBefore) pieceBytes = 0;
        return more;
    }
    void restart(u8** begin, u8** end) override {
        pieceBytes = 0;
        iterator.init(store, at, progress, count, begin, end);
    }
    // A piece that could not be handed out whole still counts whole.
    u64 bytesBeforePage(u64) const override { return iterator.done + pieceBytes; }
    void writeBackBeforePage() override { iterator.page->writeBackBeforePage(); }
    void writeBackPages() override { iterator.page->finish(); }
    SamplePageReader* pageObject() const override { return iterator.page.get(); }

private:
    StorePageIterator iterator;
    SoundStore* store;
    SegmentCursor at;
    u64 count;
    JobProgress* progress;
    u64 pieceBytes = 0;  // handed out of the current piece before the current page
};

// A range of a file through one page object.
class FileRange : public PageSource {
public:
    FileRange(StorePageIterator& opened, GFile& file, u64 start, u64 count, JobProgress* progress)
        : page(std::move(opened.page)), start(start), count(count), progress(progress) {
        page->file = &file;
    }
    bool next(u8** begin, u8** end) override {
        if (!page->nextPage(begin, end) || *begin == *end) {
            *begin = *end;
            return false;
        }
        if (progress && progress->report((u64)std::max<i64>(page->fetchedCount(), 0), nullptr)) {
            page->writeBackBeforePage();
            return false;
        }
        return true;
    }
    void restart(u8** begin, u8** end) override { page->mapRange(start, start + count, page->mode, begin, end); }
    void writeBackBeforePage() override { page->writeBackBeforePage(); }
    void writeBackPages() override { page->finish(); }
    SamplePageReader* pageObject() const override { return page.get(); }

private:
    std::unique_ptr<SamplePageReader> page;
    u64 start, count;
    JobProgress* progress;
};

// A block of memory: one page of its whole frames.
class MemoryBlock : public PageSource {
public:
    MemoryBlock(u8* block, u64 bytes) : block(block), bytes(bytes) {}
    bool next(u8** begin, u8** end) override {
        *begin = block + (handedOut ? bytes : 0);
        *end = block + bytes;
        handedOut = true;
        return *begin < *end;
    }
    void restart(u8** begin, u8** end) override {
        handedOut = false;
        *begin = *end = block;
    }
    bool writesInPlace() const override { return true; }

private:
    u8* block;
    u64 bytes;
    bool handedOut = false;
};

const size_t silencePageBytes = 16384;
}  // namespace

// The opener's page object goes to the source; the walk keeps its direction.
PageWalk::PageWalk(PageOpener opener, i32 frameBytes, u64 count)
    : frameSize(frameBytes > 0 ? (size_t)frameBytes : 1), count(count) {
    opened.reset(new StorePageIterator);
    opener(*opened, frameBytes);
    reverse = opened->page->isReverse();
}

PageWalk::PageWalk(PageOpener opener, SoundStore* store, i32 frameBytes, SegmentCursor at, u64 count,
                   JobProgress* progress)
    : PageWalk(opener, frameBytes, count) {
    this->store = store;
    source.reset(new StoreRange(*opened, store, at, count, progress));
    opened.reset();
    restart();
}

PageWalk::PageWalk(PageOpener opener, SoundStore* store, i32 frameBytes, const RangeChange& change,
                   JobProgress* progress)
    : PageWalk(opener, store, frameBytes, change.newCursor, change.newLength, progress) {
    this->change = change;
    overChange = true;
}

PageWalk::PageWalk(PageOpener opener, GFile& file, i32 frameBytes, u64 start, u64 count, JobProgress* progress)
    : PageWalk(opener, frameBytes, count) {
    source.reset(new FileRange(*opened, file, start, count, progress));
    opened.reset();
    restart();
}

PageWalk::PageWalk(PageOpener opener, u8* block, i32 frameBytes, u64 count) : PageWalk(opener, frameBytes, count) {
    source.reset(new MemoryBlock(block, count / frameSize * frameSize));
    opened.reset();
    restart();
}

PageWalk::~PageWalk() {
    if (finished || !overChange) return;
    // Abandoned (an exception, or a caller that stopped early): finish quietly, as cleanup does.
    QuietStore quiet(store);
    try {
        finish();
    } catch (...) {
    }
}

bool PageWalk::next() {
    if (silent) {
        // Silence, fresh for every page: a dry writer's bytes are dropped.
        const size_t n = std::max(silencePageBytes / frameSize, (size_t)1) * frameSize;
        if (!silence) silence.reset(new u8[n]);
        memset(silence.get(), 0, n);
        begin = silence.get();
        end = begin + n;
        taken = reverse ? end : begin;
        return true;
    }
    const u64 before = handedBefore;
    handedBefore += (u64)(end - begin);
    bool more;
    try {
        more = source->next(&begin, &end);
    } catch (...) {
        // A progress report that threw (a Stop): the source has moved on, so the new bytes from the
        // page just taken on get the fill rule.
        if (overChange && !finished) {
            finished = true;
            doneBytes = before;
            QuietStore quiet(store);
            try {
                fillNewBytes(*store, change, before);
                if (change.guard) change.guard->reached(change.newLength);
            } catch (...) {
            }
        }
        throw;
    }
    taken = reverse ? end : begin;
    if (!more && begin == end) ended = true;
    return more;
}

void PageWalk::restart() {
    source->restart(&begin, &end);
    taken = reverse ? end : begin;
    handedBefore = 0;
    ended = silent = false;
}

void PageWalk::refill() {
    if (next() || left() > 0 || silent) return;
    if (repeating && count >= frameSize) {
        restart();
        if (next() || left() > 0) return;
    }
    silent = true;
    next();
}

u64 PageWalk::bytesBeforePage() const { return ended ? count : source->bytesBeforePage(handedBefore); }

void PageWalk::writeBackBeforePage() {
    if (!silent) source->writeBackBeforePage();
}

void PageWalk::finish() {
    if (finished) return;
    finished = true;
    if (ended || silent) {
        doneBytes = ended ? count : 0;
        if (ended && overChange && change.guard) change.guard->reached(change.newLength);
        return;
    }
    u64 done = bytesBeforePage();
    const u64 page = (u64)(end - begin);
    if (source->writesInPlace()) {
        done += page - left();
    } else if (page > 0 && left() == 0) {
        source->writeBackPages();
        done += page;
    } else {
        source->writeBackBeforePage();
    }
    doneBytes = done;
    if (!overChange) return;
    fillNewBytes(*store, change, done);
    if (change.guard) change.guard->reached(change.newLength);
}

bool PageWalk::abandoned() const {
    return overChange && change.rolledBackWhenStopped && change.rolledBackWhenStopped->isCancelled();
}

bool nextPages(PageWalk& ender, PageWalk* const* others, size_t count) {
    if (ender.abandoned()) return false;
    if (ender.left() == 0 && (!ender.next() || ender.left() == 0)) return false;
    for (size_t i = 0; i < count; ++i) {
        PageWalk* walk = others[i];
        if (walk && walk->left() == 0) walk->refill();
    }
    return true;
}

bool nextPages(PageWalk& ender, std::initializer_list<PageWalk*> others) {
    return nextPages(ender, others.begin(), others.size());
}

void PageWalk::follow(const PageWalk& ahead) {
    if (SamplePageReader* page = source->pageObject()) page->partner = ahead.source->pageObject();
}
