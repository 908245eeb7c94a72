#pragma once
// The instrument file (RIFF form "MIF ") and the WAVE "mif " chunk as blocks, read and written back
// byte for byte. The form holds "main" (16 bytes, the instrument count third), "LIST" "lins" of
// "LIST" "ins " entries ("hdr " of 56 bytes, "mtd " text, "data") and "LIST" "INFO" texts.
#include "mm/riff_block.h"

namespace ChunkId {
const u32 InstrumentForm = fourCC("MIF ");
const u32 InstrumentMain = fourCC("main");
const u32 InstrumentList = fourCC("lins");
const u32 InstrumentEntry = fourCC("ins ");
const u32 InstrumentHeader = fourCC("hdr ");
const u32 InstrumentText = fourCC("mtd ");
const u32 Subject = fourCC("ISBJ");
}

// An instrument file is refused above this size.
const u64 maxInstrumentFileBytes = 1ull << 30;

class InstrumentFormBlock : public RiffListBlock {
public:
    using RiffListBlock::RiffListBlock;
    // A form larger than maxInstrumentFileBytes is a file error; else the RIFF list read.
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    BlockBase* createListChild(const ChunkHeader& header) override;
    BlockBase* createChild(const ChunkHeader& header) override;
    // At least "main" and "lins".
    bool checkList() override { return childCount() >= 2; }
};

// Reads an instrument file from its start: the form over the whole file. Null when the file is too
// large or not an instrument file (reported through the file).
InstrumentFormBlock* readInstrumentFile(GFile& file, BlockSink* sink);

// A chunk of a fixed number of bytes ("main" 16, "hdr " 56), kept and written back; shorter chunks
// read what they hold, the rest zero.
class FixedChunkBlock : public RiffBlock {
public:
    FixedChunkBlock(BlockBase* parent, u32 id, u64 size, u32 bytes);
    ~FixedChunkBlock() override;
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    // {id, n} and the n bytes; "main" first stores the entry count of the form's instrument list.
    bool write(GFile* source, GFile& target, JobProgress* progress) override;

    u8* bytes;
    u32 byteCount;
};

class InstrumentListBlock : public RiffListBlock {
public:
    using RiffListBlock::RiffListBlock;
    BlockBase* createListChild(const ChunkHeader& header) override;
};

class InstrumentEntryBlock : public RiffListBlock {
public:
    using RiffListBlock::RiffListBlock;
    BlockBase* createChild(const ChunkHeader& header) override;
    bool checkList() override { return childCount() == 3; }
};

class InstrumentInfoBlock : public RiffListBlock {
public:
    using RiffListBlock::RiffListBlock;
    BlockBase* createChild(const ChunkHeader& header) override;
};

// "mtd ", "INAM" and "ISBJ": a zero-terminated text.
class InstrumentTextBlock : public RiffBlock {
public:
    InstrumentTextBlock(BlockBase* parent, u32 id, u64 size);
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    // {id, length + 1} and the text with its zero; a bare header of size 0 when empty.
    bool write(GFile* source, GFile& target, JobProgress* progress) override;

    GString text;
};

// The WAVE "mif " chunk: 56 fixed bytes, then a zero-terminated text.
class WaveInstrumentBlock : public RiffBlock {
public:
    WaveInstrumentBlock(BlockBase* parent, u64 size);
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    // {"mif ", 57 + length}, the fixed bytes, the text and its zero.
    bool write(GFile* source, GFile& target, JobProgress* progress) override;

    u8 fixed[56] = {};
    GString text;
};
