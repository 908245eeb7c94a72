// Opening a one-hour stereo 16-bit 44.1 kHz WAVE into a store (its samples are not read), then
// saving the store again as WAVE and as own file; a plain copy of the file gives the reference.
#include <vector>

#include "bench/bench.h"
#include "core/gfile.h"
#include "mm/sound_file.h"
#include "mm/sound_store.h"

namespace {
const u32 kRate = 44100;
const u64 kDataBytes = 3600ull * kRate * 4;

bool writeHourWave(const std::string& path) {
    GFile f;
    if (!fileOpen(f, path.c_str(), FileMode::Write)) return false;
    u32 head[11] = {0x46464952, (u32)(36 + kDataBytes), 0x45564157, 0x20746D66, 16, 0x00020001, kRate, kRate * 4,
                    0x00100004, 0x61746164, (u32)kDataBytes};
    std::vector<u8> chunk(1 << 20);
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = (u8)(i * 131 + (i >> 12));
    bool ok = fileWrite(f, head, sizeof head);
    for (u64 done = 0; ok && done < kDataBytes; done += chunk.size())
        ok = fileWrite(f, chunk.data(), (u32)std::min<u64>(chunk.size(), kDataBytes - done));
    return fileClose(f) && ok;
}

double megabytes(u64 bytes) { return (double)bytes / 1e6; }
}  // namespace

RAVO_BENCH(sound_file) {
    std::string wave = benchFolder() + "\\hour.wav";
    if (!writeHourWave(wave)) {
        printf("sound_file: cannot write %s\n", wave.c_str());
        return;
    }

    // Reference: the same bytes copied by the file object.
    {
        GFile from, to;
        fileOpen(from, wave.c_str(), FileMode::Read);
        fileOpen(to, (benchFolder() + "\\copy.bin").c_str(), FileMode::Write);
        double start = benchSeconds();
        bool ok = fileCopyRest(from, to, nullptr) && fileFlush(to);
        double seconds = benchSeconds() - start;
        fileClose(to);
        deleteFile((benchFolder() + "\\copy.bin").c_str());
        if (ok) benchResult("plain file copy of a one-hour WAVE", megabytes(kDataBytes) / seconds, "MB/s");
    }

    SoundFormat format;
    SoundStore store;
    double start = benchSeconds();
    bool opened = openSoundFile(wave.c_str(), &format, &store, nullptr, nullptr);
    double openSeconds = benchSeconds() - start;
    if (!opened || store.length != kDataBytes) {
        printf("sound_file: the WAVE did not open\n");
        return;
    }
    benchResult("open a one-hour stereo WAVE into a store", openSeconds * 1000, "ms");

    struct Target {
        const char* name;
        u32 kind;
        const char* label;
    } targets[] = {
        // The first save also pays for writing back the freshly made source file.
        {"\\saved.wav", soundFileWave, "save a one-hour store as WAVE (first)"},
        {"\\saved.ravo", soundFileRavo, "save a one-hour store as own file"},
        {"\\saved.wav", soundFileWave, "save a one-hour store as WAVE"},
        {"\\saved.ravo", soundFileRavo, "save a one-hour store as own file (again)"},
    };
    for (const Target& t : targets) {
        std::string path = benchFolder() + t.name;
        start = benchSeconds();
        bool saved = saveSoundFile(path.c_str(), t.kind, &format, &store, nullptr, nullptr, nullptr, nullptr);
        double seconds = benchSeconds() - start;
        if (saved && (u64)fileSizeByName(path.c_str()) >= kDataBytes)
            benchResult(t.label, megabytes(kDataBytes) / seconds, "MB/s");
        else
            printf("sound_file: %s failed\n", t.label);
        deleteFile(path.c_str());
    }
    store.clear();
    deleteFile(wave.c_str());
}
