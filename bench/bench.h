#pragma once
// Measurements of real work. Each registers itself with a name; ravo_bench runs the ones named on
// its command line, or all of them, and prints one line per result with its unit.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

typedef void (*BenchFunction)();

struct BenchRegistration {
    BenchRegistration(const char* name, BenchFunction run);
};

#define RAVO_BENCH(name)                                                   \
    static void bench_##name();                                           \
    static BenchRegistration benchRegistration_##name(#name, bench_##name); \
    static void bench_##name()

// Seconds since an arbitrary start, from the performance counter.
double benchSeconds();
// Prints "<name>: <value> <unit>".
void benchResult(const char* name, double value, const char* unit);
// A scratch folder for the measurement's files (created on first use, removed at exit).
std::string benchFolder();

// Dispatches the messages waiting on this thread.
inline void benchPumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The middle value (of an even count, the upper of the two middle ones).
inline double benchMedian(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median of five runs of the work, in milliseconds.
template <class F>
double medianMilliseconds(F&& work) {
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        double start = benchSeconds();
        work();
        runs.push_back((benchSeconds() - start) * 1000.0);
    }
    return benchMedian(runs);
}
