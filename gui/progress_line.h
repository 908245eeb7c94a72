#pragma once
// GProgressLinePlacer: the line under a page's content that shows a running job's progress after
// its first 100 ms: a bar, a cancel button and a status line with the percentage, the elapsed and
// the remaining time; a label says when the job is paused. It is also the job's progress sink:
// workers call begin, advance and end from their threads; begin and end hop to the interface
// thread by posted commands; all window work happens there.
//
// Until the layout rows exist the line lives in a host child window of the owner (the caller
// places it with setRect); the host and the line's windows end with the owner. The creator owns
// the placer; no worker may use it after its deletion.
#include <windows.h>

#include "gui/item_base.h"
#include "gui/progress_state.h"
#include "gui/timers.h"

class GStatusLine;
class GHostWindow;
class GWindow;

// Commands of the line.
enum : u32 { ProgressLineCancel = 1000, ProgressLineBegin = 1001, ProgressLineEnd = 1002 };

class GProgressLinePlacer : public ProgressState, public GItemBase {
public:
    explicit GProgressLinePlacer(GWindow* owner);
    ~GProgressLinePlacer() override;

    void begin(u64 newTotal) override;
    void end() override;
    bool report(u64 done, const char* newText) override;

    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    void onTimer(TimerRecord* record) override;
    // Refreshes the display; unless forced at most once a second.
    void update(bool force);
    void pause();
    void resume();
    // A note of the running job: 0 paused, 1 resumed.
    void onJobNote(i32 code);

    void setRect(const RECT& rect);
    // Places the included windows from the left: label, bar, button, then the status line.
    void arrange();
    bool running() const { return (jobFlags.load() & JobRunning) != 0; }

    enum : u32 { JobRunning = 256 };
    std::atomic<u32> jobFlags{0};  // written by workers too
    bool askBeforeCancel = true;
    std::atomic<u32> workerThread{~0u};  // the first thread that reported; ~0: none yet
    u32 startTicks = 0, lastShown = 0, pauseStart = 0;
    bool paused = false;
    bool boxOpen = false;
    bool timerRunning = false;
    TimerRecord timer;

    GWindow* owner;
    GHostWindow* host = nullptr;
    HWND label = nullptr, progressBar = nullptr, cancelButton = nullptr;
    GStatusLine* statusLine = nullptr;

private:
    void startOnUiThread();
    void finishOnUiThread();
};
