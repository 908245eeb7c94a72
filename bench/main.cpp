#include <cstring>
#include <vector>

#include "bench/bench.h"
#include "core/paths.h"

namespace {
struct Entry {
    const char* name;
    BenchFunction run;
};
std::vector<Entry>& entries() {
    static std::vector<Entry> all;
    return all;
}
std::string g_folder;
}  // namespace

BenchRegistration::BenchRegistration(const char* name, BenchFunction run) { entries().push_back({name, run}); }

double benchSeconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

void benchResult(const char* name, double value, const char* unit) {
    printf("%s: %.1f %s\n", name, value, unit);
    fflush(stdout);
}

std::string benchFolder() {
    if (g_folder.empty()) {
        g_folder = std::string(tempFolder().c_str()) + "\\ravo_bench";
        CreateDirectoryA(g_folder.c_str(), nullptr);
    }
    return g_folder;
}

int main(int argc, char** argv) {
    setProductName("RavoBench");
    int ran = 0;
    for (const Entry& e : entries()) {
        bool wanted = argc < 2;
        for (int i = 1; i < argc; ++i) wanted |= strcmp(argv[i], e.name) == 0;
        if (!wanted) continue;
        e.run();
        ++ran;
    }
    if (!g_folder.empty()) {
        emptyFolder(g_folder.c_str());
        RemoveDirectoryA(g_folder.c_str());
    }
    if (!ran) {
        fprintf(stderr, "no such measurement; known:");
        for (const Entry& e : entries()) fprintf(stderr, " %s", e.name);
        fprintf(stderr, "\n");
        return 2;
    }
    return 0;
}
