#include "mm/page_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/gfile.h"
#include "core/progress.h"

namespace {
const u32 kAlign = 4096;
const u32 kMinCapacity = 16384;

u32 roundDown(u32 n) { return n & ~(kAlign - 1); }
u32 roundUp(u32 n) { return (n + kAlign - 1) & ~(kAlign - 1); }
}  // namespace

u32 pageCapacityFor(u32 frameSize) {
    u64 twoFrames = 2ull * frameSize;
    if (twoFrames <= kMinCapacity) return kMinCapacity;
    return (u32)((twoFrames + kAlign) & ~(u64)(kAlign - 1));
}

SamplePageReader::SamplePageReader(u32 frameSize, u32 mode, u32 capacity)
    : frameSize(frameSize ? frameSize : 1), capacity(pageCapacityFor(frameSize)), mode(mode) {
    // A larger buffer may be asked for; it stays a multiple of 4096 that holds two frames.
    if (capacity > this->capacity) this->capacity = roundUp(capacity);
}

SamplePageReader::~SamplePageReader() { delete[] buffer; }

bool SamplePageReader::endRange(u8** outBegin, u8** outEnd) {
    pageBegin = pageEnd;
    *outBegin = *outEnd = buffer + pageEnd;
    return false;
}

bool SamplePageReader::strandedRemainder() const {
    // Nothing left to read and less than a frame left to hand out, yet bytes left in the range.
    return toRead == 0 && toWrite > 0;
}

void SamplePageReader::readBytes(u64 pos, u8* to, u32 n) {
    if (!failed && fileSeek(*file, (i64)pos, SEEK_SET) && fileRead(*file, to, n)) return;
    failed = true;
    memset(to, 0, n);
}

void SamplePageReader::writeBytes(u64 pos, const u8* from, u32 n) {
    if (!failed && !fileWriteAtPosition(*file, (i64)pos, from, n)) failed = true;
}

// ---- forward ----

bool SamplePageReader::mapRange(u64 start, u64 end, u32 newMode, u8** outBegin, u8** outEnd) {
    if (!buffer) buffer = new u8[capacity];
    mode = newMode;
    rangeStart = writePos = readPos = start;
    rangeEnd = end;
    toRead = toWrite = end - start;
    keepFrom = fillEnd = pageBegin = pageEnd = 0;
    failed = false;
    u32 a = (u32)(start % kAlign);
    if (a) {
        // Read from the boundary below, so that reads stay aligned; the first page starts at start.
        readPos = start - a;
        toRead += a;
        keepFrom = pageBegin = pageEnd = a;
    }
    *outBegin = *outEnd = buffer;
    return true;
}

bool SamplePageReader::flush() {
    if (toWrite == 0 || pageEnd <= keepFrom) return true;
    u32 n = pageEnd - keepFrom;
    if (mode & PageMode::Write) {
        if (toWrite > n) {
            // Not the last write of the range: end it on a 4096-byte boundary of the file.
            u32 aligned = roundDown(pageEnd);
            if (aligned <= keepFrom) return true;
            n = aligned - keepFrom;
        }
        writeBytes(writePos, buffer + keepFrom, n);
    }
    toWrite -= n;
    writePos += n;
    keepFrom += n;
    return true;
}

bool SamplePageReader::fill() {
    if (toRead == 0) return true;
    if (keepFrom >= kAlign) {
        // Moving from the boundary below keepFrom keeps every byte below fillEnd a file byte.
        u32 k = roundDown(keepFrom);
        memmove(buffer, buffer + k, fillEnd - k);
        keepFrom -= k;
        pageBegin -= k;
        pageEnd -= k;
        fillEnd -= k;
    }
    u32 n = (u32)std::min<u64>(capacity - fillEnd, toRead);
    if ((mode & PageMode::Read) && n > 0) {
        // A partner over the same file that has just read these bytes hands them over. Bytes it has
        // handed out in a write mode may have been changed, so only those after its page count.
        const SamplePageReader* p = partner;
        bool fromPartner = p && !p->isReverse() && p->buffer && p->file == file && (p->mode & PageMode::Read) &&
                           p->readPos == readPos + n && p->fillEnd >= n &&
                           (!(p->mode & PageMode::Write) || p->fillEnd - n >= p->pageEnd);
        if (fromPartner) memcpy(buffer + fillEnd, p->buffer + p->fillEnd - n, n);
        else readBytes(readPos, buffer + fillEnd, n);
    }
    fillEnd += n;
    readPos += n;
    toRead -= n;
    return true;
}

bool SamplePageReader::nextPage(u8** outBegin, u8** outEnd) {
    if (!flush()) return false;
    if (toWrite == 0) return endRange(outBegin, outEnd);
    if (!fill()) return false;
    u32 frames = (fillEnd - pageEnd) / frameSize;
    if (frames == 0 && strandedRemainder()) {
        // A piece that is not a whole number of frames: write back what was handed out and end.
        finish();
        toWrite = 0;
        return endRange(outBegin, outEnd);
    }
    pageBegin = pageEnd;
    pageEnd = pageBegin + frames * frameSize;
    *outBegin = buffer + pageBegin;
    *outEnd = buffer + pageEnd;
    return true;
}

bool SamplePageReader::finish() {
    if (!(mode & PageMode::Write)) return true;
    toWrite = pageEnd > keepFrom ? pageEnd - keepFrom : 0;
    return flush();
}

i64 SamplePageReader::fetchedCount() const { return (i64)(readPos - rangeStart); }

bool SamplePageReader::writeBackBeforePage() {
    if (!(mode & PageMode::Write) || pageBegin <= keepFrom || toWrite == 0) return true;
    u32 n = pageBegin - keepFrom;
    writeBytes(writePos, buffer + keepFrom, n);
    toWrite -= n;
    writePos += n;
    keepFrom += n;
    return true;
}

// ---- reverse ----

bool ReversePageReader::mapRange(u64 start, u64 end, u32 newMode, u8** outBegin, u8** outEnd) {
    if (!buffer) buffer = new u8[capacity];
    mode = newMode;
    rangeStart = start;
    rangeEnd = readPos = writePos = end;
    toRead = toWrite = end - start;
    failed = false;
    u32 a = (u32)(end % kAlign);
    keepFrom = fillEnd = pageBegin = pageEnd = a ? capacity - kAlign + a : capacity;
    *outBegin = *outEnd = buffer + pageBegin;
    return true;
}

bool ReversePageReader::flush() {
    if (toWrite == 0 || fillEnd <= pageBegin) return true;
    u32 n = fillEnd - pageBegin;
    if (mode & PageMode::Write) {
        if (toWrite > n) {
            u32 aligned = roundUp(pageBegin);
            if (aligned >= fillEnd) return true;
            n = fillEnd - aligned;
        }
        writeBytes(writePos - n, buffer + fillEnd - n, n);
    }
    toWrite -= n;
    writePos -= n;
    fillEnd -= n;
    return true;
}

bool ReversePageReader::fill() {
    if (toRead == 0) return true;
    if (capacity - fillEnd >= kAlign) {
        u32 s = roundDown(capacity - fillEnd);
        memmove(buffer + keepFrom + s, buffer + keepFrom, fillEnd - keepFrom);
        keepFrom += s;
        pageBegin += s;
        pageEnd += s;
        fillEnd += s;
    }
    u32 n = (u32)std::min<u64>(keepFrom, toRead);
    if ((mode & PageMode::Read) && n > 0) readBytes(readPos - n, buffer + keepFrom - n, n);
    keepFrom -= n;
    readPos -= n;
    toRead -= n;
    return true;
}

bool ReversePageReader::nextPage(u8** outBegin, u8** outEnd) {
    if (!flush()) return false;
    if (toWrite == 0) return endRange(outBegin, outEnd);
    if (!fill()) return false;
    u32 frames = (pageBegin - keepFrom) / frameSize;
    if (frames == 0 && strandedRemainder()) {
        finish();
        toWrite = 0;
        return endRange(outBegin, outEnd);
    }
    pageEnd = pageBegin;
    pageBegin = pageEnd - frames * frameSize;
    *outBegin = buffer + pageBegin;
    *outEnd = buffer + pageEnd;
    return true;
}

bool ReversePageReader::finish() {
    if (!(mode & PageMode::Write)) return true;
    toWrite = fillEnd > pageBegin ? fillEnd - pageBegin : 0;
    return flush();
}

i64 ReversePageReader::fetchedCount() const { return (i64)(rangeEnd - readPos); }

bool ReversePageReader::writeBackBeforePage() {
    if (!(mode & PageMode::Write) || fillEnd <= pageEnd || toWrite == 0) return true;
    u32 n = fillEnd - pageEnd;
    writeBytes(writePos - n, buffer + pageEnd, n);
    toWrite -= n;
    writePos -= n;
    fillEnd -= n;
    return true;
}

// ---- store page iterator ----

bool StorePageIterator::init(SoundStore* s, SegmentCursor start, JobProgress* p, u64 count, u8** pageBegin,
                             u8** pageEnd) {
    store = s;
    workFile = &s->workFile;
    sourceFile = &s->sourceFile;
    progress = p;
    cursor = start;
    remaining = count;
    done = 0;
    sourceEnd = s->sourceEnd;
    if (page->isReverse() && cursor.segment && count > 0) {
        // A reverse walk starts with the piece that holds the end of the range.
        StoreSegment* seg = cursor.segment;
        u64 offset = cursor.offset, left = count;
        for (;;) {
            u64 rest = seg->length() - offset;
            if (left <= rest) {
                cursor = {seg, offset + left};
                break;
            }
            left -= rest;
            if (!seg->next) {
                // The range runs past the end of the sound: walk what there is.
                cursor = {seg, seg->length()};
                remaining -= left;
                break;
            }
            seg = seg->next;
            offset = 0;
        }
    }
    return readSegments(pageBegin, pageEnd);
}

bool StorePageIterator::readSegments(u8** pageBegin, u8** pageEnd) {
    StoreSegment* seg = cursor.segment;
    if (!seg || remaining == 0) {
        remaining = 0;
        page->file = workFile;
        page->mapRange(0, 0, page->mode, pageBegin, pageEnd);
        return false;
    }
    u64 n;
    i64 p;
    if (page->isReverse()) {
        n = std::min(cursor.offset, remaining);
        p = seg->start + (i64)(cursor.offset - n);
        StoreSegment* previous = seg->previous;
        cursor = {previous, previous ? previous->length() : 0};
    } else {
        n = std::min(seg->length() - cursor.offset, remaining);
        p = seg->start + (i64)cursor.offset;
        cursor = {seg->next, 0};
    }
    u64 pos;
    if (p >= 0) {
        page->file = workFile;
        pos = (u64)p;
    } else {
        page->file = sourceFile;
        pos = (u64)((i64)sourceEnd + p);
    }
    return page->mapRange(pos, pos + n, page->mode, pageBegin, pageEnd);
}

bool StorePageIterator::readSegmentsNext(u8** pageBegin, u8** pageEnd) {
    for (;;) {
        if (page->nextPage(pageBegin, pageEnd) && *pageBegin < *pageEnd) break;
        // The piece is finished (a piece that could not be read or written is handed out all the same).
        u64 n = std::min(page->rangeEnd - page->rangeStart, remaining);
        done += n;
        remaining -= n;
        if (remaining == 0) {
            *pageBegin = *pageEnd;
            return false;
        }
        if (!readSegments(pageBegin, pageEnd)) return false;
    }
    if (progress) {
        i64 fetched = page->fetchedCount();
        if (progress->report(done + (u64)std::max<i64>(fetched, 0), nullptr)) {
            // The caller stops here without filling this page; what it filled before is written.
            page->writeBackBeforePage();
            return false;
        }
    }
    return true;
}
