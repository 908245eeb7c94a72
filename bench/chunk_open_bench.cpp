// Opening a WAVE file of 100 000 chunks (the samples, empty "data" chunks, then the format) into a
// store; the goal is under 100 ms. Median of five runs.
#include <algorithm>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "core/gfile.h"
#include "mm/sound_file.h"
#include "mm/sound_store.h"

namespace {
const u32 kChunks = 100000;

void put32(std::string& out, u32 v) { out.append(reinterpret_cast<const char*>(&v), 4); }

bool writeManyChunks(const std::string& path) {
    // The format last: every data block before it finds none.
    std::string body = "WAVEdata";
    put32(body, 400);
    body.append(400, '\x11');
    for (u32 i = 2; i < kChunks; ++i) {
        body += "data";
        put32(body, 0);
    }
    body += "fmt ";
    put32(body, 16);
    for (u32 v : {0x00020001u, 44100u, 44100u * 4, 0x00100004u}) put32(body, v);
    std::string file = "RIFF";
    put32(file, (u32)body.size());
    file += body;
    GFile f;
    bool ok = fileOpen(f, path.c_str(), FileMode::Write) && fileWrite(f, file.data(), (u32)file.size());
    return fileClose(f) && ok;
}
}  // namespace

RAVO_BENCH(chunk_open) {
    std::string path = benchFolder() + "\\chunks.wav";
    if (!writeManyChunks(path)) {
        printf("chunk_open: cannot write %s\n", path.c_str());
        return;
    }
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        SoundFormat format;
        SoundStore store;
        double start = benchSeconds();
        bool opened = openSoundFile(path.c_str(), &format, &store, nullptr, nullptr);
        runs.push_back(benchSeconds() - start);
        if (!opened || store.length != 400) {
            printf("chunk_open: the file did not open\n");
            return;
        }
    }
    std::sort(runs.begin(), runs.end());
    benchResult("open a WAVE of 100 000 chunks (goal 100 ms)", runs[2] * 1000, "ms");
    deleteFile(path.c_str());
}
