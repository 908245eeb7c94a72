// The record-fragment processor on a fake wave-in device: each captured block turned into frames of
// the sound, the limits and the silence rule, and the splice into the store at the end.
#include "editor/record_fragment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "gui/kernel/message_box.h"
#include "mm/mm_settings.h"
#include "tests/gui/gui_fixture.h"
#include "tests/mm/fake_wave_in.h"
#include "tests/support/test_support.h"

namespace {

std::vector<std::string> boxes;
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    boxes.push_back(text ? text : "");
    return IDOK;
}

struct Entry : RecordDeviceSettings {
    Entry() { device = 0; }
};

class RefusingProcessor : public RecordFragmentProcessor {
public:
    using RecordFragmentProcessor::RecordFragmentProcessor;
    bool refuse = false;
    std::atomic<i32> blocks{0};

protected:
    bool deliverData(u32 bytes, const void* data) override {
        bool goOn = RecordFragmentProcessor::deliverData(bytes, data);
        ++blocks;
        return goOn;
    }
    void spliceRecorded(u64 start, u64 workEnd, bool insertFrames) override {
        if (refuse) throw GException();
        RecordFragmentProcessor::spliceRecorded(start, workEnd, insertFrames);
    }
};

const u32 kRate = 8000;
const u32 kBlockFrames = kRate / 20;  // the recorder's buffers: 20 a second

// A sound of `frames` frames whose track t holds 1000 x (t + 1) in every frame, in a raw file
// under the store.
struct Sound {
    TempDir dir;
    SoundFormat format;
    SoundStore store;
    RecordingHandler handler;

    Sound(u32 tracks, u32 encoding, u32 frames, std::vector<u8> selected) {
        format.setPlain(tracks, kRate, encoding);
        for (u32 t = 0; t < tracks; ++t) {
            bool on = false;
            for (u8 s : selected) on = on || s == t;
            if (on)
                format.tracks[t].flags |= trackSelected;
            else
                format.tracks[t].flags &= ~trackSelected;
        }
        format.rebuildSelectionMask();
        std::string bytes;
        for (u32 f = 0; f < frames; ++f)
            for (u32 t = 0; t < tracks; ++t) bytes += sample(encoding, 1000.0 * (t + 1));
        dir.write("sound.raw", bytes);
        StoreSource source{0, bytes.size(), format.bytesPerFrame};
        EXPECT_TRUE(store.open(dir.file("sound.raw").c_str(), source, &handler));
        EXPECT_TRUE(store.lock(&handler));
    }
    ~Sound() { store.unlock(); }

    static std::string sample(u32 encoding, double v) {
        std::string s;
        auto put = [&](auto x) { s.assign(reinterpret_cast<const char*>(&x), sizeof x); };
        if (encoding == encodingFloat) put((float)v);
        else if (encoding == encodingDouble) put(v);
        else if (encoding == encodingInt32) put((i32)v);
        else put((i16)v);
        return s;
    }
    std::string bytes() {
        std::string out(store.length, '\0');
        store.readRange(store.findSegment(store.dataOffset), store.length, reinterpret_cast<u8*>(&out[0]));
        return out;
    }
    // Track t of frame f as a double.
    double at(const std::string& b, u64 f, u32 t) {
        const u32 size = bytesPerSampleOf(format.encoding);
        const char* p = b.data() + f * format.bytesPerFrame + t * size;
        switch (format.encoding) {
        case encodingFloat: { float v; std::memcpy(&v, p, 4); return v; }
        case encodingDouble: { double v; std::memcpy(&v, p, 8); return v; }
        case encodingInt32: { i32 v; std::memcpy(&v, p, 4); return v; }
        default: { i16 v; std::memcpy(&v, p, 2); return v; }
        }
    }
};

struct Rig {
    TestApplication app;
    FakeWaveIn fake;
    Entry entry;
    RefusingProcessor processor{&entry, BufferSettings{3, 20, 0}};

    bool start(const SoundFormat& format) {
        fake.attach(processor);
        return processor.start(format);
    }
    bool running() { return (processor.stateBits() & recorderRunning) != 0; }
    // Hands the device `count` blocks of the value (all channels); stops early when the processor
    // ends the capture. Answers the blocks delivered.
    i32 feed(i32 count, i16 value, u32 channels) {
        const i32 first = processor.blocks;
        while (processor.blocks - first < count && running()) {
            const i32 before = processor.blocks;
            // The worker queues its buffers after the start.
            EXPECT_TRUE(fake.waitUntil([&] { return fake.atDevice() > 0; }));
            fake.returnBuffer(0, kBlockFrames * 2 * channels, value);
            EXPECT_TRUE(pumpUntil([&] { return processor.blocks > before; }, 5000));
            // A block that ended the capture: wait for the worker to leave.
            if (!pumpUntil([&] { return !running() || fake.atDevice() == 3; }, 2000)) break;
        }
        return processor.blocks - first;
    }
};

}  // namespace

TEST(RecordFragment, TheLevelOfABlockIsHalfItsSpan) {
    const i16 values[] = {-300, 100, 500};
    EXPECT_EQ(RecordFragmentProcessor::blockLevel(values, 3), 400);
    EXPECT_EQ(RecordFragmentProcessor::blockLevel(values, 0), -100000);
}

// The per-block step by encoding, mode and track selection: recorded values go to the selected
// tracks (in order), the others keep their samples while there are existing frames and get 0
// beyond them; mixing adds, wrapping in 16 bits.
TEST(RecordFragment, BlocksBecomeFramesOfTheSelectedTracks) {
    struct Case {
        const char* name;
        u32 tracks, encoding;
        std::vector<u8> selected;
        bool insert, mix;
        i16 recorded;
        double track0, track1;  // expected in the first recorded frame (tracks 0 and 1)
        u64 lengthAfter;        // frames
    };
    const u32 frames = 4 * kBlockFrames;
    const Case cases[] = {
        {"replace keeps 2 and 4", 4, encodingInt16, {0, 2}, false, false, 555, 555, 2000, frames},
        {"insert zeroes 2 and 4", 4, encodingInt16, {0, 2}, true, false, 555, 555, 0, frames + 2 * kBlockFrames},
        {"16-bit mix wraps", 1, encodingInt16, {0}, false, true, 32000, (double)(i16)(1000 + 32000), 0, frames},
        {"float mix adds", 2, encodingFloat, {0, 1}, false, true, 30000, 31000.0, 32000.0, frames},
        {"int32 mix adds", 2, encodingInt32, {1}, false, true, 30000, 1000.0, 32000.0, frames},
        {"double replace", 2, encodingDouble, {1}, false, false, -7, 1000.0, -7.0, frames},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sound s(c.tracks, c.encoding, frames, c.selected);
        Rig rig;
        ASSERT_TRUE(rig.start(s.format));
        const u64 fb = s.format.bytesPerFrame;
        // Two blocks into frames [kBlockFrames, 3 kBlockFrames).
        const u64 from = kBlockFrames * fb, to = c.insert ? from : 3 * kBlockFrames * fb;
        rig.processor.setPositions(&s.store, c.insert, from, to, s.store.length, c.mix, 0, 0);
        EXPECT_EQ(rig.feed(1, 9, (u32)c.selected.size()), 1);  // before writing: only the level
        rig.processor.beginWriting();
        EXPECT_EQ(rig.feed(c.insert ? 2 : 5, c.recorded, (u32)c.selected.size()), 2);
        rig.processor.stopAndWait();
        ASSERT_TRUE(rig.processor.endRecording(nullptr));
        EXPECT_EQ(rig.processor.recordedBytes(), 2 * kBlockFrames * fb);
        std::string b = s.bytes();
        ASSERT_EQ(b.size(), c.lengthAfter * fb);
        EXPECT_EQ(s.at(b, kBlockFrames - 1, 0), 1000.0);
        EXPECT_EQ(s.at(b, kBlockFrames, 0), c.track0);
        if (c.tracks > 1) EXPECT_EQ(s.at(b, 3 * kBlockFrames - 1, 1), c.track1);
        if (c.tracks == 4) {
            EXPECT_EQ(s.at(b, kBlockFrames, 2), 555.0);
            EXPECT_EQ(s.at(b, kBlockFrames, 3), c.insert ? 0.0 : 4000.0);
        }
        EXPECT_EQ(s.at(b, 3 * kBlockFrames, 0), 1000.0);  // after the fragment
    }
}

// Silence: a threshold of 300 with 2000 ms stops at the 20th quiet block in a row (the fake's blocks
// are flat: level 0). Without a silence rule and an end the recording goes on until stopped.
TEST(RecordFragment, TheSilenceRuleAndAFragmentWithoutEnd) {
    struct Case {
        i32 threshold;
        u32 ms;
        i32 blocksTaken;
    };
    for (Case c : {Case{300, 2000, 20}, Case{300, 450, 4}, Case{0, 0, 40}}) {
        SCOPED_TRACE(c.ms);
        Sound s(1, encodingInt16, kBlockFrames, {0});
        Rig rig;
        ASSERT_TRUE(rig.start(s.format));
        rig.processor.setPositions(&s.store, true, 0, 0, s.store.length, false, c.threshold, c.ms);
        rig.processor.beginWriting();
        EXPECT_EQ(rig.feed(40, 100, 1), c.blocksTaken);
        EXPECT_EQ(rig.running(), c.threshold == 0);
        rig.processor.stopAndWait();
        ASSERT_TRUE(rig.processor.endRecording(nullptr));
        // The quiet block that stops is not written.
        EXPECT_EQ(rig.processor.recordedBytes(), (u64)(c.threshold ? c.blocksTaken - 1 : 40) * kBlockFrames * 2);
    }
}

// A splice the store refuses is reported; the sound keeps its bytes.
TEST(RecordFragment, ARefusedSpliceIsReportedAndChangesNothing) {
    boxes.clear();
    setMessageBoxSink(recordBox);
    Sound s(2, encodingInt16, 2 * kBlockFrames, {0, 1});
    const std::string before = s.bytes();
    Rig rig;
    rig.processor.refuse = true;
    ASSERT_TRUE(rig.start(s.format));
    rig.processor.setPositions(&s.store, false, 0, s.store.length, s.store.length, false, 0, 0);
    rig.processor.beginWriting();
    EXPECT_EQ(rig.feed(3, 77, 2), 2);
    rig.processor.stopAndWait();
    EXPECT_FALSE(rig.processor.endRecording(nullptr));
    EXPECT_EQ(s.bytes(), before);
    EXPECT_EQ(rig.processor.recordedBytes(), 0u);
    EXPECT_EQ(boxes.size(), 1u);
    setMessageBoxSink(nullptr);
}
