#include "mm/riff_block.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <typeinfo>
#include <vector>

#include "core/gfile.h"
#include "mm/format_validation.h"
#include "mm/header_window.h"
#include "mm/sound_store.h"

namespace {
// The largest format block: cbSize is a u16.
const u32 maxFormatBytes = 0xFFFF + waveFormatBytes;
// Bytes of an Ogg "fmt " chunk kept as the format block when the rest goes to the analyzer.
const u32 oggFormatBytes = 26;
const u32 maxTextBytes = 0x10000;

bool isOggTag(u32 tag) { return (tag >= 0x674F && tag <= 0x6751) || (tag >= 0x676F && tag <= 0x6771); }

struct ChunkHead {
    u32 id;
    u32 size;
};

bool writeChunkHead(GFile& target, u32 id, u64 contentSize) {
    ChunkHead head = {id, (u32)contentSize};
    return fileWrite(target, &head, sizeof head);
}

bool seekTo(GFile& file, u64 position) { return fileSeek(file, (i64)position, SEEK_SET); }

// After a write a block describes the file it was written to.
bool movedTo(BlockBase* block, i64 at, bool written) {
    if (written) block->start = (u64)at;
    return written;
}

// Reads the block made by one of the analyzer's makers over [start, start + size).
bool readMadeBlock(BlockBase* made, BlockSink* sink, GFile& file, u64 start, u64 size) {
    if (!made) return true;
    return seekTo(file, start) && made->read(sink, file, size);
}

// The size a block will have once written (lists as their children come out).
u64 writtenSize(BlockBase* block) {
    if (RiffListBlock* list = dynamic_cast<RiffListBlock*>(block)) {
        u64 total = list->headerLength();
        for (u32 i = 0; i < list->childCount(); ++i) {
            u64 n = writtenSize(list->child(i));
            total += n + (n & 1);
        }
        return total;
    }
    if (WaveFormatBlock* format = dynamic_cast<WaveFormatBlock*>(block)) return 8 + (u64)format->storedBytes();
    return block->size;
}
}  // namespace

AnalyzerBlockClasses& analyzerBlockClasses() {
    static AnalyzerBlockClasses classes;
    return classes;
}

bool reportBlockError(GFile& file, MmText message) {
    reportFileError(file, mmText(message), nullptr, 0);
    return false;
}

bool failBlockFile(GFile& file, MmText message) {
    fileCloseQuietly(file);
    return reportBlockError(file, message);
}

bool readFormatBytes(GFile& file, SoundFormatBlock* block, u32 n) {
    u8* bytes = new u8[std::max(n, waveFormatBytes)]();
    bool ok = fileRead(file, bytes, n);
    WAVEFORMATEX* head = reinterpret_cast<WAVEFORMATEX*>(bytes);
    if (n < waveFormatBytes) head->cbSize = 0;
    u32 claimed = head->cbSize + waveFormatBytes;
    SoundFormatBlock::allocate(block, std::max(n, claimed));
    memcpy(block->data, bytes, std::max(n, waveFormatBytes));
    delete[] bytes;
    return ok;
}

// ---- data sources ----

bool writeDataSource(const DataSource& data, GFile* source, i64 sourcePos, GFile& target, u64 count,
                     JobProgress* progress) {
    switch (data.kind) {
    case dataSourceKeep:
        return fileSeek(target, (i64)count, SEEK_CUR);
    case dataSourceFile:
        if (!source) return false;
        return sourcePos < 0 ? fileCopyRange(*source, target, (i64)count, progress)
                             : fileCopyRange(*source, sourcePos, target, (i64)count, progress);
    case dataSourceZeros:
        return fileFillZero(target, (i64)count, progress);
    case dataSourceMemory:
        for (const u8* p = data.memory; count > 0;) {
            u32 n = (u32)std::min<u64>(count, 0x40000000);
            if (!fileWrite(target, p, n)) return false;
            p += n;
            count -= n;
        }
        return true;
    case dataSourceStore: {
        i64 at;
        return data.store && fileTell(target, &at) &&
               data.store->copyRangeToFile(data.store->findSegment(data.storeStart), count, target, (u64)at, progress) &&
               fileSeek(target, at + (i64)count, SEEK_SET);
    }
    }
    return false;
}

// ---- leaf ----

RiffBlock::RiffBlock(BlockBase* parent, u32 id, u64 start, u64 size) : BlockBase(parent, id, start, size) {}

i64 RiffBlock::beginRead(BlockSink*, GFile& file) {
    i64 position;
    if (!fileTell(file, &position)) position = -1;
    start = (u64)(position - headerLength());
    if (size < 8) failBlockFile(file, MmText::BadChunk);
    return (i64)start;
}

bool RiffBlock::read(BlockSink* sink, GFile& file, u64) {
    beginRead(sink, file);
    return !file.failed();
}

void RiffBlock::displayName(GString& out) const { stringFormat(out, "RIFF Block: %s", fourCCText(id).c_str()); }

bool copyBlockContent(RiffBlock* block, GFile* source, GFile& target, JobProgress* progress) {
    DataSource copy;
    copy.kind = dataSourceFile;
    i64 at;
    return fileTell(target, &at) &&
           movedTo(block, at,
                   writeChunkHead(target, block->id, block->contentSize()) &&
                       writeDataSource(copy, source, (i64)block->start + 8, target, block->contentSize(), progress));
}

bool RiffBlock::write(GFile* source, GFile& target, JobProgress* progress) {
    return copyBlockContent(this, source, target, progress);
}

bool RiffBlock::report(GFile& out, u32 kind) {
    FourCCText idText = fourCCText(id);
    const char* name = idText.c_str();
    unsigned long long from = start, to = start + size, content = start + 8;
    long long blockSize = (long long)size, contentBytes = (long long)size - 8;
    if (kind == ReportKind::Xml)
        return reportPrintf(out,
                            "<%s Offset=\"%08llXH..%08llXH\" BlockSize=\"%lld\" ContentSize=\"%lld\" "
                            "ContentFromAddress=\"%08llXH\"/>\r\n",
                            name, from, to, blockSize, contentBytes, content);
    if (kind == ReportKind::Html) {
        if (parent && !reportPrintf(out, "<li>")) return false;
        return reportPrintf(out,
                            "%08llXH: RIFF Block: '%-4s' Block size: %lld, Content size: %lld, Content from "
                            "address: %08llXH\r\n",
                            from, name, blockSize, contentBytes, content);
    }
    return reportAddress(out, from, depth()) &&
           reportPrintf(out,
                        "RIFF Block: '%-4s'      Block size: %lld, Content size: %lld, Content from address: "
                        "%08llXH\r\n",
                        name, blockSize, contentBytes, content);
}

// ---- list ----

RiffListBlock::RiffListBlock(BlockBase* parent, const ChunkHeader& header)
    : RiffBlock(parent, header.id, 0, header.contentSize + 8), formType(header.formType) {}

void RiffListBlock::displayName(GString& out) const {
    stringFormat(out, "RIFF Block: %s.%s", fourCCText(id).c_str(), fourCCText(formType).c_str());
}

BlockBase* RiffListBlock::createListChild(const ChunkHeader& header) {
    if (header.formType == ChunkId::Info) return new RiffInfoListBlock(this, header);
    return new RiffListBlock(this, header);
}

BlockBase* RiffListBlock::createChild(const ChunkHeader& header) {
    u64 size = header.contentSize + 8;
    if (isWaveForm()) {
        switch (header.id) {
        case ChunkId::Format: return new WaveFormatBlock(this, 0, size);
        case ChunkId::Fact: return new WaveFactBlock(this, header.id, 0, size);
        case ChunkId::Data: return new WaveDataBlock(this, 0, size);
        case ChunkId::Instrument:
            if (BlockBase* made = analyzerBlockClasses().instrument ? analyzerBlockClasses().instrument(this, header)
                                                                    : nullptr)
                return made;
            break;
        }
    }
    return new RiffBlock(this, header.id, 0, size);
}

// Reads a child whose header lies at position. Plain leaves and data blocks, the bulk of large
// files, are read without the file standing at them.
static bool readChildAt(BlockBase* child, BlockSink* sink, GFile& file, u64 position, u64 headerEnd) {
    const std::type_info& type = typeid(*child);
    if (type == typeid(RiffBlock) || type == typeid(WaveDataBlock)) {
        child->start = position;
        return type == typeid(RiffBlock) || static_cast<WaveDataBlock*>(child)->readContent(sink, file);
    }
    // Other children read from just after their header.
    return seekTo(file, headerEnd) && child->read(sink, file, 0);
}

// The outermost list of the tree, which counts its chunks.
static RiffListBlock* outermostList(RiffListBlock* list) {
    for (BlockBase* b = list->parent; b; b = b->parent)
        if (RiffListBlock* outer = dynamic_cast<RiffListBlock*>(b)) list = outer;
    return list;
}

bool RiffListBlock::read(BlockSink* sink, GFile& file, u64) {
    beginRead(sink, file);
    if (file.failed()) return false;
    // The form type must fit; an empty list (the form type alone) is fine.
    if (size < 12) return failBlockFile(file, MmText::BadChunk);
    if (sink && formType == ChunkId::Avi) return seekTo(file, start + size);

    const u64 end = start + size;
    u64 position = start + 12;
    const bool listsNest = depth() + 1 < maxRiffListDepth;
    u32& chunksLeft = outermostList(this)->chunksLeft;
    HeaderWindow window;
    formatKnown = true;
    firstFormat = nullptr;
    while (end > position && end - position >= 8) {
        if (chunksLeft == 0) return failBlockFile(file, MmText::TooManyChunks);
        --chunksLeft;
        ChunkHead head;
        if (!window.read(file, position, end, &head, sizeof head)) return false;
        ChunkHeader header;
        header.id = head.id;
        header.contentSize = std::min<u64>(head.size, end - position - 8);

        bool printable = true;
        for (u32 i = 0; i < 4; ++i) printable = printable && (u8)(head.id >> (8 * i)) >= 32;
        if (!printable) {
            // A broken header: the rest of the list is one block of unknown bytes.
            new RiffBlock(this, ChunkId::Unknown, position, end - position);
            break;
        }

        BlockBase* child;
        u64 headerEnd = position + 8;
        const bool isList = header.id == ChunkId::Riff || header.id == ChunkId::List;
        if (isList && !listsNest) {
            // Too deep: the list with everything in it stays in the file as one leaf.
            child = new RiffBlock(this, header.id, 0, header.contentSize + 8);
        } else if (isList) {
            if (header.contentSize >= 4) {
                if (!window.read(file, headerEnd, end, &header.formType, 4)) return false;
                headerEnd += 4;
            }
            child = createListChild(header);
            if (!child && !sink) child = new RiffListBlock(this, header);
        } else {
            child = createChild(header);
            if (!child && !sink) child = new RiffBlock(this, header.id, 0, header.contentSize + 8);
        }
        if (!child) return failBlockFile(file, MmText::UnknownChunk);
        if (!firstFormat && child->id == ChunkId::Format) firstFormat = dynamic_cast<WaveFormatBlock*>(child);
        if (!readChildAt(child, sink, file, position, headerEnd) && (file.failed() || !file.isOpen())) return false;

        position += std::max<u64>(child->size, 8);
        if ((position & 1) && position < end) {
            u8 pad = 1;
            if (!window.read(file, position, end, &pad, 1)) return false;
            if (pad == 0) ++position;
        }
    }
    if (!seekTo(file, end)) return false;
    if (sink && !checkList()) return failBlockFile(file, MmText::ListCheckFailed);
    return true;
}

bool RiffListBlock::write(GFile* source, GFile& target, JobProgress* progress) {
    if (writtenSize(this) - 8 > maxChunkContent) return reportBlockError(target, MmText::WaveTooLarge);
    i64 from, to;
    if (!fileTell(target, &from) || !fileSeek(target, 12, SEEK_CUR)) return false;
    for (u32 i = 0; i < childCount(); ++i) {
        i64 position;
        if (!child(i)->write(source, target, progress) || !fileTell(target, &position)) return false;
        if (position & 1) {
            static const u8 pad = 0;
            if (!fileWrite(target, &pad, 1)) return false;
        }
    }
    if (!fileTell(target, &to) || !seekTo(target, (u64)from)) return false;
    u32 head[3] = {id, (u32)(to - from - 8), formType};
    if (!fileWrite(target, head, sizeof head) || !seekTo(target, (u64)to)) return false;
    start = (u64)from;
    size = (u64)(to - from);
    return true;
}

bool RiffListBlock::report(GFile& out, u32 kind) {
    FourCCText idText = fourCCText(id);
    const char* name = idText.c_str();
    FourCCText formText = fourCCText(formType);
    const char* form = formText.c_str();
    unsigned long long from = start, to = start + size;
    long long blockSize = (long long)size, content = (long long)size - 12;
    int items = (int)childCount();
    bool ok;
    if (kind == ReportKind::Xml) {
        ok = reportPrintf(out,
                          "<%s.%s Offset=\"%08llXH..%08llXH\" BlockSize=\"%lld\" ContentSize=\"%lld\" Items=\"%d\">\r\n",
                          name, form, from, to, blockSize, content, items);
    } else if (kind == ReportKind::Html) {
        ok = (!parent || reportPrintf(out, "<li>")) &&
             reportPrintf(out, "%08llXH: RIFF Block: <b>%-4s.%-4s</b> Items: %d, Block size: %lld, Content size=%lld\r\n<UL>\r\n",
                          from, name, form, items, blockSize, content);
    } else {
        u32 level = depth();
        ok = reportAddress(out, from, level) &&
             reportPrintf(out, "RIFF Block: '%-4s.%-4s' Block size: %lld, Content size: %lld, Items: %d\r\n", name,
                          form, blockSize, content, items) &&
             reportAddress(out, from + 12, level) && reportPrintf(out, "{\r\n");
    }
    for (u32 i = 0; ok && i < childCount(); ++i) ok = child(i)->report(out, kind);
    if (!ok) return false;
    if (kind == ReportKind::Xml) return reportPrintf(out, "</%s.%s>\r\n", name, form);
    if (kind == ReportKind::Html) return reportPrintf(out, "</UL>\r\n%08llXH: End of <b>%s.%s</b>\r\n", to, name, form);
    return reportAddress(out, to, depth()) && reportPrintf(out, "}\r\n");
}

// ---- INFO list and its texts ----

BlockBase* RiffInfoListBlock::createChild(const ChunkHeader& header) {
    return new RiffTextBlock(this, header.id, 0, header.contentSize + 8);
}

RiffTextBlock::~RiffTextBlock() { freeHeapText(&text); }

bool RiffTextBlock::read(BlockSink* sink, GFile& file, u64) {
    beginRead(sink, file);
    if (file.failed()) return false;
    u64 n = std::min<u64>(contentSize(), maxTextBytes);
    if (id != ChunkId::Name || n == 0) return true;
    char* buffer = new char[n + 1];
    bool ok = fileRead(file, buffer, (u32)n);
    buffer[ok ? n : 0] = 0;
    freeHeapText(&text);
    text = buffer;
    return ok;
}

// ---- "fmt " ----

u32 storedFormatBytes(const WAVEFORMATEX* format) {
    if (!format) return 0;
    return format->wFormatTag == pcmFormatTag ? 16 : format->cbSize + waveFormatBytes;
}

void copyFormatBlock(SoundFormatBlock* block, const WAVEFORMATEX* format) {
    u32 n = storedFormatBytes(format);
    SoundFormatBlock::allocate(block, n);
    memcpy(block->data, format, n);
}

WaveFormatBlock::WaveFormatBlock(BlockBase* parent, u64 start, u64 size, const WAVEFORMATEX* copyOf)
    : RiffBlock(parent, ChunkId::Format, start, size) {
    if (!copyOf) return;
    copyFormatBlock(&block, copyOf);
    this->size = 8 + storedBytes();
}

bool WaveFormatBlock::read(BlockSink* sink, GFile& file, u64) {
    beginRead(sink, file);
    if (file.failed()) return false;
    u64 content = contentSize();
    u32 n = (u32)std::min<u64>(content, maxFormatBytes);
    u16 tag = 0;
    if (n >= 2 && (!fileRead(file, &tag, 2) || !fileSeek(file, -2, SEEK_CUR))) return false;
    // The whole chunk is kept, so that writing the block gives the chunk back; the bytes past the
    // first 26 of these Ogg formats are also described by the analyzer's header block.
    bool oggRest = !sink && (tag == 0x6750 || tag == 0x6770) && content > oggFormatBytes;
    if (!readFormatBytes(file, &block, n)) return false;
    if (oggRest && analyzerBlockClasses().oggHeader) {
        u64 restStart = start + 8 + oggFormatBytes;
        return readMadeBlock(analyzerBlockClasses().oggHeader(this, restStart, content - oggFormatBytes), sink, file,
                             restStart, content - oggFormatBytes);
    }
    return true;
}

bool WaveFormatBlock::write(GFile*, GFile& target, JobProgress*) {
    u32 n = storedBytes();
    i64 at;
    if (!fileTell(target, &at) || !writeChunkHead(target, ChunkId::Format, n) || !fileWrite(target, block.data, n))
        return false;
    size = 8 + (u64)n;
    return movedTo(this, at, true);
}

const FieldDescriptor* WaveFormatBlock::fields() {
    fieldList = formatBlockFields(format());
    return fieldList.fields;
}

// ---- "fact" ----

bool WaveFactBlock::read(BlockSink* sink, GFile& file, u64) {
    beginRead(sink, file);
    if (file.failed()) return false;
    return contentSize() < 4 || fileRead(file, &sampleCount, 4);
}

// ---- "data" ----

WaveDataBlock::WaveDataBlock(BlockBase* parent, u64 start, u64 size) : RiffBlock(parent, ChunkId::Data, start, size) {}

WaveFormatBlock* WaveDataBlock::formatBlock() const {
    if (!parent) return nullptr;
    // A list being read, or read, knows its first format block.
    RiffListBlock* list = dynamic_cast<RiffListBlock*>(parent);
    if (list && list->formatKnown)
        return list->firstFormat && list->firstFormat->start < start ? list->firstFormat : nullptr;
    for (u32 i = 0; i < parent->childCount() && parent->child(i) != this; ++i)
        if (parent->child(i)->id == ChunkId::Format) return dynamic_cast<WaveFormatBlock*>(parent->child(i));
    return nullptr;
}

bool WaveDataBlock::read(BlockSink* sink, GFile& file, u64) {
    beginRead(sink, file);
    if (file.failed()) return false;
    return readContent(sink, file);
}

bool WaveDataBlock::readContent(BlockSink* sink, GFile& file) {
    // Written again, a block read from a file copies its samples from there.
    source.kind = dataSourceFile;
    WaveFormatBlock* formatLeaf = formatBlock();
    const WAVEFORMATEX* format = formatLeaf ? formatLeaf->format() : nullptr;
    if (!format) return true;
    u32 tag = format->wFormatTag;
    u64 content = contentSize();
    if (tag == pcmFormatTag || tag == ownFormatTag) {
        if (sink && tag == pcmFormatTag) {
            if (FormatProblem problem = checkFormatBlock(format, content)) {
                GString text;
                formatProblemText(text, problem);
                sink->note(this, text.c_str());
            }
        }
        encoding = encodingOf(format);
        return true;
    }
    AnalyzerBlockClasses& classes = analyzerBlockClasses();
    if ((tag == 0x50 || tag == 0x55) && classes.mpegFrames) {
        u32 firstBytes = 0;
        if (content >= 4 && !(seekTo(file, start + 8) && fileRead(file, &firstBytes, 4))) return false;
        return readMadeBlock(classes.mpegFrames(this, firstBytes, start + 8, content), sink, file, start + 8, content);
    }
    if (isOggTag(tag) && classes.oggPage)
        return readMadeBlock(classes.oggPage(this, start + 8, content), sink, file, start + 8, content);
    return true;
}

bool WaveDataBlock::write(GFile* from, GFile& target, JobProgress* progress) {
    u64 content = contentSize();
    if (content > maxChunkContent) return reportBlockError(target, MmText::WaveTooLarge);
    i64 at;
    return fileTell(target, &at) &&
           movedTo(this, at,
                   writeChunkHead(target, ChunkId::Data, content) &&
                       writeDataSource(source, from, (i64)start + 8, target, content, progress));
}

const FieldDescriptor* WaveDataBlock::fields() { return fieldList.build(encoding, contentSize()); }

const FieldDescriptor* SampleFieldList::build(u32 encoding, u64 bytes) {
    static const FieldType types[] = {FieldType::Binary, FieldType::Byte,  FieldType::Int16,
                                      FieldType::Int32,  FieldType::Float, FieldType::Double};
    if (encoding == encodingCompressed || encoding > encodingDouble) return nullptr;
    element = {"Sample", 0, bytesPerSampleOf(encoding), types[encoding], nullptr};
    fields[0] = {"Samples", 0, bytes, FieldType::Array, &element};
    fields[1] = {nullptr, 0, 0, FieldType::None, nullptr};
    return fields;
}

// ---- layouts ----

RiffListBlock* buildWaveLayout(const WAVEFORMATEX* format, u64 dataSize) {
    ChunkHeader header;
    header.id = ChunkId::Riff;
    header.formType = ChunkId::Wave;
    header.contentSize = 4;
    RiffListBlock* root = new RiffListBlock(nullptr, header);
    new WaveFormatBlock(root, 0, 8, format);
    new WaveDataBlock(root, 0, dataSize + 8);
    root->size = writtenSize(root);
    return root;
}

WaveDataBlock* waveDataBlock(const RiffListBlock* root) {
    return root ? dynamic_cast<WaveDataBlock*>(root->findChild(ChunkId::Data)) : nullptr;
}

bool waveDataFits(u64 dataSize, u32 formatBytes) {
    // "WAVE", the "fmt " chunk and the "data" header, the data and its pad byte.
    u64 content = 4 + 8 + (u64)formatBytes + (formatBytes & 1) + 8 + dataSize + (dataSize & 1);
    return content <= maxChunkContent;
}

RiffListBlock* readRiffFile(GFile& file, BlockSink* sink) {
    i64 fileBytes = fileSize(file);
    u32 head[3];
    if (fileBytes < 0 || !fileRewind(file)) return nullptr;
    if (fileBytes < 12 || !fileRead(file, head, sizeof head) || head[0] != ChunkId::Riff) {
        if (!file.failed()) failBlockFile(file, MmText::WrongFileType);
        return nullptr;
    }
    ChunkHeader header;
    header.id = head[0];
    // Streaming writers leave the size 0 (or all ones) until they finish: the form runs to the end.
    u64 declared = head[1] ? head[1] : maxChunkContent;
    header.contentSize = std::min<u64>(declared, (u64)fileBytes - 8);
    header.formType = head[2];
    RiffListBlock* root = new RiffListBlock(nullptr, header);
    root->read(sink, file, (u64)fileBytes);
    return root;
}
