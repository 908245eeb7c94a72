#pragma once
// A downloadable-sounds collection (RIFF form "DLS "): its lists know the DLS chunk ids at every
// depth and make a leaf per chunk that describes its fields. The pool table and the articulation
// read their counts, bounded by the chunk.
#include "mm/riff_block.h"
#include "tools/field_table.h"

namespace ChunkId {
const u32 Dls = fourCC("DLS ");
}

class DlsListBlock : public RiffListBlock {
public:
    using RiffListBlock::RiffListBlock;
    BlockBase* createListChild(const ChunkHeader& header) override;
    BlockBase* createChild(const ChunkHeader& header) override;
};

class DlsChunkBlock : public RiffBlock {
public:
    DlsChunkBlock(BlockBase* parent, u32 id, u64 size);

    // "ptbl" and "art1" read their count; the others are plain leaves.
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    const FieldDescriptor* secondRecord(u64* offset, u64* size) override;

    // Cues or connections that the chunk holds (the stored count bounded by the chunk).
    u32 count = 0;
    u32 storedCount = 0;

private:
    FieldTable table;
};
