#pragma once
// The least of a generator of the synthesizer output that the plug-in source needs: frames of
// interleaved samples in an encoding of its own (2 16-bit, 3 32-bit, 4 32-bit float, 5 64-bit
// float), its channel count and gain, whether it is fading out already. To be joined with the
// sound source interface of the players.
#include "core/arrays.h"
#include "core/types.h"

class SynthGenerator : public GCommonObject {
public:
    virtual u32 encoding() const = 0;
    virtual i32 channels() const = 0;
    virtual f64 gain() const = 0;
    virtual bool fadingOut() const { return false; }
    // Up to frames interleaved frames into buffer; the answer is the number delivered (fewer at
    // the end of the generator's sound).
    virtual u32 readFrames(void* buffer, u32 frames) = 0;
    virtual bool rewind() = 0;
};
