#pragma once
// The records a wave pane owns and its data source reads or adjusts: the visible window of the frame
// axis, the visible-data buffer, the saved selections, the bookmarks and the play start. The pane
// holds them by value; the buffer frees its values itself.
#include "core/arrays.h"
#include "core/types.h"

// How the visible data was read (the read-mode bits of the frame axis's flags).
namespace WaveReadMode {
enum : u32 {
    EveryFrame = 0,         // one value per frame and track
    MinMax = 256,           // a (min, max) pair per column and track
    OnePerColumn = 512,     // the frame at each column's start, as both min and max
    Mask = 0x300,
};
}

// The visible window of the frame axis. Pixel of a frame = frame x pixelsPerFrame + origin; the
// buffer's column c is pixel firstColumn + c.
struct FrameAxisView {
    f64 pixelsPerFrame = 1.0;
    f64 origin = 0.0;       // pixel of frame 0
    f64 firstFrame = 0.0;   // first visible frame
    f64 endFrame = 0.0;     // end of the visible frames (exclusive)
    i32 firstColumn = 0;    // first visible pixel column
    u32 columnCount = 0;    // visible pixel columns
    u32 flags = 0;          // WaveReadMode bits set by the fill

    f64 pixelOf(f64 frame) const { return frame * pixelsPerFrame + origin; }
    f64 frameAt(f64 pixel) const { return (pixel - origin) / pixelsPerFrame; }
    // The first frame right of column c (columns end there), never negative.
    i64 columnEndFrame(i64 column) const;
};

// The visible-data buffer. For the min/max modes: per column, per track, (min, max), tracks
// interleaved within a column; for mode 0: per frame, one value per track.
struct WaveViewData {
    float* values = nullptr;
    u32 count = 0;
    u64 firstByte = 0;
    u64 endByte = 0;
    u32 readMode = 0;
    f64 pixelsPerFrame = 0.0;

    WaveViewData() = default;
    WaveViewData(const WaveViewData&) = delete;
    WaveViewData& operator=(const WaveViewData&) = delete;
    ~WaveViewData() { release(); }

    // Frees the values (count 0) and forgets the window, so the next fill reads again.
    void release();
    // count values; kept when the count is the same, else fresh and undefined.
    void resize(u32 newCount);
};

struct SavedSelection {
    u32 start = 0;
    u32 end = 0;
};

// Frames, ascending, without duplicates.
typedef RecordArray<u32> BookmarkList;

// Sorted insertion without duplicates.
void addBookmark(BookmarkList& bookmarks, u32 frame);

// The positions that follow edits of the sound (the selection and cursor follow the Editor's
// result positions instead).
struct WavePositions {
    SavedSelection saved[3];
    BookmarkList bookmarks;
    u32 playStart = 0;
};
