#pragma once
// WaveDataSource: a wave pane's reader of visible data. For the current zoom it reads every frame,
// folds frames into (min, max) columns, takes one frame per column, or merges the peaks of the
// shared peak cache; it tells the cache of edits and moves the pane's saved positions with them.
// Owned by its pane. The first data source creates the process-wide FileCache, the last one
// destroys it.
#include <mutex>

#include "core/types.h"
#include "editor/peak_cache.h"
#include "editor/wave_view.h"
#include "mm/sound_store.h"

class GItemBase;

// The command a data source posts to its pane when new peaks are ready.
const u32 kNewPeaksNotification = 1000;

class WaveDataSource : public PeakListener {
public:
    // owner: the pane told of new peaks (may be null).
    explicit WaveDataSource(GItemBase* owner = nullptr);
    WaveDataSource(const WaveDataSource&) = delete;
    WaveDataSource& operator=(const WaveDataSource&) = delete;
    ~WaveDataSource() override;

    // Reads the visible data of the view into the buffer and sets the view's read-mode bits. False
    // when the buffer already held this window and nothing changed (nothing was read). Interface
    // thread.
    bool fill(FrameAxisView& view, WaveViewData& buffer);
    // Around every change of the store: pause before it (waits for a running step), resume after.
    void pauseCache();
    void resumeCache();
    // Closes the cache handle and takes the sound; answers the bytes per frame.
    u32 setFormat(SoundStore* store, u32 encoding, u32 tracks, u64 start, u64 length);
    void close();
    // Lets go of the sound's files (a save puts another file in their place).
    void closeFiles();
    void invalidateFrom(u64 byte);
    void invalidate(u64 from, u64 to);
    void invalidateAll();
    void setLength(u64 length);
    void addLength(i64 delta);
    // -1 without a cache handle; else percent, 100 when complete.
    i32 loadProgress();
    void moveToFront();
    // Tells the owner that new peaks are ready; posts kNewPeaksNotification. Worker thread.
    virtual void notifyOwner();

    // After [start, start + oldLength) of the store became newLength bytes: moves the saved
    // selections, bookmarks and play start, appends the bookmarks it deleted to `removed`, then
    // invalidates the cache (the changed range, or everything from start and the new length).
    void adjustPositionsForEdit(WavePositions& positions, u64 start, u64 oldLength, u64 newLength,
                                BookmarkList& removed);

    void onPeaksComplete() override { newPeaks(); }
    void onPeaksProgress() override { newPeaks(); }

    // Live data sources, and the cache they share (null when none lives).
    static u32 liveCount();
    static FileCache* sharedCache();

    i32 encoding = 0;
    i32 tracks = 0;
    u64 dataStart = 0;
    u64 dataLength = 0;
    i32 frameBytes = 1;
    PeakHandle* handle = nullptr;
    SoundStore* store = nullptr;
    GItemBase* owner;

protected:
    // Store bytes [from, to) into memory; the only place that reads the sound.
    virtual bool readSound(u8* to, u64 from, u64 end);

private:
    void newPeaks();
    void fillDirect(const FrameAxisView& view, WaveViewData& buffer);
    void fillOnePerColumn(const FrameAxisView& view, WaveViewData& buffer);

    std::mutex dataLock;  // guards the three flags
    u8 newPeaksFlag = 0;
    u8 changed = 0;
    u8 complete = 1;
    StoreFilePair files;
};
