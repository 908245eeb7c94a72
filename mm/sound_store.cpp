#include "mm/sound_store.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <io.h>
#include <memory>
#include <utility>

#include "core/error.h"
#include "core/linked_list.h"
#include "core/paths.h"
#include "core/progress.h"
#include "core/texts.h"

namespace {

// An equal-size edit of at most this many bytes inside one work segment swaps bytes in place.
const u64 kInPlaceLimit = 0x100000;
const u32 kCopyChunk = 64 * 1024;
const u32 kSwapChunk = 16384;
// Largest single read or write handed to the file object.
const u64 kMaxTransfer = 1u << 30;

void closeQuietly(GFile& f) {
    u32 quiet = f.flags & FileFlag::Quiet;
    f.flags |= FileFlag::Quiet;
    fileClose(f);
    f.flags = (f.flags & ~(u32)FileFlag::Quiet) | quiet;
}

// The store moves large blocks at explicit positions: the stream buffer would only add a copy.
void setUnbuffered(GFile& f) {
    if (f.fp) setvbuf(f.fp, nullptr, _IONBF, 0);
}

// Reads (or writes) n bytes at a file position, in pieces the file object takes.
bool transferAt(GFile& f, u64 pos, u8* memory, u64 n, bool read) {
    if (!fileSeek(f, (i64)pos, SEEK_SET)) return false;
    while (n > 0) {
        u32 chunk = (u32)std::min(n, kMaxTransfer);
        if (!(read ? fileRead(f, memory, chunk) : fileWrite(f, memory, chunk))) return false;
        memory += chunk;
        n -= chunk;
    }
    return true;
}

bool readAt(GFile& f, u64 pos, u8* to, u64 n) { return transferAt(f, pos, to, n, true); }
bool writeAt(GFile& f, u64 pos, const u8* from, u64 n) { return transferAt(f, pos, const_cast<u8*>(from), n, false); }

// Calls piece(segment position, length, offset in the walk) for every piece of count bytes from the
// cursor; answers how many bytes lay past the end of the list.
template <class F>
u64 forEachPiece(const SegmentCursor& cursor, u64 count, F&& piece) {
    u64 done = 0;
    u64 offset = cursor.offset;
    for (StoreSegment* s = cursor.segment; s && done < count; s = s->next, offset = 0) {
        u64 n = std::min(s->length() - offset, count - done);
        piece(s->start + (i64)offset, n, done);
        done += n;
    }
    return count - done;
}

// Copies count bytes between two positioned files, which may be one file object (every chunk seeks
// both ends). Progress gets the bytes done after every chunk; a cancel ends the copy (false). Its
// 64 KiB chunks on the store's unbuffered files save a sound about twice as fast as the file
// object's 16 KiB copy (fileCopyRange).
bool copyBetween(GFile& source, u64 from, GFile& target, u64 to, u64 count, JobProgress* progress) {
    if (count == 0) return true;
    std::unique_ptr<u8[]> buffer(new u8[kCopyChunk]);
    u64 done = 0;
    // Later chunks start on 4096-byte boundaries of the target.
    u32 chunk = kCopyChunk - (u32)(to % 4096);
    while (done < count) {
        u32 n = (u32)std::min<u64>(chunk, count - done);
        if (!readAt(source, from + done, buffer.get(), n) || !writeAt(target, to + done, buffer.get(), n)) return false;
        done += n;
        if (progress && progress->report(done, nullptr)) return false;
        chunk = kCopyChunk;
    }
    return true;
}

i64 osFileLength(GFile& f) { return f.fp ? _filelengthi64(_fileno(f.fp)) : -1; }

// Sets the file's length; bytes added read as zeros.
bool setOsFileLength(GFile& f, i64 size) {
    if (!f.fp) return false;
    fflush(f.fp);
    HANDLE h = (HANDLE)_get_osfhandle(_fileno(f.fp));
    LARGE_INTEGER to;
    to.QuadPart = size;
    if (h == INVALID_HANDLE_VALUE || !SetFilePointerEx(h, to, nullptr, FILE_BEGIN) || !SetEndOfFile(h)) {
        reportFileError(f, coreText(CoreText::CannotWriteFile), nullptr, 0);
        return false;
    }
    // Keep the stream's idea of the position in step with the handle's.
    return fileSeek(f, size, SEEK_SET);
}

}  // namespace

// ---- segment list ----

void SegmentList::clear() {
    while (head) {
        StoreSegment* next = head->next;
        delete head;
        head = next;
    }
    tail = nullptr;
}

void SegmentList::insertAfter(StoreSegment* after, StoreSegment* s) {
    s->previous = after;
    s->next = after ? after->next : head;
    if (s->next) s->next->previous = s;
    else tail = s;
    if (after) after->next = s;
    else head = s;
}

void SegmentList::unlink(StoreSegment* s) { unlinkNode(head, tail, s); }

void SegmentCursor::advance(u64 count) {
    while (segment) {
        u64 rest = segment->length() - offset;
        if (count < rest) {
            offset += count;
            return;
        }
        count -= rest;
        segment = segment->next;
        offset = 0;
    }
    offset = 0;
}

// ---- store ----

SoundStore::~SoundStore() {
    setHandlers(nullptr);
    releaseFiles();
    dropPending();
    segments.clear();
    closeQuietly(workFile);
}

void SoundStore::setHandlers(ErrorHandler* handler) { workFile.handler = sourceFile.handler = handler; }

void SoundStore::dropPending() {
    delete pending;
    pending = nullptr;
}

void SoundStore::setSource(const StoreSource& source) {
    workEnd = 0;
    dataOffset = source.dataOffset;
    sourceEnd = source.dataOffset + source.size;
    length = source.size;
    frameSize = source.frameSize ? source.frameSize : 1;
    segments.clear();
    if (source.size > 0) segments.append(new StoreSegment(-(i64)source.size, 0));
}

// The segment list and the work file change under the mutex: the player's thread walks them in
// readPages.
void SoundStore::clear() {
    std::lock_guard<std::recursive_mutex> hold(mutex);
    closeQuietly(workFile);
    segments.clear();
    closeQuietly(sourceFile);
    dropPending();
    workEnd = 0;
    length = 0;
}

bool SoundStore::open(const char* name, const StoreSource& source, ErrorHandler* handler) {
    std::lock_guard<std::recursive_mutex> hold(mutex);
    clear();
    stringAssignText(sourceName, name ? name : "");
    GString path = workTempFolder();
    if (path.length && !pathIsDirectory(path.c_str())) {
        // Normally made at start-up; a store must not fail for want of it.
        ensureDataFolder();
        createDirectory(path.c_str());
    }
    // A free "undo%04d.tmp" in the work folder (makeTempFileName takes the folder of its path).
    pathJoin(path, "*");
    GString workName;
    makeTempFileName(path.c_str(), workName, "undo");
    stringMove(path, workName);
    setHandlers(handler);
    u32 flags = FileFlag::Read | FileFlag::Write | FileFlag::Truncate | FileFlag::Create | FileFlag::DenyWrite |
                FileFlag::DeleteOnClose;
    if (!fileOpen(workFile, path.c_str(), flags)) return false;
    setUnbuffered(workFile);
    setSource(source);
    return true;
}

void SoundStore::releaseFiles() {
    std::exception_ptr failure;
    closeQuietly(sourceFile);
    if (workFile.isOpen()) {
        // A handler may throw; the lock is released all the same.
        try {
            fileFlush(workFile);
        } catch (...) {
            failure = std::current_exception();
        }
    }
    setHandlers(nullptr);
    while (locked > 0) {
        --locked;
        mutex.unlock();
    }
    if (failure) std::rethrow_exception(failure);
}

void SoundStore::reopen(const char* name, const StoreSource& source) {
    std::lock_guard<std::recursive_mutex> hold(mutex);
    if (locked) {
        // The caller's lock is kept: only the source file changes.
        closeSourceFile();
        fileFlush(workFile);
    } else {
        releaseFiles();
    }
    stringAssignText(sourceName, name ? name : "");
    dropPending();
    // Earlier work data is dead: the work file starts over.
    if (workFile.isOpen()) setOsFileLength(workFile, 0);
    setSource(source);
    if (locked) reopenSourceFile();
}

bool SoundStore::isSourceFile(const char* name) const {
    if (!sourceName.length || !name) return false;
    FileInfo a, b;
    if (fileInfo(sourceName.c_str(), &a) && fileInfo(name, &b))
        return a.volumeSerial == b.volumeSerial && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow;
    return lstrcmpiA(sourceName.c_str(), name) == 0;
}

void SoundStore::closeSourceFile() { closeQuietly(sourceFile); }

bool SoundStore::reopenSourceFile() {
    if (!locked || !sourceName.length || sourceFile.isOpen()) return true;
    if (!fileOpen(sourceFile, sourceName.c_str(), FileFlag::Read)) return false;
    setUnbuffered(sourceFile);
    return true;
}

bool SoundStore::lock(ErrorHandler* handler) {
    mutex.lock();
    if (locked > 0) {
        ++locked;  // nested on this thread: the outer call's files and handlers stay
        return true;
    }
    try {
        setHandlers(handler);
        locked = 1;
        // A store without a source file (a new sound) has no source segment to read.
        if (!sourceName.length) return true;
        if (fileOpen(sourceFile, sourceName.c_str(), FileFlag::Read)) {
            setUnbuffered(sourceFile);
            return true;
        }
    } catch (...) {
        releaseFiles();
        throw;
    }
    releaseFiles();
    return false;
}

void SoundStore::unlock() {
    if (locked > 1) {
        --locked;
        mutex.unlock();
        return;
    }
    releaseFiles();
}

SegmentCursor SoundStore::findSegment(u64 soundPos) const {
    if (soundPos < dataOffset) return {};
    u64 pos = soundPos - dataOffset;
    u64 at = 0;
    for (StoreSegment* s = segments.head; s; s = s->next) {
        u64 end = at + s->length();
        if (end > pos) return {s, pos - at};
        at = end;
    }
    return {};
}

u64 SoundStore::positionOf(const SegmentCursor& cursor) const {
    u64 at = dataOffset;
    for (StoreSegment* s = segments.head; s; s = s->next) {
        if (s == cursor.segment) return at + cursor.offset;
        at += s->length();
    }
    return at;
}

GFile& SoundStore::fileOf(i64 p, u64* filePos, GFile& work, GFile& source) const {
    if (p >= 0) {
        *filePos = (u64)p;
        return work;
    }
    *filePos = (u64)((i64)sourceEnd + p);
    return source;
}

bool SoundStore::transfer(SegmentCursor cursor, u64 count, u8* memory, bool toMemory, GFile& work, GFile& source) {
    bool ok = true;
    u64 past = forEachPiece(cursor, count, [&](i64 p, u64 n, u64 at) {
        if (!toMemory && p < 0) {
            ok = false;  // source bytes are never rewritten
            return;
        }
        u64 pos;
        GFile& f = fileOf(p, &pos, work, source);
        if (!transferAt(f, pos, memory + at, n, toMemory)) {
            if (toMemory) memset(memory + at, 0, (size_t)n);  // never hand out what was not read
            ok = false;
        }
    });
    if (past > 0 && toMemory) memset(memory + (count - past), 0, (size_t)past);
    return ok && past == 0;
}

bool SoundStore::readRange(SegmentCursor cursor, u64 count, u8* destination) {
    return transfer(cursor, count, destination, true, workFile, sourceFile);
}

bool SoundStore::writeRange(SegmentCursor cursor, u64 count, const u8* source) {
    return transfer(cursor, count, const_cast<u8*>(source), false, workFile, sourceFile);
}

bool SoundStore::readPages(u8* destination, u64 from, u64 to, StoreFilePair& files) {
    std::lock_guard<std::recursive_mutex> guard(mutex);
    if (to <= from) return true;
    return transfer(findSegment(from), to - from, destination, true, files.work, files.source);
}

bool SoundStore::copyRangeToFile(SegmentCursor cursor, u64 count, GFile& target, u64 targetPos,
                                 JobProgress* progress) {
    bool ok = true;
    u64 past = forEachPiece(cursor, count, [&](i64 p, u64 n, u64 at) {
        if (!ok) return;  // one failure is reported once
        u64 pos;
        GFile& f = fileOf(p, &pos);
        if (!copyBetween(f, pos, target, targetPos + at, n, progress)) ok = false;
        if (progress) progress->commit();
    });
    return ok && past == 0;
}

bool SoundStore::fillFromFile(SegmentCursor cursor, GFile& source, u64 count, JobProgress* progress) {
    bool ok = true;
    u64 past = forEachPiece(cursor, count, [&](i64 p, u64 n, u64 at) {
        // Only work-file bytes may be written.
        if (p < 0 || !copyBetween(source, at, workFile, (u64)p, n, progress)) ok = false;
        if (progress) progress->commit();
    });
    return ok && past == 0;
}

bool SoundStore::swapWithWork(SegmentCursor cursor, u64 workPos, u64 count) {
    std::unique_ptr<u8[]> a(new u8[kSwapChunk]), b(new u8[kSwapChunk]);
    bool ok = true;
    u64 past = forEachPiece(cursor, count, [&](i64 p, u64 n, u64 at) {
        if (p < 0) {
            ok = false;  // source bytes are never rewritten
            return;
        }
        for (u64 done = 0; done < n && ok;) {
            u32 chunk = (u32)std::min<u64>(kSwapChunk, n - done);
            u64 here = (u64)p + done, there = workPos + at + done;
            ok = readAt(workFile, here, a.get(), chunk) && readAt(workFile, there, b.get(), chunk) &&
                 writeAt(workFile, here, b.get(), chunk) && writeAt(workFile, there, a.get(), chunk);
            done += chunk;
        }
    });
    return ok && past == 0;
}

// ---- list operations ----

StoreSegment* SoundStore::splitSegment(StoreSegment* segment, i64 at) {
    StoreSegment* right = new StoreSegment(at, segment->end);
    segment->end = at;
    segments.insertAfter(segment, right);
    return right;
}

// Joins s with its successor when they continue each other in one file (never across position 0).
static bool joinNext(SegmentList& list, StoreSegment* s) {
    StoreSegment* next = s ? s->next : nullptr;
    if (!next || s->end != next->start || s->end == 0) return false;
    s->end = next->end;
    list.unlink(next);
    delete next;
    return true;
}

StoreSegment* SoundStore::mergeNeighbours(StoreSegment* segment) {
    StoreSegment* previous = segment->previous;
    if (previous && joinNext(segments, previous)) segment = previous;
    joinNext(segments, segment);
    return segment;
}

StoreSegment* SoundStore::cutSegments(SegmentCursor cursor, u64 count, SegmentList& into) {
    into.clear();
    StoreSegment* s = cursor.segment;
    if (!s) return segments.tail;
    StoreSegment* before = s->previous;
    if (cursor.offset > 0) {
        before = s;
        s = splitSegment(s, s->start + (i64)cursor.offset);
    }
    u64 left = count;
    while (left > 0 && s) {
        if (s->length() > left) splitSegment(s, s->start + (i64)left);
        StoreSegment* next = s->next;
        segments.unlink(s);
        into.append(s);
        left -= s->length();
        s = next;
    }
    // The gap stays open: whatever goes into it is merged at its joins by the caller, since joining
    // the neighbours first would leave no place to insert it.
    return before;
}

void SoundStore::insertSegments(StoreSegment* after, SegmentList& from) {
    StoreSegment* last = from.tail;
    StoreSegment* at = after;
    while (from.head) {
        StoreSegment* s = from.head;
        from.unlink(s);
        segments.insertAfter(at, s);
        at = s;
    }
    if (last) joinNext(segments, last);
    if (after) joinNext(segments, after);
}

static u64 listLength(const SegmentList& list) {
    u64 n = 0;
    for (StoreSegment* s = list.head; s; s = s->next) n += s->length();
    return n;
}

bool SoundStore::spliceNew(u64 start, u64 oldCount, u64 newCount, SegmentList& into, SegmentCursor* oldCursor,
                           SegmentCursor* newCursor) {
    // Without the space for the new bytes nothing changes.
    i64 from = workEnd;
    if (newCount > 0 && osFileLength(workFile) < from + (i64)newCount &&
        !setOsFileLength(workFile, from + (i64)newCount))
        return false;
    StoreSegment* before = cutSegments(findSegment(start), oldCount, into);
    u64 removed = listLength(into);  // never more than the sound holds
    *newCursor = {};
    if (newCount > 0) {
        StoreSegment* s = new StoreSegment(from, from + (i64)newCount);
        segments.insertAfter(before, s);
        s = mergeNeighbours(s);
        *newCursor = {s, (u64)(from - s->start)};
    } else if (before) {
        joinNext(segments, before);
    }
    workEnd += (i64)newCount;
    length = length - removed + newCount;
    *oldCursor = {into.head, 0};
    return true;
}

bool SoundStore::beginChange(SegmentCursor* oldCursor, u64 start, u64 oldCount, u64 newCount,
                             SegmentCursor* newCursor) {
    dropPending();
    SegmentCursor at = findSegment(start);
    ChangeRecord* record = new ChangeRecord;
    record->workEndBefore = (u64)workEnd;
    record->start = start;
    record->oldCount = oldCount;
    record->newCount = newCount;
    pending = record;
    // The work file is never cut back here: bytes from workEnd + newCount on stay as the caller
    // staged them (see the header).

    bool inPlace = oldCount == newCount && oldCount != 0 && oldCount <= kInPlaceLimit && at.segment &&
                   at.segment->inWorkFile() && at.segment->length() - at.offset >= oldCount;
    if (inPlace && !((osFileLength(workFile) >= workEnd + (i64)oldCount ||
                      setOsFileLength(workFile, workEnd + (i64)oldCount)) &&
                     copyRangeToFile(at, oldCount, workFile, (u64)workEnd, nullptr))) {
        // Without a copy of the old bytes they must not be overwritten: splice instead, which keeps
        // them where they are for undo.
        inPlace = false;
    }
    if (!inPlace) {
        if (!spliceNew(start, oldCount, newCount, record->list, oldCursor, newCursor)) {
            dropPending();
            *oldCursor = *newCursor = {};
            return false;
        }
        record->oldCount = listLength(record->list);
        return true;
    }
    *newCursor = at;
    record->copySegment.start = workEnd;
    record->copySegment.end = workEnd + (i64)oldCount;
    workEnd += (i64)oldCount;
    *oldCursor = {&record->copySegment, 0};
    return true;
}

void SoundStore::replaceRange(u64 start, SegmentCursor cursor, i64 newWorkEnd, bool insert, i64* addedOut) {
    i64 added = newWorkEnd - workEnd;
    if (addedOut) *addedOut = added;
    if (added <= 0) return;
    u64 end = soundEnd();
    u64 removed = insert ? 0 : std::min<u64>((u64)added, end > start ? end - start : 0);
    dropPending();
    ChangeRecord* record = new ChangeRecord;
    record->workEndBefore = (u64)workEnd;
    record->start = start;
    record->newCount = (u64)added;
    pending = record;
    StoreSegment* before = cutSegments(cursor, removed, record->list);
    record->oldCount = removed = listLength(record->list);
    // The caller wrote these bytes; should any be missing, they read as zeros.
    if (osFileLength(workFile) < newWorkEnd) setOsFileLength(workFile, newWorkEnd);
    StoreSegment* s = new StoreSegment(workEnd, newWorkEnd);
    segments.insertAfter(before, s);
    mergeNeighbours(s);
    workEnd = newWorkEnd;
    length = length - removed + (u64)added;
}

void SoundStore::undoChange(ChangeRecord* record) {
    if (!record) return;
    if (record->inPlace()) {
        workEnd -= (i64)record->oldCount;
        swapWithWork(findSegment(record->start), (u64)workEnd, record->oldCount);
        return;
    }
    SegmentList added;
    StoreSegment* before = cutSegments(findSegment(record->start), record->newCount, added);
    insertSegments(before, record->list);
    workEnd -= (i64)record->newCount;
    length = length - listLength(added) + record->oldCount;
}

void SoundStore::redoChange(ChangeRecord* record) {
    if (!record) return;
    if (record->inPlace()) {
        swapWithWork(findSegment(record->start), (u64)workEnd, record->oldCount);
        workEnd += (i64)record->oldCount;
        return;
    }
    SegmentCursor oldCursor, newCursor;
    spliceNew(record->start, record->oldCount, record->newCount, record->list, &oldCursor, &newCursor);
}

ChangeRecord* SoundStore::takePendingChange() { return std::exchange(pending, nullptr); }

// ---- file pairs ----

bool openFilePair(SoundStore& store, StoreFilePair& pair, ErrorHandler* handler) {
    pair.work.handler = pair.source.handler = handler;
    if (!fileOpen(pair.work, store.workFile.name, FileFlag::Read)) return false;
    setUnbuffered(pair.work);
    if (store.sourceName.length) {
        if (!fileOpen(pair.source, store.sourceName.c_str(), FileFlag::Read)) {
            closeQuietly(pair.work);
            return false;
        }
        setUnbuffered(pair.source);
    }
    return true;
}

void closeFilePair(StoreFilePair& pair) {
    closeQuietly(pair.work);
    closeQuietly(pair.source);
    freeHeapText(&pair.work.name);
    freeHeapText(&pair.source.name);
}
