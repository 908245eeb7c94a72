#pragma once
// The own sound file: a 32-byte header, the format block stored bare and the raw sample data, which
// may be larger than 4 GB. Read and written as a root block with a format block and a data block;
// the samples are never loaded: reading records where they are, writing copies them from a source.
#include "mm/riff_block.h"

#pragma pack(push, 1)
struct RavoFileHeader {
    u32 formId;       // "RAVO"
    u32 version;      // 0
    u32 headerSize;   // 32
    u32 reserved;
    u64 formatSize;   // bytes of the format block
    u64 dataSize;     // bytes of sample data
};
#pragma pack(pop)
static_assert(sizeof(RavoFileHeader) == 32, "the own file's header is 32 bytes");

// The largest format block the file may hold.
const u64 maxRavoFormatBytes = 0x10000;

// The root block: the header; children are the format block and the data block.
class RavoFormBlock : public BlockBase {
public:
    explicit RavoFormBlock(BlockBase* parent = nullptr);

    // Reads the root at the file's current position; limit is the number of bytes available from
    // there. Without a sink bad header sizes are tolerated (the block is the header alone).
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    // The header with both sizes taken from the children, then the format block and the data.
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return sizeof(RavoFileHeader); }
    const FieldDescriptor* fields() override;

    class RavoFormatBlock* formatBlock() const;
    class RavoDataBlock* dataBlock() const;

    RavoFileHeader header = {};
};

// The format block (id "fmt "), stored without a chunk header.
class RavoFormatBlock : public BlockBase {
public:
    RavoFormatBlock(BlockBase* parent, const WAVEFORMATEX* copyOf = nullptr);

    // Reads size bytes; more than maxRavoFormatBytes is a file error.
    bool read(BlockSink* sink, GFile& file, u64 size) override;
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return 0; }
    const FieldDescriptor* fields() override;

    const WAVEFORMATEX* format() const { return block.data ? block.format() : nullptr; }
    u32 storedBytes() const { return storedFormatBytes(format()); }

    SoundFormatBlock block;
    FormatFieldList fieldList = {};
};

// The sample data (id "data"); its size is the data size.
class RavoDataBlock : public BlockBase {
public:
    RavoDataBlock(BlockBase* parent, u32 encoding);

    // Records the start and the size; nothing is read.
    bool read(BlockSink* sink, GFile& file, u64 size) override;
    // The data from its source; a file source is read from its current position.
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return 0; }
    const FieldDescriptor* fields() override;

    u32 encoding;
    DataSource source;
    SampleFieldList fieldList;
};

// Gives the root a format block holding a copy of the format and a data block of dataSize bytes
// (source kind: keep) placed after the header and the format.
void buildRavoLayout(RavoFormBlock* root, const WAVEFORMATEX* format, u64 dataSize);
