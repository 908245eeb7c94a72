// Generation over the range: a sine replacing or added to the selected tracks.
#include <cmath>

#include "engine/analysis_requests.h"
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
        const std::string bytes = std::to_string(5 * s.sound.frameBytes());
        const std::string range = "range " + std::to_string(44 + s.sound.frameBytes()) + " " + bytes + " " + bytes;
        EXPECT_EQ(s.owner.events, (std::vector<std::string>{range, "finished"}));
        s.owner.undoAll();
        EXPECT_EQ(s.sound.samples(), framedRange(std::vector<f64>(10, 5.0), 2));
    }
}

TEST(SineGenerate, StaysOnTheSineOverLongRanges) {
    FramedRangeSound s(encodingDouble, 1, {1}, std::vector<f64>(5000, 0.0));
    s.p->setAuxObject(tone(1e6, 441, 0.3));
    s.p->runSlot(Slot::sineGenerate, 0);
    std::vector<f64> out = s.sound.samples(1, 5001);
    f64 worst = 0;
    for (size_t k = 0; k < out.size(); ++k)
        worst = std::max(worst, std::fabs(out[k] - std::floor(1e6 * std::sin(2 * pi * 441 / 8000 * k + 0.3) + 0.5)));
    EXPECT_LE(worst, 1.0);
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

namespace {
SpectrumSource* spectrum(u32 fftSize, const std::vector<HarmonicRecord>& records) {
    auto* s = new SpectrumSource;
    initSpectrumHeader(&s->header);
    s->header.fftSize = fftSize;
    for (const HarmonicRecord& r : records) *s->harmonics.append(1) = r;
    return s;
}
}  // namespace

TEST(FftGenerate, PlaysOnePeriodOfTheSpectrumInGrains) {
    // A DC harmonic of phase pi/2 makes the period a constant 1000; over the first period the two
    // triangles add up to 31/31.5 everywhere (64 points).
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        FramedRangeSound s(encoding, 2, {0, 1}, std::vector<f64>(2 * 64, 5.0));
        s.p->setAuxObject(spectrum(64, {HarmonicRecord{1000, 0, pi / 2}, HarmonicRecord{500, 0, 0}}));
        s.p->runSlot(Slot::fftGenerate, 0);
        std::vector<f64> expected;
        for (int f = 0; f < 64; ++f) expected.insert(expected.end(), {5.0, std::floor(1000 * 31 / 31.5 + 0.5)});
        EXPECT_EQ(s.sound.samples(), framedRange(expected, 2));
    }
    // A sine on bin 4 stays within its amplitude whatever the grain lengths drawn.
    FramedRangeSound s(encodingDouble, 1, {1}, std::vector<f64>(3000, 0.0));
    s.p->setAuxObject(spectrum(64, {HarmonicRecord{1000, 4 * 8000 / 64.0, 0.3}}));
    s.p->runSlot(Slot::fftGenerate, 0);
    std::vector<f64> out = s.sound.samples(1, 3001);
    f64 peak = 0;
    for (f64 v : out) peak = std::max(peak, std::fabs(v));
    EXPECT_LE(peak, 1001.0);
    EXPECT_GT(peak, 500.0);
}

TEST(FftGenerate, HarmonicsAtOrAboveHalfTheSizeGiveSilence) {
    // 64 points at 8000 Hz: bin 32 is 4000 Hz; 3940 Hz rounds to it.
    const std::vector<HarmonicRecord> high = {HarmonicRecord{1000, 4000, 0}, HarmonicRecord{1000, 3940, 1},
                                              HarmonicRecord{1000, 7000, 0}};
    struct Case {
        u32 encoding;
        u32 mix;
        f64 old, expected;
    } cases[] = {
        {encodingInt16, 0, 5, 0}, {encodingInt32, 1, 5, 5}, {encodingFloat, 1, 5.3, 5}, {encodingDouble, 0, 5.3, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(encodingName(c.encoding));
        FramedRangeSound s(c.encoding, 1, {1}, std::vector<f64>(100, c.old));
        s.p->setAuxObject(spectrum(64, high));
        s.p->runSlot(Slot::fftGenerate, c.mix);
        EXPECT_EQ(s.sound.samples(1, 101), std::vector<f64>(100, c.expected));
    }
}

TEST(FftGenerate, AnUnusableFftSizeIsRefusedBeforeAnything) {
    for (u32 size : {0u, 1u, maxSpectrumFftSize + 1, 0xFFFFFFFFu}) {
        FramedRangeSound s(encodingInt16, 1, {1}, std::vector<f64>(10, 5.0));
        s.p->setAuxObject(spectrum(size, {HarmonicRecord{1000, 0, pi / 2}}));
        s.p->runSlot(Slot::fftGenerate, 0);
        EXPECT_TRUE(s.owner.events.empty()) << size;
        EXPECT_EQ(s.sound.samples(1, 11), std::vector<f64>(10, 5.0));
        ASSERT_EQ(s.sound.handler.reports.size(), 1u);
        EXPECT_NE(s.sound.handler.lastText().find(std::to_string(size)), std::string::npos);
    }
}

// From a known random state, each restart of head 1 draws the next grain length in [n/2, n) and puts
// head 2 half a grain from its end: over a constant period the output is 1000 times the sum of the
// two triangle weights (rounded), frame by frame through the first, second and third grains.
TEST(FftGenerate, GrainsRestartWithLengthsFromTheGenerator) {
    const u32 n = 64, frames = 200;
    FramedRangeSound s(encodingDouble, 1, {1}, std::vector<f64>(frames, 5.0));
    s.p->setAuxObject(spectrum(n, {HarmonicRecord{1000, 0, pi / 2}}));
    KnownGenerator generator(77);
    s.p->runSlot(Slot::fftGenerate, 0);
    const std::vector<f64> out = s.sound.samples(1, 1 + frames);

    setRandomState(77);
    u32 length = n, q1 = 0, q2 = n / 2, end1 = n, index1 = 0, index2 = n / 2, end2 = n, restarts = 0;
    auto weight = [&](u32 q) {
        const f64 c = (length - 1) / 2.0;
        return (c - std::fabs(q - c)) / c;
    };
    for (u32 f = 0; f < frames; ++f) {
        ASSERT_EQ(std::floor(1000.0 * (weight(q1) + weight(q2)) + 0.5), out[f]) << f << ", after restart " << restarts;
        ++index1, ++q1, ++index2, ++q2;
        if (index1 >= end1) {
            index1 = q1 = 0;
            length = randomBelow(n / 2, n);
            ASSERT_GE(length, n / 2);
            ASSERT_LT(length, n);
            end1 = length;
            end2 = index2 + length / 2;
            q2 = length / 2;
            ++restarts;
        }
        if (index2 >= end2) {
            index2 = q2 = 0;
            end2 = length;
        }
    }
    EXPECT_GE(restarts, 2u);
}
