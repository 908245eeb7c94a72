#include "tests/editor/peak_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/mm/sox_tool.h"

namespace {
// The gate's state outlives every gate: a worker may still be inside the hook as a gate ends.
struct GateState {
    HANDLE entered = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE permits = CreateSemaphoreA(nullptr, 0, 1 << 20, nullptr);
    std::atomic<bool> open{true};
    std::mutex lock;
    std::vector<GateStep> log;
};
GateState& gateState() {
    static GateState* state = new GateState;
    return *state;
}

void gateHook(PeakEntry* entry, u64 from, u64 to) {
    GateState& g = gateState();
    {
        std::lock_guard<std::mutex> held(g.lock);
        g.log.push_back({entry, from, to});
    }
    SetEvent(g.entered);
    if (!g.open) WaitForSingleObject(g.permits, INFINITE);
}

const char* const kGenerators[] = {"sine 300", "noise", "square 170", "sawtooth 90", "triangle 50", "sine 1234"};
}  // namespace

SoxSound::SoxSound(u32 tracks, u32 encoding, u64 frames) : tracks(tracks), encoding(encoding), frames(frames) {
    frameBytes = tracks * bytesPerSampleOf(encoding);
    path = dir.file("sound.wav");
    std::string type = encoding == 2 ? "-b 16 -e signed-integer"
                       : encoding == 3 ? "-b 32 -e signed-integer"
                       : encoding == 4 ? "-b 32 -e floating-point"
                                       : "-b 64 -e floating-point";
    std::string generators;
    for (u32 t = 0; t < tracks && t < 6; ++t) generators += std::string(" ") + kGenerators[t];
    std::string args = "-r 8000 -c " + std::to_string(tracks) + " -n " + type + " '" + unixPath(path) + "' synth " +
                       std::to_string(frames) + "s" + generators;
    EXPECT_EQ(runSox(args), 0) << args;
    file = readWholeFile(path);
    for (size_t at = 12; at + 8 <= file.size();) {
        u32 size;
        memcpy(&size, &file[at + 4], 4);
        if (file.compare(at, 4, "data") == 0) {
            dataOffset = at + 8;
            dataSize = size;
            break;
        }
        at += 8 + size + (size & 1);
    }
    EXPECT_EQ(dataSize, frames * frameBytes);
    StoreSource source;
    source.dataOffset = dataOffset;
    source.size = dataSize;
    source.frameSize = frameBytes;
    ok = dataSize == frames * frameBytes && store.open(path.c_str(), source, &handler);
    EXPECT_TRUE(ok);
}

double SoxSound::sample(u64 frame, u32 track) const {
    const char* p = file.data() + dataOffset + frame * frameBytes + track * bytesPerSampleOf(encoding);
    switch (encoding) {
    case 2: { i16 v; memcpy(&v, p, 2); return v; }
    case 3: { i32 v; memcpy(&v, p, 4); return (float)v; }
    case 4: { float v; memcpy(&v, p, 4); return v; }
    default: { double v; memcpy(&v, p, 8); return v; }
    }
}

std::vector<float> SoxSound::fold(u64 from, u64 to) const {
    std::vector<float> out(tracks * 2);
    for (u32 t = 0; t < tracks; ++t) {
        double lo = sample(from, t), hi = lo;
        for (u64 f = from + 1; f < to; ++f) {
            double v = sample(f, t);
            if (v < lo) lo = v;
            if (v > hi) hi = v;
        }
        out[2 * t] = (float)lo;
        out[2 * t + 1] = (float)hi;
    }
    return out;
}

void SoxSound::overwrite(u64 frame, u64 count, double value) {
    std::string bytes;
    for (u64 i = 0; i < count * tracks; ++i) {
        switch (encoding) {
        case 2: { i16 v = (i16)value; bytes.append((const char*)&v, 2); break; }
        case 3: { i32 v = (i32)value; bytes.append((const char*)&v, 4); break; }
        case 4: { float v = (float)value; bytes.append((const char*)&v, 4); break; }
        default: bytes.append((const char*)&value, 8); break;
        }
    }
    u64 at = dataOffset + frame * frameBytes;
    ASSERT_TRUE(store.lock(&handler));
    SegmentCursor oldAt, newAt;
    ASSERT_TRUE(store.beginChange(&oldAt, at, bytes.size(), bytes.size(), &newAt));
    EXPECT_TRUE(store.writeRange(newAt, bytes.size(), reinterpret_cast<const u8*>(bytes.data())));
    delete store.takePendingChange();
    store.unlock();
    file.replace((size_t)at, bytes.size(), bytes);
}

StepGate::StepGate() {
    GateState& g = gateState();
    {
        std::lock_guard<std::mutex> held(g.lock);
        g.log.clear();
    }
    ResetEvent(g.entered);
    g.open = true;
    peakStepHook = gateHook;
}

StepGate::~StepGate() {
    peakStepHook = nullptr;
    open();
}

void StepGate::close() {
    GateState& g = gateState();
    while (WaitForSingleObject(g.permits, 0) == WAIT_OBJECT_0) {
    }
    g.open = false;
}

void StepGate::open() {
    GateState& g = gateState();
    g.open = true;
    ReleaseSemaphore(g.permits, 1, nullptr);  // the step waiting now, if any
}

void StepGate::passOne() { ReleaseSemaphore(gateState().permits, 1, nullptr); }

bool StepGate::waitEntered(u32 ms) { return WaitForSingleObject(gateState().entered, ms) == WAIT_OBJECT_0; }

std::vector<GateStep> StepGate::steps() {
    std::lock_guard<std::mutex> held(gateState().lock);
    return gateState().log;
}

void expectPeaksMatch(const PeakEntry& entry, const SoxSound& sound) {
    std::string peaks = readWholeFile(entry.cacheFile.name);
    const u64 F = (u64)entry.framesPerPeak;
    const u64 records = (sound.frames + F - 1) / F;
    ASSERT_GE(peaks.size(), records * entry.recordBytes);
    u32 wrong = 0;
    for (u64 k = 0; k < records; ++k) {
        std::vector<float> expected = sound.fold(k * F, std::min(sound.frames, (k + 1) * F));
        if (memcmp(expected.data(), peaks.data() + k * entry.recordBytes, entry.recordBytes) != 0 && ++wrong < 4) {
            float got[2];
            memcpy(got, peaks.data() + k * entry.recordBytes, 8);
            ADD_FAILURE() << "record " << k << ": " << got[0] << ", " << got[1] << " for " << expected[0] << ", "
                          << expected[1];
        }
    }
    EXPECT_EQ(wrong, 0u);
}

namespace {
DWORD WINAPI runnerMain(void* self) {
    static_cast<Runner*>(self)->call();
    return 0;
}
}  // namespace

Runner::Runner(std::function<void()> body) : call(std::move(body)) {
    thread = CreateThread(nullptr, 0, runnerMain, this, 0, nullptr);
}

Runner::~Runner() {
    // A caller still stuck after a failed expectation is left behind rather than hanging the run.
    WaitForSingleObject(thread, 30000);
    CloseHandle(thread);
}
