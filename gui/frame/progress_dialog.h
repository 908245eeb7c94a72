#pragma once
// GProgressDialog: the small top-level window of a job running on a worker thread: title, elapsed
// and remaining time, a bar with its percentage and a "Stop" button. Made by start(); it deletes
// itself when its window ends, which happens only after the worker's end notification (closing it
// earlier requests a stop instead). The progress state is shared with the worker, so neither
// outlives what the other still uses.
#include <atomic>
#include <memory>

#include "core/error.h"
#include "gui/frame/progress_state.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/timers.h"

class GButton;
class GLabel;
class GProgressBar;

enum : u32 { TypeProgressDialog = 57 };

// Called with phase 1 on the worker thread (the work), then phase 0 on the interface thread.
typedef void (*ProgressJobFunction)(i32 phase, ProgressState* state, void* argument);

// Options of GProgressDialog::start.
enum : u32 {
    ProgressDetached = 1,        // not shown now, and start answers null
    ProgressShowAtUpdate = 2,    // shown at the first display update, if the job still runs
    ProgressCannotStop = 4,      // "Stop" disabled from the start
};

// Commands of the dialog.
enum : u32 { ProgressJobDone = 1000, ProgressJobStopped = 1001, ProgressStopButton = 1002 };

// Shows the cancel report in a box of the dialog, then ends the job's step.
struct ProgressStopReport : ErrorHandler {
    bool report(const char* text, int code) override;
    std::atomic<GWindow*> owner{nullptr};  // the dialog while its window lives
};

// What the dialog and its worker share.
struct ProgressWork {
    ProgressStopReport stopReport;
    ProgressState state;
    ProgressJobFunction job = nullptr;
    void* argument = nullptr;
    std::atomic<HWND> target{nullptr};  // the dialog while its window lives
    std::atomic<u32> threadId{0};       // the worker while the job runs
};

class GProgressDialog : public GDialog {
public:
    static GProgressDialog* start(const char* title, GWindow* owner, ProgressJobFunction job, void* argument,
                                  u32 options);
    ~GProgressDialog() override;

    bool isKindOf(u32 id) const override { return id == TypeProgressDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GProgressDialog"; }
    u32 typeId() const override { return TypeProgressDialog; }

    // While the job runs a close only requests a stop: 1, or 2 while the application quits.
    i32 queryClose() override;
    // The display update (every 500 ms, at most one refresh a second).
    void onTimer(TimerRecord* record) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    void onDestroy() override;
    // Handles the dialog's commands; false for others.
    bool command(u32 id);
    // The "Stop" button's click.
    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    // Stops the clock (elapsed time leaves the pause out) and restarts it.
    void pauseClock() override;
    void resumeClock() override;
    // As the "Stop" button.
    void requestStop();
    // Esc, the close box or a standard command: a stop, unless the job cannot be stopped and the
    // application is not quitting.
    void closeRequest();

    ProgressState& state() { return work->state; }

    std::shared_ptr<ProgressWork> work;
    // The dialog's windows; cells of its content.
    GLabel* titleLabel = nullptr;
    GLabel* elapsedLabel = nullptr;
    GLabel* timeLabel = nullptr;
    GLabel* percentLabel = nullptr;
    GProgressBar* progressBar = nullptr;
    GButton* stopButton = nullptr;
    u32 startTime = 0;
    u32 pauseStart = 0;
    bool paused = false;
    bool cannotStop = false;
    u32 lastElapsed = 0;
    TimerRecord timer;

private:
    GProgressDialog(GWindow* owner);
    bool build(const char* title);
    static void setLabel(GLabel* label, const char* text);
};
