#pragma once
// RIFF files as a tree of blocks: list blocks ("RIFF" and "LIST" chunks with a form type) own their
// children, leaf blocks stand for every other chunk. The tree reads WAVE files without loading
// their samples, writes WAVE files (sizes patched afterwards, odd chunks padded) and reports the
// structure as text, HTML or XML. After a write the blocks describe the file written (their starts
// and sizes are where they went).
#include "core/block_base.h"
#include "mm/mm_texts.h"
#include "mm/sound_format.h"

class SoundStore;

namespace ChunkId {
const u32 Riff = fourCC("RIFF");
const u32 List = fourCC("LIST");
const u32 Wave = fourCC("WAVE");
const u32 WaveLower = fourCC("wave");
const u32 Format = fourCC("fmt ");
const u32 Fact = fourCC("fact");
const u32 Data = fourCC("data");
const u32 Instrument = fourCC("mif ");
const u32 Info = fourCC("INFO");
const u32 Name = fourCC("INAM");
const u32 Avi = fourCC("AVI ");
const u32 Ravo = fourCC("RAVO");
// Not a chunk: the bytes from a broken chunk header to the end of its list.
const u32 Unknown = 1;
}

// RIFF sizes are 32-bit: the largest content of a chunk.
const u64 maxChunkContent = 0xFFFFFFFFull;
// Lists nest at most this deep (the root list at depth 0); a list chunk met deeper is read as a leaf,
// so that crafted files cannot exhaust the stack of the recursive read, report, write and delete.
const u32 maxRiffListDepth = 64;
// A tree holds at most this many chunks; a file of more is refused (real files hold a few dozen).
const u32 maxRiffChunks = 1u << 18;

// A chunk header as read: the content size is cut to what remains of the enclosing list; for
// "RIFF" and "LIST" it counts the form type, which follows the 8 bytes.
struct ChunkHeader {
    u32 id = 0;
    u64 contentSize = 0;
    u32 formType = 0;
};

// Where a data block's content comes from when it is written.
enum : u32 {
    dataSourceKeep = 0,    // seek over it: the bytes already in the target stay
    dataSourceFile = 1,    // copy from the source file
    dataSourceZeros = 2,
    dataSourceMemory = 3,
    dataSourceStore = 4,   // a range of a sound store, which the caller holds locked
};
struct DataSource {
    u32 kind = dataSourceKeep;
    const u8* memory = nullptr;   // not owned
    SoundStore* store = nullptr;
    u64 storeStart = 0;           // sound position of the first byte
};
// Writes count bytes of content from the data source at the target's current position. A file
// source is read from sourcePos, or from its current position when sourcePos is negative.
bool writeDataSource(const DataSource& data, GFile* source, i64 sourcePos, GFile& target, u64 count,
                     JobProgress* progress);

// Bytes of a format block in a file: 16 for PCM, else cbSize + 18 (0 for none).
u32 storedFormatBytes(const WAVEFORMATEX* format);
// The block becomes a copy of the stored bytes of the format.
void copyFormatBlock(SoundFormatBlock* block, const WAVEFORMATEX* format);
// Reads n bytes of a format block into a buffer that holds at least 18 bytes and every byte that
// the block's cbSize claims (zeros past what was read; cbSize 0 when fewer than 18 were read).
bool readFormatBytes(GFile& file, SoundFormatBlock* block, u32 n);

// The structure viewer's layout of sample data: an array of samples typed by the encoding.
struct SampleFieldList {
    FieldDescriptor fields[2] = {};
    FieldDescriptor element = {};
    // Null for an encoding the program does not decode.
    const FieldDescriptor* build(u32 encoding, u64 bytes);
};

// Marks the file failed: its stream is closed and, unless it is quiet, its handler gets the message
// with the file's name. Always false, whatever the handler answers.
bool failBlockFile(GFile& file, MmText message);
// Reports the message as an error of the file (which stays open). Always false, whatever the
// handler answers: the operation failed.
bool reportBlockError(GFile& file, MmText message);

// A leaf: any chunk whose content stays in the file.
class RiffBlock : public BlockBase {
public:
    RiffBlock(BlockBase* parent, u32 id, u64 start, u64 size);

    // After the block's header was read: the start is the position less the header (-1 less it when
    // the position cannot be told). A size below 8 is a file error. Returns the start.
    i64 beginRead(BlockSink* sink, GFile& file);

    void displayName(GString& out) const override;
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    bool report(GFile& out, u32 kind) override;
    // The header, then the content copied from the source file at the block's own content position.
    bool write(GFile* source, GFile& target, JobProgress* progress) override;

    u64 contentSize() const { return size - headerLength(); }
};

// Writes the block's 8-byte header to the target and copies its content from the source file.
bool copyBlockContent(RiffBlock* block, GFile* source, GFile& target, JobProgress* progress);

class RiffListBlock : public RiffBlock {
public:
    RiffListBlock(BlockBase* parent, const ChunkHeader& header);

    void displayName(GString& out) const override;
    // Parses the children between the end of the 12-byte header and the end of the list.
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    bool report(GFile& out, u32 kind) override;
    // Leaves 12 bytes, writes every child (padding odd ones with a zero byte), then the header with
    // the size found. Refuses a list that would not fit the 32-bit size before writing anything.
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return 12; }

    // The class of a child; null refuses the chunk (a file error when reading with a sink).
    virtual BlockBase* createListChild(const ChunkHeader& header);
    virtual BlockBase* createChild(const ChunkHeader& header);
    // The final check of a parsed list.
    virtual bool checkList() { return true; }

    bool isWaveForm() const { return formType == ChunkId::Wave || formType == ChunkId::WaveLower; }

    u32 formType;
    // Set by reading the list: its first "fmt " child so far (null when none), which every data
    // block takes from here.
    bool formatKnown = false;
    class WaveFormatBlock* firstFormat = nullptr;
    // Chunks the tree may still take; only the outermost list's count is used.
    u32 chunksLeft = maxRiffChunks;
};

// An "INFO" list: every chunk is a text leaf.
class RiffInfoListBlock : public RiffListBlock {
public:
    using RiffListBlock::RiffListBlock;
    BlockBase* createChild(const ChunkHeader& header) override;
};

// A chunk of an "INFO" list; the text of an "INAM" chunk is read.
class RiffTextBlock : public RiffBlock {
public:
    using RiffBlock::RiffBlock;
    ~RiffTextBlock() override;
    bool read(BlockSink* sink, GFile& file, u64 limit) override;

    char* text = nullptr;  // zero-terminated, null when not read
};

// The "fmt " chunk of a WAVE form: its content is the format block.
class WaveFormatBlock : public RiffBlock {
public:
    // An empty block; a format given is copied (16 bytes for PCM, else cbSize + 18).
    WaveFormatBlock(BlockBase* parent, u64 start, u64 size, const WAVEFORMATEX* copyOf = nullptr);

    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    // {"fmt ", n} and the n bytes of the block: 16 for PCM, else cbSize + 18.
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    const FieldDescriptor* fields() override;

    const WAVEFORMATEX* format() const { return block.data ? block.format() : nullptr; }
    u32 storedBytes() const { return storedFormatBytes(format()); }

    SoundFormatBlock block;
    FormatFieldList fieldList = {};
};

// The "fact" chunk: the sample count follows the header.
class WaveFactBlock : public RiffBlock {
public:
    using RiffBlock::RiffBlock;
    bool read(BlockSink* sink, GFile& file, u64 limit) override;

    u32 sampleCount = 0;
};

// The "data" chunk of a WAVE form; the samples stay in the file.
class WaveDataBlock : public RiffBlock {
public:
    WaveDataBlock(BlockBase* parent, u64 start, u64 size);

    // Checks PCM data against its format (with a sink) and lays out the samples for the viewer.
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    // The same once the start is known, wherever the file stands.
    bool readContent(BlockSink* sink, GFile& file);
    // The header, then the content from the data source (a file source is read at this block's own
    // content position).
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    const FieldDescriptor* fields() override;

    // The "fmt " block before this one in the same list, or null.
    WaveFormatBlock* formatBlock() const;

    DataSource source;
    u32 encoding = encodingCompressed;
    SampleFieldList fieldList;
};

// A "RIFF" list of form "WAVE" with a "fmt " child holding a copy of the format and a data block of
// dataSize content bytes (source kind: keep).
RiffListBlock* buildWaveLayout(const WAVEFORMATEX* format, u64 dataSize);
// The data block of a layout, or null.
WaveDataBlock* waveDataBlock(const RiffListBlock* root);
// True when a WAVE file can hold dataSize bytes of samples after a format block of formatBytes.
bool waveDataFits(u64 dataSize, u32 formatBytes);

// The analyzer's block classes that the tree creates without reading them itself. Each maker
// appends a block to the parent, or gives null (the default): the chunk then stays a plain block.
// Every block made is read at once with the sink, the file standing at the block's start and the
// limit being the bytes it covers.
struct AnalyzerBlockClasses {
    // The rest of an Ogg "fmt " chunk after its first 26 bytes.
    BlockBase* (*oggHeader)(BlockBase* parent, u64 start, u64 size) = nullptr;
    // The content of a "data" chunk of an Ogg format.
    BlockBase* (*oggPage)(BlockBase* parent, u64 start, u64 size) = nullptr;
    // The content of a "data" chunk of an MPEG format, given its first 4 bytes.
    BlockBase* (*mpegFrames)(BlockBase* parent, u32 firstBytes, u64 start, u64 size) = nullptr;
    // The "mif " chunk of a WAVE form; read like any chunk, after its 8-byte header.
    BlockBase* (*instrument)(BlockBase* parent, const ChunkHeader& header) = nullptr;
};
AnalyzerBlockClasses& analyzerBlockClasses();

// Reads a RIFF file from its start: the root list with its size cut to the file. Null (the file
// having reported why) when the file does not begin with a "RIFF" header.
RiffListBlock* readRiffFile(GFile& file, BlockSink* sink);
