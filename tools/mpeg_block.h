#pragma once
// Mp3Source: an MPEG audio stream (layer I, II or III) as one block, from its first frame to the end
// of the range it was given. It keeps the first frame header and the WAVEFORMATEX built from it,
// which it owns. Made by the file analyzer at the top level and inside WAVE "data" chunks.
#include <windows.h>
#include <mmreg.h>

#include "core/block_base.h"
#include "mm/sound_format.h"
#include "tools/field_table.h"

namespace BlockId {
const u32 Mp3 = fourCC("MP3 ");
}

// Bytes the frame search looks at, in pieces of at most mpegSearchPiece.
const u32 mpegSearchWindow = 102400;
const u32 mpegSearchPiece = 4096;

// The four header bytes pass as a frame of the layer (1, 2 or 3).
bool isMpegFrameHeader(const u8* bytes, u32 layer);
// Looks for a frame header from position on, the layer being the file name's last character as a
// digit; position and header (the four bytes as stored) are set when one is found.
bool findMp3FrameSync(GFile& file, u64& position, u32& header);

class Mp3Source : public BlockBase {
public:
    Mp3Source(BlockBase* parent, u32 header);

    void displayName(GString& out) const override;
    // Starts at the file's current position and covers limit bytes; the format is built from the
    // header, with file errors only in a strict read.
    bool read(BlockSink* sink, GFile& file, u64 limit) override;
    bool report(GFile& out, u32 kind) override;
    // Copies the block's bytes unchanged.
    bool write(GFile* source, GFile& target, JobProgress* progress) override;
    u32 headerLength() const override { return 4; }
    const FieldDescriptor* secondRecord(u64* offset, u64* size) override;

    // The format record from the header; false (a file error when reportErrors) for a reserved or
    // free-format header, leaving the record empty or partial.
    bool buildWaveFormat(GFile& file, bool reportErrors);
    // The record and its length (16 for PCM, else 18 + cbSize); null before a format was built.
    const WAVEFORMATEX* format() const { return formatRecord.data ? formatRecord.format() : nullptr; }
    u32 formatLength() const;

    u32 header;
    SoundFormatBlock formatRecord;

private:
    FieldTable table;
};

// The bit rate in bits per second of the header's version, layer and index; 0 for free format and
// -1 for index 15.
i32 mpegBitrate(u32 version, u32 layer, u32 index);
