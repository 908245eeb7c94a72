#include "tools/instrument_blocks.h"

#include <cstring>

#include "core/gfile.h"

namespace {
bool writeHead(GFile& target, u32 id, u32 contentSize) {
    u32 head[2] = {id, contentSize};
    return fileWrite(target, head, sizeof head);
}

// Writes a chunk the block made itself; afterwards the block describes it.
template <class Body>
bool writeOwnChunk(RiffBlock* block, GFile& target, u32 contentSize, Body body) {
    i64 at;
    if (!fileTell(target, &at) || !writeHead(target, block->id, contentSize) || !body()) return false;
    block->start = (u64)at;
    block->size = 8 + (u64)contentSize;
    return true;
}

// The content of a chunk up to n bytes; false on a failed read.
bool readContent(GFile& file, RiffBlock* block, void* out, u64 n) {
    u64 have = block->contentSize();
    if (n > have) n = have;
    return n == 0 || fileRead(file, out, (u32)n);
}
}  // namespace

// ---- form ----

bool InstrumentFormBlock::read(BlockSink* sink, GFile& file, u64 limit) {
    if (size > maxInstrumentFileBytes) return failBlockFile(file, MmText::InstrumentFileTooLarge);
    return RiffListBlock::read(sink, file, limit);
}

BlockBase* InstrumentFormBlock::createListChild(const ChunkHeader& header) {
    const u32 position = childCount();
    if (position == 1 && header.formType == ChunkId::InstrumentList) return new InstrumentListBlock(this, header);
    if (position == 2 && header.formType == ChunkId::Info) return new InstrumentInfoBlock(this, header);
    return RiffListBlock::createListChild(header);
}

BlockBase* InstrumentFormBlock::createChild(const ChunkHeader& header) {
    if (childCount() == 0 && header.id == ChunkId::InstrumentMain)
        return new FixedChunkBlock(this, header.id, header.contentSize + 8, 16);
    return RiffListBlock::createChild(header);
}

InstrumentFormBlock* readInstrumentFile(GFile& file, BlockSink* sink) {
    i64 bytes = fileSize(file);
    u64 size = bytes < 0 ? ~0ull : (u64)bytes;
    if (size > maxInstrumentFileBytes) {
        failBlockFile(file, MmText::InstrumentFileTooLarge);
        return nullptr;
    }
    u32 head[3];
    if (size < 12 || !fileRewind(file) || !fileRead(file, head, sizeof head) || head[0] != ChunkId::Riff ||
        head[2] != ChunkId::InstrumentForm) {
        if (!file.failed()) failBlockFile(file, MmText::NotInstrumentFile);
        return nullptr;
    }
    ChunkHeader header;
    header.id = ChunkId::Riff;
    header.contentSize = size - 8;
    header.formType = ChunkId::InstrumentForm;
    InstrumentFormBlock* form = new InstrumentFormBlock(nullptr, header);
    form->read(sink, file, size);
    return form;
}

// ---- fixed chunks ----

FixedChunkBlock::FixedChunkBlock(BlockBase* parent, u32 id, u64 size, u32 bytes)
    : RiffBlock(parent, id, 0, size), bytes(new u8[bytes]()), byteCount(bytes) {}

FixedChunkBlock::~FixedChunkBlock() { delete[] bytes; }

bool FixedChunkBlock::read(BlockSink* sink, GFile& file, u64) {
    beginRead(sink, file);
    return !file.failed() && readContent(file, this, bytes, byteCount);
}

bool FixedChunkBlock::write(GFile*, GFile& target, JobProgress*) {
    if (id == ChunkId::InstrumentMain && parent && parent->childCount() >= 2) {
        u32 entries = parent->child(1)->childCount();
        memcpy(bytes + 8, &entries, 4);
    }
    return writeOwnChunk(this, target, byteCount, [&] { return fileWrite(target, bytes, byteCount); });
}

// ---- lists ----

BlockBase* InstrumentListBlock::createListChild(const ChunkHeader& header) {
    if (header.formType == ChunkId::InstrumentEntry) return new InstrumentEntryBlock(this, header);
    return RiffListBlock::createListChild(header);
}

BlockBase* InstrumentEntryBlock::createChild(const ChunkHeader& header) {
    const u32 position = childCount();
    const u64 size = header.contentSize + 8;
    if (position == 0 && header.id == ChunkId::InstrumentHeader) return new FixedChunkBlock(this, header.id, size, 56);
    if (position == 1 && header.id == ChunkId::InstrumentText) return new InstrumentTextBlock(this, header.id, size);
    return RiffListBlock::createChild(header);
}

BlockBase* InstrumentInfoBlock::createChild(const ChunkHeader& header) {
    if (header.id == ChunkId::Name || header.id == ChunkId::Subject)
        return new InstrumentTextBlock(this, header.id, header.contentSize + 8);
    return RiffListBlock::createChild(header);
}

// ---- texts ----

InstrumentTextBlock::InstrumentTextBlock(BlockBase* parent, u32 id, u64 size) : RiffBlock(parent, id, 0, size) {}

// The body less its stored terminator.
static bool readText(GFile& file, GString& text, u64 bytes) {
    stringClear(text);
    if (bytes == 0) return true;
    char* buffer = new char[bytes];
    bool ok = fileRead(file, buffer, (u32)bytes);
    if (ok) stringAssign(text, buffer, (u32)(bytes - 1));
    delete[] buffer;
    return ok;
}

bool InstrumentTextBlock::read(BlockSink* sink, GFile& file, u64) {
    beginRead(sink, file);
    return !file.failed() && readText(file, text, size >= 8 ? contentSize() : 0);
}

bool InstrumentTextBlock::write(GFile*, GFile& target, JobProgress*) {
    const u32 n = text.length;
    return writeOwnChunk(this, target, n ? n + 1 : 0,
                         [&] { return n == 0 || fileWrite(target, text.c_str(), n + 1); });
}

WaveInstrumentBlock::WaveInstrumentBlock(BlockBase* parent, u64 size) : RiffBlock(parent, ChunkId::Instrument, 0, size) {}

bool WaveInstrumentBlock::read(BlockSink* sink, GFile& file, u64) {
    beginRead(sink, file);
    if (file.failed() || !readContent(file, this, fixed, sizeof fixed)) return false;
    // A body under 57 bytes holds no text.
    const u64 body = size >= 8 ? contentSize() : 0;
    return body <= sizeof fixed || readText(file, text, body - sizeof fixed);
}

bool WaveInstrumentBlock::write(GFile*, GFile& target, JobProgress*) {
    const u32 n = text.length;
    return writeOwnChunk(this, target, 57 + n, [&] {
        static const char zero = 0;
        return fileWrite(target, fixed, sizeof fixed) && fileWrite(target, n ? text.c_str() : &zero, n + 1);
    });
}
