#pragma once
// Measurements of real work. Each registers itself with a name; ravo_bench runs the ones named on
// its command line, or all of them, and prints one line per result with its unit.
#include <cstdio>
#include <string>

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
