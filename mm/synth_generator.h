#pragma once
// The generator interface of the synthesizer output, declared here until the output itself is in
// the library: the same declaration the output's header gives, so that this file can simply be
// dropped for it.
#include "core/types.h"

// A source of generated frames in an encoding of its own (2 16-bit, 3 32-bit integer, 4 32-bit
// float, 5 64-bit float), scaled by its gain into the 16-bit range.
class SynthGenerator {
public:
    virtual ~SynthGenerator() = default;
    virtual u32 encoding() const = 0;
    virtual u32 channels() const = 0;
    virtual f64 gain() const { return 1.0; }
    virtual bool fadingOut() const { return false; }
    // Writes up to `frames` interleaved frames; answers how many. Fewer than asked ends the source.
    virtual u32 readFrames(void* out, u32 frames) = 0;
};
