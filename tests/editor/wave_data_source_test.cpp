#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "core/gfile.h"
#include "editor/peak_fold.h"
#include "editor/wave_data_source.h"
#include "gui/kernel/item_base.h"
#include "tests/editor/peak_fixture.h"
#include "tests/gui/gui_fixture.h"

namespace {
// The view options for the scope, restored afterwards.
struct ViewOptions {
    ViewOptions(bool cache, f64 threshold = 0.001) : saved(appSettings.Editor.Performance) {
        appSettings.Editor.Performance.cache2Level = cache ? 1 : 0;
        appSettings.Editor.Performance.cacheScaleLimit = threshold;
    }
    ~ViewOptions() { appSettings.Editor.Performance = saved; }
    void cache(bool on) { appSettings.Editor.Performance.cache2Level = on ? 1 : 0; }
    PerformanceSettings saved;
};

// A data source that counts the store reads it makes.
class CountingSource : public WaveDataSource {
public:
    using WaveDataSource::WaveDataSource;
    bool readSound(u8* to, u64 from, u64 end) override {
        ++reads;
        return WaveDataSource::readSound(to, from, end);
    }
    int reads = 0;
};

// The pane's side of notification 1000: counts it and fills again, as the pane reloads.
class FakePane : public GItemBase {
public:
    i32 commandState(u32 command) override { return command == kNewPeaksNotification ? CommandEnabled : CommandUnknown; }
    bool onCommand(u32 command, GStateQuery*) override {
        if (command != kNewPeaksNotification) return false;
        ++notified;
        if (source) source->fill(view, data);
        return true;
    }
    WaveDataSource* source = nullptr;
    FrameAxisView view;
    WaveViewData data;
    int notified = 0;
};

void attach(WaveDataSource& source, SoxSound& s) {
    source.setFormat(&s.store, s.encoding, s.tracks, s.dataOffset, s.dataSize);
}

// count columns from frame `first` at `framesPerPixel` (a power of two keeps the column edges exact).
FrameAxisView viewOf(u64 first, f64 framesPerPixel, u32 columns) {
    FrameAxisView v;
    v.pixelsPerFrame = 1.0 / framesPerPixel;
    v.firstColumn = 10;
    v.origin = 10.0 - (f64)first / framesPerPixel;
    v.firstFrame = (f64)first;
    v.endFrame = (f64)first + framesPerPixel * columns;
    v.columnCount = columns;
    return v;
}

// Column c of the view in the min/max modes: the fold of its frames, or its first frame. Taken from
// peaks of F frames (framesPerPeak), a column folds the peaks that end inside it.
std::vector<float> expectedColumn(const SoxSound& s, const FrameAxisView& v, u32 c, u32 mode, u64 framesPerPeak) {
    u64 from = c == 0 ? (u64)v.firstFrame : (u64)v.columnEndFrame(c - 1);
    u64 to = std::min<u64>((u64)v.columnEndFrame(c), std::min<u64>((u64)v.endFrame, s.frames));
    if (mode == WaveReadMode::OnePerColumn) to = from + 1;
    if (framesPerPeak > 1) {
        from = from / framesPerPeak * framesPerPeak;
        if (to < s.frames) to = to / framesPerPeak * framesPerPeak;
    }
    return s.fold(from, to);
}

void expectColumns(const SoxSound& s, const FrameAxisView& v, const WaveViewData& data, u32 mode,
                   u64 framesPerPeak = 1) {
    ASSERT_EQ(data.count, v.columnCount * s.tracks * 2);
    u32 wrong = 0;
    for (u32 c = 0; c < v.columnCount; ++c) {
        std::vector<float> expected = expectedColumn(s, v, c, mode, framesPerPeak);
        for (u32 i = 0; i < s.tracks * 2; ++i)
            if (data.values[c * s.tracks * 2 + i] != expected[i] && ++wrong < 4)
                ADD_FAILURE() << "column " << c << " value " << i << ": " << data.values[c * s.tracks * 2 + i]
                              << " for " << expected[i];
    }
    EXPECT_EQ(wrong, 0u);
}
}  // namespace

TEST(WaveDataSource, ReadModeFollowsZoomAndTrackCount) {
    struct Case {
        u32 tracks;
        f64 pixelsPerFrame;
        u32 mode;
    };
    const Case cases[] = {
        {1, 2.0, WaveReadMode::EveryFrame},        {1, 1.0, WaveReadMode::EveryFrame},
        {1, 0.5, WaveReadMode::MinMax},            {1, 0.001, WaveReadMode::MinMax},
        {1, 0.0009, WaveReadMode::OnePerColumn},   {21, 0.01, WaveReadMode::MinMax},
        {21, 0.0099, WaveReadMode::OnePerColumn},  {201, 0.1, WaveReadMode::MinMax},
        {201, 0.099, WaveReadMode::OnePerColumn},
    };
    ViewOptions options(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.tracks) + " tracks at " + std::to_string(c.pixelsPerFrame));
        SoxSound s(c.tracks, 2, 3000);
        ASSERT_TRUE(s.ok);
        WaveDataSource source;
        attach(source, s);
        FrameAxisView v = viewOf(100, 1.0 / c.pixelsPerFrame, 20);
        v.endFrame = std::min<f64>(v.endFrame, 3000.0);
        WaveViewData data;
        EXPECT_TRUE(source.fill(v, data));
        EXPECT_EQ(data.readMode, c.mode);
        EXPECT_EQ(v.flags & WaveReadMode::Mask, c.mode);
        EXPECT_EQ(data.firstByte, s.dataOffset + 100 * s.frameBytes);
        EXPECT_EQ(source.loadProgress(), -1);
    }
}

TEST(WaveDataSource, DirectModesReadTheSamples) {
    ViewOptions options(false);
    for (u32 encoding : {2u, 3u, 4u, 5u}) {
        SCOPED_TRACE("encoding " + std::to_string(encoding));
        SoxSound s(3, encoding, 40000);
        ASSERT_TRUE(s.ok);
        WaveDataSource source;
        attach(source, s);
        WaveViewData data;

        FrameAxisView every = viewOf(1234, 0.5, 40);
        ASSERT_TRUE(source.fill(every, data));
        ASSERT_EQ(data.count, 20u * 3);
        for (u32 f = 0; f < 20; ++f)
            for (u32 t = 0; t < 3; ++t) EXPECT_EQ(data.values[f * 3 + t], (float)s.sample(1234 + f, t)) << f;

        FrameAxisView folded = viewOf(40000 - 64 * 90, 64.0, 100);  // ten columns past the end
        ASSERT_TRUE(source.fill(folded, data));
        EXPECT_EQ(data.readMode, WaveReadMode::MinMax);
        FrameAxisView inside = folded;
        inside.columnCount = 90;
        WaveViewData head;
        head.values = data.values;
        head.count = inside.columnCount * 3 * 2;
        expectColumns(s, inside, head, WaveReadMode::MinMax);
        head.values = nullptr;
        for (u32 i = 90 * 6; i < data.count; ++i) EXPECT_EQ(data.values[i], 0.0f);

        FrameAxisView sparse = viewOf(7, 4096.0, 9);
        ASSERT_TRUE(source.fill(sparse, data));
        EXPECT_EQ(data.readMode, WaveReadMode::OnePerColumn);
        expectColumns(s, sparse, data, WaveReadMode::OnePerColumn);
    }
}

TEST(WaveDataSource, AnUnchangedFillReadsNothing) {
    ViewOptions options(false);
    SoxSound s(2, 2, 20000);
    ASSERT_TRUE(s.ok);
    CountingSource source;
    attach(source, s);
    WaveViewData data;
    FrameAxisView v = viewOf(0, 16.0, 50);
    EXPECT_TRUE(source.fill(v, data));
    EXPECT_GT(source.reads, 0);
    struct Step {
        const char* name;
        std::function<void()> change;
        bool reads;
    };
    const Step steps[] = {
        {"nothing changed", [] {}, false},
        {"scrolled", [&] { v = viewOf(32, 16.0, 50); }, true},
        {"still", [] {}, false},
        {"zoomed", [&] { v = viewOf(32, 8.0, 50); }, true},
        {"a range invalidated", [&] { source.invalidate(s.dataOffset, s.dataOffset + 4); }, true},
        {"the length set", [&] { source.setLength(s.dataSize - 400); }, true},
        {"still again", [] {}, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        source.reads = 0;
        EXPECT_EQ(source.fill(v, data), step.reads);
        EXPECT_EQ(source.reads > 0, step.reads);
    }
}

TEST(WaveDataSource, CacheSwitchReleasesAndRequests) {
    ViewOptions options(true);
    SoxSound s(2, 2, 20000);
    ASSERT_TRUE(s.ok);
    {
        WaveDataSource source;
        EXPECT_EQ(WaveDataSource::liveCount(), 1u);
        ASSERT_NE(WaveDataSource::sharedCache(), nullptr);
        attach(source, s);
        WaveViewData data;
        FrameAxisView v = viewOf(0, 1.0, 50);
        source.fill(v, data);
        ASSERT_NE(source.handle, nullptr);
        ASSERT_NE(source.handle->entry, nullptr);
        std::string peakFile = source.handle->entry->cacheFile.name;
        EXPECT_TRUE(pathExists(peakFile.c_str()));
        options.cache(false);
        source.fill(v, data);
        EXPECT_EQ(source.handle, nullptr);
        EXPECT_FALSE(pathExists(peakFile.c_str()));
        EXPECT_EQ(source.loadProgress(), -1);
        options.cache(true);
        source.fill(v, data);
        EXPECT_NE(source.handle, nullptr);
        EXPECT_GE(source.loadProgress(), 0);
    }
    EXPECT_EQ(WaveDataSource::liveCount(), 0u);
    EXPECT_EQ(WaveDataSource::sharedCache(), nullptr);
}

TEST(WaveDataSource, FarViewShowsOneFramePerColumnThenMergesThePeaks) {
    TestApplication app;
    ViewOptions options(true);
    SoxSound s(2, 2, 3000000);  // two steps
    ASSERT_TRUE(s.ok);
    FakePane pane;
    WaveDataSource source(&pane);
    pane.source = &source;
    attach(source, s);
    StepGate gate;
    gate.close();
    FrameAxisView distant = viewOf(0, 8192.0, 366);
    distant.endFrame = 3000000.0;
    WaveViewData& data = pane.data;
    pane.view = distant;
    ASSERT_TRUE(source.fill(pane.view, data));  // requests the peaks; the first step is held
    ASSERT_TRUE(gate.waitEntered());
    EXPECT_EQ(data.readMode, WaveReadMode::MinMax);
    expectColumns(s, distant, data, WaveReadMode::OnePerColumn);
    EXPECT_EQ(pane.notified, 0);

    // The first step's peaks arrive with one notification, and the pane's fill merges them; the
    // columns past the step still show single frames.
    gate.passOne();
    ASSERT_TRUE(pumpUntil([&] { return pane.notified == 1; }, 30000));
    ASSERT_TRUE(gate.waitEntered());  // the second step is held
    const u64 stepFrames = 8000000 / 4;
    u32 inStep = 0, past = 0;
    while (distant.columnEndFrame(inStep) <= (i64)stepFrames) ++inStep;
    past = inStep + 1;
    FrameAxisView first = distant, rest = distant;
    first.columnCount = inStep;
    WaveViewData head;
    head.values = data.values;
    head.count = inStep * 4;
    expectColumns(s, first, head, WaveReadMode::MinMax, 1000);
    head.values = nullptr;
    u32 wrong = 0;
    for (u32 c = past; c < distant.columnCount; ++c) {
        std::vector<float> single = expectedColumn(s, rest, c, WaveReadMode::OnePerColumn, 1);
        for (u32 i = 0; i < 4; ++i) wrong += data.values[c * 4 + i] != single[i];
    }
    EXPECT_EQ(wrong, 0u);

    gate.open();
    ASSERT_TRUE(pumpUntil([&] { return pane.notified == 2; }, 30000));
    EXPECT_EQ(source.loadProgress(), 100);
    EXPECT_FALSE(source.fill(pane.view, data));
    // Everything computed: every column is the fold of its peaks.
    expectColumns(s, distant, data, WaveReadMode::MinMax, 1000);
}

TEST(WaveDataSource, NewPeaksAreNotifiedOnceUntilAFill) {
    TestApplication app;
    ViewOptions options(true);
    SoxSound s(2, 2, 6100000);  // four steps
    ASSERT_TRUE(s.ok);
    FakePane pane;
    WaveDataSource source(&pane);
    attach(source, s);  // the pane does not fill on notification here
    WaveViewData data;
    FrameAxisView distant = viewOf(0, 65536.0, 94);
    source.fill(distant, data);
    SignalListener done;
    {
        // Wait for the end through a second listener on the same entry.
        FileCache* cache = WaveDataSource::sharedCache();
        PeakHandle* watcher = cache->request(&s.store, s.dataOffset, s.dataSize, 2, 2, &done);
        ASSERT_TRUE(done.wait());
        cache->release(watcher);
    }
    ASSERT_TRUE(pumpUntil([&] { return pane.notified > 0; }));
    pumpUntil([] { return false; }, 100);
    EXPECT_EQ(pane.notified, 1);
    EXPECT_TRUE(source.fill(distant, data));  // takes the news
    EXPECT_FALSE(source.fill(distant, data));
    expectColumns(s, distant, data, WaveReadMode::MinMax, 1000);
}

TEST(WaveDataSource, EditsMoveSavedPositions) {
    struct Case {
        const char* name;
        u64 frame, oldFrames, newFrames;
        std::vector<SavedSelection> before, after;
        std::vector<u32> bookmarks, bookmarksAfter, removed;
        u32 playStart, playStartAfter;
    };
    const Case cases[] = {
        {"longer",
         1000, 0, 100,
         {{1000, 1200}, {500, 1500}, {200, 300}},
         {{1100, 1300}, {500, 1600}, {200, 300}},
         {999, 1000, 1001},
         {999, 1000, 1101},
         {},
         1500, 1600},
        {"shorter: inside, straddling, after",
         1000, 100, 0,
         {{1010, 1090}, {900, 1050}, {1200, 1300}},
         {{0, 0}, {900, 1000}, {1100, 1200}},
         {1000, 1050, 1100, 1101},
         {1000, 1001},
         {1050, 1100},
         1100, 1000},
        {"shorter: from inside to beyond, and before",
         1000, 100, 0,
         {{1050, 1200}, {100, 200}, {1000, 1100}},
         {{1000, 1100}, {100, 200}, {1000, 1000}},
         {},
         {},
         {},
         2000, 1900},
        {"replaced by less",
         1000, 150, 50,  // frames (1050, 1150] go
         {{1060, 1160}, {1000, 1040}, {0, 0}},
         {{1050, 1060}, {1000, 1040}, {0, 0}},
         {1050, 1150, 1151},
         {1050, 1051},
         {1150},
         1120, 1050},
        {"equal lengths",
         1000, 100, 100,
         {{1010, 1090}, {900, 1050}, {1200, 1300}},
         {{1010, 1090}, {900, 1050}, {1200, 1300}},
         {1050},
         {1050},
         {},
         1050, 1050},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WaveDataSource source;
        SoundStore store;
        const u64 start = 44, fb = 4;
        source.setFormat(&store, 2, 2, start, 100000 * fb);
        WavePositions positions;
        for (u32 i = 0; i < 3; ++i) positions.saved[i] = c.before[i];
        for (u32 b : c.bookmarks) addBookmark(positions.bookmarks, b);
        positions.playStart = c.playStart;
        BookmarkList removed;
        source.adjustPositionsForEdit(positions, start + c.frame * fb, c.oldFrames * fb, c.newFrames * fb, removed);
        for (u32 i = 0; i < 3; ++i) {
            EXPECT_EQ(positions.saved[i].start, c.after[i].start) << i;
            EXPECT_EQ(positions.saved[i].end, c.after[i].end) << i;
        }
        EXPECT_EQ(std::vector<u32>(positions.bookmarks.data, positions.bookmarks.data + positions.bookmarks.count),
                  c.bookmarksAfter);
        EXPECT_EQ(std::vector<u32>(removed.data, removed.data + removed.count), c.removed);
        EXPECT_EQ(positions.playStart, c.playStartAfter);
        EXPECT_EQ(source.dataLength, (100000 + c.newFrames - c.oldFrames) * fb);
    }
}

TEST(WaveDataSource, EditsInvalidateTheCache) {
    ViewOptions options(true);
    SoxSound s(2, 2, 20000);  // 20 peaks of 4000 bytes
    ASSERT_TRUE(s.ok);
    WaveDataSource source;
    attach(source, s);
    WaveViewData data;
    FrameAxisView v = viewOf(0, 1.0, 10);
    source.fill(v, data);
    ASSERT_NE(source.handle, nullptr);
    SignalListener done;
    PeakHandle* watcher = WaveDataSource::sharedCache()->request(&s.store, s.dataOffset, s.dataSize, 2, 2, &done);
    ASSERT_TRUE(done.wait());
    PeakEntry* e = source.handle->entry;
    auto pending = [&] {
        std::string text;
        for (PendingRange* r = e->pendingHead; r; r = r->next)
            text += "[" + std::to_string((r->start - e->start) / 4) + "," + std::to_string((r->end - e->start) / 4) + ")";
        return text;
    };
    WavePositions positions;
    BookmarkList removed;
    source.pauseCache();
    source.adjustPositionsForEdit(positions, s.dataOffset + 5100 * 4, 200 * 4, 200 * 4, removed);
    EXPECT_EQ(pending(), "[5000,6000)");  // only the replaced range, in whole peaks
    e->clearPending();
    source.adjustPositionsForEdit(positions, s.dataOffset + 5100 * 4, 200 * 4, 0, removed);
    EXPECT_EQ(pending(), "[5000,19800)");  // from the edit to the new end
    EXPECT_EQ(e->end, s.dataOffset + 19800 * 4);
    source.resumeCache();
    WaveDataSource::sharedCache()->release(watcher);
}
