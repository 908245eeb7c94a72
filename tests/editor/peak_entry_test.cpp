#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/gfile.h"
#include "editor/peak_cache.h"
#include "tests/support/test_support.h"

namespace {
// One track of 16-bit samples from byte 100: blocks of 2000 bytes, the end 4.5 blocks on.
const u64 kStart = 100;
const u64 kLength = 9000;

void setUp(PeakEntry& e, u32 tracks = 1, u32 encoding = 2, u64 start = kStart, u64 length = kLength) {
    e.tracks = tracks;
    e.encoding = encoding;
    e.start = start;
    e.end = start + length;
    e.setGeometry();
}

// "[a,b) [c,d)" relative to the start.
std::string pendingOf(const PeakEntry& e) {
    std::string s;
    for (PendingRange* r = e.pendingHead; r; r = r->next) {
        if (!s.empty()) s += " ";
        s += "[" + std::to_string(r->start - e.start) + "," + std::to_string(r->end - e.start) + ")";
        if (r->next) {
            EXPECT_EQ(r->next->previous, r);
        }
    }
    if (e.pendingTail) {
        EXPECT_EQ(e.pendingTail->next, nullptr);
    }
    return s;
}

struct Op {
    char kind;  // a add, r remove, l set length, z reset
    u64 from, to;
};

void apply(PeakEntry& e, const Op& op) {
    switch (op.kind) {
    case 'a': e.addPending(e.start + op.from, e.start + op.to); break;
    case 'r': e.removePending(e.start + op.from, e.start + op.to); break;
    case 'l': e.setLength(op.from); break;
    case 'z': e.resetPending(); break;
    }
}
}  // namespace

TEST(PeakEntry, PendingRangesWidenJoinSplitAndFollowTheLength) {
    struct Case {
        const char* name;
        std::vector<Op> ops;
        const char* pending;
        u64 end;  // relative; 0: unchanged
    };
    const Case cases[] = {
        {"add widens to whole peaks", {{'a', 500, 2500}}, "[0,4000)", 0},
        {"add of nothing", {{'a', 2500, 2500}}, "", 0},
        {"add of everything", {{'a', 2000, 4000}, {'a', 0, 9000}}, "[0,9000)", 0},
        {"add clamps to the end", {{'a', 8100, 8200}}, "[8000,9000)", 0},
        {"join at an end", {{'a', 0, 2000}, {'a', 2000, 4000}}, "[0,4000)", 0},
        {"insert before", {{'a', 6000, 8000}, {'a', 0, 1000}}, "[0,2000) [6000,8000)", 0},
        {"append at the tail", {{'a', 0, 2000}, {'a', 6000, 6500}}, "[0,2000) [6000,8000)", 0},
        {"merge two", {{'a', 0, 2000}, {'a', 6000, 8000}, {'a', 1000, 7000}}, "[0,8000)", 0},
        {"merge swallows a range inside", {{'a', 0, 2000}, {'a', 4000, 6000}, {'a', 1000, 8000}}, "[0,8000)", 0},
        {"merge keeps what starts after", {{'a', 0, 2000}, {'a', 4000, 6000}, {'a', 8000, 9000}, {'a', 1000, 3000}},
         "[0,6000) [8000,9000)", 0},
        {"remove splits", {{'z', 0, 0}, {'r', 2000, 6000}}, "[0,2000) [6000,9000)", 0},
        {"remove narrows to whole peaks", {{'z', 0, 0}, {'r', 500, 4500}}, "[0,2000) [4000,9000)", 0},
        {"remove inside one peak", {{'z', 0, 0}, {'r', 2100, 3900}}, "[0,9000)", 0},
        {"remove the partial last peak", {{'z', 0, 0}, {'r', 4000, 9000}}, "[0,4000)", 0},
        {"remove everything", {{'z', 0, 0}, {'r', 0, 9000}}, "", 0},
        {"remove across ranges",
         {{'a', 0, 2000}, {'a', 4000, 6000}, {'a', 8000, 9000}, {'r', 1000, 8500}},
         "[0,2000) [8000,9000)", 0},
        {"remove cuts the front of a range", {{'a', 4000, 8000}, {'r', 2000, 6000}}, "[6000,8000)", 0},
        {"length grows", {{'l', 12000, 0}}, "[8000,12000)", 12000},
        {"length shrinks inside a peak", {{'l', 5001, 0}}, "[4000,5000)", 5000},
        {"length shrinks with pending beyond", {{'z', 0, 0}, {'l', 5000, 0}}, "[0,5000)", 5000},
        {"length shrinks to the start", {{'z', 0, 0}, {'l', 1, 0}}, "", 0},
        {"reset", {{'a', 0, 2000}, {'z', 0, 0}}, "[0,9000)", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PeakEntry e;
        setUp(e);
        for (const Op& op : c.ops) apply(e, op);
        EXPECT_EQ(pendingOf(e), c.pending);
        if (c.end) {
            EXPECT_EQ(e.end - e.start, c.end);
        }
    }
}

TEST(PeakEntry, ChangesDuringAStepMarkItStale) {
    PeakEntry e;
    setUp(e);
    e.busy = 1;
    e.addPending(e.start, e.start);
    EXPECT_EQ(e.stale, 0);  // nothing changed
    e.addPending(e.start, e.start + 10);
    EXPECT_EQ(e.stale, 1);
    e.stale = 0;
    e.resetPending();
    EXPECT_EQ(e.stale, 1);
    e.stale = 0;
    e.setLength(4000);
    EXPECT_EQ(e.stale, 1);
}

TEST(PeakEntry, GeometryFollowsTracksAndSampleType) {
    struct Case {
        u32 tracks, encoding;
        i32 framesPerPeak, recordBytes, blockBytes, stepBytes;
    };
    const Case cases[] = {
        {3, 2, 1000, 24, 6000, 8004000},   {1, 5, 1000, 8, 8000, 8000000},   {20, 3, 1000, 160, 80000, 8000000},
        {21, 2, 100, 168, 4200, 8001000},  {25, 4, 100, 200, 10000, 8000000}, {200, 2, 100, 1600, 40000, 8000000},
        {201, 2, 1, 1608, 402, 8000202},   {2, 9, 1000, 16, 2000, 8000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.tracks) + " tracks, encoding " + std::to_string(c.encoding));
        PeakEntry e;
        setUp(e, c.tracks, c.encoding);
        EXPECT_EQ(e.framesPerPeak, c.framesPerPeak);
        EXPECT_EQ(e.recordBytes, c.recordBytes);
        EXPECT_EQ(e.blockBytes, c.blockBytes);
        EXPECT_EQ(e.stepBytes, c.stepBytes);
        EXPECT_EQ(e.stepBytes % e.blockBytes, 0);
    }
}

TEST(PeakEntry, PositionsAndPeakFileOffsetsAreSixtyFourBit) {
    struct Case {
        const char* name;
        u32 tracks;
        u64 start, frames;  // of the entry
        u64 p, q;           // frames
        u64 down, up, fileFrom, fileTo;
    };
    const u64 big = 3000000;          // past 2^32 / 1608 records
    const u64 huge = 4400000000ull;   // past 2^32 frames: 27.7 hours at 44.1 kHz
    const Case cases[] = {
        {"201 tracks", 201, 44, big + 100, big + 1, big + 3, (big + 1) * 402 + 44, (big + 3) * 402 + 44,
         (big + 1) * 1608, (big + 3) * 1608},
        {"one track, 27 hours", 1, 44, huge + 5000, huge + 1500, huge + 2500, (huge + 1000) * 2 + 44,
         (huge + 3000) * 2 + 44, (huge / 1000 + 1) * 8, (huge / 1000 + 3) * 8},
        {"up is clamped to the end", 1, 44, huge + 5000, huge + 4999, huge + 4999, (huge + 4000) * 2 + 44,
         (huge + 5000) * 2 + 44, (huge / 1000 + 4) * 8, (huge / 1000 + 5) * 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PeakEntry e;
        setUp(e, c.tracks, 2, c.start, c.frames * c.tracks * 2);
        u64 fb = (u64)e.frameBytes;
        EXPECT_EQ(e.roundDownToPeak(c.start + c.p * fb), c.down);
        EXPECT_EQ(e.roundUpToPeak(c.start + c.q * fb), c.up);
        u64 from = 0, to = 0;
        e.toPeakFileRange(c.start + c.p * fb, c.start + c.q * fb, &from, &to);
        EXPECT_EQ(from, c.fileFrom);
        EXPECT_EQ(to, c.fileTo);
    }
}

TEST(PeakEntry, LoadProgressNeverSaysDoneWhilePending) {
    PeakEntry e;
    setUp(e, 1, 2, kStart, 2000ull * 1000);  // 1000 peaks
    EXPECT_EQ(e.loadProgress(), -1);         // no peak file
    TempDir dir;
    ASSERT_TRUE(fileOpen(e.cacheFile, dir.file("p.tmp").c_str(), FileFlag::Read | FileFlag::Write | FileFlag::Create));
    e.resetPending();
    EXPECT_EQ(e.loadProgress(), 0);
    e.removePending(e.start, e.start + 2000ull * 500);
    EXPECT_EQ(e.loadProgress(), 50);
    e.removePending(e.start, e.start + 2000ull * 999);
    EXPECT_EQ(e.loadProgress(), 99);  // one peak of a thousand is left
    e.clearPending();
    EXPECT_EQ(e.loadProgress(), 100);
    fileClose(e.cacheFile);
}

TEST(PeakEntry, ColumnsFoldPeaksFarIntoLongSounds) {
    struct Case {
        const char* name;
        u32 tracks;
        u64 frames;      // of the entry
        u64 firstPeak;   // of the computed stretch, even
    };
    const Case cases[] = {
        {"201 tracks, offsets past 2^32", 201, 3000100, 3000000},
        {"one track, frames past 2^32", 1, 4400100000ull, 4400000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        PeakEntry e;
        setUp(e, c.tracks, 2, 44, c.frames * c.tracks * 2);
        ASSERT_TRUE(fileOpen(e.cacheFile, dir.file("p.tmp").c_str(),
                             FileFlag::Read | FileFlag::Write | FileFlag::Create | FileFlag::Truncate));
        // Ten computed peaks; peak i holds (-i - 1, i + 1) plus the track number.
        const u64 count = 10;
        std::vector<float> records((size_t)(count * c.tracks * 2));
        for (u64 i = 0; i < count; ++i)
            for (u32 t = 0; t < c.tracks; ++t) {
                records[(size_t)((i * c.tracks + t) * 2)] = -(float)(i + 1) + (float)t;
                records[(size_t)((i * c.tracks + t) * 2 + 1)] = (float)(i + 1) + (float)t;
            }
        ASSERT_TRUE(fileWriteAtPosition(e.cacheFile, (i64)(c.firstPeak * (u64)e.recordBytes), records.data(),
                                        (u32)(records.size() * sizeof(float))));
        ASSERT_TRUE(fileFlush(e.cacheFile));
        e.resetPending();
        u64 B = (u64)e.blockBytes;
        e.removePending(e.start + c.firstPeak * B, e.start + (c.firstPeak + count) * B);

        // Five columns over the ten peaks, each two peaks wide, one column before them.
        const u64 F = (u64)e.framesPerPeak;
        FrameAxisView view;
        view.pixelsPerFrame = 1.0 / (2.0 * (f64)F);
        view.origin = -0.25;  // column starts a quarter pixel clear of the peak edges
        view.firstColumn = (i32)(c.firstPeak / 2) - 1;
        view.firstFrame = (f64)((c.firstPeak - 2) * F);
        view.endFrame = (f64)((c.firstPeak + count) * F);
        view.columnCount = 6;
        std::vector<float> columns(6 * c.tracks * 2, 77.0f);
        ASSERT_TRUE(e.readColumns(view, columns.data()));
        for (u32 col = 0; col < 6; ++col)
            for (u32 t = 0; t < c.tracks; t += c.tracks > 1 ? 100 : 1) {
                float lo = columns[(col * c.tracks + t) * 2], hi = columns[(col * c.tracks + t) * 2 + 1];
                if (col == 0) {
                    EXPECT_EQ(lo, 77.0f);  // pending: kept
                    continue;
                }
                // Column k folds peaks 2k - 2 and 2k - 1.
                float i = (float)(2 * col - 1);
                EXPECT_EQ(lo, -(i + 1) + (float)t) << col << " " << t;
                EXPECT_EQ(hi, (i + 1) + (float)t) << col << " " << t;
            }
        fileClose(e.cacheFile);
    }
}
