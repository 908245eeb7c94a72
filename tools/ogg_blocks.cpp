#include "tools/ogg_blocks.h"

#include <cstring>

#include "core/gfile.h"
#include "mm/field_tables.h"
#include "mm/header_window.h"

namespace {
const u32 pageHeaderBytes = 27;

bool seekTo(GFile& file, u64 position) { return fileSeek(file, (i64)position, SEEK_SET); }

const FieldDescriptor videoHeaderFields[] = {
    {"Type", 0, 1, FieldType::Byte, nullptr},
    {"Signature", 1, 8, FieldType::Asciiz, nullptr},
    {"Codec", 9, 4, FieldType::Asciiz, nullptr},
    {"Size", 13, 4, FieldType::DWord, nullptr},
    {"Unit Time", 17, 8, FieldType::QWord, nullptr},
    {"Samples / Unit", 25, 8, FieldType::QWord, nullptr},
    {"Default Length", 33, 4, FieldType::DWord, nullptr},
    {"Buffer Size", 37, 4, FieldType::DWord, nullptr},
    {"Bits / Sample", 41, 4, FieldType::DWord, nullptr},
    {"Width", 45, 4, FieldType::DWord, nullptr},
    {"Height", 49, 4, FieldType::DWord, nullptr},
    {nullptr, 0, 0, FieldType::None, nullptr},
};

struct PacketKind {
    u32 id;
    const char* name;
    const char* reportName;
    const char* xmlTag;
    u32 headerBytes;
};
const PacketKind packetKinds[] = {
    {BlockId::OggComment, "Ogg Comment", "Ogg Comment", "OggComment", 11},
    {BlockId::OggAudio, "Ogg Audio Data", "Ogg Audio Data", "OggAudioData", 30},
    {BlockId::OggVideo, "Ogg Video Data", "Ogg Video Data", "OggVideoData", 53},
    {BlockId::OggText, "OGG Text Data", "Ogg Text Data", "OggTextData", 57},
};
const PacketKind& kindOf(u32 id) {
    for (const PacketKind& k : packetKinds)
        if (k.id == id) return k;
    return packetKinds[0];
}

// The 26-byte format of a Vorbis identification header (30 bytes).
void buildVorbisFormat(SoundFormatBlock& record, const u8* packet) {
    u32 channels = packet[11], rate, maximum;
    i32 nominal;
    memcpy(&rate, packet + 12, 4);
    memcpy(&maximum, packet + 16, 4);
    memcpy(&nominal, packet + 20, 4);
    SoundFormatBlock::allocate(&record, 26);
    WAVEFORMATEX* f = record.format();
    f->wFormatTag = maximum != 0xFFFFFFFFu ? 0x676F : 0x674F;
    f->nChannels = (u16)channels;
    f->nSamplesPerSec = rate;
    // No channels: no rate per channel rather than a division by zero.
    f->nAvgBytesPerSec = channels ? (u32)((nominal / (i32)channels) / 4) : 0;
    f->nBlockAlign = (u16)(2 * channels);
    f->wBitsPerSample = 16;
    f->cbSize = 8;
    static const u16 extra[4] = {0x0913, 0x2001, 0x0910, 0x2001};
    memcpy(record.data + 18, extra, sizeof extra);
}
}  // namespace

// ---- stream ----

OggStreamBlock::OggStreamBlock(BlockBase* parent) : BlockBase(parent, BlockId::Ogg, 0, 0) {}

void OggStreamBlock::displayName(GString& out) const { stringAssignText(out, "Ogg"); }

u32 OggStreamBlock::formatLength() const {
    const WAVEFORMATEX* f = format();
    if (!f) return 0;
    return f->wFormatTag == pcmFormatTag ? 16 : 18 + f->cbSize;
}

bool OggStreamBlock::read(BlockSink* sink, GFile& file, u64 limit) {
    i64 at;
    if (!fileTell(file, &at)) return false;
    start = (u64)at;
    size = limit;
    // A strict read keeps no pages: one page object serves them all.
    OggPageBlock* reused = sink ? new OggPageBlock(nullptr, this) : nullptr;
    const u64 end = start + limit;
    u64 remaining = limit, position = start;
    HeaderWindow window;
    u32 signature = 0;
    bool ok = remaining >= pageHeaderBytes && window.read(file, position, end, &signature, 4);
    while (ok && signature == BlockId::Ogg) {
        OggPageBlock* page = reused ? reused : new OggPageBlock(this, this);
        // A page cut short covers the rest of the stream.
        page->start = position;
        page->size = remaining;
        ok = page->parse(sink, file, window, end);
        // A page is never longer than what remains, and always takes a step.
        u64 pageSize = page->size < remaining && page->size >= pageHeaderBytes ? page->size : remaining;
        page->size = pageSize;
        remaining -= pageSize;
        position += pageSize;
        if (!ok || remaining < pageHeaderBytes) break;
        ok = window.read(file, position, end, &signature, 4);
    }
    delete reused;
    size = limit - remaining;
    return ok || !file.failed();
}

bool OggStreamBlock::write(GFile* source, GFile& target, JobProgress* progress) {
    return source && copyBlockBytes(this, *source, target, progress);
}

// ---- page ----

OggPageBlock::OggPageBlock(BlockBase* parent, OggStreamBlock* stream)
    : BlockBase(parent, BlockId::OggPage, 0, 0), stream(stream) {}

void OggPageBlock::displayName(GString& out) const { stringAssignText(out, "Ogg Packet"); }

bool OggPageBlock::read(BlockSink* sink, GFile& file, u64 limit) {
    i64 at;
    if (!fileTell(file, &at) || at < 4) return false;
    start = (u64)at - 4;
    HeaderWindow window;
    return parse(sink, file, window, start + limit);
}

bool OggPageBlock::parse(BlockSink* sink, GFile& file, HeaderWindow& window, u64 end) {
    if (!window.read(file, start + 4, end, header, sizeof header)) return false;
    const u32 count = header[22];
    // A segment table cut by the end of the stream is not read.
    if (!window.read(file, start + pageHeaderBytes, end, segments, count)) return false;
    u64 granule;
    memcpy(&granule, header + 2, 8);
    if (granule != 0 && stream && stream->firstGranulePage == 0) stream->firstGranulePage = start;
    u64 payload = 0;
    for (u32 i = 0; i < count; ++i) payload += segments[i];
    size = pageHeaderBytes + count + payload;
    const u64 packetStart = start + pageHeaderBytes + count;
    // The packet ends with the page, and the page with the stream.
    const u64 pageEnd = start + size < end ? start + size : end;
    payload = pageEnd > packetStart ? pageEnd - packetStart : 0;
    u8 packet[30];
    if (payload < 9 || (header[1] & 1)) return true;
    if (!window.read(file, packetStart, end, packet, 9)) return false;
    const bool vorbis = memcmp(packet + 1, "vorbis", 6) == 0;
    if (packet[0] == 3 && vorbis) {
        if (sink) return true;
        OggCommentBlock* comment = new OggCommentBlock(this, packetStart, payload);
        return fileSeek(file, (i64)(packetStart + 9), SEEK_SET) && comment->read(sink, file, payload);
    }
    if (packet[0] != 1) return true;
    if (vorbis) {
        if (!sink) new OggPacketBlock(this, BlockId::OggAudio, packetStart, payload);
        if (payload < sizeof packet) return true;
        if (!window.read(file, packetStart, end, packet, sizeof packet)) return false;
        if (stream) buildVorbisFormat(stream->formatRecord, packet);
        return true;
    }
    if (sink) return true;
    if (memcmp(packet + 1, "video", 5) == 0) new OggPacketBlock(this, BlockId::OggVideo, packetStart, payload);
    else if (memcmp(packet + 1, "text", 4) == 0) new OggPacketBlock(this, BlockId::OggText, packetStart, payload);
    return true;
}

bool OggPageBlock::report(GFile& out, u32 kind) {
    return writeBlockReport(out, kind, this, "Ogg Packet", "Ogg Packet", "OggPacket") && reportChildren(this, out, kind);
}

bool OggPageBlock::write(GFile* source, GFile& target, JobProgress* progress) {
    return source && copyBlockBytes(this, *source, target, progress);
}

const FieldDescriptor* OggPageBlock::secondRecord(u64* offset, u64* bytes) {
    oggPageTable(table, header[22]);
    return wholeBlockRecord(this, table, offset, bytes);
}

// ---- packets ----

OggPacketBlock::OggPacketBlock(BlockBase* parent, u32 kind, u64 start, u64 size) : BlockBase(parent, kind, start, size) {}

void OggPacketBlock::displayName(GString& out) const { stringAssignText(out, kindOf(id).name); }

bool OggPacketBlock::report(GFile& out, u32 kind) {
    const PacketKind& k = kindOf(id);
    return writeBlockReport(out, kind, this, k.reportName, k.reportName, k.xmlTag);
}

bool OggPacketBlock::write(GFile* source, GFile& target, JobProgress* progress) {
    return source && copyBlockBytes(this, *source, target, progress);
}

u32 OggPacketBlock::headerLength() const { return kindOf(id).headerBytes; }

void OggPacketBlock::describeFields(FieldTable& t) {
    switch (id) {
    case BlockId::OggAudio: t.pointAt(vorbisIdentificationFields); break;
    case BlockId::OggVideo: t.pointAt(videoHeaderFields); break;
    case BlockId::OggText: t.pointAt(oggAudioStreamFields); break;
    default: t.reset(); break;
    }
}

const FieldDescriptor* OggPacketBlock::secondRecord(u64* offset, u64* bytes) {
    describeFields(table);
    return wholeBlockRecord(this, table, offset, bytes);
}

OggCommentBlock::OggCommentBlock(BlockBase* parent, u64 start, u64 size)
    : OggPacketBlock(parent, BlockId::OggComment, start, size) {}

OggCommentBlock::~OggCommentBlock() { delete[] lengths; }

bool OggCommentBlock::read(BlockSink* sink, GFile& file, u64 limit) {
    i64 at;
    if (!fileTell(file, &at) || at < 9) return false;
    start = (u64)at - 9;
    size = limit;
    if (sink || size < 11) return true;
    if (!seekTo(file, start) || !fileRead(file, head, sizeof head)) return false;
    memcpy(&captionBytes, head + 7, 4);
    // Every count and length is bounded by the packet.
    u64 position = 11 + (u64)captionBytes;
    if (position + 4 > size) {
        captionBytes = (u32)(size - 11);
        return true;
    }
    if (!seekTo(file, start + position) || !fileRead(file, &commentCount, 4)) return false;
    position += 4;
    u64 fit = (size - position) / 4;
    u32 room = (u32)(commentCount < fit ? commentCount : fit);
    lengths = new u32[room ? room : 1];
    while (lengthCount < room && position + 4 <= size) {
        u32 length;
        if (!seekTo(file, start + position) || !fileRead(file, &length, 4)) return false;
        position += 4;
        if (length > size - position) break;
        lengths[lengthCount++] = length;
        position += length;
    }
    return true;
}

void OggCommentBlock::describeFields(FieldTable& t) { vorbisCommentTable(t, size, captionBytes, lengths, lengthCount); }
