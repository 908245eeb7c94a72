#pragma once
// The blocks that conversions put into a parsed source's tree: a placeholder for a block left out,
// a container that writes its children, a copied byte range (bare or as a fresh chunk), a stream
// range converted through ACM, and the own format's data widened from 16-bit samples or mixed down
// to 16-bit PCM. Each belongs to the tree it is placed in.
#include "core/block_base.h"
#include "core/error.h"
#include "mm/acm_stream.h"
#include "mm/ravo_file.h"

// Writes nothing.
class PlaceholderBlock : public BlockBase {
public:
    PlaceholderBlock() : BlockBase(nullptr, 0, 0, 0) {}
    bool write(GFile*, GFile&, JobProgress*) override { return true; }
    u32 headerLength() const override { return 0; }
};

// Writes its children in turn.
class ContainerBlock : public BlockBase {
public:
    ContainerBlock() : BlockBase(nullptr, 0, 0, 0) {}
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return 0; }
};

// Where a stream's data lies in the source file.
struct StreamRange {
    const char* fileName = nullptr;
    u64 offset = 0;
    u64 size = 0;
    u32 oggHeaderLength = 0;
};

// size bytes of the source from offset: bare (chunkId 0) or under a fresh chunk header.
class RangeCopyBlock : public BlockBase {
public:
    RangeCopyBlock(BlockBase* parent, u32 chunkId, u64 offset, u64 size);
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return id ? 8 : 0; }

    u64 offset, bytes;
};

// The stream's range converted through ACM to the target format: a "data" chunk, or bare.
class AcmConvertBlock : public BlockBase {
public:
    AcmConvertBlock(BlockBase* parent, bool asChunk, const StreamRange& range, const WAVEFORMATEX* from,
                    const WAVEFORMATEX* to, void* driver, ErrorHandler* errors);
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return id ? 8 : 0; }

    StreamRange range;
    AcmFormatBytes from, to;
    void* driver;
    ErrorHandler* errors;
};

// Own-format data of `encoding` made from 16-bit samples of the source range.
class WidenedDataBlock : public RavoDataBlock {
public:
    WidenedDataBlock(BlockBase* parent, u32 encoding, u64 offset, u64 sourceBytes);
    bool write(GFile* source, GFile& target, JobProgress* progress) override;

    u64 offset, sourceBytes;
};

// A "data" chunk of the own sound's range mixed down to its playback format.
class MixedDataBlock : public BlockBase {
public:
    MixedDataBlock(BlockBase* parent, const StreamRange& range, const WAVEFORMATEX* ownFormat, ErrorHandler* errors);
    bool write(GFile* source, GFile& target, JobProgress* progress) override;

    StreamRange range;
    AcmFormatBytes ownFormat;
    ErrorHandler* errors;
};

// Converts n 16-bit samples to the encoding (2 to 5; values keep the 16-bit scale).
void widenSamples(const i16* in, u32 n, u32 encoding, u8* out);
