#pragma once
// A sound of the test's own in a store, its samples given and read back as numbers, a processor
// bound to it, and an owner that records what it is told as the Editor would (taking each change
// record for undo).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/paths.h"
#include "core/progress.h"
#include "engine/processor.h"
#include "engine/random.h"
#include "mm/sound_format.h"
#include "mm/sound_store.h"
#include "tests/support/test_support.h"

typedef ProcessorSlot Slot;
// In tables of expected samples: the input sample, unchanged (for a parameter: as given).
const f64 keep = -1e300;

inline std::vector<u8> sampleBytes(u32 encoding, const std::vector<f64>& values) {
    u32 size = bytesPerSampleOf(encoding);
    std::vector<u8> bytes(values.size() * size);
    for (size_t i = 0; i < values.size(); ++i) {
        u8* at = bytes.data() + i * size;
        f64 v = values[i];
        if (encoding == encodingInt16) {
            i16 s = (i16)v;
            memcpy(at, &s, 2);
        } else if (encoding == encodingInt32) {
            i32 s = (i32)v;
            memcpy(at, &s, 4);
        } else if (encoding == encodingFloat) {
            f32 s = (f32)v;
            memcpy(at, &s, 4);
        } else {
            memcpy(at, &v, 8);
        }
    }
    return bytes;
}

inline std::vector<f64> sampleValues(u32 encoding, const std::vector<u8>& bytes) {
    u32 size = bytesPerSampleOf(encoding);
    std::vector<f64> values(bytes.size() / size);
    for (size_t i = 0; i < values.size(); ++i) {
        const u8* at = bytes.data() + i * size;
        if (encoding == encodingInt16) {
            i16 s;
            memcpy(&s, at, 2);
            values[i] = s;
        } else if (encoding == encodingInt32) {
            i32 s;
            memcpy(&s, at, 4);
            values[i] = s;
        } else if (encoding == encodingFloat) {
            f32 s;
            memcpy(&s, at, 4);
            values[i] = s;
        } else {
            memcpy(&values[i], at, 8);
        }
    }
    return values;
}

const u32 allEncodings[] = {encodingInt16, encodingInt32, encodingFloat, encodingDouble};

inline const char* encodingName(u32 encoding) {
    switch (encoding) {
    case encodingInt16: return "int16";
    case encodingInt32: return "int32";
    case encodingFloat: return "float";
    default: return "double";
    }
}

// A sound in a store over a source file: a header, then the samples, then the trailer.
class TestSound {
public:
    TestSound(u32 encoding, u32 channels, const std::vector<f64>& samples, u64 header = 44,
              const std::string& trailer = "")
        : header(header) {
        format.setPlain(channels, 8000, encoding);
        std::vector<u8> data = sampleBytes(encoding, samples);
        std::string bytes((size_t)header, 'H');
        bytes.append(data.begin(), data.end());
        bytes += trailer;
        dir.write("sound.raw", bytes);
        StoreSource source;
        source.dataOffset = header;
        source.size = data.size();
        source.frameSize = format.bytesPerFrame;
        ensureDataFolder();  // the work file goes to its temp folder
        EXPECT_TRUE(store.open(dir.file("sound.raw").c_str(), source, &handler))
            << (handler.reports.empty() ? "" : handler.lastText());
        EXPECT_TRUE(store.lock(&handler));
    }
    ~TestSound() { store.unlock(); }

    u32 frameBytes() const { return format.bytesPerFrame; }
    u64 start() const { return header; }
    u64 end() const { return header + store.length; }
    u64 at(u64 frame) const { return header + frame * format.bytesPerFrame; }
    void select(const std::vector<u8>& mask) { memcpy(format.selectionMask, mask.data(), mask.size()); }

    std::vector<u8> bytes(u64 from, u64 to) {
        std::vector<u8> v((size_t)(to - from));
        store.readRange(store.findSegment(from), v.size(), v.data());
        return v;
    }
    std::vector<f64> samples() { return sampleValues(format.encoding, bytes(start(), end())); }
    std::vector<f64> samples(u64 fromFrame, u64 toFrame) {
        return sampleValues(format.encoding, bytes(at(fromFrame), at(toFrame)));
    }

    TempDir dir;
    RecordingHandler handler;
    SoundFormat format;
    SoundStore store;
    u64 header;
};

// Records the notifications with the sound's bytes at that moment, and takes the change records.
class RecordingOwner : public ProcessorOwner {
public:
    explicit RecordingOwner(TestSound* sound) : sound(sound) {}

    void onRangeChanged(GCommonObject* undoRecord, u64 position, u64 oldLength, u64 newLength) override {
        events.push_back("range " + std::to_string(position) + " " + std::to_string(oldLength) + " " +
                         std::to_string(newLength));
        records.push_back(undoRecord);
        changes.emplace_back(sound->store.takePendingChange());
        newBytesAtNotice.push_back(sound->bytes(position, position + newLength));
    }
    void onChangeFinished() override { events.push_back("finished"); }

    // Undoes every change taken, newest first; redoes them oldest first.
    void undoAll() {
        for (size_t i = changes.size(); i-- > 0;) sound->store.undoChange(changes[i].get());
    }
    void redoAll() {
        for (auto& c : changes) sound->store.redoChange(c.get());
    }

    TestSound* sound;
    std::vector<std::string> events;
    std::vector<GCommonObject*> records;
    std::vector<std::unique_ptr<ChangeRecord>> changes;
    std::vector<std::vector<u8>> newBytesAtNotice;
};

// A processor of the sound's type bound to frames [fromFrame, toFrame) with edges of edgeFrames.
inline std::unique_ptr<SoundBlockProcessor> bindProcessor(TestSound& sound, u64 fromFrame, u64 toFrame,
                                                          i32 edgeFrames = 0, ProcessorOwner* owner = nullptr) {
    std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(sound.format.encoding, nullptr));
    EXPECT_TRUE(p);
    if (!p) return p;
    p->bind(523, &sound.format, &sound.store, sound.start(), sound.at(fromFrame), sound.at(toFrame), sound.end(),
            edgeFrames * (i32)sound.frameBytes());
    p->owner = owner;
    return p;
}

// A progress object that cancels the job at its n-th report.
class CancellingProgress : public JobProgress {
public:
    explicit CancellingProgress(u32 at) : at(at) {}
    bool report(u64 done, const char* text) override {
        if (++reports >= at) cancel();
        return JobProgress::report(done, text);
    }
    u32 at;
    u32 reports = 0;
};

// The frames of a range between one frame of 7s on each side, which an operation must leave alone.
inline std::vector<f64> framedRange(const std::vector<f64>& range, u32 channels) {
    std::vector<f64> v(channels, 7.0);
    v.insert(v.end(), range.begin(), range.end());
    v.insert(v.end(), channels, 7.0);
    return v;
}

// A sound holding a framed range, its tracks selected by mask, and a processor bound to the range
// (with edges of edgeFrames) whose changes the owner records.
struct FramedRangeSound {
    FramedRangeSound(u32 encoding, u32 channels, const std::vector<u8>& mask, const std::vector<f64>& range,
                     i32 edgeFrames = 0)
        : sound(encoding, channels, framedRange(range, channels)), owner(&sound) {
        sound.select(mask);
        p = bindProcessor(sound, 1, 1 + range.size() / channels, edgeFrames, &owner);
    }

    TestSound sound;
    RecordingOwner owner;
    std::unique_ptr<SoundBlockProcessor> p;
};

// Starts the shared random generator at a known state for a test and restores it afterwards, so
// that results never depend on what earlier tests drew.
struct KnownGenerator {
    explicit KnownGenerator(u64 state = 0) : saved(randomState()) { setRandomState(state); }
    ~KnownGenerator() { setRandomState(saved); }
    u64 saved;
};
