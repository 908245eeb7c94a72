#pragma once
// What the peak cache and data source tests share: sounds made by sox over a store, the min/max
// oracle folded from their samples, a listener that signals completion, and a gate that holds the
// worker inside a step.
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "editor/peak_cache.h"
#include "mm/sound_store.h"
#include "tests/support/test_support.h"

// A WAVE file made by sox (8000 Hz; a different generator per track) and a store over its data.
struct SoxSound {
    // encoding 2 16-bit, 3 32-bit integer, 4 float, 5 double.
    SoxSound(u32 tracks, u32 encoding, u64 frames);

    u32 bytesPerFrame() const { return frameBytes; }
    // Sample t of frame f as the cache keeps it (a double compared as it is).
    double sample(u64 frame, u32 track) const;
    // The (min, max) of each track over [from, to) frames, as f32.
    std::vector<float> fold(u64 from, u64 to) const;
    // Replaces [frame, frame + count) of every track by the value (in sample units) in the store.
    void overwrite(u64 frame, u64 count, double value);

    TempDir dir;
    std::string path;
    std::string file;  // the file's bytes (the data follows dataOffset)
    u64 dataOffset = 0;
    u64 dataSize = 0;
    u32 tracks, encoding, frameBytes;
    u64 frames;
    RecordingHandler handler;
    SoundStore store;
    bool ok = false;
};

class SignalListener : public PeakListener {
public:
    SignalListener() : done(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~SignalListener() override { CloseHandle(done); }
    void onPeaksComplete() override {
        ++completes;
        SetEvent(done);
    }
    void onPeaksProgress() override { ++progresses; }
    bool wait(u32 ms = 30000) { return WaitForSingleObject(done, ms) == WAIT_OBJECT_0; }
    void reset() { ResetEvent(done); }

    HANDLE done;
    std::atomic<int> completes{0}, progresses{0};
};

// Installs the step hook for its scope: logs every step, and while closed holds the worker in it.
// Declared after the cache, so that it opens before the cache waits for its worker.
struct GateStep {
    PeakEntry* entry;
    u64 from, to;
};
class StepGate {
public:
    StepGate();
    ~StepGate();
    void close();
    void open();
    // While closed: lets one step through.
    void passOne();
    // Waits until a step has entered the hook.
    bool waitEntered(u32 ms = 30000);
    std::vector<GateStep> steps();
};

// Every record of the entry's peak file equals the fold of the sound's samples.
void expectPeaksMatch(const PeakEntry& entry, const SoxSound& sound);

// Runs the call on a thread of its own.
class Runner {
public:
    explicit Runner(std::function<void()> call);
    ~Runner();
    bool finished(u32 ms) { return WaitForSingleObject(thread, ms) == WAIT_OBJECT_0; }

    std::function<void()> call;
    HANDLE thread;
};
