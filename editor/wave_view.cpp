#include "editor/wave_view.h"

#include <cmath>

i64 FrameAxisView::columnEndFrame(i64 column) const {
    f64 f = std::floor(frameAt((f64)(firstColumn + column + 1)));
    return f > 0.0 ? (i64)f : 0;
}

void WaveViewData::release() {
    delete[] values;
    values = nullptr;
    count = 0;
    firstByte = endByte = 0;
    readMode = 0;
    pixelsPerFrame = 0.0;
}

void WaveViewData::resize(u32 newCount) {
    if (newCount == count && values) return;
    delete[] values;
    values = newCount ? new float[newCount] : nullptr;
    count = newCount;
}

void addBookmark(BookmarkList& bookmarks, u32 frame) {
    u32 lo = 0, hi = bookmarks.count;
    while (lo < hi) {
        u32 mid = (lo + hi) / 2;
        if (bookmarks[mid] < frame) lo = mid + 1;
        else hi = mid;
    }
    if (lo < bookmarks.count && bookmarks[lo] == frame) return;
    *bookmarks.insert(lo, 1) = frame;
}
