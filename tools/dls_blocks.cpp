#include "tools/dls_blocks.h"

#include "core/gfile.h"
#include "mm/field_tables.h"

namespace {
struct DlsChunk {
    u32 id;
    const FieldDescriptor* fields;
    u32 elementBytes;  // of the variable array, 0 for none
};
const DlsChunk dlsChunks[] = {
    {fourCC("colh"), dlsCollectionFields, 0}, {fourCC("vers"), dlsVersionFields, 0},
    {fourCC("ptbl"), dlsPoolTableFields, 4},  {fourCC("insh"), dlsInstrumentFields, 0},
    {fourCC("rgnh"), dlsRegionFields, 0},     {fourCC("wlnk"), dlsWaveLinkFields, 0},
    {fourCC("art1"), dlsArticulationFields, 12}, {fourCC("wsmp"), dlsWaveSampleFields, 0},
};
const DlsChunk* chunkOf(u32 id) {
    for (const DlsChunk& c : dlsChunks)
        if (c.id == id) return &c;
    return nullptr;
}
}  // namespace

BlockBase* DlsListBlock::createListChild(const ChunkHeader& header) {
    if (header.formType == ChunkId::Info) return new RiffInfoListBlock(this, header);
    return new DlsListBlock(this, header);
}

BlockBase* DlsListBlock::createChild(const ChunkHeader& header) {
    if (chunkOf(header.id)) return new DlsChunkBlock(this, header.id, header.contentSize + 8);
    return RiffListBlock::createChild(header);
}

DlsChunkBlock::DlsChunkBlock(BlockBase* parent, u32 id, u64 size) : RiffBlock(parent, id, 0, size) {}

bool DlsChunkBlock::read(BlockSink* sink, GFile& file, u64) {
    beginRead(sink, file);
    if (file.failed()) return false;
    const DlsChunk* chunk = chunkOf(id);
    if (!chunk || !chunk->elementBytes || contentSize() < 8) return true;
    u32 head[2];
    if (!fileRead(file, head, sizeof head)) return false;
    storedCount = head[1];
    // The array ends with the chunk.
    u64 fit = (contentSize() - 8) / chunk->elementBytes;
    count = (u32)(storedCount < fit ? storedCount : fit);
    return true;
}

const FieldDescriptor* DlsChunkBlock::secondRecord(u64* offset, u64* bytes) {
    const DlsChunk* chunk = chunkOf(id);
    if (!chunk) return nullptr;
    if (chunk->elementBytes == 4) dlsCueTable(table, count);
    else if (chunk->elementBytes == 12) dlsConnectionTable(table, count);
    else table.pointAt(chunk->fields);
    return wholeBlockRecord(this, table, offset, bytes);
}
