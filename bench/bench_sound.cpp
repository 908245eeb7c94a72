#include "bench/bench_sound.h"

#include <io.h>
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/bench.h"
#include "core/paths.h"
#include "mm/sound_format.h"

bool writeHourOfSines(GFile& f) {
    const f64 twoPi = 6.283185307179586;
    std::vector<i16> second(benchRate * benchChannels);
    for (u32 i = 0; i < benchRate; ++i) {
        second[2 * i] = (i16)std::lround(20000 * std::sin(twoPi * 440.0 * i / benchRate));
        second[2 * i + 1] = (i16)std::lround(30000 * std::sin(twoPi * 441.0 * i / benchRate));
    }
    bool ok = true;
    for (u64 s = 0; s < benchHourSeconds && ok; ++s) ok = fileWrite(f, second.data(), benchRate * benchFrameBytes);
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

bool writeHourWave(const std::string& path) {
    GFile f;
    if (!fileOpen(f, path.c_str(), FileMode::Write)) return false;
    bool ok = writeWaveHeader(f, benchHourBytes) && writeHourOfSines(f);
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
