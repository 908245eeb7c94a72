// Generation over the range: a sine replacing or added to the selected tracks.
#include <cmath>

#include "engine/spectrum_requests.h"
#include "tests/engine/engine_fixture.h"

namespace {
const f64 pi = 3.141592653589793;

ToneParams* tone(f64 amplitude, f64 frequency, f64 phase) {
    auto* t = new ToneParams;
    t->tone.amplitude = amplitude;
    t->tone.frequency = frequency;
    t->tone.phase = phase;
    return t;
}
}  // namespace

TEST(SineGenerate, WritesTheSineIntoTheSelectedTracks) {
    struct Case {
        const char* name;
        u32 encoding;
        f64 amplitude;
        f64 phase;
        u32 mix;
        std::vector<f64> expected;  // the first track of frames 0..4; the second keeps its 5s
        bool clipped;
    };
    // 1000 Hz at 8000 Hz: pi/4 per frame; the range's old samples are 5.
    const f64 h = std::sqrt(0.5);
    const Case cases[] = {
        {"int16, phase 0", encodingInt16, 1000, 0, 0, {0, 707, 1000, 707, 0}, false},
        {"int32, phase pi/2", encodingInt32, 1000, pi / 2, 0, {1000, 707, 0, -707, -1000}, false},
        {"float rounded to whole values", encodingFloat, 10.4, 0, 0, {0, std::floor(10.4 * h + 0.5), 10, 7, 0}, false},
        {"double added to the old samples", encodingDouble, 1000, 0, 1, {5, 712, 1005, 712, 5}, false},
        {"int16 of 40000 clips", encodingInt16, 40000, pi / 2, 0, {32767, 28284, 0, -28284, -32767}, true},
        {"int32 of 40000 does not", encodingInt32, 40000, pi / 2, 0, {40000, 28284, 0, -28284, -40000}, false},
        {"float of 40000 does not", encodingFloat, 40000, pi / 2, 0, {40000, 28284, 0, -28284, -40000}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FramedRangeSound s(c.encoding, 2, {1, 0}, std::vector<f64>(10, 5.0));
        s.p->setAuxObject(tone(c.amplitude, 1000, c.phase));
        s.p->runSlot(Slot::sineGenerate, c.mix);
        std::vector<f64> expected;
        for (f64 v : c.expected) expected.insert(expected.end(), {v, 5.0});
        EXPECT_EQ(s.sound.samples(), framedRange(expected, 2));
        EXPECT_EQ((s.p->flags & clippedFlag) != 0, c.clipped);
        EXPECT_DOUBLE_EQ(static_cast<ToneParams*>(s.p->auxObject)->tone.reserved64, pi / 4);
        const u64 frame = s.sound.frameBytes();
        EXPECT_EQ(s.owner.events, (std::vector<std::string>{"range " + std::to_string(44 + frame) + " " +
                                                                std::to_string(5 * frame) + " " + std::to_string(5 * frame),
                                                            "finished"}));
        s.owner.undoAll();
        EXPECT_EQ(s.sound.samples(), framedRange(std::vector<f64>(10, 5.0), 2));
    }
}

TEST(SineGenerate, EdgesAreBlendedWithTheOldSound) {
    FramedRangeSound s(encodingInt32, 1, {1}, std::vector<f64>(40, 1000.0), 4);
    s.p->setAuxObject(tone(0, 1000, 0));
    s.p->runSlot(Slot::sineGenerate, 0);
    std::vector<f64> out = s.sound.samples(1, 41);
    EXPECT_GT(out[0], 500.0) << "the start fades from the old sound";
    EXPECT_GT(out[39], 500.0) << "the end fades back into it";
    EXPECT_EQ(out[20], 0.0);
}
