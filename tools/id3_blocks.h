#pragma once
// The ID3 tags of MPEG audio files as leaf blocks: the 128-byte version 1 tail and the 10-byte
// version 2 header (its frames are not parsed). Both write their bytes back unchanged.
#include "core/block_base.h"
#include "tools/field_table.h"

namespace BlockId {
const u32 Id3v1 = fourCC("TAG ");
const u32 Id3v2 = (u32)'I' | (u32)'D' << 8 | (u32)'3' << 16 | 3u << 24;
}

// A version 2 tag of more than this is taken as its header alone.
const u32 maxId3v2Bytes = 1000000;

class Id3v1TagBlock : public BlockBase {
public:
    explicit Id3v1TagBlock(BlockBase* parent);

    void displayName(GString& out) const override;
    // The tag is the last 128 bytes of the file of limit bytes; a lenient read keeps them.
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    bool report(GFile& out, u32 kind) override;
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return 0; }
    const FieldDescriptor* fields() override;

    u8 bytes[128] = {};
    bool loaded = false;

private:
    FieldTable table;
};

class Id3v2TagBlock : public BlockBase {
public:
    explicit Id3v2TagBlock(BlockBase* parent);

    void displayName(GString& out) const override;
    // Entered after 4 bytes of the header were read; limit is the bytes left in the file from the
    // tag's start. The size is the header and its coded size, or the header alone when the tag
    // would pass the end or is larger than maxId3v2Bytes.
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    bool report(GFile& out, u32 kind) override;
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return 10; }
    const FieldDescriptor* secondRecord(u64* offset, u64* size) override;

    u8 header[10] = {};

private:
    FieldTable table;
};

// The coded size of a version 2 header: 7 bits of each of bytes 6 to 9, most significant first.
u32 id3v2CodedSize(const u8* header);
