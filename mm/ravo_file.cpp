#include "mm/ravo_file.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "core/gfile.h"

namespace {
const FieldDescriptor headerFields[] = {
    {"Signature", 0, 4, FieldType::Ascii, nullptr},
    {"Version", 4, 4, FieldType::DWord, nullptr},
    {"Header Size", 8, 4, FieldType::DWord, nullptr},
    {"Reserved", 12, 4, FieldType::DWord, nullptr},
    {"Format Size", 16, 8, FieldType::QWord, nullptr},
    {"Data Size", 24, 8, FieldType::QWord, nullptr},
    {nullptr, 0, 0, FieldType::None, nullptr},
};

u64 filePosition(GFile& file) {
    i64 position;
    return fileTell(file, &position) ? (u64)position : (u64)-1;
}
}  // namespace

// ---- root ----

RavoFormBlock::RavoFormBlock(BlockBase* parent) : BlockBase(parent, ChunkId::Ravo, 0, 0) {}

RavoFormatBlock* RavoFormBlock::formatBlock() const {
    return childCount() > 0 ? dynamic_cast<RavoFormatBlock*>(child(0)) : nullptr;
}

RavoDataBlock* RavoFormBlock::dataBlock() const {
    return childCount() > 1 ? dynamic_cast<RavoDataBlock*>(child(1)) : nullptr;
}

bool RavoFormBlock::read(BlockSink* sink, GFile& file, u64 limit) {
    start = filePosition(file);
    size = sizeof header;
    if (!fileRead(file, &header, sizeof header)) return false;
    if (header.formId != ChunkId::Ravo) return failBlockFile(file, MmText::WrongFileType);
    if ((i64)header.dataSize < 0 || (i64)header.formatSize < 0 || header.headerSize < sizeof header ||
        header.headerSize + header.formatSize > limit) {
        if (sink) return reportBlockError(file, MmText::DamagedFile);
        return true;
    }
    if (!fileSeek(file, (i64)(start + header.headerSize), SEEK_SET)) return false;
    // The data runs to the end of the space available: a truncated file gives less data, bytes
    // after the declared data count as data.
    size = header.headerSize + header.formatSize + header.dataSize;
    if (size != limit) {
        header.dataSize = limit - header.headerSize - header.formatSize;
        size = limit;
    }

    RavoFormatBlock* format = new RavoFormatBlock(this);
    if (!format->read(sink, file, header.formatSize)) return false;
    u64 dataStart = start + header.headerSize + header.formatSize;
    if (!fileSeek(file, (i64)dataStart, SEEK_SET)) return false;
    RavoDataBlock* data = new RavoDataBlock(this, encodingOf(format->format()));
    data->read(sink, file, header.dataSize);
    return fileSeek(file, (i64)(dataStart + header.dataSize), SEEK_SET);
}

bool RavoFormBlock::write(GFile* source, GFile& target, JobProgress* progress) {
    RavoFormatBlock* format = formatBlock();
    RavoDataBlock* data = dataBlock();
    header.formId = ChunkId::Ravo;
    header.version = 0;
    header.headerSize = sizeof header;
    header.reserved = 0;
    header.formatSize = format ? format->storedBytes() : 0;
    header.dataSize = data ? data->size : 0;
    u64 at = filePosition(target);
    if (!fileWrite(target, &header, sizeof header)) return false;
    for (u32 i = 0; i < childCount(); ++i)
        if (!child(i)->write(source, target, progress)) return false;
    start = at;
    size = sizeof header + header.formatSize + header.dataSize;
    return true;
}

const FieldDescriptor* RavoFormBlock::fields() { return headerFields; }

// ---- format ----

RavoFormatBlock::RavoFormatBlock(BlockBase* parent, const WAVEFORMATEX* copyOf)
    : BlockBase(parent, ChunkId::Format, 0, 0) {
    if (!copyOf) return;
    copyFormatBlock(&block, copyOf);
    size = storedBytes();
}

bool RavoFormatBlock::read(BlockSink*, GFile& file, u64 bytes) {
    start = filePosition(file);
    size = bytes;
    if (bytes > maxRavoFormatBytes) return failBlockFile(file, MmText::FormatBlockTooBig);
    return readFormatBytes(file, &block, (u32)bytes);
}

bool RavoFormatBlock::write(GFile*, GFile& target, JobProgress*) {
    u64 at = filePosition(target);
    u32 n = storedBytes();
    if (!fileWrite(target, block.data, n)) return false;
    start = at;
    size = n;
    return true;
}

const FieldDescriptor* RavoFormatBlock::fields() {
    fieldList = formatBlockFields(format());
    return fieldList.fields;
}

// ---- data ----

RavoDataBlock::RavoDataBlock(BlockBase* parent, u32 encoding)
    : BlockBase(parent, ChunkId::Data, 0, 0), encoding(encoding) {}

bool RavoDataBlock::read(BlockSink*, GFile& file, u64 bytes) {
    start = filePosition(file);
    size = bytes;
    return true;
}

bool RavoDataBlock::write(GFile* from, GFile& target, JobProgress* progress) {
    u64 at = filePosition(target);
    if (!writeDataSource(source, from, -1, target, size, progress)) return false;
    start = at;
    return true;
}

const FieldDescriptor* RavoDataBlock::fields() { return fieldList.build(encoding, size); }

void buildRavoLayout(RavoFormBlock* root, const WAVEFORMATEX* format, u64 dataSize) {
    RavoFormatBlock* formatBlock = new RavoFormatBlock(root, format);
    RavoDataBlock* data = new RavoDataBlock(root, encodingOf(format));
    root->header.formId = ChunkId::Ravo;
    root->header.headerSize = sizeof(RavoFileHeader);
    root->header.formatSize = formatBlock->storedBytes();
    root->header.dataSize = dataSize;
    data->size = dataSize;
    data->start = sizeof(RavoFileHeader) + root->header.formatSize;
    formatBlock->start = sizeof(RavoFileHeader);
    root->size = data->start + dataSize;
}
