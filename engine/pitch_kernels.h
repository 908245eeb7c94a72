#pragma once
// Where the pitch and tempo kernels read and write: a range of the store (the old bytes of a change,
// or its new bytes), or the scratch area that tempo lays over the work file behind the change's new
// bytes.
#include "engine/processor.h"

class FrameFeed;
class PageWalk;

struct KernelSource {
    bool scratch = false;
    SegmentCursor cursor;  // the store's bytes
    u64 scratchStart = 0;  // the work file's bytes
    u64 bytes = 0;
    u64 tailFrom = 0;  // the sound after the source starts at rangeStart + tailFrom

    static KernelSource range(SegmentCursor at, u64 bytes, u64 tailFrom) {
        KernelSource s;
        s.cursor = at;
        s.bytes = bytes;
        s.tailFrom = tailFrom;
        return s;
    }
    static KernelSource scratchArea(u64 start, u64 bytes, u64 tailFrom = 0) {
        KernelSource s;
        s.scratch = true;
        s.scratchStart = start;
        s.bytes = bytes;
        s.tailFrom = tailFrom;
        return s;
    }
    // Its frames (owned by the caller), then zeros.
    FrameFeed* feed(SoundBlockProcessor& p, JobProgress* progress) const;
    // The same followed by up to tailBytes of the sound after it.
    FrameFeed* feedWithTail(SoundBlockProcessor& p, JobProgress* progress, u64 tailBytes) const;
};

struct KernelTarget {
    const RangeChange* change = nullptr;  // its new bytes, else the scratch area
    u64 scratchStart = 0;
    u64 bytes = 0;

    static KernelTarget newBytes(const RangeChange& c) {
        KernelTarget t;
        t.change = &c;
        t.bytes = c.newLength;
        return t;
    }
    static KernelTarget scratchArea(u64 start, u64 bytes) {
        KernelTarget t;
        t.scratchStart = start;
        t.bytes = bytes;
        return t;
    }
    // The writer over it (owned by the caller); with a progress object a cancel ends it.
    PageWalk* writer(SoundBlockProcessor& p, JobProgress* progress) const;
};

// Under 4 frames: pitch, pitch scale, tempo and vibrato leave the range alone.
bool rangeTooShortToResample(const SoundBlockProcessor& p);
// The vibrato's ratio: below 0.5 the reading would run backwards, so 0.5; NaN gives 1.
f64 vibratoRatio(f64 r);
