#include "mm/ogg_range_source.h"

#include <algorithm>
#include <cstring>

namespace {
const u32 captureWord = 0x4F676753;  // "OggS" read as a big-endian word
const u32 pageHeaderBytes = 27;
}  // namespace

OggRangeSource::OggRangeSource(u64 streamStart, u32 headerLength, u64 from, u64 to)
    : streamStart(streamStart), headerLength(headerLength), rangeEnd(to), restartPos(from) {
    restartAt(from);
}

OggRangeSource::~OggRangeSource() {
    if (!inner) return;
    inner->close(1);
    delete inner;
}

void OggRangeSource::restartAt(u64 from) {
    delivered = 0;
    placed = false;
    readPos = from;
    syncPending = true;
    if (from <= streamStart + headerLength) {
        readPos = streamStart + headerLength;
        syncPending = false;
    }
}

bool OggRangeSource::setInner(SoundSource* source) {
    delete inner;
    inner = source;
    placed = false;
    return true;
}

bool OggRangeSource::atEnd() const { return delivered >= headerLength && (!inner || inner->atEnd()); }

u64 OggRangeSource::position() const { return inner ? inner->position() : readPos; }

bool OggRangeSource::close(u32 flag) {
    if (!inner) return true;
    bool ok = inner->close(flag);
    delete inner;
    inner = nullptr;
    return ok;
}

bool OggRangeSource::seek(u64 start, u64 length) {
    restartPos = start;
    rangeEnd = start + length;
    restartAt(start);
    return true;
}

bool OggRangeSource::rewind() {
    restartAt(restartPos);
    return inner ? inner->rewind() : true;
}

bool OggRangeSource::placeInner(u64 at) {
    placed = inner->seek(at, rangeEnd > at ? rangeEnd - at : 0);
    return placed;
}

bool OggRangeSource::synchronise() {
    if (!placeInner(readPos)) return false;
    u8 chunk[searchChunk];
    u32 window = 0;
    u64 seen = 0;  // bytes passed through the window
    while (!inner->atEnd()) {
        u32 n = searchChunk;
        if (!inner->read(chunk, &n)) return false;
        if (!n) break;
        for (u32 i = 0; i < n; ++i) {
            window = window << 8 | chunk[i];
            if (++seen >= 4 && window == captureWord) {
                readPos += seen - 4;
                return placeInner(readPos);
            }
        }
    }
    // No page after the position: nothing of the range is left.
    readPos += seen;
    return placeInner(readPos);
}

bool OggRangeSource::read(void* buffer, u32* bytes) {
    if (!inner) return false;
    if (syncPending) {
        syncPending = false;
        if (!synchronise()) return false;
    }
    if (!placed && !placeInner(readPos)) return false;
    if (delivered >= headerLength) return inner->read(buffer, bytes);

    u32 asked = *bytes;
    *bytes = 0;
    if (!asked) return true;
    u32 take = std::min(asked, headerLength - delivered);
    u32 got = take;
    if (!inner->seek(streamStart + delivered, take) || !inner->read(buffer, &got)) return false;
    if (!placeInner(readPos)) return false;
    delivered += take;
    if (got < take) memset(static_cast<u8*>(buffer) + got, 0, take - got);
    if (take == asked) {
        *bytes = take;
        return true;
    }
    u32 rest = asked - take;
    bool ok = inner->read(static_cast<u8*>(buffer) + take, &rest);
    *bytes = take + (ok ? rest : 0);
    return ok;
}

u32 oggHeaderLength(GFile& file, u64 start, u64 end) {
    u64 at = start;
    u8 h[pageHeaderBytes + 255];
    while (at + pageHeaderBytes <= end) {
        if (!fileSeek(file, (i64)at, SEEK_SET) || !fileRead(file, h, pageHeaderBytes)) break;
        if (memcmp(h, "OggS", 4) != 0) break;
        u64 granule;
        memcpy(&granule, h + 6, 8);
        if (granule != 0 && granule != ~0ull) break;  // no packet ends on a page of -1
        u32 segments = h[26];
        if (!fileRead(file, h + pageHeaderBytes, segments)) break;
        u64 body = 0;
        for (u32 i = 0; i < segments; ++i) body += h[pageHeaderBytes + i];
        at += pageHeaderBytes + segments + body;
    }
    return (u32)std::min<u64>(at - start, 0xFFFFFFFFu);
}
