// The message loop: posted messages through the whole turn (pending-work, idle and filter chains,
// the task queue, dispatch through the window procedure) beside a bare GetMessage/DispatchMessage
// loop, and one long chain walk. Medians of three runs.
#include <algorithm>
#include <vector>

#include "bench/bench.h"
#include "gui/kernel/application.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"

namespace {
const u32 messages = 100000;

// Takes the posted messages, posting the next batch after each one.
class Counter : public GParentWindow {
public:
    bool handleMessage(u32 message, uintptr_t, intptr_t, intptr_t*) override {
        if (message != WM_USER) return false;
        if (++received == messages)
            done = true;
        else if (received % batch == 0)
            post();
        return true;
    }
    void post() {
        for (u32 i = 0; i < batch && posted < messages; ++i, ++posted) PostMessageA(hwnd, WM_USER, 0, 0);
    }
    u32 received = 0, posted = 0, batch = 1000;
    bool done = false;
};

// Passes everything on; one of them leaves the chain during the walk.
class Listener : public GItemBase {
public:
    bool onIdle() override {
        if (leaves) ListenerChain::unlink(lifeRecord());
        return false;
    }
    bool filterMessage(tagMSG*) override { return false; }
    bool leaves = false;
};

// Milliseconds to dispatch the messages through the toolkit's loop or a bare one; -1 without a display.
double dispatchRun(bool bare) {
    Counter* window = new Counter;
    if (!createTopLevelWindow(window, WS_POPUP, 0, "")) {
        delete window;
        return -1;
    }
    double start = benchSeconds();
    window->post();
    if (bare) {
        MSG msg;
        while (!window->done && GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    } else {
        messageLoop(&window->done);
    }
    double ms = (benchSeconds() - start) * 1000;
    delete window;
    return ms;
}
}  // namespace

RAVO_BENCH(message_loop) {
    GApplication app;
    setApplication(&app);
    Listener pending, idle, filter;
    ListenerChain::append(app.pendingWorkList, pending.lifeRecord());
    ListenerChain::append(app.idleList, idle.lifeRecord());
    ListenerChain::append(app.filterList, filter.lifeRecord());
    std::vector<double> ours, bare;
    for (int run = 0; run < 3; ++run) {
        ours.push_back(dispatchRun(false));
        bare.push_back(dispatchRun(true));
    }
    if (ours[0] >= 0) {
        benchResult("100000 posted messages through the loop", benchMedian(ours), "ms");
        benchResult("100000 posted messages, bare system loop", benchMedian(bare), "ms");
        benchResult("loop / bare", benchMedian(ours) / benchMedian(bare), "x");
    } else {
        benchResult("message loop: no display", 0, "");
    }

    std::vector<Listener> chain(10000);
    ListenerList list;
    for (Listener& l : chain) ListenerChain::append(list, l.lifeRecord());
    std::vector<double> walks;
    for (int run = 0; run < 3; ++run) {
        chain[5000 + run].leaves = true;
        double start = benchSeconds();
        ListenerChain::notifyIdle(list);
        walks.push_back((benchSeconds() - start) * 1e6);
    }
    benchResult("walk of 10000 listeners, one leaving", benchMedian(walks), "us");
    setApplication(nullptr);
}
