#include "engine/page_walk.h"

#include <memory>

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

PageWalk::PageWalk(PageOpener opener, SoundStore* store, i32 frameBytes, SegmentCursor at, u64 count,
                   JobProgress* progress)
    : count(count) {
    opener(iterator, frameBytes);
    iterator.init(store, at, progress, count, &begin, &end);
    reverse = page()->isReverse();
    taken = begin;
}

bool PageWalk::next() {
    u64 doneBefore = iterator.done;
    pieceBytes += (u64)(end - begin);
    bool more = iterator.readSegmentsNext(&begin, &end);
    if (iterator.done != doneBefore) pieceBytes = 0;
    taken = reverse ? end : begin;
    if (!more && begin == end) ended = true;
    return more;
}

u64 PageWalk::bytesBeforePage() const { return ended ? count : iterator.done + pieceBytes; }

bool nextPages(PageWalk& ender, std::initializer_list<PageWalk*> others) {
    if (ender.left() == 0 && (!ender.next() || ender.left() == 0)) return false;
    for (PageWalk* walk : others) {
        if (!walk || walk->left() > 0) continue;
        walk->next();
        if (walk->left() == 0) return false;
    }
    return true;
}

void finishNewBytes(SoundBlockProcessor& p, const RangeChange& change, PageWalk& out) {
    if (out.atEnd()) return;
    out.writeBackBeforePage();
    p.fillRestWithOld(change, out.bytesBeforePage());
}
