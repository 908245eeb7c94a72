// Errors queued from a worker while an error box is open: each call returns at once and leaves
// the open box alone (its caption changes later, on the interface thread).
#include <string>
#include <thread>
#include <vector>

#include "bench/bench.h"
#include "gui/controls/button.h"
#include "gui/dialogs/message_box_window.h"
#include "gui/kernel/application.h"
#include "gui/kernel/error_queue.h"

namespace {
std::vector<double> g_calls;
bool g_touched = false;

i32 runWhileWorkersQueue(GMessageBox* box, i32) {
    if (box->message.c_str() != std::string("first")) return 1;
    std::string before = box->lastButton->text.c_str();
    // The interface thread waits in join: a call that needed the box's window would hang here.
    std::thread worker([] {
        for (int i = 0; i < 20; ++i) {
            double start = benchSeconds();
            showErrorF(nullptr, "Worker error %d", i);
            g_calls.push_back((benchSeconds() - start) * 1e6);
        }
    });
    worker.join();
    g_touched |= before != box->lastButton->text.c_str();
    return 1;
}
}  // namespace

RAVO_BENCH(message_box) {
    GApplication app;
    setApplication(&app);
    createPendingBoxList();
    setMessageBoxRunner(runWhileWorkersQueue);
    for (int run = 0; run < 5; ++run) {
        showMessageBox(&mbError, nullptr, "first");
        showPendingErrorBoxes();
    }
    setMessageBoxRunner(nullptr);
    deletePendingBoxList();
    setApplication(nullptr);
    double worst = *std::max_element(g_calls.begin(), g_calls.end());
    benchResult("queueing an error from a worker while a box is open (median of 100 calls)", benchMedian(g_calls),
                g_touched ? "us (the open box was touched)" : "us");
    benchResult("queueing an error from a worker while a box is open (slowest of 100 calls)", worst,
                g_touched ? "us (the open box was touched)" : "us");
}
