#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/fft.h"
#include "engine/phase_vocoder.h"
#include "engine/processor.h"
#include "engine/window_functions.h"
#include "tests/engine/engine_fixture.h"

namespace {
const f64 pi = 3.14159265358979323846;

void vocoderDefaults(SoundBlockProcessor& p) {
    p.periodFrames = 2048;
    p.paramInt2 = 4;
    p.paramInt3 = windowTypeHann;
}

std::vector<f64> ramp(size_t n, f64 step) {
    std::vector<f64> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = step * (f64)i;
    return v;
}

std::vector<f64> sine(size_t frames, f64 cyclesPerFrame, f64 amplitude) {
    std::vector<f64> v(frames);
    for (size_t i = 0; i < frames; ++i) v[i] = std::floor(amplitude * std::sin(2 * pi * cyclesPerFrame * (f64)i));
    return v;
}

// The strongest frequency of the samples, in cycles per frame: the peak of a Hann-windowed
// transform, refined by a parabola through its neighbours.
f64 strongestFrequency(const std::vector<f64>& x) {
    const i32 n = (i32)x.size();
    std::vector<Complex> c((size_t)n);
    for (i32 i = 0; i < n; ++i) c[(size_t)i] = {x[(size_t)i] * windowHann(i, n), 0.0};
    fft(c.data(), n, false);
    i32 best = 1;
    auto mag = [&](i32 k) { return std::hypot(c[(size_t)k].re, c[(size_t)k].im); };
    for (i32 k = 1; k < n / 2; ++k) {
        if (mag(k) > mag(best)) best = k;
    }
    f64 a = std::log(mag(best - 1)), b = std::log(mag(best)), g = std::log(mag(best + 1));
    return (best + 0.5 * (a - g) / (a - 2 * b + g)) / n;
}

std::vector<f64> middle(const std::vector<f64>& v, size_t n) {
    size_t from = (v.size() - n) / 2;
    return std::vector<f64>(v.begin() + (long)from, v.begin() + (long)(from + n));
}
}  // namespace

// Result lengths, in whole frames of 64-bit arithmetic, in every type; a partial selection keeps
// its length when it shortens.
TEST(PitchOperations, ResultLengths) {
    const struct {
        Slot slot;
        f64 ratio;
        u32 channels;
        std::vector<u8> mask;
        u64 frames, newFrames;
    } cases[] = {
        {Slot::pitchScale, 2.0, 1, {1}, 1001, 501},    {Slot::pitchScale, 0.5, 1, {1}, 1001, 2002},
        {Slot::pitchScale, 2.0, 2, {1, 0}, 1000, 1000}, {Slot::pitchScale, 0.5, 2, {1, 0}, 1000, 2000},
        {Slot::tempo, 1.25, 2, {1, 1}, 1000, 800},     {Slot::tempo, 0.8, 1, {1}, 1000, 1250},
        {Slot::pitch, 1.5, 2, {1, 1}, 1000, 1000},
    };
    for (const auto& c : cases) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << "slot " << (u32)c.slot << " ratio " << c.ratio << ", " << encodingName(encoding));
            FramedRangeSound f(encoding, c.channels, c.mask, ramp(c.frames * c.channels, 3.0), 8);
            vocoderDefaults(*f.p);
            f.p->param1 = c.ratio;
            f.p->runSlot(c.slot);
            const u64 bytes = c.newFrames * f.sound.frameBytes();
            EXPECT_EQ(f.sound.at(c.newFrames + 2), f.sound.end());
            ASSERT_EQ(2u, f.owner.events.size());
            EXPECT_EQ("range " + std::to_string(f.sound.at(1)) + " " + std::to_string(c.frames * f.sound.frameBytes()) +
                          " " + std::to_string(bytes),
                      f.owner.events[0]);
            // The neighbours are untouched, and undo gives the old sound back.
            std::vector<f64> s = f.sound.samples();
            for (u32 ch = 0; ch < c.channels; ++ch) {
                EXPECT_EQ(7.0, s[ch]);
                EXPECT_EQ(7.0, s[s.size() - 1 - ch]);
            }
            if (c.slot != Slot::pitch) {
                EXPECT_EQ(f.sound.at(1), f.p->extraPositions[newSelectionStart]);
                EXPECT_EQ(f.sound.at(1) + bytes, f.p->extraPositions[newSelectionEnd]);
            }
            f.owner.undoAll();
            EXPECT_EQ(sampleValues(encoding, sampleBytes(encoding, framedRange(ramp(c.frames * c.channels, 3.0), c.channels))),
                      f.sound.samples());
        }
    }
}

// The cubic reproduces a line exactly, so every output frame k holds the input line at k x ratio:
// the window's start, middle and end handling shows in each frame. Unselected tracks keep their own
// frames while there are any, then 0; a kept length holds silence after the resampled frames.
TEST(PitchOperations, PitchScaleReadsFrameKAtKTimesTheRatio) {
    for (u32 encoding : allEncodings) {
        for (f64 ratio : {0.5, 0.75, 1.5, 2.0}) {
            SCOPED_TRACE(testing::Message() << encodingName(encoding) << " ratio " << ratio);
            const u64 frames = 40;
            std::vector<f64> input(2 * frames);
            for (u64 i = 0; i < frames; ++i) {
                input[2 * i] = 100.0 * (f64)i;
                input[2 * i + 1] = -5.0 * (f64)i - 1;
            }
            FramedRangeSound f(encoding, 2, {1, 0}, input);
            f.p->param1 = ratio;
            f.p->runSlot(Slot::pitchScale);
            const u64 resampled = (u64)std::floor(frames / ratio + 0.5);
            const u64 out = ratio >= 1 ? frames : resampled;
            std::vector<f64> s = f.sound.samples(1, 1 + out);
            ASSERT_EQ(2 * out, s.size());
            for (u64 k = 0; k < out; ++k) {
                const f64 left = k < resampled ? std::trunc(100.0 * (f64)k * ratio + 1e-9) : 0.0;
                EXPECT_NEAR(left, s[2 * k], 1.0) << k;
                EXPECT_EQ(k < frames ? -5.0 * (f64)k - 1 : 0.0, s[2 * k + 1]) << k;
            }
        }
    }
}

TEST(PitchOperations, PitchShiftMovesASineByTheFactor) {
    for (u32 encoding : {encodingInt16, encodingFloat}) {
        for (f64 factor : {1.5, 0.75, 1.0}) {
            SCOPED_TRACE(testing::Message() << encodingName(encoding) << " factor " << factor);
            const f64 frequency = 0.05;  // cycles per frame
            std::vector<f64> input = sine(16384, frequency, 10000);
            FramedRangeSound f(encoding, 1, {1}, input);
            vocoderDefaults(*f.p);
            f.p->param1 = factor;
            f.p->runSlot(Slot::pitch);
            std::vector<f64> out = f.sound.samples(1, 1 + input.size());
            EXPECT_NEAR(frequency * factor, strongestFrequency(middle(out, 8192)), frequency * 0.005);
            if (factor == 1.0) {
                // Aligned with the input: the vocoder's latency was read ahead and dropped.
                std::vector<f64> a = middle(input, 4096), b = middle(out, 4096);
                f64 worst = 0;
                for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::fabs(a[i] - b[i]));
                EXPECT_LT(worst, 200.0);
            }
        }
    }
}

// Tempo changes the length and keeps the pitch, through the scratch area, in both directions.
TEST(PitchOperations, TempoKeepsThePitch) {
    for (f64 ratio : {1.25, 0.8}) {
        SCOPED_TRACE(testing::Message() << "ratio " << ratio);
        const f64 frequency = 0.04;
        std::vector<f64> input(2 * 16384);
        std::vector<f64> mono = sine(16384, frequency, 12000);
        for (size_t i = 0; i < mono.size(); ++i) input[2 * i] = input[2 * i + 1] = mono[i];
        FramedRangeSound f(encodingInt16, 2, {1, 1}, input);
        vocoderDefaults(*f.p);
        f.p->param1 = ratio;
        f.p->runSlot(Slot::tempo);
        const u64 frames = (u64)std::floor(16384 / ratio + 0.5);
        std::vector<f64> out = f.sound.samples(1, 1 + frames), left(frames), right(frames);
        for (u64 i = 0; i < frames; ++i) {
            left[i] = out[2 * i];
            right[i] = out[2 * i + 1];
        }
        EXPECT_NEAR(frequency, strongestFrequency(middle(left, 8192)), frequency * 0.005);
        // Both tracks hold the same sound: each track's vocoder gives the same result.
        for (u64 i = 0; i < frames; ++i) ASSERT_NEAR(left[i], right[i], 1.0) << i;
        EXPECT_EQ(ratio, f.p->param1);
    }
}

// Runs that change nothing: they either open no change at all, or copy the old bytes exactly.
TEST(PitchOperations, RefusalsAndCopies) {
    const struct {
        const char* name;
        Slot slot;
        f64 ratio;
        u32 frameSize;
        std::vector<u8> mask;
        u64 frames;
        bool opensChange;
    } cases[] = {
        {"3 frames of pitch scale", Slot::pitchScale, 2.0, 2048, {1}, 3, false},
        {"3 frames of pitch", Slot::pitch, 2.0, 2048, {1}, 3, false},
        {"3 frames of tempo", Slot::tempo, 2.0, 2048, {1}, 3, false},
        {"3 frames of vibrato", Slot::vibrato, 1.1, 2048, {1}, 3, false},
        {"frame size above 8192", Slot::pitch, 2.0, 16384, {1}, 100, false},
        {"frame size not a power of two", Slot::tempo, 2.0, 1000, {1}, 100, false},
        {"factor 0", Slot::pitch, 0.0, 2048, {1}, 100, false},
        {"negative factor", Slot::pitchScale, -1.0, 2048, {1}, 100, false},
        {"NaN factor", Slot::tempo, std::nan(""), 2048, {1}, 100, false},
        {"tempo 1 copies", Slot::tempo, 1.0, 2048, {1}, 100, true},
        {"pitch of no track copies", Slot::pitch, 2.0, 2048, {0}, 100, true},
        {"vibrato of depth 0 (ratio 1)", Slot::vibrato, 1.0, 2048, {1}, 100, true},
        {"random vibrato of depth 0", Slot::vibratoRandom, 1.0, 2048, {1}, 100, true},
    };
    for (const auto& c : cases) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << encodingName(encoding));
            std::vector<f64> input = ramp(c.frames, 37.0);
            FramedRangeSound f(encoding, 1, c.mask, input, 4);
            f.p->param1 = c.ratio;
            f.p->periodFrames = c.frameSize;
            if (c.slot == Slot::vibrato || c.slot == Slot::vibratoRandom) f.p->periodFrames = 30;
            f.p->paramInt2 = 4;
            f.p->runSlot(c.slot);
            EXPECT_EQ(c.opensChange ? 2u : 0u, f.owner.events.size());
            EXPECT_EQ(sampleValues(encoding, sampleBytes(encoding, framedRange(input, 1))), f.sound.samples());
        }
    }
}

TEST(VibratoOperations, DelayIsZeroAtTheEndsAndUnselectedTracksStay) {
    for (Slot slot : {Slot::vibrato, Slot::vibratoRandom}) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << encodingName(encoding) << " slot " << (u32)slot);
            const u64 frames = 250;  // 2.5 periods
            std::vector<f64> input(2 * frames);
            std::vector<f64> wave = sine(frames, 0.03, 20000);
            for (u64 i = 0; i < frames; ++i) {
                input[2 * i] = wave[i];
                input[2 * i + 1] = (f64)((i * 7919) % 30001) - 15000.0;
            }
            FramedRangeSound f(encoding, 2, {1, 0}, input);
            f.p->param1 = std::pow(2.0, 2.0 / 12);
            f.p->periodFrames = 100;
            KnownGenerator generator;
            f.p->runSlot(slot);
            std::vector<f64> s = f.sound.samples(1, 1 + frames);
            EXPECT_EQ(std::trunc(input[0]), s[0]);
            // The last frame is read a hundredth of a frame early at most.
            EXPECT_NEAR(input[2 * (frames - 1)], s[2 * (frames - 1)], 60.0);
            bool changed = false;
            for (u64 i = 0; i < frames; ++i) {
                EXPECT_EQ(input[2 * i + 1], s[2 * i + 1]) << i;
                changed |= std::fabs(input[2 * i] - s[2 * i]) > 100;
            }
            EXPECT_TRUE(changed);
            EXPECT_EQ(f.sound.at(1), f.p->extraPositions[newSelectionStart]);
            EXPECT_EQ(f.sound.at(1 + frames), f.p->extraPositions[newSelectionEnd]);
        }
    }
}

// Below 0.5 the reading would run backwards: such a ratio works as 0.5.
TEST(VibratoOperations, RatiosBelowOneHalfAreClamped) {
    std::vector<f64> wave = sine(400, 0.02, 20000);
    std::vector<std::vector<f64>> results;
    for (f64 ratio : {0.5, 0.1}) {
        FramedRangeSound f(encodingDouble, 1, {1}, wave);
        f.p->param1 = ratio;
        f.p->periodFrames = 100;
        f.p->runSlot(Slot::vibrato);
        results.push_back(f.sound.samples());
    }
    EXPECT_EQ(results[0], results[1]);
}

// The vocoder reads on past the range into the sound after it, so the range's last frames are whole;
// at the end of the sound it reads zeros.
TEST(PitchOperations, PitchReadsTheSoundAfterTheRange) {
    std::vector<f64> input = sine(16384, 0.05, 10000);
    TestSound s(encodingDouble, 1, input);
    auto p = bindProcessor(s, 4096, 8192);
    vocoderDefaults(*p);
    p->param1 = 1.0;
    p->runSlot(Slot::pitch);
    std::vector<f64> out = s.samples();
    f64 worst = 0;
    for (size_t i = 8192 - 64; i < 8192; ++i) worst = std::max(worst, std::fabs(out[i] - input[i]));
    EXPECT_LT(worst, 200.0);
    EXPECT_EQ(std::vector<f64>(input.begin() + 8192, input.end()), std::vector<f64>(out.begin() + 8192, out.end()));
}

// With only some tracks selected a shorter tempo or pitch scale keeps the length: the selected
// track's frames after the resampled ones hold silence (the material does not repeat), the other
// track is untouched.
TEST(PitchOperations, ShorterResultsOfSomeTracksKeepTheLengthWithSilenceAfter) {
    for (Slot slot : {Slot::tempo, Slot::pitchScale}) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << encodingName(encoding) << ", slot " << (u32)slot);
            const u64 frames = 1000;
            std::vector<f64> input(2 * frames);
            for (u64 i = 0; i < frames; ++i) {
                input[2 * i] = std::floor(8000 * std::sin(0.05 * (f64)i));
                input[2 * i + 1] = (f64)((i * 7919) % 30001) - 15000.0;
            }
            FramedRangeSound f(encoding, 2, {1, 0}, input);
            vocoderDefaults(*f.p);
            f.p->param1 = 1.25;
            f.p->runSlot(slot);
            std::vector<f64> s = f.sound.samples(1, 1 + frames);
            ASSERT_EQ(2 * frames, s.size());
            for (u64 i = 0; i < frames; ++i) {
                EXPECT_EQ(input[2 * i + 1], s[2 * i + 1]) << i;
                if (i >= 800) {
                    EXPECT_EQ(0.0, s[2 * i]) << i;
                }
            }
        }
    }
}

// A cancel does not stop pitch or vibrato: the whole range is written as without it, and undo
// restores it. (Cancel of the resampling operations: tests/engine/stop_test.cpp.)
TEST(PitchOperations, CancelRunsToTheEnd) {
    for (Slot slot : {Slot::pitch, Slot::vibrato}) {
        SCOPED_TRACE(testing::Message() << "slot " << (u32)slot);
        std::vector<f64> input = sine(20000, 0.01, 9000);
        std::vector<std::vector<f64>> results;
        for (bool cancel : {false, true}) {
            FramedRangeSound f(encodingInt16, 1, {1}, input);
            vocoderDefaults(*f.p);
            f.p->param1 = 1.25;
            if (slot == Slot::vibrato) f.p->periodFrames = 1000;
            CancellingProgress progress(1);
            progress.setTotal(f.p->rangeLength);
            if (cancel) f.p->progress = &progress;
            f.p->runSlot(slot);
            EXPECT_TRUE(!cancel || progress.isCancelled());
            results.push_back(f.sound.samples());
            f.owner.undoAll();
            EXPECT_EQ(sampleValues(encodingInt16, sampleBytes(encodingInt16, framedRange(input, 1))), f.sound.samples());
        }
        EXPECT_EQ(results[0], results[1]);
    }
}

// Two tracks, each through its own vocoder: each moves by the factor, neither takes the other's sound.
TEST(PitchOperations, PitchShiftKeepsTracksApart) {
    const f64 left = 0.03, right = 0.07;
    std::vector<f64> l = sine(16384, left, 9000), r = sine(16384, right, 5000), input(2 * 16384);
    for (size_t i = 0; i < l.size(); ++i) {
        input[2 * i] = l[i];
        input[2 * i + 1] = r[i];
    }
    FramedRangeSound f(encodingFloat, 2, {1, 1}, input);
    vocoderDefaults(*f.p);
    f.p->param1 = 1.25;
    f.p->runSlot(Slot::pitch);
    std::vector<f64> out = f.sound.samples(1, 1 + l.size()), a(l.size()), b(l.size());
    for (size_t i = 0; i < l.size(); ++i) {
        a[i] = out[2 * i];
        b[i] = out[2 * i + 1];
    }
    EXPECT_NEAR(left * 1.25, strongestFrequency(middle(a, 8192)), left * 0.005);
    EXPECT_NEAR(right * 1.25, strongestFrequency(middle(b, 8192)), right * 0.005);
}

// Every track has a vocoder of its own, whichever thread runs it: each track of a three-track pitch
// shift over several blocks equals the shift of that track alone, to the bit.
TEST(PitchOperations, TracksShiftAloneOnAnyThread) {
    const size_t frames = 40000;
    const f64 rates[] = {0.011, 0.023, 0.041};
    std::vector<f64> input(3 * frames);
    for (size_t i = 0; i < frames; ++i) {
        for (size_t c = 0; c < 3; ++c) input[3 * i + c] = std::floor(8000 * std::sin(2 * pi * rates[c] * (f64)i)) + (f64)(i % (7 + c));
    }
    FramedRangeSound all(encodingFloat, 3, {1, 1, 1}, input);
    vocoderDefaults(*all.p);
    all.p->param1 = 1.2;
    all.p->runSlot(Slot::pitch);
    const std::vector<f64> together = all.sound.samples(1, 1 + frames);
    for (size_t c = 0; c < 3; ++c) {
        std::vector<f64> one(frames);
        for (size_t i = 0; i < frames; ++i) one[i] = input[3 * i + c];
        FramedRangeSound alone(encodingFloat, 1, {1}, one);
        vocoderDefaults(*alone.p);
        alone.p->param1 = 1.2;
        alone.p->runSlot(Slot::pitch);
        const std::vector<f64> got = alone.sound.samples(1, 1 + frames);
        for (size_t i = 0; i < frames; ++i) ASSERT_EQ(got[i], together[3 * i + c]) << "track " << c << " frame " << i;
    }
}

// One lane goes through a transform of half the frame: it gives what the two-lane transform gives
// with a silent second lane, within rounding, at every frame size, overlap and factor.
TEST(PitchOperations, OneLaneMatchesAPairWithASilentSecondLane) {
    const struct {
        u32 frameSize, oversampling;
        f64 factor;
    } cases[] = {{4, 1, 1.0}, {8, 2, 0.8}, {64, 4, 1.25}, {2048, 4, 1.0 / 1.25}, {8192, 8, 1.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frameSize << " points, overlap " << c.oversampling << ", factor " << c.factor);
        const size_t frames = 3 * c.frameSize + 777;
        std::vector<f64> one(frames), pair(frames), silent(frames, 0.0);
        for (size_t i = 0; i < frames; ++i) one[i] = pair[i] = 9000 * std::sin(0.05 * (f64)i) + 3000 * std::sin(0.31 * (f64)i) + (f64)(i % 13);
        PhaseVocoder single(c.frameSize, c.oversampling, 44100, windowFunctionOf(windowTypeHann), 1);
        PhaseVocoder both(c.frameSize, c.oversampling, 44100, windowFunctionOf(windowTypeHann), 2);
        // Uneven blocks, as the operation's pages may end anywhere.
        for (size_t at = 0, block = 1; at < frames; at += block, block = block * 3 % 1031 + 1) {
            const size_t n = std::min(block, frames - at);
            single.process(c.factor, one.data() + at, nullptr, n);
            both.process(c.factor, pair.data() + at, silent.data() + at, n);
        }
        f64 largest = 0, worst = 0;
        for (size_t i = 0; i < frames; ++i) {
            largest = std::max(largest, std::fabs(pair[i]));
            worst = std::max(worst, std::fabs(one[i] - pair[i]));
        }
        EXPECT_GT(largest, 1000.0);
        EXPECT_LT(worst, 1e-9 * largest);
        for (f64 v : silent) ASSERT_LT(std::fabs(v), 1e-9 * largest) << "the second lane stays silent";
    }
}
