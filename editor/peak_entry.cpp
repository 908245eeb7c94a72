// PeakEntry: geometry, position arithmetic and the pending ranges. Callers hold the cache lock.
#include <windows.h>

#include "core/gfile.h"
#include "core/linked_list.h"
#include "editor/peak_cache.h"

PeakEntry::~PeakEntry() {
    clearPending();
    if (event) CloseHandle(static_cast<HANDLE>(event));
    if (cacheFile.isOpen()) {
        fileCloseQuietly(cacheFile);
        if (cacheFile.name) deleteFile(cacheFile.name);
    }
}

void PeakEntry::setGeometry() {
    frameBytes = (i32)(tracks * bytesPerSampleOf(encoding));
    framesPerPeak = tracks > 200 ? 1 : tracks > 20 ? 100 : 1000;
    recordBytes = (i32)(8 * tracks);
    blockBytes = framesPerPeak * frameBytes;
    stepBytes = ((7999999 + blockBytes) / blockBytes) * blockBytes;
}

u64 PeakEntry::roundDownToPeak(u64 p) const {
    if (p <= start) return start;
    return start + (p - start) / (u64)blockBytes * (u64)blockBytes;
}

u64 PeakEntry::roundUpToPeak(u64 p) const {
    if (p <= start) return start;
    u64 b = (u64)blockBytes;
    u64 r = start + (p - start + b - 1) / b * b;
    return r < end ? r : end;
}

void PeakEntry::toPeakFileRange(u64 p, u64 q, u64* from, u64* to) const {
    u64 b = (u64)blockBytes;
    *from = (p - start) / b * (u64)recordBytes;
    *to = (q - start + b - 1) / b * (u64)recordBytes;
}

void PeakEntry::unlinkPending(PendingRange* r) {
    unlinkNode(pendingHead, pendingTail, r);
    delete r;
}

void PeakEntry::insertPendingBefore(PendingRange* before, u64 from, u64 to) {
    PendingRange* r = new PendingRange;
    r->start = from;
    r->end = to;
    if (!before) {
        linkAtEnd(pendingHead, pendingTail, r);
        return;
    }
    r->next = before;
    r->previous = before->previous;
    (r->previous ? r->previous->next : pendingHead) = r;
    before->previous = r;
}

void PeakEntry::clearPending() {
    while (pendingHead) unlinkPending(pendingHead);
}

u64 PeakEntry::pendingBytes() const {
    u64 n = 0;
    for (PendingRange* r = pendingHead; r; r = r->next) n += r->end - r->start;
    return n;
}

void PeakEntry::addPending(u64 from, u64 to) {
    if (from >= to) return;
    if (busy) stale = 1;
    u64 a = roundDownToPeak(from), b = roundUpToPeak(to);
    if (a >= b) return;
    if (a == start && b == end) {
        clearPending();
        insertPendingBefore(nullptr, a, b);
        return;
    }
    PendingRange* r = pendingHead;
    while (r && r->end < a) r = r->next;
    if (!r || r->start > b) {
        insertPendingBefore(r, a, b);
        return;
    }
    if (a < r->start) r->start = a;
    if (b > r->end) r->end = b;
    while (r->next && r->next->start <= r->end) {
        if (r->next->end > r->end) r->end = r->next->end;
        unlinkPending(r->next);
    }
}

void PeakEntry::removePending(u64 from, u64 to) {
    u64 s = roundUpToPeak(from);
    u64 t = to >= end ? to : roundDownToPeak(to);
    if (s >= t) return;
    if (s == start && t >= end) {
        clearPending();
        return;
    }
    PendingRange* r = pendingHead;
    while (r) {
        PendingRange* next = r->next;
        if (r->end < s) {
            r = next;
            continue;
        }
        if (r->start > t) break;
        if (r->start < s) {
            u64 oldEnd = r->end;
            r->end = s;
            if (t < oldEnd) {
                insertPendingBefore(next, t, oldEnd);
                break;
            }
        } else if (t >= r->end) {
            unlinkPending(r);
        } else {
            r->start = t;
            break;
        }
        r = next;
    }
}

void PeakEntry::setLength(u64 length) {
    u64 fb = frameBytes > 0 ? (u64)frameBytes : 1;
    u64 newEnd = start + length / fb * fb;
    u64 oldEnd = end;
    if (busy) stale = 1;
    end = newEnd;
    if (newEnd == start) {
        clearPending();
    } else if (newEnd > oldEnd) {
        addPending(oldEnd, newEnd);
    } else if (newEnd < oldEnd) {
        u64 p = roundDownToPeak(newEnd);
        removePending(p, oldEnd);
        addPending(p, newEnd);
    }
}

void PeakEntry::resetPending() {
    clearPending();
    if (end > start) insertPendingBefore(nullptr, start, end);
    if (busy) stale = 1;
}

i32 PeakEntry::loadProgress() const {
    if (!cacheFile.isOpen()) return -1;
    if (!pendingHead || end <= start) return 100;
    i64 p = 100 - (i64)(pendingBytes() * 100 / (end - start));
    return p > 99 ? 99 : (i32)p;
}
