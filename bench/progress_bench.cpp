// Progress reports of a worker while the interface thread keeps reading the amounts.
#include <algorithm>
#include <atomic>
#include <thread>

#include "bench/bench.h"
#include "gui/frame/progress_state.h"

RAVO_BENCH(progress_reports) {
    const u64 reports = 1000000;
    double runs[3];
    u64 reads = 0;
    for (double& run : runs) {
        ProgressState state;
        state.setRange(reports);
        std::atomic<bool> done{false};
        double start = benchSeconds();
        std::thread worker([&] {
            for (u64 i = 1; i <= reports; i++) state.advance(i);
            done = true;
        });
        while (!done) {
            reads += state.amounts().processed != 0;
            std::this_thread::yield();
        }
        worker.join();
        run = (benchSeconds() - start) * 1000.0;
    }
    std::sort(runs, runs + 3);
    benchResult("10^6 progress reports from a worker (median of 3, reader running)", runs[1],
                reads ? "ms" : "ms (no reads)");
}
