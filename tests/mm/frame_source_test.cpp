#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "mm/frame_source.h"
#include "mm/sound_format.h"

namespace {

// Frames of one constant value per channel (channel c holds value x (c + 1)), in any encoding and layout.
class ConstantSource : public FrameSource {
public:
    ConstantSource(u32 encoding, u32 channels, bool interleaved, f64 value, u32 length, bool* deleted = nullptr)
        : enc(encoding), ch(channels), inter(interleaved), value(value), length(length), deleted(deleted) {}
    ~ConstantSource() override {
        if (deleted) *deleted = true;
    }

    u32 read(SampleBuffer& buffer, u32 frames) override {
        u32 n = std::min(frames, length - position);
        EXPECT_GE(buffer.capacity, frames * ch * bytesPerSample());
        for (u32 f = 0; f < n; ++f)
            for (u32 c = 0; c < ch; ++c) put(buffer.data, inter ? f * ch + c : c * n + f, value * (c + 1));
        position += n;
        return n;
    }
    bool playing() const override { return false; }
    void restart() override { position = 0; }
    u32 channels() const override { return ch; }
    u32 bytesPerSample() const override { return bytesPerSampleOf(enc); }
    bool interleaved() const override { return inter; }
    u32 rate() const override { return 44100; }
    u32 encoding() const override { return enc; }

    void put(u8* data, u32 i, f64 v) const {
        switch (enc) {
        case encodingInt32: reinterpret_cast<i32*>(data)[i] = (i32)v; break;
        case encodingFloat: reinterpret_cast<f32*>(data)[i] = (f32)v; break;
        case encodingDouble: reinterpret_cast<f64*>(data)[i] = v; break;
        default: reinterpret_cast<i16*>(data)[i] = (i16)v; break;
        }
    }

    u32 enc, ch;
    bool inter;
    f64 value;
    u32 length;
    u32 position = 0;
    bool* deleted;
};

f64 sampleAt(const SampleBuffer& b, u32 encoding, u32 i) {
    switch (encoding) {
    case encodingInt32: return reinterpret_cast<const i32*>(b.data)[i];
    case encodingFloat: return reinterpret_cast<const f32*>(b.data)[i];
    case encodingDouble: return reinterpret_cast<const f64*>(b.data)[i];
    default: return reinterpret_cast<const i16*>(b.data)[i];
    }
}

}  // namespace

TEST(FadeOutSource, ReadsATenthOfASecondInBlocks) {
    bool deleted = false;
    {
        FadeOutSource fade(new ConstantSource(encodingInt16, 2, true, 10000, 1000000, &deleted), true, 44100 / 10);
        EXPECT_TRUE(fade.playing());
        SampleBuffer buffer;
        std::vector<u32> blocks;
        for (int i = 0; i < 6; ++i) blocks.push_back(fade.read(buffer, 1000));
        EXPECT_EQ(blocks, (std::vector<u32>{1000, 1000, 1000, 1000, 410, 0}));
        // Restart plays the whole fade again from the source's start.
        fade.restart();
        EXPECT_EQ(fade.remaining, 4410u);
        EXPECT_EQ(fade.read(buffer, 1), 1u);
        EXPECT_EQ(sampleAt(buffer, encodingInt16, 0), 10000);
    }
    EXPECT_TRUE(deleted);
    deleted = false;
    { FadeOutSource fade(new ConstantSource(encodingInt16, 1, true, 1, 10, &deleted), false, 10); }
    EXPECT_FALSE(deleted) << "a source not owned is left to its owner";
}

TEST(FadeOutSource, GainsInEveryEncodingAndLayout) {
    struct Case {
        u32 encoding;
        bool interleaved;
    } cases[] = {
        {encodingInt16, true}, {encodingInt32, true}, {encodingFloat, true}, {encodingDouble, true},
        {encodingInt16, false}, {encodingDouble, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "encoding " << c.encoding << " interleaved " << c.interleaved);
        ConstantSource source(c.encoding, 2, c.interleaved, 8820, 1000000);
        FadeOutSource fade(&source, false, 4410);
        SampleBuffer buffer;
        ASSERT_EQ(fade.read(buffer, 4410), 4410u);
        const bool integer = c.encoding == encodingInt16 || c.encoding == encodingInt32;
        auto at = [&](u32 frame, u32 channel) {
            return sampleAt(buffer, c.encoding, c.interleaved ? frame * 2 + channel : channel * 4410 + frame);
        };
        EXPECT_EQ(at(0, 0), 8820);  // the first frame keeps its level
        EXPECT_EQ(at(0, 1), 17640);
        EXPECT_NEAR(at(2205, 0), 4410, 1e-3);
        // The last frame is scaled by 1/4410; integers truncate toward zero.
        EXPECT_NEAR(at(4409, 0), 2.0, integer ? 0.0 : 1e-3);
        EXPECT_NEAR(at(4409, 1), 4.0, integer ? 0.0 : 1e-3);
    }
    // A negative integer truncates toward zero as well.
    ConstantSource negative(encodingInt16, 1, true, -100, 100);
    FadeOutSource fade(&negative, false, 3);
    SampleBuffer buffer;
    ASSERT_EQ(fade.read(buffer, 3), 3u);
    EXPECT_EQ(sampleAt(buffer, encodingInt16, 1), -66);
    EXPECT_EQ(sampleAt(buffer, encodingInt16, 2), -33);
}

TEST(FadeOutSource, EarlyEndsAndTinyRates) {
    // A source that ends early ends the fade at once, its frames faded on the fade's own ramp.
    ConstantSource shortSource(encodingInt16, 1, true, 1000, 1500);
    FadeOutSource fade(&shortSource, false, 4410);
    SampleBuffer buffer;
    EXPECT_EQ(fade.read(buffer, 1000), 1000u);
    EXPECT_EQ(fade.read(buffer, 1000), 500u);
    EXPECT_EQ(fade.remaining, 0u);
    EXPECT_EQ(fade.read(buffer, 1000), 0u);

    // A rate below 10 gives rate / 10 = 0: the fade still plays one frame, then ends.
    ConstantSource slow(encodingInt16, 1, true, 1000, 100);
    FadeOutSource tiny(&slow, false, 9 / 10);
    EXPECT_EQ(tiny.total, 1u);
    EXPECT_EQ(tiny.read(buffer, 10), 1u);
    EXPECT_EQ(sampleAt(buffer, encodingInt16, 0), 1000);
    EXPECT_EQ(tiny.read(buffer, 10), 0u);
}

TEST(SampleBuffer, OwnedAndBorrowedMemory) {
    u8 own[16];
    SampleBuffer borrowed(own, sizeof own);
    borrowed.reserve(8);
    EXPECT_EQ(borrowed.data, own) << "enough room keeps the memory";
    borrowed.reserve(32);
    EXPECT_NE(borrowed.data, own);
    EXPECT_FALSE(borrowed.borrowed);
    EXPECT_EQ(borrowed.capacity, 32u);
    borrowed.reset();
    EXPECT_EQ(borrowed.data, nullptr);
    EXPECT_EQ(borrowed.capacity, 0u);
    EXPECT_TRUE(borrowed.borrowed);
}
