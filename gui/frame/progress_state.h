#pragma once
// The progress sink of a long job, shared by the two displays (the progress line and the progress
// dialog): the worker reports through it, the display reads it on the interface thread. The
// display that made it owns it. Total, counts, percent and text change only under its lock, so a
// reader never sees a torn 64-bit count; the stop and active flags are atomics.
#include <mutex>

#include "core/progress.h"

class ProgressState : public JobProgress {
public:
    ProgressState() = default;

    // A job starts or ends; any thread. A display hooks in here to show and hide itself.
    virtual void begin(u64 newTotal) { setRange(newTotal); }
    virtual void end() { deactivate(); }

    // Total (below 1 counts as 1), counts and percent 0, no stop, active.
    void setRange(u64 newTotal) { setTotal(newTotal); }
    void deactivate() { disable(); }
    // processed = base + count; a new text or percent is stored while active. True after a stop
    // was requested: the listener has then been told "Operation was canceled".
    bool advance(u64 count, const char* newText = nullptr) { return report(count, newText); }
    // The percent and an owned copy of the text (delete[]); answers whether the state is active.
    bool read(u32* outPercent, char** outText) { return getProgress(outPercent, outText); }
    bool setPosition(u32 newPercent, const char* newText) { return setProgress(newPercent, newText); }

    void requestStop() { cancel(); }
    bool stopRequested() const { return isCancelled(); }
    bool active() const { return reporting != 0; }

    struct Amounts {
        u64 total;
        u64 processed;
        u32 percent;
        // The time still to run at the rate so far, in the unit of `elapsed`; 0 before the first
        // count and once the count reaches the total.
        u64 remaining(u64 elapsed) const {
            if (processed == 0 || processed >= total) return 0;
            return (u64)((double)elapsed * (double)(total - processed) / (double)processed);
        }
    };
    // One consistent reading of the amounts.
    Amounts amounts();

    void setTotal(u64 newTotal) override;
    void reset() override;
    bool report(u64 done, const char* newText) override;
    bool getProgress(u32* outPercent, char** outText) override;
    bool setProgress(u32 newPercent, const char* newText) override;

private:
    std::mutex lock;
};
