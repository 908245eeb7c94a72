// The file analyzer over sparse 4 GiB files (a WAVE and an ID3-tagged MPEG stream with a tail):
// parse and text report, and the bytes the file reads delivered meanwhile.
#include <cstring>
#include <string>

#include "bench/bench.h"
#include "core/gfile.h"
#include "tools/file_structure.h"

namespace {
const u64 bigSize = 1ull << 32;

void le32(std::string& s, u32 v) { s.append(reinterpret_cast<const char*>(&v), 4); }

// Writes the head, leaves a hole up to the tail and writes the tail at the end.
bool makeSparse(const std::string& path, const std::string& head, const std::string& tail) {
    GFile f;
    if (!fileOpen(f, path.c_str(), FileMode::Write)) return false;
    bool ok = fileWrite(f, head.data(), (u32)head.size()) &&
              fileSeek(f, (i64)(bigSize - tail.size()), SEEK_SET) && fileWrite(f, tail.data(), (u32)tail.size());
    return fileClose(f) && ok;
}

void measure(const char* what, const std::string& path) {
    std::string report = benchFolder() + "\\analyzer_report.txt";
    double read = 0;
    u32 blocks = 0;
    double ms = medianMilliseconds([&] {
        double before = (double)fileReadTotal();
        FileStructure* root = parseFileStructure(path.c_str(), nullptr, nullptr);
        GFile out;
        if (root && fileOpen(out, report.c_str(), FileMode::Write)) {
            root->report(out, ReportKind::Text);
            fileClose(out);
        }
        read = (double)fileReadTotal() - before;
        blocks = root ? root->childCount() : 0;
        delete root;
    });
    std::string name = std::string("analyzer: parse and text report of a sparse 4 GiB ") + what;
    benchResult(name.c_str(), ms, blocks > 1 ? "ms (goal 200)" : "ms (nothing parsed)");
    benchResult((name + ", bytes read").c_str(), read / 1024.0, "KiB (goal under 1024)");
}
}  // namespace

RAVO_BENCH(analyzer) {
    // WAVE: a PCM format and a data chunk filling the 32-bit size.
    std::string wave = "RIFF";
    le32(wave, (u32)(bigSize - 8 - 1));
    wave += "WAVEfmt ";
    le32(wave, 16);
    const u16 pcm[8] = {1, 2, 44100 & 0xFFFF, 44100 >> 16, (44100 * 4) & 0xFFFF, (44100 * 4) >> 16, 4, 16};
    wave.append(reinterpret_cast<const char*>(pcm), 16);
    wave += "data";
    le32(wave, (u32)(bigSize - 8 - 1 - 4 - 24 - 8));
    const std::string wavePath = benchFolder() + "\\big.wav";
    // MPEG: an ID3v2 tag, frames from there on and an ID3v1 tail.
    std::string mpeg = std::string("ID3\x03\x00\x00\x00\x00\x00\x14", 10) + std::string(20, 'i');
    for (int i = 0; i < 8; ++i) mpeg += std::string("\xFF\xFB\x90\x64", 4) + std::string(413, '\0');
    std::string tail = "TAG";
    tail.resize(128, 'x');
    const std::string mpegPath = benchFolder() + "\\big.mp3";
    if (!makeSparse(wavePath, wave, std::string(1, '\0')) || !makeSparse(mpegPath, mpeg, tail)) {
        benchResult("analyzer (no sparse files)", -1, "ms");
        return;
    }
    measure("WAVE", wavePath);
    measure("MPEG file", mpegPath);
    DeleteFileA(wavePath.c_str());
    DeleteFileA(mpegPath.c_str());
}

// A long Ogg stream: 65536 pages of 4 KiB, each a block of its own.
RAVO_BENCH(analyzer_ogg) {
    const std::string path = benchFolder() + "\\long.ogg";
    const u32 pages = 65536;
    std::string page = std::string("OggS") + '\0' + '\0';
    page.append(8, '\1');                   // granule position
    page.append(12, '\0');                  // serial, sequence, CRC
    page += (char)16;
    page.append(16, (char)(u8)254);         // 16 segments of 254 bytes
    page.append(16 * 254, 'a');
    GFile f;
    if (!fileOpen(f, path.c_str(), FileMode::Write)) return;
    std::string run;
    for (u32 i = 0; i < 256; ++i) run += page;
    for (u32 i = 0; i < pages / 256; ++i) fileWrite(f, run.data(), (u32)run.size());
    fileClose(f);
    u32 blocks = 0;
    double ms = medianMilliseconds([&] {
        FileStructure* root = parseFileStructure(path.c_str(), nullptr, nullptr);
        blocks = root && root->childCount() ? root->child(0)->childCount() : 0;
        delete root;
    });
    benchResult("analyzer: parse of an Ogg stream of 65536 pages (256 MiB)", ms,
                blocks == pages ? "ms" : "ms (pages missing)");
    DeleteFileA(path.c_str());
}
