// The harmonic synthesizer's stages, the note voice, and a voice played on the sound device.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/harmonic_synth.h"
#include "mm/device_settings.h"
#include "tests/support/test_support.h"

namespace {
const f64 pi = 3.141592653589793;

// A mono 16-bit source of one value, without end.
class Constant : public MonoGenerator {
public:
    explicit Constant(i16 value) : value(value) {}
    u32 readFrames(void* out, u32 frames) override {
        for (u32 i = 0; i < frames; ++i) static_cast<i16*>(out)[i] = value;
        return frames;
    }
    i16 value;
};

// Everything the generator delivers, read in blocks until it ends (or `most` samples).
std::vector<i16> readAll(SynthGenerator& g, u32 block = 1000, size_t most = 10000000) {
    std::vector<i16> all;
    std::vector<i16> buffer(block);
    while (all.size() < most) {
        const u32 n = g.readFrames(buffer.data(), block);
        all.insert(all.end(), buffer.begin(), buffer.begin() + n);
        if (n < block) break;
    }
    return all;
}

// A loop of n samples holding the harmonics.
PeriodLoop* loopOf(u32 n, u32 rate, const std::vector<HarmonicRecord>& harmonics) {
    PeriodLoop* loop = new PeriodLoop(n, rate);
    for (const HarmonicRecord& h : harmonics) placeHarmonicOnBin(h, loop->spectrum.data(), n, rate);
    EXPECT_TRUE(buildPeriod(*loop, nullptr));
    return loop;
}
}  // namespace

TEST(HarmonicSynth, PlayEnvelopeSegmentsAndTremolo) {
    // A loop it owns, at 44100: 2205 + 4410 + 44100 + 11025 samples, then the end.
    HarmonicSynth synth(loopOf(1024, 44100, {HarmonicRecord{1000, 440, 0}}), playEnvelope, 44100, true);
    EXPECT_EQ(synth.segments[0].length, 2205u);
    EXPECT_EQ(synth.segments[1].length, 4410u);
    EXPECT_EQ(synth.segments[2].length, 44100u);
    EXPECT_EQ(synth.segments[3].length, 11025u);
    EXPECT_FALSE(synth.tremoloOn);
    EXPECT_EQ(readAll(synth).size(), 2205u + 4410 + 44100 + 11025);
    std::vector<i16> one(10);
    EXPECT_EQ(synth.readFrames(one.data(), 10), 0u);
    EXPECT_TRUE(synth.rewind());
    EXPECT_EQ(readAll(synth).size(), 61740u) << "rewind plays the tone again";

    // Ramps over a constant: 0 -> 1, (decay of 0 samples) 0.8 -> 0.5, 0.5 -> 0, each sample rounded;
    // negative and huge times count as 0 and the u32 limit.
    Constant c(1000);
    EnvelopeParams e = {0.001, 1.0, 0.0, 0.8, 0.002, 0.5, 0.001, 0.0, 0.5};
    HarmonicSynth ramps(&c, e, 10000);
    EXPECT_FALSE(ramps.tremoloOn) << "a tremolo period of 0 is no tremolo";
    std::vector<i16> r = readAll(ramps);
    ASSERT_EQ(r.size(), 40u);
    EXPECT_EQ(r[0], 0);
    EXPECT_EQ(r[5], 500);
    EXPECT_EQ(r[10], 800) << "the chain passes the empty decay and goes on with the hold";
    EXPECT_EQ(r[29], 515);
    EXPECT_EQ(r[30], 500);
    EXPECT_EQ(r[35], 250);
    EXPECT_EQ(r[39], 50);
    EnvelopeParams odd = {-1.0, 1.0, 1e12, 1.0, NAN, 1.0, 0.0, 0.5, 0.0};
    HarmonicSynth limits(&c, odd, 44100);
    EXPECT_EQ(limits.segments[0].length, 0u);
    EXPECT_EQ(limits.segments[1].length, 0xFFFFFFFFu);
    EXPECT_EQ(limits.segments[2].length, 0u);
    EXPECT_FALSE(limits.tremoloOn) << "a depth of 0 is no tremolo";

    // With a tremolo the level swings by the depth once per period.
    EnvelopeParams wobble = {0.0, 1.0, 0.0, 1.0, 1.0, 1.0, 0.0, 0.01, 0.5};
    HarmonicSynth tremolo(&c, wobble, 1000);
    ASSERT_TRUE(tremolo.tremoloOn);
    r = readAll(tremolo);
    ASSERT_EQ(r.size(), 1000u);
    EXPECT_EQ(r[0], 1000);
    EXPECT_EQ(r[2], 1475) << "(sin(0.4 pi) x 0.5 + 1) x 1000, truncated";
    EXPECT_EQ(r[5], 1000) << "half a cycle in 5 samples";
}

TEST(HarmonicSynth, PeriodScalingAndClipping) {
    // One bin of amplitude 1000 gives a cosine of amplitude 1000 (harmonic phase pi/2).
    const u32 n = 1024;
    PeriodLoop* loop = loopOf(n, n * 10, {HarmonicRecord{1000, 50, pi / 2}});  // bin 5
    ASSERT_EQ(loop->samples.size(), n);
    EXPECT_TRUE(loop->spectrum.empty()) << "the spectrum is freed";
    for (u32 t = 0; t < n; ++t)
        ASSERT_NEAR(loop->samples[t], 1000 * std::cos(2 * pi * 5 * t / n), 1.0) << t;
    // The loop goes round: samples n .. n + 9 are samples 0 .. 9.
    std::vector<i16> round(n + 10);
    EXPECT_EQ(loop->readFrames(round.data(), n + 10), n + 10);
    for (u32 t = 0; t < 10; ++t) EXPECT_EQ(round[n + t], round[t]);
    delete loop;

    // Two cosines of 20000 meet at sample 0: 40000 clips to 32767, and -40000 to -32767.
    PeriodLoop* loud = loopOf(n, n * 10, {HarmonicRecord{20000, 30, pi / 2}, HarmonicRecord{20000, 70, pi / 2}});
    EXPECT_EQ(loud->samples[0], 32767);
    PeriodLoop* low = loopOf(n, n * 10, {HarmonicRecord{20000, 30, -pi / 2}, HarmonicRecord{20000, 70, -pi / 2}});
    EXPECT_EQ(low->samples[0], -32767);
    delete loud;
    delete low;

    // A ramp gain above 1 and a deep tremolo clip rather than wrap.
    Constant c(30000);
    RampGain ramp;
    ramp.input = &c;
    ramp.length = 4;
    ramp.startGain = ramp.endGain = 2.0;
    std::vector<i16> r(4);
    EXPECT_EQ(ramp.readFrames(r.data(), 4), 4u);
    EXPECT_EQ(r, std::vector<i16>(4, 32767));
    SineTremolo t;
    t.input = &c;
    t.step = pi / 2;
    EXPECT_EQ(t.readFrames(r.data(), 4), 4u);
    EXPECT_EQ(r[1], 32767) << "30000 x 1.1";
    EXPECT_EQ(r[3], 27000);
}

TEST(NoteVoice, HarmonicsOfANote) {
    struct Case {
        f64 frequency, level;
        std::vector<std::vector<f64>> harmonics;  // frequency, amplitude
    } cases[] = {
        {440, 300, {{440, 300}}},
        {30, 900, {{60, 300}}},
        {50, 3000, {{50, 1000}}},
        {60, 15000, {{60, 5000}, {120, 3000}, {180, 1000}}},
        {0, 3000, {}},
        {-50, 3000, {}},
        {NAN, 3000, {}},
        {INFINITY, 3000, {}},
        {50, NAN, {{50, NAN}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frequency);
        HarmonicArray list;
        list.append(3);
        generateNoteHarmonics(list, c.frequency, c.level, 0.25);
        ASSERT_EQ(list.count, c.harmonics.size());
        for (u32 i = 0; i < list.count; ++i) {
            EXPECT_EQ(list[i].frequency, c.harmonics[i][0]);
            if (!std::isnan(c.harmonics[i][1])) EXPECT_EQ(list[i].amplitude, c.harmonics[i][1]);
            EXPECT_EQ(list[i].phase, 0.25);
            EXPECT_EQ(list[i].baseFrequency, list[i].frequency);
            EXPECT_EQ(list[i].overtone, 0);
        }
    }
    HarmonicArray a4;
    generateNoteHarmonics(a4, 440, 300, 0);
    EXPECT_EQ(a4[0].note, 9u);
    EXPECT_EQ(a4[0].octave, 4u);
    // A tiny frequency starts at its first multiple of 40 Hz or more at once.
    HarmonicArray tiny;
    generateNoteHarmonics(tiny, 1e-9, 32767, 0);
    ASSERT_EQ(tiny.count, 6u);
    EXPECT_GE(tiny[0].frequency, 40.0);
    EXPECT_LT(tiny[0].frequency, 40.0 + 1e-8);

    // The default envelopes of 5.0 and 0.3 seconds, both with the tremolo on.
    struct Envelope {
        f64 total, attack, decay, hold, release;
    } envelopes[] = {{5.0, 0.08, 0.15, 0.1, 4.67}, {0.3, 0.024, 0.045, 0.03, 0.201}};
    for (const Envelope& e : envelopes) {
        EnvelopeParams p = initDefaultEnvelope(e.total);
        EXPECT_NEAR(p.attackTime, e.attack, 1e-12);
        EXPECT_NEAR(p.decayTime, e.decay, 1e-12);
        EXPECT_NEAR(p.holdTime, e.hold, 1e-12);
        EXPECT_NEAR(p.releaseTime, e.release, 1e-12);
        EXPECT_EQ(p.attackLevel, 1.0);
        EXPECT_EQ(p.decayLevel, 0.3);
        EXPECT_EQ(p.holdEndLevel, 0.29);
        EXPECT_TRUE(HarmonicSynth(nullptr, p, 44100).tremoloOn);
    }
}

TEST(NoteVoice, RendersTheSumOfItsSines) {
    NoteVoice voice(44100, 440, 10000, 0, 5.0);
    EXPECT_EQ(voice.voiceTone.harmonics[0].reserved64, 440 * 6.283185307179586 / 44100);
    std::vector<i16> whole(200), parts(200);
    EXPECT_EQ(voice.voiceTone.readFrames(whole.data(), 200), 200u);
    EXPECT_TRUE(voice.voiceTone.rewind());
    voice.voiceTone.readFrames(parts.data(), 100);
    voice.voiceTone.readFrames(parts.data() + 100, 100);
    EXPECT_EQ(parts, whole) << "two renders of 100 are one of 200";
    for (u32 t = 0; t < 200; t += 17) EXPECT_NEAR(whole[t], 10000 * std::sin(440 * 2 * pi / 44100 * t), 1.0) << t;

    // The voice through its envelope lasts 5 seconds and repeats after a rewind.
    EXPECT_TRUE(voice.rewind());
    std::vector<i16> first = readAll(voice, 4410);
    EXPECT_EQ(first.size(), 220500u);
    EXPECT_TRUE(voice.rewind());
    std::vector<i16> again = readAll(voice, 4410, 4410);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), first.begin()));

    // No harmonics: the tone and the voice deliver nothing, at once.
    for (f64 f : {0.0, -1.0, (f64)NAN}) {
        NoteVoice silent(44100, f, 10000, 0, 5.0);
        EXPECT_EQ(silent.voiceTone.readFrames(parts.data(), 100), 0u) << f;
        EXPECT_EQ(silent.readFrames(parts.data(), 100), 0u) << f;
    }
    NoteVoice tiny(44100, 1e-9, 32767, 0, 0.3);
    EXPECT_EQ(tiny.voiceTone.harmonics.count, 6u);

    // A loud 60 Hz note in cosines sums to 35532 at sample 0: it clips to 32767.
    NoteVoice loud(44100, 60, 32767, pi / 2, 5.0);
    ASSERT_EQ(loud.voiceTone.readFrames(parts.data(), 100), 100u);
    EXPECT_EQ(parts[0], 32767);
    EXPECT_GT(parts[1], 30000);
}

namespace {
struct DeviceZero : PlayDeviceSettings {
    DeviceZero() {
        device = 0;
        choiceFlags = 0;
    }
};
}  // namespace

// A 440 Hz voice on the output's device lands in the device's file as a 440 Hz tone.
TEST(NoteVoice, PlaysOnTheSoundDevice) {
    const std::string outPath = deviceOutputPath();
    ASSERT_FALSE(outPath.empty()) << "the test set-up names the device's output file";
    DeleteFileA(outPath.c_str());

    DeviceZero entry;
    SynthOutput synth(&entry, BufferSettings{4, 20, 4}, 2);
    ASSERT_TRUE(synth.clearSources(true));
    synth.addSource(new NoteVoice(44100, 440, 20000, 0, 0.3), true);
    // The voice ends after 0.3 s; the output then ends for want of sources.
    for (DWORD end = GetTickCount() + 20000; (synth.stateBits() & playerRunning) && (i32)(end - GetTickCount()) > 0;)
        Sleep(5);
    ASSERT_EQ(synth.stateBits() & playerRunning, 0u);
    ASSERT_EQ(synth.sourceCount(), 0u);
    synth.stopAndWait(false);

    const std::string bytes = readWholeFile(outPath);
    const size_t frames = bytes.size() / 4;
    ASSERT_GE(frames, 13230u) << bytes.size() << " bytes arrived";
    std::vector<f64> left(frames);
    for (size_t i = 0; i < frames; ++i) left[i] = reinterpret_cast<const i16*>(bytes.data())[2 * i];
    // Correlation with 440 Hz beats that with 400 and 480 Hz many times over.
    auto strength = [&](f64 hz) {
        f64 re = 0, im = 0;
        for (size_t i = 0; i < frames; ++i) {
            re += left[i] * std::cos(2 * pi * hz * i / 44100);
            im += left[i] * std::sin(2 * pi * hz * i / 44100);
        }
        return std::sqrt(re * re + im * im);
    };
    const f64 tone = strength(440);
    EXPECT_GT(tone, 1e6);
    EXPECT_GT(tone, 10 * strength(400));
    EXPECT_GT(tone, 10 * strength(480));
    // Both channels carry it.
    EXPECT_EQ(reinterpret_cast<const i16*>(bytes.data())[2 * 3000], reinterpret_cast<const i16*>(bytes.data())[2 * 3000 + 1]);
}
