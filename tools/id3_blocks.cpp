#include "tools/id3_blocks.h"

#include "core/gfile.h"
#include "mm/field_tables.h"

u32 id3v2CodedSize(const u8* h) {
    return (u32)(h[6] & 0x7F) << 21 | (u32)(h[7] & 0x7F) << 14 | (u32)(h[8] & 0x7F) << 7 | (u32)(h[9] & 0x7F);
}

Id3v1TagBlock::Id3v1TagBlock(BlockBase* parent) : BlockBase(parent, BlockId::Id3v1, 0, 128) {}

void Id3v1TagBlock::displayName(GString& out) const { stringAssignText(out, "ID3v1 Tag"); }

bool Id3v1TagBlock::read(BlockSink* sink, GFile& file, u64 limit) {
    if (limit < 128) return false;
    start = limit - 128;
    size = 128;
    if (!fileSeek(file, (i64)start, SEEK_SET)) return false;
    if (sink) return true;
    loaded = fileRead(file, bytes, sizeof bytes);
    return loaded;
}

bool Id3v1TagBlock::report(GFile& out, u32 kind) {
    return writeBlockReport(out, kind, this, "ID3v1 Tag", "ID3v1 Tag", "ID3v1Tag");
}

bool Id3v1TagBlock::write(GFile* source, GFile& target, JobProgress* progress) {
    return source && copyBlockBytes(this, *source, target, progress);
}

const FieldDescriptor* Id3v1TagBlock::fields() {
    table.pointAt(id3v1Fields);
    return table.rows;
}

Id3v2TagBlock::Id3v2TagBlock(BlockBase* parent) : BlockBase(parent, BlockId::Id3v2, 0, 10) {}

void Id3v2TagBlock::displayName(GString& out) const { stringAssignText(out, "ID3v2 Tag"); }

bool Id3v2TagBlock::read(BlockSink*, GFile& file, u64 limit) {
    i64 at;
    if (!fileTell(file, &at) || at < 4) return false;
    start = (u64)at - 4;
    size = 10;
    if (!fileSeek(file, (i64)start, SEEK_SET) || !fileRead(file, header, sizeof header)) return false;
    u64 bytes = 10 + (u64)id3v2CodedSize(header);
    if (bytes <= limit && bytes <= maxId3v2Bytes) size = bytes;
    return true;
}

bool Id3v2TagBlock::report(GFile& out, u32 kind) {
    return writeBlockReport(out, kind, this, "ID3v2 Tag", "ID3v2 Tag", "ID3v2Tag");
}

bool Id3v2TagBlock::write(GFile* source, GFile& target, JobProgress* progress) {
    return source && copyBlockBytes(this, *source, target, progress);
}

const FieldDescriptor* Id3v2TagBlock::secondRecord(u64* offset, u64* bytes) {
    table.pointAt(id3v2HeaderFields);
    return wholeBlockRecord(this, table, offset, bytes);
}
