#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "mm/sound_format.h"
#include "mm/synth_output.h"
#include "tests/mm/fake_wave_out.h"
#include "tests/support/test_support.h"

namespace {
// Frames of one value per channel in a given encoding, up to a number of frames.
class ValueGenerator : public SynthGenerator {
public:
    ValueGenerator(u32 encoding, std::vector<f64> values, u32 frames, f64 gain = 1.0,
                   std::atomic<int>* deleted = nullptr)
        : enc(encoding), values(std::move(values)), left(frames), g(gain), deleted(deleted) {}
    ~ValueGenerator() override {
        if (deleted) ++*deleted;
    }
    u32 encoding() const override { return enc; }
    u32 channels() const override { return (u32)values.size(); }
    f64 gain() const override { return g; }
    u32 readFrames(void* out, u32 frames) override {
        u32 n = std::min(frames, left);
        left -= n;
        for (u32 f = 0; f < n; ++f)
            for (size_t c = 0; c < values.size(); ++c) store(out, f * values.size() + c, values[c]);
        return n;
    }

private:
    void store(void* out, size_t i, f64 v) {
        switch (enc) {
        case encodingCompressed: break;
        case encodingPcm8: static_cast<u8*>(out)[i] = (u8)v; break;
        case encodingInt32: static_cast<i32*>(out)[i] = (i32)v; break;
        case encodingFloat: static_cast<f32*>(out)[i] = (f32)v; break;
        case encodingDouble: static_cast<f64*>(out)[i] = v; break;
        default: static_cast<i16*>(out)[i] = (i16)v; break;
        }
    }
    u32 enc;
    std::vector<f64> values;
    u32 left;
    f64 g;
    std::atomic<int>* deleted;
};

const u32 bigSource = 1u << 30;

struct SynthRig {
    TestEntry entry;
    SynthOutput synth{&entry, BufferSettings{4, 20, 4}, 2};
    std::vector<i16> mix(u32 frames) {
        std::vector<i16> out(frames * 2, 12345);
        u32 n = synth.mix(reinterpret_cast<u8*>(out.data()), frames * 4);
        out.resize(n / 2);
        return out;
    }
};
}  // namespace

TEST(SynthOutput, SumsClipAndShortSourcesLeave) {
    SynthRig rig;
    std::atomic<int> deleted{0};
    rig.synth.addSource(new ValueGenerator(encodingInt16, {32767, -32767}, bigSource), true);
    rig.synth.addSource(new ValueGenerator(encodingInt16, {30000, -30000}, bigSource), true);
    // Ends after 100 frames.
    rig.synth.addSource(new ValueGenerator(encodingInt16, {-1000, 1000}, 100, 1.0, &deleted), true);
    std::vector<i16> out = rig.mix(441);
    ASSERT_EQ(out.size(), 882u);
    for (u32 f = 0; f < 441; ++f) {
        // 32767 + 30000 - 1000 clips; without the short source the sums clip too.
        ASSERT_EQ(out[f * 2], 32767) << f;
        ASSERT_EQ(out[f * 2 + 1], -32767) << f;
    }
    EXPECT_EQ(rig.synth.sourceCount(), 2u);
    EXPECT_EQ(deleted, 1);

    rig.synth.removeAllSources();
    rig.synth.addSource(new ValueGenerator(encodingInt16, {500, -500}, 100), true);
    out = rig.mix(441);
    ASSERT_EQ(out.size(), 882u);
    EXPECT_EQ(out[198], 500);
    EXPECT_EQ(out[200], 0);  // silence after the source's last frame
    EXPECT_EQ(rig.synth.sourceCount(), 0u);
    // No source and no user: the end.
    EXPECT_TRUE(rig.mix(441).empty());
    rig.synth.users = 1;
    out = rig.mix(441);
    EXPECT_EQ(out, std::vector<i16>(882, 0));
}

TEST(SynthOutput, AdapterConvertsAndSaturates) {
    const f64 nan = std::numeric_limits<f64>::quiet_NaN();
    struct Case {
        const char* name;
        u32 encoding;
        std::vector<f64> values;
        f64 gain;
        i16 left, right;
    } cases[] = {
        {"mono to both channels", encodingInt16, {-1234}, 2.0, -2468, -2468},
        {"int32 scaled", encodingInt32, {65536 * 100, -65536 * 7}, 1.0 / 65536, 100, -7},
        {"float truncates toward zero", encodingFloat, {0.5, -0.5}, 1001.0, 500, -500},
        {"float beyond full scale", encodingFloat, {2.0, -2.0}, 32768.0, 32767, -32768},
        {"double beyond full scale", encodingDouble, {1e9, -1e9}, 1.0, 32767, -32768},
        {"not a number", encodingDouble, {nan, 0.25}, 32768.0, 0, 8192},
        {"three channels take the first two", encodingDouble, {1, 2, 3}, 1.0, 1, 2},
        {"8-bit is unsigned around 128", encodingPcm8, {255, 0}, 1.0, 32512, -32768},
        {"8-bit with gain", encodingPcm8, {129, 127}, 0.5, 128, -128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SynthAdapter adapter(2);
        ValueGenerator g(c.encoding, c.values, 10, c.gain);
        std::vector<i16> out(20, 77);
        EXPECT_EQ(adapter.read(&g, out.data(), 10), 10u);
        EXPECT_EQ(out[18], c.left);
        EXPECT_EQ(out[19], c.right);
    }
    // An encoding without samples ends the source and writes nothing.
    {
        SynthAdapter adapter(2);
        ValueGenerator g(encodingCompressed, {1, 2}, 10);
        std::vector<i16> out(20, 77);
        EXPECT_EQ(adapter.read(&g, out.data(), 10), 0u);
        EXPECT_EQ(out, std::vector<i16>(20, 77));
    }
    // A cleared mask byte leaves its channel as it was.
    SynthAdapter adapter(2);
    adapter.channelMask[0] = 0;
    ValueGenerator g(encodingFloat, {0.25}, 4, 100.0);
    std::vector<i16> out(8, 77);
    adapter.read(&g, out.data(), 4);
    EXPECT_EQ(out, (std::vector<i16>{77, 25, 77, 25, 77, 25, 77, 25}));
}

TEST(SynthOutput, FadeOutOnceOverATenthOfASecond) {
    SynthRig rig;
    std::atomic<int> deleted{0};
    ValueGenerator* tone = new ValueGenerator(encodingInt16, {10000, 10000}, bigSource, 1.0, &deleted);
    rig.synth.addSource(tone, true);
    rig.synth.fadeOutSources();
    SynthGenerator* fade = rig.synth.sourceAt(0);
    ASSERT_TRUE(fade->fadingOut());
    EXPECT_EQ(static_cast<FadeOutGenerator*>(fade)->inner, tone);
    // A second fade-out leaves the fade as it is.
    rig.synth.fadeOutSources();
    EXPECT_EQ(rig.synth.sourceAt(0), fade);
    EXPECT_EQ(rig.synth.sourceCount(), 1u);

    std::vector<i16> out = rig.mix(4410);
    ASSERT_EQ(out.size(), 8820u);
    EXPECT_EQ(out[0], 10000);
    EXPECT_EQ(out[2 * 2205], 5000);
    EXPECT_EQ(out[2 * 4409], 2);  // 10000 x (1 - 4409 / 4410), truncated
    // Still there: the fade delivered every frame asked for; the next mix finds it over.
    EXPECT_EQ(rig.synth.sourceCount(), 1u);
    out = rig.mix(441);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(rig.synth.sourceCount(), 0u);
    EXPECT_EQ(deleted, 1) << "the fade owns the generator it took over";
}

TEST(SynthOutput, PlaysThroughTheDevice) {
    FakeWaveOut fake;
    TestEntry entry;
    SynthOutput synth(&entry, BufferSettings{4, 20, 4}, 2);
    fake.attach(synth);
    synth.addSource(new ValueGenerator(encodingDouble, {0.5, -0.25}, 3000, 1000.0), true);
    // The worker mixes its first buffer only once the new source is in: an empty list would end it.
    synth.lockControl();
    const bool restarted = synth.clearSources(true);  // clearing deletes the source added before
    synth.addSource(new ValueGenerator(encodingDouble, {0.5, -0.25}, 3000, 1000.0), true);
    synth.unlockControl();
    ASSERT_TRUE(restarted);
    ASSERT_TRUE(fake.waitUntil([&] { return std::count(fake.calls.begin(), fake.calls.end(), "close") == 1; }, 10000));
    const WAVEFORMATEX& f = *synth.outputFormat().format();
    EXPECT_EQ(f.nSamplesPerSec, 44100u);
    EXPECT_EQ(f.nChannels, 2);
    EXPECT_EQ(f.nBlockAlign, 4);
    // The source's frames, then silence to the end of its last buffer.
    std::lock_guard<std::mutex> hold(fake.lock());
    std::vector<i16> all;
    for (auto& w : fake.written) {
        const i16* s = reinterpret_cast<const i16*>(w.data());
        all.insert(all.end(), s, s + w.size() / 2);
    }
    ASSERT_GE(all.size(), 6000u);
    EXPECT_EQ(all.size() % 4410, 0u);
    EXPECT_EQ(all[0], 500);
    EXPECT_EQ(all[5999], -250);
    EXPECT_EQ(all[6000], 0);
}

namespace {
// 16-bit stereo noise of a fixed number of frames; the bytes it delivered are kept.
class NoiseGenerator : public SynthGenerator {
public:
    explicit NoiseGenerator(u32 frames) : left(frames) {}
    u32 encoding() const override { return encodingInt16; }
    u32 channels() const override { return 2; }
    u32 readFrames(void* out, u32 frames) override {
        u32 n = std::min(frames, left);
        left -= n;
        i16* s = static_cast<i16*>(out);
        for (u32 i = 0; i < n * 2; ++i) {
            seed = seed * 1103515245 + 12345;
            s[i] = (i16)((seed >> 16) % 50001 - 25000);
        }
        played.append(reinterpret_cast<const char*>(out), n * 4);
        return n;
    }
    std::string played;

private:
    u32 left;
    u32 seed = 4242;
};

bool waitStopped(SynthOutput& synth, u32 ms) {
    DWORD end = GetTickCount() + ms;
    while (synth.stateBits() & playerRunning) {
        if ((i32)(end - GetTickCount()) <= 0) return false;
        Sleep(5);
    }
    return true;
}
}  // namespace

// The worker finds the list empty and ends before the source comes: adding it starts the output again.
TEST(SynthOutput, ASourceAddedAfterTheRestartIsHeard) {
    const std::string outPath = deviceOutputPath();
    ASSERT_FALSE(outPath.empty()) << "the test set-up names the device's output file";
    DeleteFileA(outPath.c_str());

    TestEntry entry;
    SynthOutput synth(&entry, BufferSettings{4, 20, 4}, 2);
    ASSERT_TRUE(synth.clearSources(true));
    ASSERT_TRUE(waitStopped(synth, 10000)) << "an empty list ends the output";
    NoiseGenerator* noise = new NoiseGenerator(8820);
    synth.addSource(noise, false);
    ASSERT_TRUE(waitStopped(synth, 20000));
    synth.stopAndWait(false);
    ASSERT_EQ(noise->played.size(), 8820u * 4);
    std::string arrived = readWholeFile(outPath);
    EXPECT_NE(arrived.find(noise->played), std::string::npos) << arrived.size() << " bytes arrived";
    delete noise;
}

TEST(SynthOutput, TheAdapterTakesNoMoreFramesThanAsked) {
    // A generator that claims more frames than it was asked for.
    class Overrun : public SynthGenerator {
    public:
        u32 encoding() const override { return encodingInt16; }
        u32 channels() const override { return 2; }
        u32 readFrames(void* out, u32 frames) override {
            std::fill_n(static_cast<i16*>(out), frames * 2, (i16)7);
            return frames * 2;
        }
    } overrun;
    SynthAdapter adapter(2);
    std::vector<i16> out(40, 0);
    EXPECT_EQ(adapter.read(&overrun, out.data(), 10), 10u);
    EXPECT_EQ(out[19], 7);
    EXPECT_EQ(out[20], 0);

    SynthRig rig;
    rig.synth.addSource(new Overrun, true);
    EXPECT_EQ(rig.mix(441).size(), 882u);
    EXPECT_EQ(rig.synth.sourceCount(), 1u);
}
