#include "tools/file_structure.h"

#include <cstring>

#include "core/gfile.h"
#include "core/paths.h"
#include "mm/codec_plugin.h"
#include "mm/ravo_file.h"
#include "tools/dls_blocks.h"
#include "tools/id3_blocks.h"
#include "tools/instrument_blocks.h"
#include "tools/mpeg_block.h"
#include "tools/ogg_blocks.h"

CodecParseEntry codecParseFile = nullptr;

namespace {
const u64 minimumStrictBytes = 16;

bool seekTo(GFile& file, u64 position) { return fileSeek(file, (i64)position, SEEK_SET); }

// The name's extension begins "mp2" or "mp3", in either case.
bool hasMpegExtension(const char* name) {
    if (!name) return false;
    const char* dot = nullptr;
    for (const char* p = name; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':') dot = nullptr;
        else if (*p == '.') dot = p;
    }
    if (!dot) return false;
    return (dot[1] == 'm' || dot[1] == 'M') && (dot[2] == 'p' || dot[2] == 'P') && (dot[3] == '2' || dot[3] == '3');
}

bool looksLikeFrame(const u8* b) { return b[0] == 0xFF && (b[1] & 0xE0) == 0xE0 && ((b[1] >> 1) & 3) != 0; }

bool isOggTag(u32 tag) { return (tag >= 0x674F && tag <= 0x6751) || (tag >= 0x676F && tag <= 0x6771); }

// A file error whose handler decides whether the parse goes on.
bool goOn(GFile& file, MmText message) { return reportFileError(file, mmText(message), nullptr, 0); }

// Data that does not begin with a frame sync holds no MPEG block.
BlockBase* makeMpegFrames(BlockBase* parent, u32 firstBytes, u64, u64) {
    u8 b[4];
    memcpy(b, &firstBytes, 4);
    return looksLikeFrame(b) ? new Mp3Source(parent, firstBytes) : nullptr;
}
BlockBase* makeOggStream(BlockBase* parent, u64, u64) { return new OggStreamBlock(parent); }
BlockBase* makeInstrument(BlockBase* parent, const ChunkHeader& header) {
    return new WaveInstrumentBlock(parent, header.contentSize + 8);
}
}  // namespace

void installAnalyzerBlockClasses() {
    AnalyzerBlockClasses& classes = analyzerBlockClasses();
    classes.mpegFrames = makeMpegFrames;
    classes.oggHeader = makeOggStream;
    classes.oggPage = makeOggStream;
    classes.instrument = makeInstrument;
}

// ---- leaves of the root ----

MarkerBlock::MarkerBlock(BlockBase* parent, u32 kind, u64 start, u64 size) : BlockBase(parent, kind, start, size) {}

void MarkerBlock::displayName(GString& out) const {
    stringAssignText(out, id == BlockId::Unknown ? "[Unknown]" : "[EOF]");
}

bool MarkerBlock::report(GFile& out, u32 kind) {
    if (id == BlockId::Unknown) return writeBlockReport(out, kind, this, "Unknown Data", "Unknown Data", "UNKNOWN");
    return writeBlockReport(out, kind, this, "[EOF]", "[EOF]", "EOF");
}

bool MarkerBlock::write(GFile* source, GFile& target, JobProgress* progress) {
    return id != BlockId::Unknown || (source && copyBlockBytes(this, *source, target, progress));
}

PluginStreamBlock::PluginStreamBlock(BlockBase* parent, const u8* bytes)
    : BlockBase(parent, BlockId::PluginStream, 0, 0) {
    memcpy(entry, bytes, sizeof entry);
    // The library's text is used as a C string: it ends with the entry.
    entry[sizeof entry - 13] = 0;
    waveFormat.nSamplesPerSec = word(28);
    waveFormat.nAvgBytesPerSec = word(29) / 8;
    waveFormat.nChannels = (u16)word(30);
}

u32 PluginStreamBlock::word(u32 i) const {
    u32 w;
    memcpy(&w, entry + 4 * i, 4);
    return w;
}

void PluginStreamBlock::displayName(GString& out) const { stringFormat(out, "Stream %u: %s", word(2), title()); }

bool PluginStreamBlock::read(BlockSink*, GFile& file, u64 limit) {
    i64 at;
    if (!fileTell(file, &at)) return false;
    start = (u64)at;
    size = limit;
    return true;
}

bool PluginStreamBlock::write(GFile* source, GFile& target, JobProgress* progress) {
    return source && copyBlockBytes(this, *source, target, progress);
}

// ---- root ----

FileStructure::FileStructure() : BlockBase(nullptr, 0, 0, 0) { installAnalyzerBlockClasses(); }

void FileStructure::displayName(GString& out) const { stringAssignText(out, mmText(MmText::FileStructureName)); }

BlockBase* FileStructure::createRiff(const ChunkHeader& header) {
    if (header.formType == ChunkId::Dls) return new DlsListBlock(this, header);
    if (header.formType == ChunkId::InstrumentForm) return new InstrumentFormBlock(this, header);
    return new RiffListBlock(this, header);
}
BlockBase* FileStructure::createId3v1Tag() { return new Id3v1TagBlock(this); }
BlockBase* FileStructure::createId3v2Tag() { return new Id3v2TagBlock(this); }
BlockBase* FileStructure::createUnknownRange(u64 position, u64 bytes) {
    return new MarkerBlock(this, BlockId::Unknown, position, bytes);
}
BlockBase* FileStructure::createEndMarker() { return new MarkerBlock(this, BlockId::EndOfFile, size, 0); }
BlockBase* FileStructure::createMp3Source(u32 header) { return new Mp3Source(this, header); }
BlockBase* FileStructure::createOggStream() { return new OggStreamBlock(this); }
BlockBase* FileStructure::createRavoForm() { return new RavoFormBlock(this); }
BlockBase* FileStructure::createPluginStream(const u8* entry) { return new PluginStreamBlock(this, entry); }

bool FileStructure::read(BlockSink* sink, GFile& file, u64) {
    const bool strict = sink != nullptr;
    for (u32 i = 0; i < childCount(); ++i) delete child(i);
    children.count = 0;
    delete childStarts;
    childStarts = nullptr;
    fileKind = 0;
    i64 end;
    start = 0;
    size = fileSeek(file, 0, SEEK_END) && fileTell(file, &end) ? (u64)end : ~0ull;
    if (!seekTo(file, 0)) return false;
    if (strict && size < minimumStrictBytes && !goOn(file, MmText::FileTooShort)) return false;

    u64 remaining = size, position = start;
    bool tail = false;
    if (size >= 128) {
        char tag[3];
        if (seekTo(file, size - 128) && fileRead(file, tag, 3) && memcmp(tag, "TAG", 3) == 0) {
            remaining -= 128;
            tail = true;
        }
    }
    bool riffSeen = false, id3v2Seen = false, broken = false;
    while (remaining > 0 && !broken) {
        u32 ident = 0;
        if (!seekTo(file, position) || (remaining >= 4 && !fileRead(file, &ident, 4))) break;
        BlockBase* made = nullptr;
        bool ok = true;
        if (ident == ChunkId::Riff) {
            u32 head[2];
            if (remaining < 12 || !fileRead(file, head, sizeof head)) break;
            if (strict && head[1] != ChunkId::Dls && head[1] != ChunkId::Wave) break;
            if (strict && riffSeen && !goOn(file, MmText::SecondRiffForm)) break;
            riffSeen = true;
            ChunkHeader header;
            header.id = ident;
            header.formType = head[1];
            // 64-bit sizes: the form is cut to what remains.
            header.contentSize = (u64)head[0] + 8 > remaining ? remaining - 8 : (u64)head[0];
            made = createRiff(header);
            ok = made->read(sink, file, 0);
        } else if (ident == BlockId::Ogg) {
            made = createOggStream();
            ok = seekTo(file, position) && made->read(sink, file, remaining);
        } else if (ident == ChunkId::Ravo) {
            made = createRavoForm();
            ok = seekTo(file, position) && made->read(sink, file, remaining);
        } else if ((ident & 0xFFFFFF) == (BlockId::Id3v2 & 0xFFFFFF)) {
            made = createId3v2Tag();
            ok = made->read(sink, file, remaining);
            id3v2Seen = true;
        } else {
            break;
        }
        // Every block lies inside what remains and takes a step.
        if (made->start != position) made->start = position;
        if (made->size > remaining) made->size = remaining;
        if (!ok && (file.failed() || !file.isOpen())) broken = true;
        if (made->size == 0) break;
        remaining -= made->size;
        position += made->size;
    }

    if (!broken && remaining >= 16 && !riffSeen) {
        u8 first[4] = {};
        u32 header = 0;
        u64 frame = position;
        bool found = false;
        if (seekTo(file, position) && fileRead(file, first, 4) && looksLikeFrame(first)) {
            memcpy(&header, first, 4);
            found = true;
        } else if (id3v2Seen || hasMpegExtension(file.name)) {
            found = findMp3FrameSync(file, frame, header);
            // Past the window or with no layer in the name: the search starts where it stands.
            if (!found && goOn(file, MmText::NoMpegFrame)) {
                frame = position;
                memcpy(&header, first, 4);
                found = true;
            }
            if (!found) broken = true;
            if (found && frame < position + remaining) {
                createUnknownRange(position, frame - position);
                remaining -= frame - position;
                position = frame;
            }
        }
        if (found && !broken) {
            BlockBase* mp3 = createMp3Source(header);
            if (!seekTo(file, position) || (!mp3->read(sink, file, remaining) && !file.isOpen())) broken = true;
            mp3->start = position;
            if (mp3->size > remaining) mp3->size = remaining;
            remaining -= mp3->size;
            position += mp3->size;
        }
    }

    if (!broken && remaining > 0) {
        i32 streams = 0;
        CodecParseEntry parse = codecParseFile ? codecParseFile : codecPlugin().parseFile;
        if (childCount() == 0 && parse && seekTo(file, position)) {
            const CodecStreamEntry* entries = nullptr;
            streams = parse(file.name, &entries);
            if (!entries) streams = 0;
            for (i32 i = 0; i < streams; ++i) {
                BlockBase* stream = createPluginStream(reinterpret_cast<const u8*>(entries + i));
                seekTo(file, position);
                stream->read(sink, file, remaining);
                stream->start = position;
                stream->size = remaining;
            }
        }
        if (streams <= 0) createUnknownRange(position, remaining);
    }
    if (tail) {
        BlockBase* tag = createId3v1Tag();
        tag->read(sink, file, size);
    }
    if (!strict) createEndMarker();

    // What the file is: the last block made (not the end marker, nor an ID3v1 tail behind other
    // blocks), a RIFF by its form and a WAVE by its first stream.
    BlockBase* last = nullptr;
    for (u32 i = childCount(); i-- > 0 && !last;) {
        u32 kind = child(i)->id;
        if (kind == BlockId::EndOfFile || (kind == BlockId::Id3v1 && i > 0)) continue;
        last = child(i);
    }
    if (last) {
        fileKind = last->id;
        if (RiffListBlock* form = last->id == ChunkId::Riff ? dynamic_cast<RiffListBlock*>(last) : nullptr) {
            fileKind = form->formType;
            if (form->isWaveForm()) {
                fileKind = ChunkId::Wave;
                SoundStreamWalker walker(this);
                SoundStreamInfo stream = {};
                if (findFirstSoundStream(walker, stream) && stream.format) {
                    u32 tag = stream.format->wFormatTag;
                    if (tag == 0x55 || tag == 0x50) fileKind = BlockId::Mp3;
                    else if (isOggTag(tag)) fileKind = BlockId::Ogg;
                }
            }
        }
    }
    return !broken;
}

bool FileStructure::report(GFile& out, u32 kind) {
    long long bytes = (long long)size;
    bool ok = true;
    if (kind == ReportKind::Text) ok = reportPrintf(out, "File Size: %lld\r\n", bytes);
    else if (kind == ReportKind::Html)
        ok = reportPrintf(out, "<html><head></head><body>File Size: %lld\r\n<UL>", bytes);
    else if (kind == ReportKind::Xml) ok = reportPrintf(out, "<?xml version=\"1.0\"?><FILE Size=\"%lld\">\r\n", bytes);
    ok = ok && reportChildren(this, out, kind);
    if (!ok) return false;
    if (kind == ReportKind::Html) return reportPrintf(out, "</UL></body></html>\r\n");
    if (kind == ReportKind::Xml) return reportPrintf(out, "</FILE>\r\n");
    return true;
}

bool FileStructure::write(GFile* source, GFile& target, JobProgress* progress) {
    bool ok = true;
    for (u32 i = 0; i < childCount(); ++i) ok = child(i)->write(source, target, progress);
    return ok;
}

// ---- streams ----

SoundStreamWalker::SoundStreamWalker(BlockBase* root) {
    capacity = maxRiffListDepth + 2;
    levels = new Level[capacity];
    if (root) levels[depth++] = {root, 0, root->childCount()};
}

SoundStreamWalker::~SoundStreamWalker() { delete[] levels; }

namespace {
void setPair(BlockBase*& block, u32& index, BlockBase* b, u32 i) {
    block = b;
    index = i;
}

u32 indexInParent(const BlockBase* b) {
    if (!b->parent) return 0;
    for (u32 i = 0; i < b->parent->childCount(); ++i)
        if (b->parent->child(i) == b) return i;
    return 0;
}

void clearStream(SoundStreamInfo& s) {
    s.fileName = nullptr;
    s.format = nullptr;
    s.dataOffset = s.dataSize = 0;
    s.oggHeaderLength = 0;
    stringClear(s.title);
    s.dataBlock = s.formatBlock = s.topBlock = s.instrumentBlock = nullptr;
    s.dataIndex = s.formatIndex = s.topIndex = 0;
}

void wholeBlockStream(SoundStreamInfo& s, BlockBase* b, u32 index, const WAVEFORMATEX* format) {
    clearStream(s);
    s.dataOffset = b->start;
    s.dataSize = b->size;
    s.format = format;
    setPair(s.dataBlock, s.dataIndex, b, index);
    setPair(s.formatBlock, s.formatIndex, b, index);
    setPair(s.topBlock, s.topIndex, b, index);
}

// The INAM texts of an INFO list, appended to the title.
void appendTitles(BlockBase* list, GString& title) {
    for (u32 i = 0; i < list->childCount(); ++i) {
        RiffTextBlock* text = dynamic_cast<RiffTextBlock*>(list->child(i));
        if (!text || text->id != ChunkId::Name || !text->text) continue;
        if (!title.empty()) stringAppend(title, " ");
        stringAppend(title, text->text);
    }
}
}  // namespace

bool SoundStreamWalker::waveStream(BlockBase* form, SoundStreamInfo& s) {
    clearStream(s);
    WaveFormatBlock* fmt = nullptr;
    WaveDataBlock* data = nullptr;
    u32 fmtIndex = 0, dataIndex = 0;
    for (u32 i = 0; i < form->childCount(); ++i) {
        BlockBase* c = form->child(i);
        RiffListBlock* list = dynamic_cast<RiffListBlock*>(c);
        if (list && list->id == ChunkId::List && list->formType == ChunkId::Info) appendTitles(list, s.title);
        else if (!fmt && c->id == ChunkId::Format && (fmt = dynamic_cast<WaveFormatBlock*>(c))) fmtIndex = i;
        else if (!data && c->id == ChunkId::Data && (data = dynamic_cast<WaveDataBlock*>(c))) dataIndex = i;
        else if (!s.instrumentBlock && c->id == ChunkId::Instrument) s.instrumentBlock = c;
    }
    if (!fmt || !data || data->start <= fmt->start || data->size < 8) return false;
    const WAVEFORMATEX* format = fmt->format();
    if (format && (format->wFormatTag == 0x55 || format->wFormatTag == 0x50)) {
        Mp3Source* mp3 = dynamic_cast<Mp3Source*>(data->findChild(BlockId::Mp3));
        format = mp3 ? mp3->format() : nullptr;
    }
    if (!format) return false;
    s.format = format;
    s.dataOffset = data->start + 8;
    s.dataSize = data->size - 8;
    setPair(s.dataBlock, s.dataIndex, data, dataIndex);
    setPair(s.formatBlock, s.formatIndex, fmt, fmtIndex);
    BlockBase* topLevel = top ? top : form;
    setPair(s.topBlock, s.topIndex, topLevel, top ? topIndex : indexInParent(form));
    return true;
}

bool SoundStreamWalker::next(SoundStreamInfo& s) {
    while (depth > 0) {
        Level& level = levels[depth - 1];
        if (level.next >= level.count) {
            --depth;
            continue;
        }
        const u32 index = level.next++;
        BlockBase* b = level.block->child(index);
        RiffListBlock* list = dynamic_cast<RiffListBlock*>(b);
        if (depth == 1) {
            if (b->id == BlockId::Mp3) {
                const WAVEFORMATEX* f = static_cast<Mp3Source*>(b)->format();
                if (f) return wholeBlockStream(s, b, index, f), true;
            } else if (b->id == BlockId::Ogg) {
                const WAVEFORMATEX* f = static_cast<OggStreamBlock*>(b)->format();
                if (f) return wholeBlockStream(s, b, index, f), true;
            } else if (b->id == ChunkId::Ravo) {
                RavoFormBlock* form = dynamic_cast<RavoFormBlock*>(b);
                RavoFormatBlock* fmt = form ? form->formatBlock() : nullptr;
                RavoDataBlock* data = form ? form->dataBlock() : nullptr;
                if (fmt && data && fmt->format()) {
                    clearStream(s);
                    s.format = fmt->format();
                    s.dataOffset = data->start;
                    s.dataSize = data->size;
                    setPair(s.dataBlock, s.dataIndex, data, 1);
                    setPair(s.formatBlock, s.formatIndex, fmt, 0);
                    setPair(s.topBlock, s.topIndex, b, index);
                    return true;
                }
            } else if (b->id == BlockId::PluginStream) {
                PluginStreamBlock* p = static_cast<PluginStreamBlock*>(b);
                wholeBlockStream(s, b, index, p->format());
                stringAssignText(s.title, p->title());
                return true;
            } else if (list && b->id == ChunkId::Riff) {
                top = b;
                topIndex = index;
                if (list->isWaveForm()) {
                    if (waveStream(b, s)) return true;
                    continue;
                }
                if (depth == capacity) continue;
                levels[depth++] = {b, 0, b->childCount()};
            }
            continue;
        }
        if (!list || b->id != ChunkId::List) continue;
        if (list->isWaveForm()) {
            if (waveStream(b, s)) return true;
        } else if (depth < capacity) {
            levels[depth++] = {b, 0, b->childCount()};
        }
    }
    return false;
}

bool findFirstSoundStream(SoundStreamWalker& walker, SoundStreamInfo& stream) { return walker.next(stream); }

void collectSoundStreams(BlockBase* structure, PointerArray& streams) {
    SoundStreamWalker walker(structure);
    SoundStreamInfo* s = new SoundStreamInfo();
    while (walker.next(*s)) {
        appendSlot(streams, s);
        s = new SoundStreamInfo();
    }
    delete s;
}

void freeSoundStreams(PointerArray& streams) {
    for (u32 i = 0; i < streams.count; ++i) delete static_cast<SoundStreamInfo*>(streams.data[i]);
    arrayFree(streams);
    streams.count = 0;
}

FileStructure* parseFileStructure(const char* path, BlockSink* sink, ErrorHandler* handler) {
    GFile file(handler);
    if (!fileOpen(file, path, FileMode::Read)) return nullptr;
    FileStructure* structure = new FileStructure;
    structure->read(sink, file, 0);
    fileCloseQuietly(file);
    return structure;
}
