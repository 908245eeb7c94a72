#pragma once
// Progress and cancel object of one job. The worker reports, the interface thread reads and cancels.
#include <atomic>
#include <mutex>

#include "core/types.h"

class ErrorHandler;

class JobProgress {
public:
    JobProgress() = default;
    JobProgress(const JobProgress&) = delete;
    JobProgress& operator=(const JobProgress&) = delete;
    virtual ~JobProgress();

    virtual void setTotal(u64 total);
    virtual void reset();
    virtual void disable();
    // current = committed + done; updates the percent; true (after telling the listener
    // "Operation was canceled") when the job is cancelled.
    virtual bool report(u64 done, const char* text);
    // False when reporting is off; else the percent and an owned copy of the text (delete[]).
    virtual bool getProgress(u32* percent, char** text);
    virtual bool setProgress(u32 percent, const char* text);

    // A finished stage: later reports count on from here.
    void commit() { committed = current; }
    void cancel() { cancelled = 1; }
    bool isCancelled() const { return cancelled != 0; }

    ErrorHandler* listener = nullptr;
    u64 total = 1;
    std::atomic<u32> percent{0};
    u64 committed = 0;
    u64 current = 0;
    std::atomic<u8> cancelled{0};
    std::atomic<u8> reporting{1};

protected:
    std::mutex textLock;
    char* text = nullptr;
};
