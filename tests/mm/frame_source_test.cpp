#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "mm/frame_source.h"
#include "mm/sound_format.h"
#include "mm/synth_output.h"

namespace {

// Interleaved frames of one constant value per channel (channel c holds value x (c + 1)), in any
// encoding; 8-bit samples are stored as value + 128.
class ConstantGenerator : public SynthGenerator {
public:
    ConstantGenerator(u32 encoding, u32 channels, f64 value, u32 length, bool* deleted = nullptr)
        : enc(encoding), ch(channels), value(value), length(length), deleted(deleted) {}
    ~ConstantGenerator() override {
        if (deleted) *deleted = true;
    }

    u32 encoding() const override { return enc; }
    u32 channels() const override { return ch; }
    bool rewind() override {
        position = 0;
        return true;
    }
    u32 readFrames(void* out, u32 frames) override {
        u32 n = std::min(frames, length - position);
        for (u32 f = 0; f < n; ++f)
            for (u32 c = 0; c < ch; ++c) put(out, f * ch + c, value * (c + 1));
        position += n;
        return n;
    }

    void put(void* data, u32 i, f64 v) const {
        switch (enc) {
        case encodingInt32: static_cast<i32*>(data)[i] = (i32)v; break;
        case encodingFloat: static_cast<f32*>(data)[i] = (f32)v; break;
        case encodingDouble: static_cast<f64*>(data)[i] = v; break;
        case encodingInt16: static_cast<i16*>(data)[i] = (i16)v; break;
        default: static_cast<u8*>(data)[i] = (u8)(v + 128); break;
        }
    }

    u32 enc, ch;
    f64 value;
    u32 length;
    u32 position = 0;
    bool* deleted;
};

f64 sampleAt(const void* data, u32 encoding, u32 i) {
    switch (encoding) {
    case encodingInt32: return static_cast<const i32*>(data)[i];
    case encodingFloat: return static_cast<const f32*>(data)[i];
    case encodingDouble: return static_cast<const f64*>(data)[i];
    default: return static_cast<const i16*>(data)[i];
    }
}

}  // namespace

TEST(FadeOutGenerator, ReadsATenthOfASecondInBlocks) {
    bool deleted = false;
    std::vector<i16> out(2000);
    {
        FadeOutGenerator fade(new ConstantGenerator(encodingInt16, 2, 10000, 1000000, &deleted), true, 44100 / 10);
        EXPECT_TRUE(fade.fadingOut());
        std::vector<u32> blocks;
        for (int i = 0; i < 6; ++i) blocks.push_back(fade.readFrames(out.data(), 1000));
        EXPECT_EQ(blocks, (std::vector<u32>{1000, 1000, 1000, 1000, 410, 0}));
        // Rewind plays the whole fade again from the source's start.
        EXPECT_TRUE(fade.rewind());
        EXPECT_EQ(fade.remaining, 4410u);
        EXPECT_EQ(fade.readFrames(out.data(), 1), 1u);
        EXPECT_EQ(out[0], 10000);
    }
    EXPECT_TRUE(deleted);
    deleted = false;
    { FadeOutGenerator fade(new ConstantGenerator(encodingInt16, 1, 1, 10, &deleted), false, 10); }
    EXPECT_FALSE(deleted) << "a source not owned is left to its owner";
}

TEST(FadeOutGenerator, OneRampOverBlocksInEveryEncoding) {
    for (u32 encoding : {encodingInt16, encodingInt32, encodingFloat, encodingDouble}) {
        SCOPED_TRACE(testing::Message() << "encoding " << encoding);
        ConstantGenerator source(encoding, 2, 8820, 1000000);
        FadeOutGenerator fade(&source, false, 4410);
        std::vector<f64> block(2048);  // room for 1024 stereo frames of any encoding
        const bool integer = encoding == encodingInt16 || encoding == encodingInt32;
        ASSERT_EQ(fade.readFrames(block.data(), 1024), 1024u);
        EXPECT_EQ(sampleAt(block.data(), encoding, 0), 8820);  // the first frame keeps its level
        EXPECT_EQ(sampleAt(block.data(), encoding, 1), 17640);
        // Frame 1023 gets 3387/4410 and the next block starts at 3386/4410.
        EXPECT_NEAR(sampleAt(block.data(), encoding, 2 * 1023), 6774, integer ? 0 : 1e-3);
        ASSERT_EQ(fade.readFrames(block.data(), 1024), 1024u);
        EXPECT_NEAR(sampleAt(block.data(), encoding, 0), 6772, integer ? 0 : 1e-3);
        EXPECT_NEAR(sampleAt(block.data(), encoding, 1), 13544, integer ? 0 : 1e-3);
        while (fade.remaining > 1) fade.readFrames(block.data(), std::min(fade.remaining - 1, 1024u));
        // The last frame is scaled by 1/4410; integers truncate toward zero.
        ASSERT_EQ(fade.readFrames(block.data(), 1024), 1u);
        EXPECT_NEAR(sampleAt(block.data(), encoding, 0), 2.0, integer ? 0.0 : 1e-3);
        EXPECT_NEAR(sampleAt(block.data(), encoding, 1), 4.0, integer ? 0.0 : 1e-3);
        EXPECT_EQ(fade.readFrames(block.data(), 1024), 0u);
    }
}

TEST(FadeFrames, TruncationLayoutsAndEmptyBlocks) {
    // The second frame of a 4410-frame fade: 3 -> 2 and -3 -> -2; frame 0 keeps -32768.
    i16 ints[4] = {-32768, 32767, 3, -3};
    fadeFrames(ints, encodingInt16, 2, 2, true, 1.0, 4410);
    EXPECT_EQ(ints[0], -32768);
    EXPECT_EQ(ints[1], 32767);
    EXPECT_EQ(ints[2], 2);
    EXPECT_EQ(ints[3], -2);

    // A planar stereo block: both runs get the same gains, each from the start gain.
    for (u32 encoding : {encodingInt16, encodingInt32, encodingFloat, encodingDouble}) {
        std::vector<f64> block(200);
        for (u32 i = 0; i < 200; ++i) ConstantGenerator(encoding, 1, 10000, 1).put(block.data(), i, 10000);
        fadeFrames(block.data(), encoding, 100, 2, false, 0.5, 200);
        for (u32 f = 0; f < 100; f += 33) {
            const f64 want = 10000 * (0.5 - f / 200.0);
            EXPECT_NEAR(sampleAt(block.data(), encoding, f), want, 1.0) << encoding << " frame " << f;
            EXPECT_EQ(sampleAt(block.data(), encoding, f), sampleAt(block.data(), encoding, 100 + f));
        }
    }

    // No frames or no channels touch nothing; 8-bit and unknown encodings pass unchanged.
    i16 guard[4] = {100, 100, 100, 100};
    fadeFrames(guard, encodingInt16, 0, 2, true, 0.5, 10);
    fadeFrames(guard, encodingInt16, 2, 0, true, 0.5, 10);
    fadeFrames(guard, 1, 2, 2, true, 0.5, 10);
    fadeFrames(guard, 77, 2, 2, false, 0.5, 10);
    EXPECT_EQ(std::vector<i16>(guard, guard + 4), std::vector<i16>(4, 100));
}

TEST(FadeOutGenerator, EightBitBlocksPassAndTheFadeEndsOnTime) {
    ConstantGenerator source(1, 2, 50, 1000000);
    FadeOutGenerator fade(&source, false, 100);
    std::vector<u8> block(2 * 64 + 16, 0xEE);
    u32 total = 0;
    for (u32 got; (got = fade.readFrames(block.data(), 64)) != 0;) {
        total += got;
        EXPECT_EQ(block[0], 178) << "8-bit samples pass unchanged";
        for (size_t i = 2 * 64; i < block.size(); ++i) ASSERT_EQ(block[i], 0xEE) << "guard byte " << i;
    }
    EXPECT_EQ(total, 100u);
}

TEST(FadeOutGenerator, EarlyEndsAndTinyRates) {
    // A source that ends early ends the fade at once, its frames faded on the fade's own ramp.
    std::vector<i16> out(1000);
    ConstantGenerator shortSource(encodingInt16, 1, 1000, 1500);
    FadeOutGenerator fade(&shortSource, false, 4410);
    EXPECT_EQ(fade.readFrames(out.data(), 1000), 1000u);
    EXPECT_EQ(fade.readFrames(out.data(), 1000), 500u);
    EXPECT_EQ(fade.remaining, 0u);
    EXPECT_EQ(fade.readFrames(out.data(), 1000), 0u);

    // A rate below 10 gives rate / 10 = 0: the fade still plays one frame, then ends.
    ConstantGenerator slow(encodingInt16, 1, 1000, 100);
    FadeOutGenerator tiny(&slow, false, 9 / 10);
    EXPECT_EQ(tiny.length, 1u);
    EXPECT_EQ(tiny.readFrames(out.data(), 10), 1u);
    EXPECT_EQ(out[0], 1000);
    EXPECT_EQ(tiny.readFrames(out.data(), 10), 0u);
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
