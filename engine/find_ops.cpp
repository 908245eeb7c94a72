// The search of a range for defects, the border of a silence or the peak. It only reads the sound:
// one pass in the search direction (a reverse page walk for a backward search), no change made.
#include <cmath>
#include <vector>

#include "engine/find_params.h"
#include "engine/page_walk.h"
#include "engine/sample_processor.h"
#include "engine/size_fields.h"

FindRange findRange(const FindParams& params, u64 cursor, u64 selectionStart, u64 selectionEnd, u64 soundStart,
                    u64 soundEnd) {
    FindRange r;
    if (params.inSelection) {
        r.start = selectionStart;
        r.end = selectionEnd;
        // A cursor strictly inside cuts the selection, for every kind.
        if (cursor > selectionStart && cursor < selectionEnd)
            (params.forward ? r.start : r.end) = cursor;
    } else if (params.mode == findPeak) {
        r.start = soundStart;
        r.end = soundEnd;
    } else {
        r.start = params.forward ? cursor : soundStart;
        r.end = params.forward ? soundEnd : cursor;
    }
    return r;
}

u32 periodAtRate(u32 count, u32 storedRate, u32 soundRate) {
    const u64 n = lengthAtRate(count, storedRate, soundRate);
    return n > 0xFFFFFFFFull ? 0xFFFFFFFFu : (u32)n;
}

namespace {
// Each search is told when the scan enters a frame (frames counted in scan order from 0) and given
// every selected sample; either answers true on a hit, whose frame is in `hit`.

struct PeakSearch {
    f64 best = -1.0;
    f64 bestValue = 0.0;
    u64 frame = 0;
    u64 hit = 0;

    bool enterFrame(u64 k) {
        frame = k;
        return false;
    }
    bool sample(f64 x, i32) {
        f64 m = std::fabs(x);
        if (m > best) {  // a NaN never replaces
            best = m;
            bestValue = x;
            hit = frame;
        }
        return false;
    }
};

// A frame is loud when one of its samples is above the level. A frame is judged when the scan
// enters the next one, so the last frame of the range is never judged.
struct SilenceSearch {
    enum Phase { opening, sound, silence };
    f64 level;
    u32 period;
    Phase phase = opening;
    u32 counter = 0;
    bool loud = false;
    u64 frame = 0;
    u64 runStart = 0;
    u64 hit = 0;

    SilenceSearch(f64 level, u32 period) : level(level), period(period) {}

    bool enterFrame(u64 k) {
        if (k > 0 && judge(k - 1)) return true;
        frame = k;
        loud = false;
        return false;
    }
    bool judge(u64 k) {
        if (phase == opening) {
            if (loud) {
                phase = silence;
                counter = 0;
            } else if (++counter == period) {
                phase = sound;  // the scan started in a silence: its end is the hit
            }
        } else if (phase == silence) {
            if (loud) {
                counter = 0;
            } else {
                if (counter == 0) runStart = k;
                if (++counter == period) {
                    hit = runStart;
                    return true;
                }
            }
        }
        return false;
    }
    bool sample(f64 x, i32) {
        if (!(std::fabs(x) > level)) return false;
        if (phase == sound) {
            hit = frame;
            return true;
        }
        loud = true;
        return false;
    }
};

// The first frame only loads each track's previous sample.
struct DefectSearch {
    bool jumps, clipping;
    f64 level;
    i64 period;
    std::vector<f64> previous;
    std::vector<i64> run;
    u64 frame = 0;
    u64 hit = 0;

    DefectSearch(const FindParams& f, i32 channels)
        : jumps(f.jumps != 0), clipping(f.clipping != 0), level(f.level), period(f.period),
          previous((size_t)channels, 0.0), run((size_t)channels, 0) {}

    bool enterFrame(u64 k) {
        frame = k;
        return false;
    }
    bool sample(f64 x, i32 c) {
        if (frame == 0) {
            previous[(size_t)c] = x;
            return false;
        }
        if (jumps) {
            f64 d = x - previous[(size_t)c];
            previous[(size_t)c] = x;
            if (std::fabs(d) >= level) {
                hit = frame;
                return true;
            }
        }
        if (clipping) {
            if (x >= 32767.0 || x <= -32767.0) {
                ++run[(size_t)c];
            } else if (run[(size_t)c] >= period) {
                hit = frame - 1;  // the run's last clipped frame
                return true;
            } else {
                run[(size_t)c] = 0;
            }
        }
        return false;
    }
};

// Walks the range's frames in the search direction (tracks of a frame from the last to the first
// when backward). The reader carries the progress and its answer ends the walk, as the range's end
// does. True on a hit.
template <class Traits, class Search>
bool scanRange(SoundBlockProcessor& p, bool forward, Search& search) {
    typedef Unaligned<typename Traits::Sample> U;
    PageWalk walk(forward ? openBlockReader : openBlockReverseReader, p.store, p.frameBytes,
                  p.store->findSegment(p.rangeStart), p.rangeEnd - p.rangeStart, p.progress);
    const i32 channels = p.channelCount;
    const u8* mask = p.channelMask;
    u64 frame = 0;
    i32 c = forward ? channels : -1;
    while (walk.next()) {
        const size_t n = walk.left() / sizeof(U);
        const U* s = (const U*)walk.take(n * sizeof(U));
        if (forward) {
            for (size_t i = 0; i < n; ++i, ++c) {
                if (c == channels) {
                    c = 0;
                    if (search.enterFrame(frame++)) return true;
                }
                if (mask[c] && search.sample((f64)s[i], c)) return true;
            }
        } else {
            for (size_t i = n; i-- > 0; --c) {
                if (c < 0) {
                    c = channels - 1;
                    if (search.enterFrame(frame++)) return true;
                }
                if (mask[c] && search.sample((f64)s[i], c)) return true;
            }
        }
    }
    return false;
}
}  // namespace

template <class Traits>
void SampleProcessor<Traits>::find() {
    FindParams* params = dynamic_cast<FindParams*>(auxObject);
    if (!params) return;
    const bool forward = params->forward != 0;
    bool found = false;
    u64 hit = 0;
    if (rangeEnd > rangeStart && frameBytes > 0 && channelCount > 0 && channelMask) {
        if (params->mode == findPeak) {
            PeakSearch search;
            scanRange<Traits>(*this, forward, search);
            found = search.best >= 0.0;  // some sample was looked at
            hit = search.hit;
            if (found) param1 = search.bestValue;
        } else if (params->mode == findSilence) {
            SilenceSearch search(params->level, params->period);
            found = scanRange<Traits>(*this, forward, search);
            hit = search.hit;
        } else if (params->mode == findDefects) {
            DefectSearch search(*params, channelCount);
            found = scanRange<Traits>(*this, forward, search);
            hit = search.hit;
        }
    }
    params->notFound = found ? 0 : 1;
    if (!found) return;
    const u64 offset = hit * (u64)frameBytes;
    const u64 position = forward ? rangeStart + offset : rangeEnd - offset - (u64)frameBytes;
    extraPositions[newCursor] = position;
    extraPositions[showPosition] = position;
}

#define INSTANTIATE_FIND(T) template void SampleProcessor<T>::find();
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_FIND)
