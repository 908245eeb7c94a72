#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

#include "core/progress.h"
#include "mm/mm_texts.h"
#include "mm/page_reader.h"
#include "tests/mm/store_fixture.h"

namespace {

const u64 kHeader = 44;

std::vector<u8> slice(const std::vector<u8>& v, u64 from, u64 n) {
    return std::vector<u8>(v.begin() + (size_t)from, v.begin() + (size_t)(from + n));
}

std::unique_ptr<SamplePageReader> makePage(u32 frameSize, u32 mode, bool reverse) {
    if (reverse) return std::make_unique<ReversePageReader>(frameSize, mode);
    return std::make_unique<SamplePageReader>(frameSize, mode);
}

// Walks count bytes from the sound position `start`, calling onPage(begin, end) for every page,
// and checks that every page holds whole frames and fits the buffer.
u64 walk(SoundStore& store, u64 start, u64 count, u32 frameSize, u32 mode, bool reverse, JobProgress* progress,
         const std::function<void(u8*, u8*)>& onPage) {
    StorePageIterator it(makePage(frameSize, mode, reverse));
    u8 *begin, *end;
    it.init(&store, store.findSegment(start), progress, count, &begin, &end);
    EXPECT_EQ(begin, end) << "the first page is empty";
    u64 pages = 0;
    while (it.readSegmentsNext(&begin, &end)) {
        EXPECT_LT(begin, end);
        EXPECT_EQ((end - begin) % frameSize, 0) << "page of " << (end - begin) << " bytes";
        EXPECT_LE((u64)(end - begin), it.page->capacity);
        onPage(begin, end);
        ++pages;
    }
    return pages;
}

// A sound of 33 frames in five pieces of both files: source frames 0..4, four new frames, source
// frames 8..19, two new frames, source frames 20..29. The data offset 44 leaves every source
// piece off the 4096-byte grid.
struct MixedStore {
    explicit MixedStore(u32 frameSize) : f(30ull * frameSize, kHeader, frameSize), frame(frameSize) {
        SegmentCursor oldAt, newAt;
        f.store.beginChange(&oldAt, kHeader + 5ull * frame, 3ull * frame, 4ull * frame, &newAt);
        f.write(newAt, patternBytes(4ull * frame, 2));
        f.store.beginChange(&oldAt, kHeader + 21ull * frame, 0, 2ull * frame, &newAt);
        f.write(newAt, patternBytes(2ull * frame, 3));
        EXPECT_EQ(f.store.segments.head->next->next->next->next->next, nullptr);
    }
    StoreFixture f;
    u64 frame;
};

// A sound whose frames 10..19 lie in two work-file pieces in reverse file order (frames 10..13 at
// work bytes [6, 10) frames, frames 14..19 at [0, 6) frames), between source pieces.
struct WorkStore {
    explicit WorkStore(u32 frameSize) : f(30ull * frameSize, kHeader, frameSize), frame(frameSize) {
        SegmentCursor oldAt, newAt;
        f.store.beginChange(&oldAt, kHeader + 10ull * frame, 0, 6ull * frame, &newAt);
        f.write(newAt, patternBytes(6ull * frame, 2));
        f.store.beginChange(&oldAt, kHeader + 10ull * frame, 0, 4ull * frame, &newAt);
        f.write(newAt, patternBytes(4ull * frame, 3));
    }
    StoreFixture f;
    u64 frame;
};

class CancelAt : public JobProgress {
public:
    explicit CancelAt(int call) : call(call) {}
    bool report(u64 done, const char* text) override {
        if (++calls == call) cancel();
        return JobProgress::report(done, text);
    }
    int call;
    int calls = 0;
};

}  // namespace

TEST(PageReader, CapacityHoldsTwoFramesOnTheFourKibibyteGrid) {
    const std::pair<u32, u32> cases[] = {{2, 16384},     {4, 16384},     {8192, 16384}, {8193, 20480},
                                         {10000, 20480}, {10240, 24576}, {12000, 24576}};
    for (auto c : cases) {
        EXPECT_EQ(pageCapacityFor(c.first), c.second) << c.first;
        EXPECT_EQ(SamplePageReader(c.first, PageMode::Read).capacity, c.second) << c.first;
    }
}

TEST(PageReader, WalksEveryPieceOfBothFilesForwardAndBackward) {
    for (u32 frame : {2u, 6u, 10000u, 12000u}) {
        for (bool reverse : {false, true}) {
            SCOPED_TRACE(testing::Message() << "frame " << frame << (reverse ? " reverse" : " forward"));
            MixedStore m(frame);
            std::vector<u8> sound = m.f.sound();
            const u64 start = 3 * m.frame, count = 27 * m.frame;
            std::vector<std::vector<u8>> pages;
            JobProgress progress;
            progress.setTotal(count);
            walk(m.f.store, kHeader + start, count, frame, PageMode::Read, reverse, &progress,
                 [&](u8* b, u8* e) { pages.emplace_back(b, e); });
            if (reverse) std::reverse(pages.begin(), pages.end());
            std::vector<u8> joined;
            for (auto& p : pages) joined.insert(joined.end(), p.begin(), p.end());
            EXPECT_EQ(joined, slice(sound, start, count));
            EXPECT_EQ(progress.current, count);
            EXPECT_EQ(progress.percent.load(), 100u);
            EXPECT_TRUE(m.f.handler.reports.empty());
        }
    }
}

TEST(PageReader, WritesAndRewritesWorkPiecesInBothDirections) {
    for (u32 frame : {2u, 10000u, 12000u}) {
        for (bool reverse : {false, true}) {
            for (u32 mode : {(u32)PageMode::Write, (u32)PageMode::ReadWrite}) {
                SCOPED_TRACE(testing::Message() << "frame " << frame << (reverse ? " reverse" : " forward") << " mode "
                                                << mode);
                WorkStore w(frame);
                std::vector<u8> expected = w.f.sound();
                const u64 start = 11 * w.frame, count = 8 * w.frame;
                // Bytes are numbered by their place in the sound whatever the page order.
                u64 next = reverse ? start + count : start;
                walk(w.f.store, kHeader + start, count, frame, mode, reverse, nullptr, [&](u8* b, u8* e) {
                    u64 n = e - b;
                    if (reverse) next -= n;
                    for (u64 i = 0; i < n; ++i) b[i] = mode == PageMode::Write ? patternByte(next + i, 9) : b[i] ^ 0x5A;
                    if (!reverse) next += n;
                });
                for (u64 i = start; i < start + count; ++i)
                    expected[i] = mode == PageMode::Write ? patternByte(i, 9) : expected[i] ^ 0x5A;
                EXPECT_EQ(w.f.sound(), expected);
                EXPECT_TRUE(w.f.handler.reports.empty());
            }
        }
    }
}

TEST(PageReader, ARangeShorterThanAPageIsOnePageWrittenAtTheEnd) {
    WorkStore w(4);
    std::vector<u8> expected = w.f.sound();
    const u64 start = 10 * 4 + 1 * 4;  // inside the first work piece, off the 4096 grid
    u64 pages = walk(w.f.store, kHeader + start, 12, 4, PageMode::Write, false, nullptr,
                     [](u8* b, u8* e) { memset(b, 0xC3, e - b); });
    EXPECT_EQ(pages, 1u);
    std::fill(expected.begin() + start, expected.begin() + start + 12, 0xC3);
    EXPECT_EQ(w.f.sound(), expected);
}

TEST(PageReader, RangesBeyondTheSoundOrWithAPartFrameEnd) {
    MixedStore m(4);
    std::vector<u8> sound = m.f.sound();
    for (bool reverse : {false, true}) {
        SCOPED_TRACE(reverse ? "reverse" : "forward");
        u64 got = 0;
        walk(m.f.store, kHeader + 100, 10000, 4, PageMode::Read, reverse, nullptr, [&](u8* b, u8* e) { got += e - b; });
        EXPECT_EQ(got, sound.size() - 100);
    }

    // A piece that is not whole frames ends after its last whole frame instead of waiting forever.
    TempDir dir;
    dir.write("ten.raw", std::string(10, 'x'));
    GFile file;
    ASSERT_TRUE(fileOpen(file, dir.file("ten.raw").c_str(), FileFlag::Read | FileFlag::Write));
    for (bool reverse : {false, true}) {
        std::unique_ptr<SamplePageReader> page = makePage(4, PageMode::ReadWrite, reverse);
        page->file = &file;
        u8 *b, *e;
        page->mapRange(0, 10, PageMode::ReadWrite, &b, &e);
        u64 handed = 0;
        while (page->nextPage(&b, &e)) {
            memset(b, reverse ? 'r' : 'f', e - b);
            handed += e - b;
        }
        EXPECT_EQ(handed, 8u);
    }
    fileClose(file);
    EXPECT_EQ(dir.read("ten.raw"), "ffrrrrrrrr") << "eight bytes each: the first forward, the last backward";
}

TEST(PageReader, PartnerHandsOverBytesOnlyForTheSameFile) {
    TempDir dir;
    std::vector<u8> a = patternBytes(60000, 1), b = patternBytes(60000, 2);
    dir.write("a.raw", std::string(a.begin(), a.end()));
    dir.write("b.raw", std::string(b.begin(), b.end()));
    GFile fa, fb;
    ASSERT_TRUE(fileOpen(fa, dir.file("a.raw").c_str(), FileMode::Read));
    ASSERT_TRUE(fileOpen(fb, dir.file("b.raw").c_str(), FileMode::Read));
    for (GFile* own : {&fb, &fa}) {
        SCOPED_TRACE(own == &fa ? "same file" : "other file");
        const std::vector<u8>& expected = own == &fa ? a : b;
        SamplePageReader leader(4, PageMode::Read), follower(4, PageMode::Read);
        leader.file = &fa;
        follower.file = own;
        follower.partner = &leader;
        u8 *lb, *le, *fb2, *fe;
        leader.mapRange(1000, 60000, PageMode::Read, &lb, &le);
        follower.mapRange(1000, 60000, PageMode::Read, &fb2, &fe);
        std::vector<u8> got;
        while (leader.nextPage(&lb, &le) && follower.nextPage(&fb2, &fe)) got.insert(got.end(), fb2, fe);
        EXPECT_EQ(got, slice(expected, 1000, 59000));
    }
}

TEST(PageReader, AnUnreadablePartReadsAsZerosInItsOwnPlace) {
    // The store believes the source holds 30000 bytes; the file holds 20000.
    StoreFixture f(20000, kHeader, 4);
    StoreSource source;
    source.dataOffset = kHeader;
    source.size = 30000;
    source.frameSize = 4;
    f.store.unlock();
    ASSERT_TRUE(f.store.open(f.sourcePath.c_str(), source, &f.handler));
    ASSERT_TRUE(f.store.lock(&f.handler));
    SegmentCursor oldAt, newAt;
    f.store.beginChange(&oldAt, kHeader + 30000, 0, 8000, &newAt);
    std::vector<u8> tail = patternBytes(8000, 5);
    f.write(newAt, tail);

    std::vector<u8> got;
    walk(f.store, kHeader, 38000, 4, PageMode::Read, false, nullptr, [&](u8* b, u8* e) { got.insert(got.end(), b, e); });
    ASSERT_EQ(f.handler.reports.size(), 1u) << "the piece is not read again after its failure";
    EXPECT_NE(f.handler.reports[0].first.find("Cannot read file"), std::string::npos) << f.handler.reports[0].first;
    ASSERT_EQ(got.size(), 38000u);
    // The first read, up to the 16384-byte page boundary of the file, succeeded; the second failed.
    const u64 firstRead = 16384 - kHeader;
    EXPECT_EQ(slice(got, 0, firstRead), patternBytes(firstRead, 1));
    EXPECT_EQ(slice(got, firstRead, 30000 - firstRead), std::vector<u8>(30000 - firstRead, 0));
    EXPECT_EQ(slice(got, 30000, 8000), tail);
}

TEST(PageReader, AFailedWriteDropsTheRestOfThePieceButHandsOutEveryPage) {
    StoreFixture f(1000, kHeader, 4);
    SegmentCursor oldAt, newAt;
    f.store.beginChange(&oldAt, kHeader + 400, 0, 100000, &newAt);
    f.write(newAt, patternBytes(100000, 2));
    const std::vector<u8> before = f.sound();

    f.store.workFile.flags &= ~(u32)FileFlag::Write;
    u64 handed = 0;
    walk(f.store, kHeader + 400, 100000, 4, PageMode::Write, false, nullptr, [&](u8* b, u8* e) {
        memset(b, 0xEE, e - b);
        handed += e - b;
    });
    f.store.workFile.flags |= FileFlag::Write;
    EXPECT_EQ(handed, 100000u);
    EXPECT_EQ(f.handler.reports.size(), 1u) << "one report, no more writes tried";
    EXPECT_EQ(f.sound(), before);
}

TEST(PageReader, CancelledReaderSaysSoOnEveryCallButStillHandsOutPages) {
    MixedStore m(4);
    std::vector<u8> sound = m.f.sound();
    RecordingHandler listener;
    CancelAt progress(3);
    progress.setTotal(sound.size());
    progress.listener = &listener;
    StorePageIterator it(makePage(4, PageMode::Read, false));
    u8 *b, *e;
    it.init(&m.f.store, m.f.store.findSegment(kHeader), &progress, sound.size(), &b, &e);
    std::vector<u8> got;
    int answers = 0, falseAnswers = 0;
    for (;;) {
        bool more = it.readSegmentsNext(&b, &e);
        ++answers;
        if (!more) ++falseAnswers;
        if (b >= e) break;
        got.insert(got.end(), b, e);
    }
    EXPECT_EQ(got, sound);
    EXPECT_EQ(falseAnswers, answers - 2);
    ASSERT_EQ(listener.reports.size(), (size_t)(answers - 3)) << "one message per report after the cancel";
    EXPECT_EQ(listener.reports[0].first, "Operation was canceled");
    EXPECT_EQ(listener.reports[0].second, 0);
}

// The pages filled before the end are in the store; the rest of the new bytes is the walk's owner's
// to fill (the engine's change writers do so).
TEST(PageReader, AWriteEndedEarlyWritesBackEveryPageItFilled) {
    const u32 frame = 6;  // pages of 16380 bytes end off the 4096 grid
    for (bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancelled through the progress" : "abandoned with finish");
        StoreFixture f(200000, kHeader, frame);
        SegmentCursor oldAt, newAt;
        // Work bytes [0, 1002) stay in the sound; an undone change leaves bytes after them.
        f.store.beginChange(&oldAt, kHeader, 0, 1002, &newAt);
        f.write(newAt, patternBytes(1002, 2));
        f.store.beginChange(&oldAt, kHeader + 6000, 60000, 60000, &newAt);
        f.write(newAt, std::vector<u8>(60000, 0x77));
        ChangeRecord* undone = f.store.takePendingChange();
        f.store.undoChange(undone);
        delete undone;

        const u64 count = 120000;
        f.store.beginChange(&oldAt, kHeader + 6000, count, count, &newAt);
        CancelAt progress(3);
        progress.setTotal(count);
        StorePageIterator it(makePage(frame, PageMode::Write, false));
        u8 *b, *e;
        it.init(&f.store, newAt, cancel ? &progress : nullptr, count, &b, &e);
        u64 written = 0;
        for (int pages = 1; it.readSegmentsNext(&b, &e); ++pages) {
            memset(b, 0xAB, e - b);
            written += e - b;
            if (!cancel && pages == 2) {
                it.page->finish();
                break;
            }
        }
        ASSERT_GT(written, 0u);
        ASSERT_LT(written, count);
        EXPECT_NE((1002 + written) % 4096, 0u) << "the last page filled ends off the grid";
        std::vector<u8> region = f.read(kHeader + 6000, count);
        EXPECT_EQ(slice(region, 0, written), std::vector<u8>(written, 0xAB));
        EXPECT_TRUE(f.handler.reports.empty());
    }
}
