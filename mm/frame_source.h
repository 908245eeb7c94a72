#pragma once
// Sources of frames for the synthesizer output: the reader fills a sample buffer with whole frames
// in the source's own encoding and layout. SampleBuffer owns its memory unless it is borrowed.
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

class FrameSource {
public:
    virtual ~FrameSource() = default;
    // Frames delivered into the buffer (made large enough); fewer than asked means the end.
    virtual u32 read(SampleBuffer& buffer, u32 frames) = 0;
    // False once the source has stopped.
    virtual bool playing() const = 0;
    virtual void restart() = 0;
    virtual u32 channels() const = 0;
    virtual u32 bytesPerSample() const = 0;
    // True for interleaved frames; false for one block per channel.
    virtual bool interleaved() const = 0;
    virtual u32 rate() const = 0;
    // encodingInt16, encodingInt32, encodingFloat or encodingDouble.
    virtual u32 encoding() const = 0;
};

// Scales frames by a gain falling from `first` by 1/`total` per frame: one gain for all channels of
// an interleaved frame; for planar data each channel's block of `frames` starts again at `first`.
// Integers are truncated toward zero.
void fadeFrames(void* data, u32 encoding, u32 frames, u32 channels, bool interleaved, f64 first, f64 total);

// Plays a source on for `total` frames while its level falls linearly to silence, then ends.
// Deletes the wrapped source when it owns it.
class FadeOutSource : public FrameSource {
public:
    // A total below one frame (a rate below 10 given rate / 10) is taken as one frame.
    FadeOutSource(FrameSource* inner, bool owned, u32 total);
    ~FadeOutSource() override;

    u32 read(SampleBuffer& buffer, u32 frames) override;
    bool playing() const override { return true; }
    void restart() override;
    u32 channels() const override { return inner->channels(); }
    u32 bytesPerSample() const override { return inner->bytesPerSample(); }
    bool interleaved() const override { return inner->interleaved(); }
    u32 rate() const override { return inner->rate(); }
    u32 encoding() const override { return inner->encoding(); }

    FrameSource* const inner;
    const bool owned;
    const u32 total;
    u32 remaining;
};
