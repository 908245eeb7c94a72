#pragma once
// Frames one at a time from walks that follow one another (a range, then the sound after it), and
// zeros once the last has run out. For kernels whose reading runs ahead of or behind their writer.
// Owns its walks.
#include <memory>
#include <vector>

#include "engine/page_walk.h"

class FrameFeed {
public:
    explicit FrameFeed(size_t frameBytes) : frameBytes(frameBytes), zeros(frameBytes, 0) {}

    // A walk whose frames come after those of the walks added before.
    FrameFeed& then(PageWalk* walk) {
        walks.emplace_back(walk);
        return *this;
    }
    // The next frame's bytes. A cancel reported by a walk does not stop the feed.
    const u8* next() {
        while (current < walks.size()) {
            PageWalk& w = *walks[current];
            if (w.left() >= frameBytes) return w.take(frameBytes);
            w.next();
            if (w.left() < frameBytes) ++current;
        }
        return zeros.data();
    }

private:
    size_t frameBytes;
    std::vector<std::unique_ptr<PageWalk>> walks;
    size_t current = 0;
    std::vector<u8> zeros;
};
