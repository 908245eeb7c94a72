#pragma once
// A growable block of samples (owning its memory unless it is borrowed) and the fade of a block of
// frames that the synthesizer output's fade wrapper applies.
#include "core/types.h"

class SampleBuffer {
public:
    SampleBuffer() = default;
    // Borrows memory of the caller's; it is never freed here.
    SampleBuffer(void* memory, u32 bytes) : data(static_cast<u8*>(memory)), capacity(bytes), borrowed(memory != nullptr) {}
    SampleBuffer(const SampleBuffer&) = delete;
    SampleBuffer& operator=(const SampleBuffer&) = delete;
    ~SampleBuffer() { reset(); }

    // Frees owned memory; afterwards no data, capacity 0, borrowed set.
    void reset();
    // At least `bytes` of room: smaller memory is replaced (and freed unless borrowed) by owned memory.
    void reserve(u32 bytes);

    u8* data = nullptr;
    u32 capacity = 0;
    bool borrowed = true;
};

// Scales frames by a gain falling from `first` by 1/`total` per frame: one gain for all channels of
// an interleaved frame; for planar data each channel's block of `frames` starts again at `first`.
// Integers are truncated toward zero. Encodings other than 16-bit, 32-bit, float and double pass
// unchanged.
void fadeFrames(void* data, u32 encoding, u32 frames, u32 channels, bool interleaved, f64 first, f64 total);
