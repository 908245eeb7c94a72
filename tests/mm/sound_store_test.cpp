#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <thread>

#include "core/exceptions.h"
#include "core/paths.h"
#include "core/progress.h"
#include "mm/page_reader.h"
#include "tests/mm/store_fixture.h"

namespace {

const u64 kHeader = 44;

std::vector<u8> slice(const std::vector<u8>& v, u64 from, u64 n) {
    return std::vector<u8>(v.begin() + (size_t)from, v.begin() + (size_t)(from + n));
}

void splice(std::vector<u8>& v, u64 at, u64 oldCount, const std::vector<u8>& bytes) {
    v.erase(v.begin() + (size_t)at, v.begin() + (size_t)(at + oldCount));
    v.insert(v.begin() + (size_t)at, bytes.begin(), bytes.end());
}

std::vector<u8> readCursor(SoundStore& store, SegmentCursor at, u64 n) {
    std::vector<u8> v((size_t)n);
    store.readRange(at, n, v.data());
    return v;
}

std::vector<u8> readWorkFile(SoundStore& store, u64 pos, u64 n) {
    std::vector<u8> v((size_t)n);
    EXPECT_TRUE(fileSeek(store.workFile, (i64)pos, SEEK_SET));
    EXPECT_TRUE(fileRead(store.workFile, v.data(), (u32)n));
    return v;
}

bool otherThreadCanLock(SoundStore& store) {
    std::atomic<bool> got{false};
    std::thread t([&] {
        if (store.mutex.try_lock()) {
            got = true;
            store.mutex.unlock();
        }
    });
    t.join();
    return got;
}

class ThrowingHandler : public ErrorHandler {
public:
    bool report(const char*, int) override { throw GException(); }
};

}  // namespace

TEST(SoundStore, FreshStoreMapsTheSourceDataAndOwnsItsWorkFile) {
    std::string workName;
    {
        StoreFixture f(10);
        EXPECT_EQ(layoutOf(f.store.segments), (SegmentLayout{{-10, 0}}));
        EXPECT_EQ(f.store.length, 10u);
        EXPECT_EQ(f.store.sourceEnd, 54u);

        struct Case {
            u64 pos;
            bool found;
            u64 offset;
        };
        for (const Case& c : {Case{44, true, 0}, Case{53, true, 9}, Case{54, false, 0}, Case{43, false, 0}}) {
            SegmentCursor at = f.store.findSegment(c.pos);
            EXPECT_EQ(at.segment != nullptr, c.found) << c.pos;
            EXPECT_EQ(at.offset, c.offset) << c.pos;
        }
        EXPECT_EQ(f.sound(), patternBytes(10, 1));

        workName = f.store.workFile.name;
        GString expected = workTempFolder();
        pathJoin(expected, "undo");
        ASSERT_EQ(workName.size(), expected.length + 8u);
        EXPECT_EQ(workName.compare(0, expected.length, expected.c_str()), 0) << workName;
        EXPECT_EQ(workName.substr(workName.size() - 4), ".tmp");
        EXPECT_TRUE(pathIsFile(workName.c_str()));
    }
    EXPECT_FALSE(pathExists(workName.c_str())) << "the work file goes with the store";
}

TEST(SoundStore, CursorsAdvanceAcrossSegments) {
    StoreFixture f(100);
    SegmentCursor oldAt, newAt;
    f.store.beginChange(&oldAt, kHeader + 40, 20, 20, &newAt);  // segments of 40, 20 and 40 bytes
    StoreSegment* first = f.store.segments.head;
    StoreSegment* second = first->next;
    StoreSegment* third = second->next;
    struct Case {
        u64 from;
        u64 count;
        StoreSegment* segment;
        u64 offset;
    };
    const Case cases[] = {
        {0, 39, first, 39}, {0, 40, second, 0}, {10, 45, second, 15}, {30, 31, third, 1}, {30, 70, nullptr, 0},
        {30, 500, nullptr, 0},
    };
    for (const Case& c : cases) {
        SegmentCursor at = f.store.findSegment(kHeader + c.from);
        at.advance(c.count);
        EXPECT_EQ(at.segment, c.segment) << c.from << "+" << c.count;
        EXPECT_EQ(at.offset, c.offset) << c.from << "+" << c.count;
        if (c.segment) {
            EXPECT_EQ(f.store.positionOf(at), kHeader + c.from + c.count);
        }
    }
}

TEST(SoundStore, ReopenRebasesOnANewSourceAndReusesTheWorkFile) {
    StoreFixture f(100);
    SegmentCursor oldAt, newAt;
    f.store.beginChange(&oldAt, kHeader + 10, 30, 50, &newAt);
    f.write(newAt, std::vector<u8>(50, 1));
    std::string workName = f.store.workFile.name;
    f.dir.write("saved.raw", std::string(8, 'h') + std::string(120, 's'));
    f.store.unlock();

    StoreSource saved;
    saved.dataOffset = 8;
    saved.size = 120;
    saved.frameSize = 2;
    f.store.reopen(f.dir.file("saved.raw").c_str(), saved);
    EXPECT_EQ(f.store.pending, nullptr);
    EXPECT_EQ(f.store.workEnd, 0);
    EXPECT_EQ(layoutOf(f.store.segments), (SegmentLayout{{-120, 0}}));
    EXPECT_EQ(f.store.workFile.name, workName);
    EXPECT_EQ(fileSizeByName(workName.c_str()), 0);
    ASSERT_TRUE(f.store.lock(&f.handler));
    EXPECT_EQ(f.sound(), std::vector<u8>(120, 's'));
    f.store.beginChange(&oldAt, 8, 0, 4, &newAt);
    EXPECT_EQ(layoutOf(f.store.segments), (SegmentLayout{{0, 4}, {-120, 0}}));
}

TEST(SoundStore, WorkFileTakesTheNextFreeName) {
    TempDir dir;
    dir.write("s.raw", std::string(100, 'x'));
    GString folder = workTempFolder();
    createDirectory(folder.c_str());
    // The next undo name is taken by something that is not ours.
    u32 next = nextTempCounter() + 1;
    char name[32];
    snprintf(name, sizeof name, "undo%04u.tmp", next);
    GString blocker = folder;
    pathJoin(blocker, name);
    ASSERT_TRUE(createDirectory(blocker.c_str()));

    SoundStore store;
    RecordingHandler handler;
    StoreSource source;
    source.dataOffset = 0;
    source.size = 100;
    ASSERT_TRUE(store.open(dir.file("s.raw").c_str(), source, &handler));
    EXPECT_TRUE(handler.reports.empty());
    snprintf(name, sizeof name, "undo%04u.tmp", next + 1);
    EXPECT_NE(strstr(store.workFile.name, name), nullptr) << store.workFile.name;
    EXPECT_TRUE(pathIsDirectory(blocker.c_str()));
    removeDirectory(blocker.c_str());
}

TEST(SoundStore, EqualSizeEditsAreInPlaceOnlyInsideOneWorkSegmentUpToOneMebibyte) {
    const u64 size = 0x300000, workAt = kHeader + 0x1000, workLength = 0x200000;
    struct Case {
        const char* name;
        u64 start;
        u64 count;
        bool inPlace;
    };
    const Case cases[] = {
        {"4 bytes inside a work segment", workAt + 100, 4, true},
        {"exactly 1 MiB", workAt + 8, 0x100000, true},
        {"1 MiB and one byte", workAt + 8, 0x100001, false},
        {"4 bytes inside the source", kHeader + 10, 4, false},
        {"across a work and a source segment", workAt + workLength - 2, 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoreFixture f(size);
        SegmentCursor oldAt, newAt;
        f.store.beginChange(&oldAt, workAt, workLength, workLength, &newAt);
        f.write(newAt, patternBytes(workLength, 2));
        delete f.store.takePendingChange();
        std::vector<u8> before = f.sound();
        SegmentLayout layout = layoutOf(f.store.segments);
        i64 workEnd = f.store.workEnd;

        f.store.beginChange(&oldAt, c.start, c.count, c.count, &newAt);
        ChangeRecord* record = f.store.takePendingChange();
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->inPlace(), c.inPlace);
        EXPECT_EQ(f.store.workEnd, workEnd + (i64)c.count);
        std::vector<u8> old = slice(before, c.start - kHeader, c.count);
        EXPECT_EQ(readCursor(f.store, oldAt, c.count), old);
        if (c.inPlace) {
            EXPECT_EQ(layoutOf(f.store.segments), layout);
            EXPECT_EQ(readWorkFile(f.store, (u64)workEnd, c.count), old);
            EXPECT_EQ(f.store.positionOf(newAt), c.start);
        } else {
            EXPECT_NE(layoutOf(f.store.segments), layout);
        }

        std::vector<u8> fresh = patternBytes(c.count, 3);
        f.write(newAt, fresh);
        std::vector<u8> after = before;
        splice(after, c.start - kHeader, c.count, fresh);
        EXPECT_EQ(f.sound(), after);

        f.store.undoChange(record);
        EXPECT_EQ(f.sound(), before);
        EXPECT_EQ(layoutOf(f.store.segments), layout);
        EXPECT_EQ(f.store.workEnd, workEnd);
        f.store.redoChange(record);
        EXPECT_EQ(f.sound(), after);
        expectSoundList(f.store);
        delete record;
    }
}

TEST(SoundStore, SplicesSplitTheSourceAndNeverMergeAcrossPositionZero) {
    StoreFixture f(100);
    SegmentCursor oldAt, newAt;

    f.store.beginChange(&oldAt, kHeader + 10, 4, 4, &newAt);
    EXPECT_EQ(layoutOf(f.store.segments), (SegmentLayout{{-100, -90}, {0, 4}, {-86, 0}}));
    EXPECT_EQ(readCursor(f.store, oldAt, 4), slice(patternBytes(100, 1), 10, 4));

    // Appending at the end: a work segment that starts at 0 stays apart from the source ending at 0.
    StoreFixture g(100);
    g.store.beginChange(&oldAt, kHeader + 100, 0, 8, &newAt);
    EXPECT_EQ(layoutOf(g.store.segments), (SegmentLayout{{-100, 0}, {0, 8}}));
    EXPECT_EQ(oldAt.segment, nullptr);
    EXPECT_EQ(g.store.length, 108u);
    // New bytes that continue the last ones in the work file join them.
    g.store.beginChange(&oldAt, kHeader + 108, 0, 8, &newAt);
    EXPECT_EQ(layoutOf(g.store.segments), (SegmentLayout{{-100, 0}, {0, 16}}));
    EXPECT_EQ(newAt.offset, 8u);
    // Taking out a middle piece joins the source around it again.
    g.store.beginChange(&oldAt, kHeader + 50, 50, 0, &newAt);
    g.store.beginChange(&oldAt, kHeader + 20, 10, 0, &newAt);
    EXPECT_EQ(layoutOf(g.store.segments), (SegmentLayout{{-100, -80}, {-70, -50}, {0, 16}}));
    EXPECT_EQ(newAt.segment, nullptr);
    delete g.store.takePendingChange();
    g.store.beginChange(&oldAt, kHeader + 20, 0, 0, &newAt);
    EXPECT_EQ(layoutOf(g.store.segments), (SegmentLayout{{-100, -80}, {-70, -50}, {0, 16}}));
}

TEST(SoundStore, RemovingTheSegmentBetweenTwoJoinablePiecesStillInsertsInOrder) {
    // Source halves around a work piece: replacing the work piece by a shorter one must keep the new
    // bytes between the halves, not behind a re-joined source segment.
    StoreFixture f(100);
    SegmentCursor oldAt, newAt;
    f.store.beginChange(&oldAt, kHeader + 50, 0, 10, &newAt);
    f.write(newAt, std::vector<u8>(10, 0xEE));
    f.store.beginChange(&oldAt, kHeader + 50, 10, 5, &newAt);
    f.write(newAt, std::vector<u8>(5, 0xDD));
    EXPECT_EQ(layoutOf(f.store.segments), (SegmentLayout{{-100, -50}, {10, 15}, {-50, 0}}));
    std::vector<u8> expected = patternBytes(100, 1);
    splice(expected, 50, 0, std::vector<u8>(5, 0xDD));
    EXPECT_EQ(f.sound(), expected);
}

TEST(SoundStore, ReplaceRangeSplicesBytesAppendedToTheWorkFile) {
    StoreFixture f(100);
    i64 added = -1;
    f.store.replaceRange(kHeader, f.store.findSegment(kHeader), f.store.workEnd, false, &added);
    EXPECT_EQ(added, 0);
    EXPECT_EQ(f.store.pending, nullptr);
    EXPECT_EQ(f.store.length, 100u);

    // A replacement 10 bytes before the end removes only those 10 bytes.
    std::vector<u8> bytes = patternBytes(30, 4);
    ASSERT_TRUE(fileWriteAtPosition(f.store.workFile, f.store.workEnd, bytes.data(), 30));
    u64 at = kHeader + 90;
    f.store.replaceRange(at, f.store.findSegment(at), f.store.workEnd + 30, false, &added);
    EXPECT_EQ(added, 30);
    EXPECT_EQ(f.store.length, 120u);
    std::vector<u8> expected = patternBytes(100, 1);
    splice(expected, 90, 10, bytes);
    EXPECT_EQ(f.sound(), expected);
    ChangeRecord* replaced = f.store.takePendingChange();
    ASSERT_NE(replaced, nullptr);
    EXPECT_EQ(replaced->oldCount, 10u);

    // Inserting removes nothing.
    std::vector<u8> more = patternBytes(8, 5);
    ASSERT_TRUE(fileWriteAtPosition(f.store.workFile, f.store.workEnd, more.data(), 8));
    f.store.replaceRange(kHeader + 4, f.store.findSegment(kHeader + 4), f.store.workEnd + 8, true, &added);
    splice(expected, 4, 0, more);
    EXPECT_EQ(f.sound(), expected);
    ChangeRecord* inserted = f.store.takePendingChange();

    f.store.undoChange(inserted);
    f.store.undoChange(replaced);
    EXPECT_EQ(f.sound(), patternBytes(100, 1));
    EXPECT_EQ(layoutOf(f.store.segments), (SegmentLayout{{-100, 0}}));
    EXPECT_EQ(f.store.workEnd, 0);
    f.store.redoChange(replaced);
    f.store.redoChange(inserted);
    EXPECT_EQ(f.sound(), expected);
    delete inserted;
    delete replaced;
}

// Bytes staged in the work file behind the new bytes of a change survive it, whatever the kind of
// change: a paste staged before its change is then spliced in, and a scratch area written behind the
// new bytes (the tempo's) is read back after a later change that stays below it.
TEST(SoundStore, ChangesKeepTheBytesStagedBehindTheirNewBytes) {
    struct Case {
        const char* name;
        u64 at, oldCount, newCount;
    };
    const Case cases[] = {
        {"splice", 10, 20, 30}, {"insert", 10, 0, 30}, {"remove", 10, 20, 0}, {"in place", 60, 8, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoreFixture f(100);
        SegmentCursor oldAt, newAt;
        // A work segment first, so that the in-place case edits inside it.
        f.store.beginChange(&oldAt, kHeader + 50, 40, 40, &newAt);
        f.write(newAt, patternBytes(40, 2));
        delete f.store.takePendingChange();
        const i64 stageAt = f.store.workEnd + (i64)c.newCount;
        const std::vector<u8> staged = patternBytes(500, 3);
        ASSERT_TRUE(fileWriteAtPosition(f.store.workFile, stageAt, staged.data(), (u32)staged.size()));

        f.store.beginChange(&oldAt, kHeader + c.at, c.oldCount, c.newCount, &newAt);
        ASSERT_EQ(f.store.workEnd, stageAt);
        if (c.newCount) f.write(newAt, patternBytes(c.newCount, 4));
        std::vector<u8> expected = f.sound();
        ChangeRecord* change = f.store.takePendingChange();

        // Scratch behind the staged bytes, written after the change, is read back as written.
        const std::vector<u8> scratch = patternBytes(300, 5);
        ASSERT_TRUE(fileWriteAtPosition(f.store.workFile, stageAt + 500, scratch.data(), 300));
        SegmentCursor tailOld, tailNew;
        f.store.beginChange(&tailOld, f.store.soundEnd(), 0, 0, &tailNew);
        std::vector<u8> back(800);
        ASSERT_TRUE(fileSeek(f.store.workFile, stageAt, SEEK_SET));
        ASSERT_TRUE(fileRead(f.store.workFile, back.data(), 800));
        EXPECT_EQ(std::vector<u8>(back.begin(), back.begin() + 500), staged);
        EXPECT_EQ(std::vector<u8>(back.begin() + 500, back.end()), scratch);

        // The staged paste goes in at the start of the sound.
        f.store.replaceRange(kHeader, f.store.findSegment(kHeader), stageAt + 500, true, nullptr);
        expected.insert(expected.begin(), staged.begin(), staged.end());
        EXPECT_EQ(f.sound(), expected);
        delete change;
    }
}

namespace {

struct AppliedChange {
    ChangeRecord* record;
    u64 at;  // offset in the sound
    std::vector<u8> oldBytes;
    std::vector<u8> newBytes;
    SegmentLayout layoutBeforeUndo;
    i64 workEndBeforeUndo = 0;
};

void writeThroughPages(SoundStore& store, SegmentCursor at, const std::vector<u8>& bytes, u32 frameSize) {
    StorePageIterator it(std::make_unique<SamplePageReader>(frameSize, PageMode::Write));
    u8 *begin, *end;
    it.init(&store, at, nullptr, bytes.size(), &begin, &end);
    size_t k = 0;
    while (it.readSegmentsNext(&begin, &end)) {
        memcpy(begin, bytes.data() + k, end - begin);
        k += end - begin;
    }
    EXPECT_EQ(k, bytes.size());
}

}  // namespace

TEST(SoundStore, RandomEditsUndosAndRedosMatchAReferenceArray) {
    const u32 frame = 4;
    const u64 initial = 48 * 1024;
    StoreFixture f(initial, kHeader, frame);
    std::vector<u8> reference = patternBytes(initial, 1);
    std::mt19937 rng(1234567);
    std::vector<AppliedChange> applied, undone;
    u32 seed = 100;

    for (int step = 0; step < 3000; ++step) {
        SCOPED_TRACE(step);
        u32 kind = rng() % 10;
        if (kind < 2 && !applied.empty()) {
            AppliedChange c = std::move(applied.back());
            applied.pop_back();
            c.layoutBeforeUndo = layoutOf(f.store.segments);
            c.workEndBeforeUndo = f.store.workEnd;
            f.store.undoChange(c.record);
            splice(reference, c.at, c.newBytes.size(), c.oldBytes);
            undone.push_back(std::move(c));
        } else if (kind < 4 && !undone.empty()) {
            AppliedChange c = std::move(undone.back());
            undone.pop_back();
            f.store.redoChange(c.record);
            ASSERT_EQ(layoutOf(f.store.segments), c.layoutBeforeUndo);
            ASSERT_EQ(f.store.workEnd, c.workEndBeforeUndo);
            splice(reference, c.at, c.oldBytes.size(), c.newBytes);
            applied.push_back(std::move(c));
        } else {
            for (AppliedChange& c : undone) delete c.record;
            undone.clear();
            u64 frames = reference.size() / frame;
            u64 startFrame = rng() % (frames + 1);
            u64 maxFrames = (rng() % 8 == 0) ? 3000 : 40;
            u64 oldFrames = std::min<u64>(rng() % (maxFrames + 1), frames - startFrame);
            u64 newFrames = (kind < 7) ? oldFrames : rng() % (maxFrames + 1);
            if (reference.size() > 4 * initial) newFrames = 0;
            u64 at = startFrame * frame, start = kHeader + at;
            std::vector<u8> fresh = patternBytes(newFrames * frame, ++seed);
            AppliedChange c;
            c.at = at;
            if (kind == 9 && !fresh.empty()) {
                // Bytes appended by the caller, then spliced in.
                bool insert = rng() % 2;
                ASSERT_TRUE(fileWriteAtPosition(f.store.workFile, f.store.workEnd, fresh.data(), (u32)fresh.size()));
                i64 added;
                f.store.replaceRange(start, f.store.findSegment(start), f.store.workEnd + (i64)fresh.size(), insert,
                                     &added);
                u64 removed = insert ? 0 : std::min<u64>(fresh.size(), reference.size() - at);
                c.oldBytes = slice(reference, at, removed);
            } else {
                SegmentCursor oldAt, newAt;
                f.store.beginChange(&oldAt, start, oldFrames * frame, fresh.size(), &newAt);
                c.oldBytes = slice(reference, at, oldFrames * frame);
                ASSERT_EQ(readCursor(f.store, oldAt, c.oldBytes.size()), c.oldBytes);
                if (step % 2) writeThroughPages(f.store, newAt, fresh, frame);
                else f.write(newAt, fresh);
            }
            c.newBytes = fresh;
            c.record = f.store.takePendingChange();
            splice(reference, at, c.oldBytes.size(), fresh);
            applied.push_back(std::move(c));
        }
        expectSoundList(f.store);
        ASSERT_EQ(f.store.length, reference.size());
        if (step % 5 == 0 || kind < 4) {
            ASSERT_EQ(f.sound(), reference);
        }
    }
    EXPECT_TRUE(f.handler.reports.empty());
    for (AppliedChange& c : applied) delete c.record;
    for (AppliedChange& c : undone) delete c.record;
}

TEST(SoundStore, SparseSourceLargerThanFiveGibibytes) {
    TempDir dir;
    const u64 size = (5ull << 30) + 40000;
    const u64 tail = 100000;
    std::string path = dir.file("big.raw");
    {
        FILE* fp = fopen(path.c_str(), "wb");
        ASSERT_NE(fp, nullptr);
        fwrite("RIFF", 1, 4, fp);
        ASSERT_EQ(_fseeki64(fp, (i64)(kHeader + size - tail), SEEK_SET), 0);
        std::vector<u8> bytes = patternBytes(tail, 1, size - tail);
        ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), fp), bytes.size());
        fclose(fp);
    }
    SoundStore store;
    RecordingHandler handler;
    StoreSource source;
    source.dataOffset = kHeader;
    source.size = size;
    source.frameSize = 4;
    ASSERT_TRUE(store.open(path.c_str(), source, &handler));
    ASSERT_TRUE(store.lock(&handler));

    const u64 end = kHeader + size;
    auto read = [&](u64 pos, u64 n) { return readCursor(store, store.findSegment(pos), n); };
    EXPECT_EQ(read(end - 1000, 1000), patternBytes(1000, 1, size - 1000));

    // Replace 3000 bytes near the end by 1000, and 20 bytes across the 4 GiB mark.
    SegmentCursor oldAt, newAt;
    store.beginChange(&oldAt, end - 5000, 3000, 1000, &newAt);
    EXPECT_EQ(readCursor(store, oldAt, 3000), patternBytes(3000, 1, size - 5000));
    std::vector<u8> fresh = patternBytes(1000, 7);
    store.writeRange(newAt, 1000, fresh.data());
    ChangeRecord* nearEnd = store.takePendingChange();
    const u64 mark = kHeader + (4ull << 30) - 10;
    store.beginChange(&oldAt, mark, 20, 20, &newAt);
    std::vector<u8> across = patternBytes(20, 8);
    store.writeRange(newAt, 20, across.data());
    ChangeRecord* atMark = store.takePendingChange();

    EXPECT_EQ(store.length, size - 2000);
    std::vector<u8> expectedTail = patternBytes(2000, 1, size - 5000 - 2000);
    expectedTail.insert(expectedTail.end(), fresh.begin(), fresh.end());
    std::vector<u8> last = patternBytes(2000, 1, size - 2000);
    expectedTail.insert(expectedTail.end(), last.begin(), last.end());
    EXPECT_EQ(read(end - 2000 - 5000, 5000), expectedTail);
    std::vector<u8> around = read(mark - 4, 28);
    EXPECT_EQ(slice(around, 4, 20), across);
    EXPECT_EQ(slice(around, 0, 4), std::vector<u8>(4, 0));

    store.undoChange(atMark);
    store.undoChange(nearEnd);
    EXPECT_EQ(store.length, size);
    EXPECT_EQ(layoutOf(store.segments), (SegmentLayout{{-(i64)size, 0}}));
    EXPECT_EQ(read(end - 5000, 5000), patternBytes(5000, 1, size - 5000));
    store.redoChange(nearEnd);
    store.redoChange(atMark);
    EXPECT_EQ(read(end - 2000 - 5000, 5000), expectedTail);
    EXPECT_EQ(slice(read(mark - 4, 28), 4, 20), across);
    EXPECT_TRUE(handler.reports.empty());
    delete atMark;
    delete nearEnd;
    store.unlock();
}

TEST(SoundStore, LockHoldsTheSourceOpenAndReleasesOnFailure) {
    StoreFixture f(100);
    EXPECT_TRUE(f.store.sourceFile.isOpen());
    EXPECT_FALSE(otherThreadCanLock(f.store));
    RecordingHandler inner;
    ASSERT_TRUE(f.store.lock(&inner));
    f.store.unlock();
    EXPECT_TRUE(f.store.sourceFile.isOpen()) << "a nested unlock keeps the outer lock";
    EXPECT_EQ(f.store.workFile.handler, &f.handler);
    f.store.unlock();
    EXPECT_FALSE(f.store.sourceFile.isOpen());
    EXPECT_EQ(f.store.workFile.handler, nullptr);
    EXPECT_TRUE(otherThreadCanLock(f.store));

    ASSERT_TRUE(deleteFile(f.sourcePath.c_str()));
    EXPECT_FALSE(f.store.lock(&f.handler));
    EXPECT_EQ(f.handler.reports.size(), 1u);
    EXPECT_EQ(f.store.locked, 0u);
    EXPECT_TRUE(otherThreadCanLock(f.store));

    ThrowingHandler thrower;
    EXPECT_THROW(f.store.lock(&thrower), GException);
    EXPECT_EQ(f.store.locked, 0u);
    EXPECT_EQ(f.store.workFile.handler, nullptr);
    EXPECT_TRUE(otherThreadCanLock(f.store));
}

TEST(SoundStore, CopiesRangesToFilesIncludingItsOwnWorkFile) {
    StoreFixture f(300000);
    SegmentCursor oldAt, newAt;
    f.store.beginChange(&oldAt, kHeader + 1000, 2000, 70000, &newAt);
    f.write(newAt, patternBytes(70000, 2));
    std::vector<u8> sound = f.sound();

    GFile target(&f.handler);
    ASSERT_TRUE(fileOpen(target, f.dir.file("copy.raw").c_str(), FileMode::Write | FileFlag::Read));
    JobProgress progress;
    progress.setTotal(200000);
    EXPECT_TRUE(f.store.copyRangeToFile(f.store.findSegment(kHeader + 500), 200000, target, 10, &progress));
    EXPECT_EQ(progress.committed, 200000u);
    EXPECT_EQ(progress.current, 200000u);
    std::vector<u8> copied(200000);
    ASSERT_TRUE(fileSeek(target, 10, SEEK_SET));
    ASSERT_TRUE(fileRead(target, copied.data(), 200000));
    EXPECT_EQ(copied, slice(sound, 500, 200000));

    // Old bytes copied unchanged into the new bytes of a change (both in the work file).
    f.store.beginChange(&oldAt, kHeader + 500, 60000, 60000, &newAt);
    u64 newPos = (u64)(newAt.segment->start + (i64)newAt.offset);
    EXPECT_TRUE(f.store.copyRangeToFile(oldAt, 60000, f.store.workFile, newPos, nullptr));
    EXPECT_EQ(f.sound(), sound);

    // Once cancelled, every piece stops after its first chunk.
    progress.setTotal(200000);
    progress.cancel();
    EXPECT_FALSE(f.store.copyRangeToFile(f.store.findSegment(kHeader), 200000, target, 0, &progress));
    EXPECT_LT(progress.current, 200000u);
    fileClose(target);
}

TEST(SoundStore, FillsFromAFileAndReadsThroughAFilePairOnAnotherThread) {
    StoreFixture f(50000);
    f.dir.write("fill.raw", std::string(3000, 'F'));
    GFile fill(&f.handler);
    ASSERT_TRUE(fileOpen(fill, f.dir.file("fill.raw").c_str(), FileMode::Read));
    SegmentCursor oldAt, newAt;
    f.store.beginChange(&oldAt, kHeader + 20000, 0, 3000, &newAt);
    EXPECT_TRUE(f.store.fillFromFile(newAt, fill, 3000, nullptr));
    std::vector<u8> expected = patternBytes(50000, 1);
    splice(expected, 20000, 0, std::vector<u8>(3000, 'F'));
    EXPECT_EQ(f.sound(), expected);

    // The reader waits while this thread holds the lock, and reads once it is released.
    std::vector<u8> got(40000);
    bool ok = false;
    std::atomic<bool> started{false}, finished{false};
    std::thread worker([&] {
        StoreFilePair pair;
        RecordingHandler quiet;
        if (openFilePair(f.store, pair, &quiet)) {
            started = true;
            ok = f.store.readPages(got.data(), kHeader + 5000, kHeader + 45000, pair);
            closeFilePair(pair);
        }
        finished = true;
    });
    while (!started && !finished) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(finished) << "the reader did not wait for the lock";
    f.store.unlock();
    worker.join();
    EXPECT_TRUE(ok);
    EXPECT_EQ(got, slice(expected, 5000, 40000));
    EXPECT_TRUE(f.store.lock(&f.handler));
}

TEST(SoundStore, AnInPlaceEditWhoseOldBytesCannotBeCopiedIsSplicedInstead) {
    StoreFixture f(1000);
    SegmentCursor oldAt, newAt;
    f.store.beginChange(&oldAt, kHeader + 100, 400, 400, &newAt);
    f.write(newAt, patternBytes(400, 2));
    delete f.store.takePendingChange();
    const std::vector<u8> before = f.sound();
    const i64 workEnd = f.store.workEnd;

    // Small and inside one work segment, but the work file cannot be read to copy the old bytes.
    f.store.workFile.flags &= ~(u32)FileFlag::Read;
    f.store.beginChange(&oldAt, kHeader + 200, 8, 8, &newAt);
    f.store.workFile.flags |= FileFlag::Read;
    EXPECT_FALSE(f.handler.reports.empty()) << "the failed copy is reported";
    std::unique_ptr<ChangeRecord> record(f.store.takePendingChange());
    ASSERT_TRUE(record);
    EXPECT_FALSE(record->inPlace());
    EXPECT_EQ(f.store.workEnd, workEnd + 8);
    EXPECT_EQ(readCursor(f.store, oldAt, 8), slice(before, 200, 8));

    std::vector<u8> after = before;
    std::vector<u8> fresh = patternBytes(8, 3);
    splice(after, 200, 8, fresh);
    f.write(newAt, fresh);
    EXPECT_EQ(f.sound(), after);
    f.store.undoChange(record.get());
    EXPECT_EQ(f.sound(), before);
    f.store.redoChange(record.get());
    EXPECT_EQ(f.sound(), after);
    expectSoundList(f.store);
}

TEST(SoundStore, WritesSkipSourcePiecesWithoutTouchingTheSourceFile) {
    StoreFixture f(100);
    SegmentCursor oldAt, newAt;
    f.store.beginChange(&oldAt, kHeader + 50, 10, 10, &newAt);  // source | work | source
    f.write(newAt, std::vector<u8>(10, 0));
    const std::string sourceBefore = f.dir.read("source.raw");

    EXPECT_FALSE(f.store.writeRange(f.store.findSegment(kHeader + 40), 30, std::vector<u8>(30, 0xAA).data()));
    EXPECT_TRUE(f.handler.reports.empty()) << "no write was tried on the source file";
    std::vector<u8> expected = patternBytes(100, 1);
    std::fill(expected.begin() + 50, expected.begin() + 60, 0xAA);
    EXPECT_EQ(f.sound(), expected);
    EXPECT_EQ(f.dir.read("source.raw"), sourceBefore);
}

TEST(SoundStore, ReadsPastTheEndGiveZerosAndFalse) {
    StoreFixture f(100);
    std::vector<u8> got(120, 0x55);
    EXPECT_FALSE(f.store.readRange(f.store.findSegment(kHeader + 50), 120, got.data()));
    EXPECT_EQ(slice(got, 0, 50), slice(patternBytes(100, 1), 50, 50));
    EXPECT_EQ(slice(got, 50, 70), std::vector<u8>(70, 0));
}

// A change whose new bytes the work file cannot take is refused: the sound stays as it was and the
// earlier change still undoes exactly. (A petabyte is past what the disk, or its file system, can
// give a file: the real extension fails.)
TEST(SoundStore, AChangeTheWorkFileCannotTakeIsRefused) {
    const u64 kHeader = 44;
    StoreFixture f(4000, kHeader);
    const std::vector<u8> original = f.sound();
    SegmentCursor oldAt, newAt;
    ASSERT_TRUE(f.store.beginChange(&oldAt, kHeader + 100, 50, 80, &newAt));
    f.write(newAt, patternBytes(80, 2));
    ChangeRecord* earlier = f.store.takePendingChange();
    const std::vector<u8> edited = f.sound();
    const SegmentLayout layout = layoutOf(f.store.segments);
    const i64 workEnd = f.store.workEnd;
    const u64 length = f.store.length;
    f.handler.reports.clear();

    struct Case {
        const char* what;
        u64 start, oldCount;
    };
    const Case cases[] = {
        {"insert into the source", kHeader + 1000, 0},
        {"replace inside the work segment", kHeader + 110, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(f.store.beginChange(&oldAt, c.start, c.oldCount, 1ull << 50, &newAt));
        EXPECT_EQ(oldAt.segment, nullptr);
        EXPECT_EQ(newAt.segment, nullptr);
        EXPECT_EQ(f.store.takePendingChange(), nullptr);
        EXPECT_EQ(layoutOf(f.store.segments), layout);
        EXPECT_EQ(f.store.workEnd, workEnd);
        EXPECT_EQ(f.store.length, length);
        EXPECT_EQ(f.sound(), edited);
        EXPECT_FALSE(f.handler.reports.empty()) << "the work file reports why";
        f.handler.reports.clear();
    }
    f.store.undoChange(earlier);
    delete earlier;
    EXPECT_EQ(f.sound(), original);
    EXPECT_EQ(f.store.workEnd, 0);
}

// The player's thread reads through its file pair while the interface thread edits the store and
// re-bases it on its saved file (as saving over the source does): the segment list and the work file
// change only under the store's mutex, so every read sees one whole list.
TEST(SoundStore, ReadersSeeWholeListsWhileTheStoreIsReopened) {
    const u64 size = 60000;
    StoreFixture f(size);
    const std::vector<u8> pattern = patternBytes(size, 1);
    StoreSource source;
    source.dataOffset = kHeader;
    source.size = size;
    source.frameSize = 1;
    f.store.unlock();

    std::atomic<bool> stop{false}, ended{false};
    std::atomic<int> reads{0}, wrong{0};
    std::thread player([&] {
        StoreFilePair pair;
        RecordingHandler quiet;
        if (!openFilePair(f.store, pair, &quiet)) {
            ended = true;
            return;
        }
        std::vector<u8> got(size);
        while (!stop) {
            f.store.readPages(got.data(), kHeader, kHeader + size, pair);
            if (got != pattern) ++wrong;
            ++reads;
        }
        closeFilePair(pair);
    });
    for (int round = 0; round < 150; ++round) {
        // Edits that leave the bytes as they were but cut the list into pieces in the work file.
        ASSERT_TRUE(f.store.lock(&f.handler));
        for (u64 at = 1000 + (u64)round; at < size; at += 7000) {
            SegmentCursor oldAt, newAt;
            ASSERT_TRUE(f.store.beginChange(&oldAt, kHeader + at, 500, 500, &newAt));
            f.write(newAt, slice(pattern, at, 500));
        }
        f.store.unlock();
        f.store.reopen(f.sourcePath.c_str(), source);
    }
    while (reads < 10 && !ended) std::this_thread::yield();
    stop = true;
    player.join();
    EXPECT_GE(reads.load(), 10);
    EXPECT_EQ(0, wrong.load());
    ASSERT_TRUE(f.store.lock(&f.handler));
    EXPECT_EQ(f.sound(), pattern);
}
