// Sequential write and read throughput of the file object over a 256 MB file.
#include <vector>

#include "bench/bench.h"
#include "core/gfile.h"

RAVO_BENCH(gfile) {
    const u32 chunk = 1 << 20;
    const u32 chunks = 256;
    std::vector<char> buffer(chunk, 'x');
    std::string path = benchFolder() + "\\gfile.bin";
    GFile f;
    double start = benchSeconds();
    if (!fileOpen(f, path.c_str(), FileMode::WriteTemp | FileFlag::Read)) return;
    for (u32 i = 0; i < chunks; ++i) fileWrite(f, buffer.data(), chunk);
    fileFlush(f);
    double written = benchSeconds();
    fileRewind(f);
    u32 good = 0;
    for (u32 i = 0; i < chunks; ++i) good += fileRead(f, buffer.data(), chunk) && buffer[chunk - 1] == 'x';
    double read = benchSeconds();
    if (good != chunks) printf("gfile: %u of %u chunks read back\n", good, chunks);
    fileClose(f);
    benchResult("gfile sequential write 256 MB", chunks / (written - start), "MB/s");
    benchResult("gfile sequential read 256 MB", chunks / (read - written), "MB/s");
}
