#pragma once
// A filter that lets an Ogg stream play from any byte position: it first delivers the stream's
// header pages, then reads on from the first page at or after the wanted position. Positions are
// those of the inner source (file positions). Owns and deletes its inner source.
#include "mm/sound_source.h"

class OggRangeSource : public SoundSource {
public:
    OggRangeSource(u64 streamStart, u32 headerLength, u64 from, u64 to);
    ~OggRangeSource() override;

    bool atStart() const override { return delivered == 0; }
    bool atEnd() const override;
    bool read(void* buffer, u32* bytes) override;
    u64 position() const override;
    bool close(u32 flag) override;
    bool seek(u64 start, u64 length) override;
    bool setInner(SoundSource* source) override;
    bool rewind() override;

    // Size of the chunks the page search reads.
    static const u32 searchChunk = 4096;

private:
    // Reading restarts at from: inside the headers it goes on right after them, elsewhere at the
    // next page.
    void restartAt(u64 from);
    // Moves the read position to the next capture pattern at or after it.
    bool synchronise();
    bool placeInner(u64 at);

    SoundSource* inner = nullptr;
    u64 streamStart;
    u32 headerLength;
    u32 delivered = 0;  // header bytes delivered
    u64 readPos = 0;
    u64 rangeEnd;
    u64 restartPos;
    bool syncPending = false;
    bool placed = false;  // the inner source reads from readPos
};

// The bytes of the header pages of the Ogg stream at start: every page up to the first whose
// granule position is set. 0 when no page is found there.
u32 oggHeaderLength(GFile& file, u64 start, u64 end);
