#pragma once
// BlockDataSource: the cached reader of the block views, at 64-bit positions over a source whose
// raw read (fill) the concrete class gives. It owns its cache buffer; the buffer only grows.
// MemoryDataSource reads bytes it borrows, or owns (malloc'ed) when told so; without bytes it is a
// sparse source of zeros.
#include "core/types.h"

class BlockDataSource {
public:
    explicit BlockDataSource(u32 capacity = 4096);
    BlockDataSource(const BlockDataSource&) = delete;
    BlockDataSource& operator=(const BlockDataSource&) = delete;
    virtual ~BlockDataSource();

    // count bytes of the source at the position, valid until the next call; null for a count of
    // 0, a range that passes the end of the source, or a failed fill.
    const u8* readAt(u64 position, u32 count);
    // Drops the cache and takes the source's size again.
    void reset();
    u64 size() const { return totalSize; }
    u32 capacity() const { return bufferCapacity; }
    // Grows the buffer to at least the capacity (the cache is dropped when it grows).
    void reserve(u32 capacity);

protected:
    // The source's size in bytes, asked by reset.
    virtual u64 sourceSize() = 0;
    // Reads count bytes at the position into the buffer; false when they cannot be had.
    virtual bool fill(u64 position, u32 count, u8* buffer) = 0;

private:
    u64 cachedPosition = 0;
    u64 totalSize = 0;
    u8* buffer = nullptr;
    u32 bufferCapacity;
    u32 filled = 0;  // bytes the last fill delivered
    bool valid = false;
};

class MemoryDataSource : public BlockDataSource {
public:
    MemoryDataSource(const u8* bytes, u64 length, bool owned = false, u32 capacity = 4096);
    ~MemoryDataSource() override;

    // Fills so far and the bytes they read.
    u32 fills = 0;
    u64 bytesFilled = 0;

protected:
    u64 sourceSize() override { return length; }
    bool fill(u64 position, u32 count, u8* buffer) override;

private:
    const u8* bytes;
    u64 length;
    bool owned;
};
