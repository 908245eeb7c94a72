#pragma once
// Shared parts of the measurements that run the engine over one hour of sound.
#include <functional>
#include <memory>
#include <string>

#include "core/error.h"
#include "core/gfile.h"
#include "engine/processor.h"
#include "mm/sound_store.h"

const u32 benchRate = 44100, benchChannels = 2, benchFrameBytes = 4;
const u64 benchHourSeconds = 3600;
const u64 benchHourBytes = benchHourSeconds * benchRate * benchFrameBytes;
const u32 benchHeaderBytes = 44;  // the canonical header of 16-bit PCM

// "bench_data" beside the executable (created), where "./dev bench" finds the inputs to time other
// tools on.
std::string benchDataFolder();

// Appends one hour of stereo 16-bit samples (two sines, one second repeated) at the file's position.
bool writeHourOfSines(GFile& f);
// The hour of sound as a WAVE file, on disk before it returns (its write-back stays out of timings).
bool writeHourWave(const std::string& path);
// The same for the first `seconds` of it.
bool writeSines(GFile& f, u64 seconds);
bool writeSinesWave(const std::string& path, u64 seconds);
// The same, kept when a file of its size is there (runs of one measurement interleaved with a peer).
bool keepOrWriteSinesWave(const std::string& path, u64 seconds);

// Prints what is reported, after the measurement's name.
class BenchErrorPrinter : public ErrorHandler {
public:
    explicit BenchErrorPrinter(const char* name) : name(name) {}
    bool report(const char* text, int) override;
    const char* name;
};
// The raw samples of one second of two sines, repeated for the hour, in the bench folder: written on
// first use; empty when it cannot be written.
const std::string& hourOfSoundFile();
struct SoundFormat;
// The store over that hour, opened and locked, and its stereo 16-bit format; false when it cannot be.
bool openHourOfSound(SoundStore& store, SoundFormat& format);

// The Editor's part in a run: it takes each change record, as its undo history would.
class ChangeKeeper : public ProcessorOwner {
public:
    explicit ChangeKeeper(SoundStore* store) : store(store) {}
    void onRangeChanged(GCommonObject*, u64, u64, u64) override { change.reset(store->takePendingChange()); }
    void onChangeFinished() override {}

    SoundStore* store;
    std::unique_ptr<ChangeRecord> change;
};

// One action over the hour as the Editor runs it: the WAVE file opened into a store, the action run
// over the whole sound (prepare sets its parameters after the bind), the result saved as WAVE.
struct BenchTiming {
    double run = -1;    // the action through the store
    double total = -1;  // open + run + save
    u64 bytes = 0;      // of the sound
};
typedef std::function<void(SoundBlockProcessor&)> BenchPrepare;
BenchTiming runBenchAction(const char* name, const std::string& input, const std::string& output, u32 actionId,
                           const BenchPrepare& prepare);
// Three runs over folder\<stem>_in.wav; prints the median time of the action and
// "<name>, open + <verb> + save (median of 3): <s> s", which "./dev bench" reads. RAVO_BENCH_RUNS
// sets another count (0: none, the input only), RAVO_BENCH_ACTION runs only the action of that name.
void measureBenchAction(const char* name, const char* verb, const std::string& folder, const char* stem,
                        u32 actionId, const BenchPrepare& prepare);
