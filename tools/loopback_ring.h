#pragma once
// LoopbackRing: the ring between the record device and the play device in the record repair
// dialog: captured bytes go in at the write position, played bytes come out at the read position,
// each half a ring behind the other; a side that overtakes the other sets it half a ring away. It
// also keeps the peak of the captured blocks. The caller holds the recorder's lock around each call.
#include <vector>

#include "core/types.h"

class LoopbackRing {
public:
    // Bytes of 16-bit stereo at 44100 Hz for the seconds, doubled, to a whole frame: 88200 for 0.5.
    static u32 sizeFor(f64 seconds);

    // Zeroed; write half a ring ahead of read.
    void prepare(u32 bytes);
    void write(const void* data, u32 bytes);
    void read(void* out, u32 bytes);
    // The peak of the block's 16-bit samples: (largest - smallest) / 2.
    static u16 blockPeak(const void* data, u32 bytes);

    std::vector<u8> ring;
    u32 writePosition = 0;
    u32 readPosition = 0;
    bool metering = true;
    u16 peak = 0;  // of the last block written while metering

private:
    // Copies through the ring from `from`; true when it passed over `other`.
    bool copy(u32& from, u32 other, u8* out, const u8* in, u32 bytes);
    u32 halfAway(u32 position) const;
};
