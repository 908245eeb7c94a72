#pragma once
// An Ogg file as blocks: the stream block over its pages, a block per page (lenient reads only) and,
// under a page, a block for a Vorbis comment or identification header or an OggDS video or text
// header. The stream owns the WAVEFORMATEX built from the Vorbis identification header. All write
// their bytes back unchanged.
#include <windows.h>
#include <mmreg.h>

#include "core/block_base.h"
#include "mm/sound_format.h"
#include "tools/field_table.h"

namespace BlockId {
const u32 Ogg = fourCC("OggS");
const u32 OggPage = 3;
const u32 OggComment = 4;
const u32 OggAudio = 5;
const u32 OggVideo = 6;
const u32 OggText = 7;
}

class OggStreamBlock : public BlockBase {
public:
    explicit OggStreamBlock(BlockBase* parent);

    void displayName(GString& out) const override;
    // The pages from the file's current position within limit bytes; the size is what they use.
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return 0; }

    // The record and its length (16 for PCM, else 18 + cbSize); null before a Vorbis header was met.
    const WAVEFORMATEX* format() const { return formatRecord.data ? formatRecord.format() : nullptr; }
    u32 formatLength() const;

    SoundFormatBlock formatRecord;
    u64 firstGranulePage = 0;  // position of the first page with a granule position, 0 until found
};

class OggPageBlock : public BlockBase {
public:
    OggPageBlock(BlockBase* parent, OggStreamBlock* stream);

    void displayName(GString& out) const override;
    // Entered after the 4 signature bytes; limit is what remains of the stream from the page start.
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    // The page at start, read through the stream's window, which ends at end.
    bool parse(BlockSink* sink, GFile& file, class HeaderWindow& window, u64 end);
    bool report(GFile& out, u32 kind) override;
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return 27 + header[22]; }
    const FieldDescriptor* secondRecord(u64* offset, u64* size) override;

    u8 header[23] = {};  // version to segment count
    u8 segments[255] = {};
    OggStreamBlock* stream;

private:
    FieldTable table;
};

// A packet that starts a page: comment, Vorbis identification, video or text header.
class OggPacketBlock : public BlockBase {
public:
    OggPacketBlock(BlockBase* parent, u32 kind, u64 start, u64 size);

    void displayName(GString& out) const override;
    bool report(GFile& out, u32 kind) override;
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override;
    const FieldDescriptor* secondRecord(u64* offset, u64* size) override;

protected:
    virtual void describeFields(FieldTable& table);
    FieldTable table;
};

class OggCommentBlock : public OggPacketBlock {
public:
    OggCommentBlock(BlockBase* parent, u64 start, u64 size);
    ~OggCommentBlock() override;

    // Entered after the packet's first 9 bytes; a lenient read walks the comments that lie inside
    // the packet.
    bool read(BlockSink* sink, GFile& file, u64 limit) override;

    u8 head[11] = {};
    u32 captionBytes = 0;
    u32 commentCount = 0;  // as stored
    u32* lengths = nullptr;  // of the comments inside the packet
    u32 lengthCount = 0;

protected:
    void describeFields(FieldTable& table) override;
};
