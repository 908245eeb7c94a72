#include "bench/bench_sound.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/bench.h"
#include "core/paths.h"
#include "core/progress.h"
#include "mm/sound_file.h"
#include "mm/sound_format.h"

bool writeHourOfSines(GFile& f) { return writeSines(f, benchHourSeconds); }

bool writeSines(GFile& f, u64 seconds) {
    const f64 twoPi = 6.283185307179586;
    std::vector<i16> second(benchRate * benchChannels);
    for (u32 i = 0; i < benchRate; ++i) {
        second[2 * i] = (i16)std::lround(20000 * std::sin(twoPi * 440.0 * i / benchRate));
        second[2 * i + 1] = (i16)std::lround(30000 * std::sin(twoPi * 441.0 * i / benchRate));
    }
    bool ok = true;
    for (u64 s = 0; s < seconds && ok; ++s) ok = fileWrite(f, second.data(), benchRate * benchFrameBytes);
    return ok;
}

std::string benchDataFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    folder = folder.substr(0, folder.find_last_of('\\')) + "\\bench_data";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

namespace {
void put16(u8* at, u32 v) {
    at[0] = (u8)v;
    at[1] = (u8)(v >> 8);
}
void put32(u8* at, u32 v) {
    put16(at, v);
    put16(at + 2, v >> 16);
}

bool writeWaveHeader(GFile& f, u64 bytes) {
    u8 h[benchHeaderBytes];
    memcpy(h, "RIFF", 4);
    put32(h + 4, (u32)(bytes + 36));
    memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, 1);
    put16(h + 22, benchChannels);
    put32(h + 24, benchRate);
    put32(h + 28, benchRate * benchFrameBytes);
    put16(h + 32, benchFrameBytes);
    put16(h + 34, 16);
    memcpy(h + 36, "data", 4);
    put32(h + 40, (u32)bytes);
    return fileWrite(f, h, benchHeaderBytes);
}
}  // namespace

bool writeHourWave(const std::string& path) { return writeSinesWave(path, benchHourSeconds); }

bool writeSinesWave(const std::string& path, u64 seconds) {
    GFile f;
    if (!fileOpen(f, path.c_str(), FileMode::Write)) return false;
    bool ok = writeWaveHeader(f, seconds * benchRate * benchFrameBytes) && writeSines(f, seconds);
    ok = ok && fileFlush(f) && FlushFileBuffers((HANDLE)_get_osfhandle(_fileno(f.fp)));
    return fileClose(f) && ok;
}

bool BenchErrorPrinter::report(const char* text, int) {
    printf("%s: %s\n", name, text);
    return false;
}

const std::string& hourOfSoundFile() {
    static std::string path;
    if (!path.empty()) return path;
    std::string name = benchFolder() + "\\hour.raw";
    GFile f;
    bool ok = fileOpen(f, name.c_str(), FileMode::Write);
    ok = ok && writeHourOfSines(f);
    ok = fileClose(f) && ok;
    if (ok) path = name;
    else printf("cannot write %s\n", name.c_str());
    return path;
}

bool openHourOfSound(SoundStore& store, SoundFormat& format) {
    const std::string& input = hourOfSoundFile();
    if (input.empty()) return false;
    ensureDataFolder();
    StoreSource source;
    source.size = benchHourBytes;
    source.frameSize = benchFrameBytes;
    if (!store.open(input.c_str(), source, nullptr) || !store.lock(nullptr)) return false;
    format.setPcm(benchChannels, benchRate, encodingInt16);
    return true;
}

BenchTiming runBenchAction(const char* name, const std::string& input, const std::string& output, u32 actionId,
                           const BenchPrepare& prepare) {
    BenchErrorPrinter handler(name);
    BenchTiming t;
    double t0 = benchSeconds();
    SoundStore store;
    SoundFormat format;
    if (!openSoundFile(input.c_str(), &format, &store, &handler, nullptr) || !store.lock(&handler)) return t;
    ChangeKeeper owner(&store);
    JobProgress progress;
    SlotCall call;
    slotForAction(actionId, &call);
    std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(format.encoding, &handler));
    u64 start = store.dataOffset, end = store.soundEnd();
    p->bind(actionId, &format, &store, start, start, end, end,
            edgeFadeBytesFor(true, 0.01, benchRate, benchFrameBytes));
    p->owner = &owner;
    p->progress = &progress;
    prepare(*p);
    progress.setTotal(p->rangeLength);
    double t1 = benchSeconds();
    p->runSlot(call.slot, call.argument, call.argument2);
    double t2 = benchSeconds();
    bool saved = saveSoundFile(output.c_str(), soundFileWave, &format, &store, nullptr, &handler, nullptr, nullptr);
    double t3 = benchSeconds();
    store.unlock();
    if (!saved) {
        printf("%s: the result could not be saved\n", name);
        return t;
    }
    t.run = t2 - t1;
    t.total = t3 - t0;
    t.bytes = end - start;
    return t;
}

bool keepOrWriteSinesWave(const std::string& path, u64 seconds) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    const u64 size = benchHeaderBytes + seconds * benchRate * benchFrameBytes;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a) &&
        ((u64)a.nFileSizeHigh << 32 | a.nFileSizeLow) == size)
        return true;
    return writeSinesWave(path, seconds);
}

void measureBenchAction(const char* name, const char* verb, const std::string& folder, const char* stem,
                        u32 actionId, const BenchPrepare& prepare) {
    const char* only = getenv("RAVO_BENCH_ACTION");
    if (only && strcmp(only, name) != 0) return;
    const char* runsText = getenv("RAVO_BENCH_RUNS");
    const int count = runsText ? atoi(runsText) : 3;
    if (count < 1) return;
    const std::string input = folder + "\\" + stem + "_in.wav", output = folder + "\\" + stem + "_out.wav";
    std::vector<double> runs, totals;
    u64 bytes = 0;
    for (int k = 0; k < count; ++k) {
        BenchTiming t = runBenchAction(name, input, output, actionId, prepare);
        if (t.total < 0) return;
        runs.push_back(t.run);
        totals.push_back(t.total);
        bytes = t.bytes;
    }
    const double run = benchMedian(runs);
    printf("%s through the store: %.3f s (%.1f Msamples/s)\n", name, run, bytes / 2 / run / 1e6);
    printf("%s, open + %s + save (median of %d): %.3f s\n", name, verb, count, benchMedian(totals));
    fflush(stdout);
}
