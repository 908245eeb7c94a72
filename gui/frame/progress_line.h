#pragma once
// GProgressLinePlacer: the row under a page's content that shows a running job's progress after
// its first 100 ms: a bar, a cancel button and a status line with the percentage, the elapsed and
// the remaining time; a label says when the job is paused. It is also the job's progress sink:
// workers call begin, advance and end from their threads; begin and end hop to the interface
// thread as posted commands; all window work happens there. A layout item: its container owns
// it and it owns its four windows. No worker may use it after its deletion.
#include <windows.h>

#include "gui/frame/progress_state.h"
#include "gui/kernel/timers.h"
#include "gui/layout/layout_rows.h"

class GButton;
class GLabel;
class GProgressBar;
class GStatusLine;

// Commands of the line.
enum : u32 { ProgressLineCancel = 1000, ProgressLineBegin = 1001, ProgressLineEnd = 1002 };

class GProgressLinePlacer : public GRowItem, public ProgressState {
public:
    explicit GProgressLinePlacer(GWindow* owner);
    ~GProgressLinePlacer() override;

    // A new job: no caption until one is set.
    void begin(u64 newTotal) override;
    void end() override;
    bool report(u64 done, const char* newText) override;
    // The job's caption, shown beside the times (the sink's text); any thread.
    void setCaption(const char* caption) { setProgress(percent, caption ? caption : ""); }

    bool onControlCommand(void* event) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    void onTimer(TimerRecord* record) override;
    // Refreshes the display; unless forced at most once a second.
    void update(bool force);
    void pause();
    void resume();
    // A note of the running job: 0 paused, 1 resumed.
    void onJobNote(i32 code);

    bool running() const { return (jobFlags.load() & JobRunning) != 0; }
    static bool included(GLayoutCell* cell) { return !(cell->cellFlags & CellExcluded); }

    enum : u32 { JobRunning = 256 };
    std::atomic<u32> jobFlags{0};  // written by workers too
    bool askBeforeCancel = true;
    std::atomic<u32> workerThread{~0u};  // the first thread that reported; ~0: none yet
    u32 startTicks = 0, lastShown = 0, pauseStart = 0;
    bool paused = false;
    bool boxOpen = false;
    HWND* openBox = nullptr;  // the open confirmation box's handle, kept by its opener
    bool timerRunning = false;
    TimerRecord timer;

    GLabel* label = nullptr;
    GProgressBar* progressBar = nullptr;
    GButton* cancelButton = nullptr;
    GStatusLine* statusLine = nullptr;

private:
    void startOnUiThread();
    void finishOnUiThread();
    void postToSelf(u32 command);
    void include(GLayoutCell* cell, bool on);
    // Arranges the whole tree the line belongs to again.
    void rearrangePage();
};
