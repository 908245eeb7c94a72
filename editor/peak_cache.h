#pragma once
// The process-wide background peak cache. For every run of F frames of a sound it keeps, per track,
// the smallest and the largest sample (two f32) in a headerless temp file, computed by one worker
// thread of lowest priority in steps of about 8 MB of source data. Wave panes hold a PeakHandle on
// a PeakEntry; panes showing the same file from the same offset share the entry and its file.
//
// FileCache owns its handles and entries; the cache lock guards both lists, every entry field (not
// the peak file's content) and the worker pointer. Lock order: the cache lock, then the worker's.
// Entries are deleted (with their peak file) when their last handle and the worker let go.
#include <mutex>

#include "core/gfile.h"
#include "core/task_queue.h"
#include "core/types.h"
#include "editor/wave_view.h"
#include "mm/sound_format.h"

class FileCache;
class SoundStore;

// Told on the worker thread with the cache lock held; must not call into the cache.
class PeakListener {
public:
    virtual ~PeakListener() = default;
    virtual void onPeaksComplete() = 0;
    virtual void onPeaksProgress() = 0;
};

struct PendingRange {
    PendingRange* previous = nullptr;
    PendingRange* next = nullptr;
    u64 start = 0;
    u64 end = 0;  // exclusive
};

class PeakEntry {
public:
    PeakEntry() = default;
    PeakEntry(const PeakEntry&) = delete;
    PeakEntry& operator=(const PeakEntry&) = delete;
    // Closes the event and the peak file, deletes the file and the pending ranges.
    ~PeakEntry();

    // Block, frame, record and step bytes and frames per peak from tracks and encoding.
    void setGeometry();

    // Byte positions (store positions, start <= p).
    u64 roundDownToPeak(u64 p) const;
    u64 roundUpToPeak(u64 p) const;  // not beyond end
    // Peak-file offsets of the peaks over [p, q).
    void toPeakFileRange(u64 p, u64 q, u64* from, u64* to) const;

    void addPending(u64 from, u64 to);
    void removePending(u64 from, u64 to);
    void setLength(u64 length);
    void resetPending();
    void clearPending();
    bool hasPending() const { return pendingHead != nullptr; }
    u64 pendingBytes() const;

    // One step of the worker, without the cache lock: reads [from, to) of the owner store through a
    // file pair of its own and writes the peaks. False on any file failure.
    bool computePeaks(u64 from, u64 to);
    // Folds the computed peaks under the window into columns (view.columnCount x tracks pairs);
    // columns without a computed peak keep what they held. Cache lock held.
    bool readColumns(const FrameAxisView& view, float* columns);
    // -1 without a peak file; 100 when nothing is pending; else at most 99.
    i32 loadProgress() const;

    PeakEntry* previous = nullptr;
    PeakEntry* next = nullptr;
    PendingRange* pendingHead = nullptr;
    PendingRange* pendingTail = nullptr;
    u32 volumeSerial = 0;
    u32 indexHigh = 0;
    u32 indexLow = 0;
    GFile cacheFile;
    u32 references = 0;
    u32 tracks = 1;
    u32 encoding = 2;
    u64 start = 0;
    u64 end = 0;
    u8 paused = 0;
    u8 busy = 0;
    u8 stale = 0;
    void* event = nullptr;  // manual reset; signalled when a step on the entry ends
    i32 blockBytes = 0;     // source bytes per peak
    i32 frameBytes = 0;
    i32 recordBytes = 0;    // R = 8 x tracks
    i32 stepBytes = 0;
    i32 framesPerPeak = 0;  // F
    SoundStore* owner = nullptr;

private:
    void unlinkPending(PendingRange* range);
    void insertPendingBefore(PendingRange* before, u64 from, u64 to);  // null: at the tail
};

// One user's hold on an entry (entry null when the file identity was unreadable: every operation
// then does nothing and answers false). Created by FileCache::request, deleted by release.
class PeakHandle {
public:
    // The sound's data in [from, to) changed.
    void invalidate(u64 from, u64 to);
    void setLength(u64 length);
    // The worker skips the entry; waits for a running step on it to end.
    void pause();
    void resume();
    bool isPaused();
    void moveToFront();
    bool isComplete();
    bool readColumns(const FrameAxisView& view, float* columns);
    i32 loadProgress();

    PeakHandle* previous = nullptr;
    PeakHandle* next = nullptr;
    PeakEntry* entry = nullptr;
    FileCache* cache = nullptr;
    PeakListener* listener = nullptr;
};

class PeakCacheWorker : public ThreadObject {
public:
    explicit PeakCacheWorker(FileCache* cache) : cache(cache) {}
    void run() override;

    FileCache* cache;
};

class FileCache {
public:
    FileCache() = default;
    FileCache(const FileCache&) = delete;
    FileCache& operator=(const FileCache&) = delete;
    ~FileCache() { destroy(); }

    // A new handle on the entry for (the store's file, offset); the entry starts fully pending.
    PeakHandle* request(SoundStore* owner, u64 offset, u64 length, u32 tracks, u32 encoding, PeakListener* listener);
    // Deletes the handle; waits for a step running on its entry, so the owner store may go after.
    void release(PeakHandle* handle);
    // Stops the worker (waiting for it) and deletes every handle and entry.
    void destroy();
    // Starts the worker when none runs; cache lock held.
    void wake();
    void workerLoop(PeakCacheWorker* self);

    // workTempFolder + "\" + prefix + "%04d.tmp"; a negative index takes the shared temp counter.
    static void tempFileName(GString& out, const char* prefix, i32 index);

    std::mutex lock;
    PeakEntry* entries = nullptr;  // served head first
    PeakEntry* entriesLast = nullptr;
    PeakHandle* handles = nullptr;
    PeakHandle* handlesLast = nullptr;
    PeakCacheWorker* worker = nullptr;

    void deleteEntryLocked(PeakEntry* entry);
    // Waits (the lock released meanwhile) for a step running on the entry to end.
    void waitForStep(std::unique_lock<std::mutex>& held, PeakEntry* entry);
};

// Test seams. The step hook runs on the worker once the first source piece of a step is read (or
// failed); the
// retry delay is the pause after a stale or failed step.
extern void (*peakStepHook)(PeakEntry* entry, u64 from, u64 to);
extern u32 peakRetryDelay;
