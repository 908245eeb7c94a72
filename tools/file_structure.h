#pragma once
// FileStructure: the root of a parsed file's block tree, whose children are the file's top-level
// pieces in order (RIFF forms, Ogg streams, own sound files, ID3 tags, MPEG streams, codec library
// streams, unrecognised ranges and, in a lenient read, the end marker). It owns the tree. A read
// with a sink is strict (the conversions' use), without one lenient (the analyzer's).
#include <windows.h>
#include <mmreg.h>

#include "core/block_base.h"
#include "mm/codec_interface.h"
#include "mm/riff_block.h"
#include "mm/sound_player.h"

namespace BlockId {
const u32 Unknown = 1;
const u32 EndOfFile = 2;
const u32 PluginStream = 12;
}

// One stream entry of the codec library's parse.
const u32 pluginEntryBytes = 124;

// The codec library's parse of a file in place of the loaded library's (tests); null: the loaded
// library's, when one is loaded.
extern CodecParseEntry codecParseFile;

class FileStructure : public BlockBase {
public:
    FileStructure();

    void displayName(GString& out) const override;
    // Parses the open file from its start; limit is not used (the file's size is).
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    // The size line, every child's report and the closing lines of the kind.
    bool report(GFile& out, u32 kind) override;
    // Every child in turn; the last result.
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return 0; }

    // The child makers, each appending to the root.
    virtual BlockBase* createRiff(const ChunkHeader& header);
    virtual BlockBase* createId3v1Tag();
    virtual BlockBase* createId3v2Tag();
    virtual BlockBase* createUnknownRange(u64 position, u64 size);
    virtual BlockBase* createEndMarker();
    virtual BlockBase* createMp3Source(u32 header);
    virtual BlockBase* createOggStream();
    virtual BlockBase* createRavoForm();
    virtual BlockBase* createPluginStream(const u8* entry);

    // What the file turned out to be ("WAVE", "MP3 ", "OggS", "RAVO", "DLS ", ...), 0 for nothing.
    u32 fileKind = 0;
};

// A leaf the analyzer makes itself: unrecognised bytes or the end marker.
class MarkerBlock : public BlockBase {
public:
    MarkerBlock(BlockBase* parent, u32 kind, u64 start, u64 size);
    void displayName(GString& out) const override;
    bool report(GFile& out, u32 kind) override;
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return 0; }
};

// A stream the codec library found: its 124-byte entry, kept whole.
class PluginStreamBlock : public BlockBase {
public:
    PluginStreamBlock(BlockBase* parent, const u8* entry);
    void displayName(GString& out) const override;
    // Covers limit bytes from the file's current position.
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return 0; }

    u32 word(u32 i) const;
    // The entry's text (words 3 on), always terminated.
    const char* title() const { return reinterpret_cast<const char*>(entry + 12); }
    const WAVEFORMATEX* format() const { return &waveFormat; }

    u8 entry[pluginEntryBytes];
    WAVEFORMATEX waveFormat = {};
};

// The file's streams in file order, walked from the root. The walker keeps its place between calls.
class SoundStreamWalker {
public:
    explicit SoundStreamWalker(BlockBase* root);
    ~SoundStreamWalker();
    // The next stream, or false when none is left.
    bool next(SoundStreamInfo& stream);

private:
    struct Level {
        BlockBase* block;
        u32 next;
        u32 count;
    };
    bool waveStream(BlockBase* form, SoundStreamInfo& stream);
    Level* levels = nullptr;
    u32 depth = 0, capacity = 0;
    BlockBase* top = nullptr;
    u32 topIndex = 0;
};

// The first stream of the tree; false when it holds none.
bool findFirstSoundStream(SoundStreamWalker& walker, SoundStreamInfo& stream);
// Every stream of the structure appended as a new record (PointerArray growth rules); the records
// are freed by freeSoundStreams.
void collectSoundStreams(BlockBase* structure, PointerArray& streams);
void freeSoundStreams(PointerArray& streams);

// Parses a file by name into a new structure (lenient when sink is null); null when it cannot be
// opened. The file is closed again.
FileStructure* parseFileStructure(const char* path, BlockSink* sink, ErrorHandler* handler);

// Installs the analyzer's makers in the RIFF reader (MPEG and Ogg data, "mif " chunks); once.
void installAnalyzerBlockClasses();
