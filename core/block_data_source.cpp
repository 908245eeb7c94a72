#include "core/block_data_source.h"

#include <cstdlib>
#include <cstring>

BlockDataSource::BlockDataSource(u32 capacity) : bufferCapacity(capacity ? capacity : 1) {}

BlockDataSource::~BlockDataSource() { free(buffer); }

void BlockDataSource::reset() {
    valid = false;
    filled = 0;
    totalSize = sourceSize();
}

void BlockDataSource::reserve(u32 capacity) {
    if (capacity <= bufferCapacity) return;
    free(buffer);
    buffer = nullptr;
    bufferCapacity = capacity;
    valid = false;
}

const u8* BlockDataSource::readAt(u64 position, u32 count) {
    if (!count || position >= totalSize || count > totalSize - position) return nullptr;
    // Only what the last fill delivered is a hit: near the end that is less than the capacity.
    if (valid && position >= cachedPosition && position - cachedPosition <= filled &&
        count <= filled - (position - cachedPosition))
        return buffer + (position - cachedPosition);
    if (count > bufferCapacity) reserve(count);
    if (!buffer) {
        buffer = (u8*)malloc(bufferCapacity);
        if (!buffer) return nullptr;
    }
    valid = false;
    u64 left = totalSize - position;
    u32 n = left < bufferCapacity ? (u32)left : bufferCapacity;
    if (!fill(position, n, buffer)) return nullptr;
    cachedPosition = position;
    filled = n;
    valid = true;
    return buffer;
}

MemoryDataSource::MemoryDataSource(const u8* bytes, u64 length, bool owned, u32 capacity)
    : BlockDataSource(capacity), bytes(bytes), length(length), owned(owned) {
    reset();
}

MemoryDataSource::~MemoryDataSource() {
    if (owned) free(const_cast<u8*>(bytes));
}

bool MemoryDataSource::fill(u64 position, u32 count, u8* buffer) {
    ++fills;
    bytesFilled += count;
    if (position > length || count > length - position) return false;
    if (bytes) {
        memcpy(buffer, bytes + position, count);
    } else {
        // No bytes: a sparse source of zeros.
        memset(buffer, 0, count);
    }
    return true;
}
