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
}

bool PageWalk::next() {
    u64 doneBefore = iterator.done;
    pieceBytes += (u64)(end - begin);
    if (iterator.readSegmentsNext(&begin, &end)) {
        if (iterator.done != doneBefore) pieceBytes = 0;
        return true;
    }
    if (iterator.done != doneBefore) pieceBytes = 0;
    if (begin == end) ended = true;
    return false;
}

u64 PageWalk::bytesBeforePage() const { return ended ? count : iterator.done + pieceBytes; }
