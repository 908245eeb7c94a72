#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/gfile.h"
#include "engine/page_walk.h"
#include "tests/engine/engine_fixture.h"

namespace {

const i32 frame = 6;  // pages of 16380 bytes end off the 4096 grid

std::vector<u8> pattern(size_t n, u32 seed) {
    std::vector<u8> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = (u8)((i * 131 + (i >> 9) * 7 + seed * 97 + 11) & 0xFF);
    return v;
}

// The same bytes in the three kinds of source: a sound's store (spread over its source and work
// files), a plain file and a block of memory.
class ThreeSources {
public:
    explicit ThreeSources(const std::vector<u8>& bytes) : bytes(bytes), memory(bytes) {
        std::string file(44, 'H');
        file.append(bytes.begin(), bytes.end());
        dir.write("plain.raw", file);
        EXPECT_TRUE(fileOpen(plain, dir.file("plain.raw").c_str(), FileMode::Read));
        sound.reset(new TestSound(encodingInt16, 3, sampleValues(encodingInt16, bytes)));
        // The middle third in the work file, the rest in the source: every piece has its own pages.
        SoundStore& store = sound->store;
        u64 third = bytes.size() / 3 / frame * frame;
        SegmentCursor oldAt, newAt;
        store.beginChange(&oldAt, sound->start() + third, third, third, &newAt);
        delete store.takePendingChange();
        EXPECT_TRUE(store.writeRange(newAt, third, bytes.data() + third));
    }
    ~ThreeSources() { fileClose(plain); }

    enum Kind { store, file, block };
    std::unique_ptr<PageWalk> reader(Kind kind, u64 count, JobProgress* progress = nullptr) {
        switch (kind) {
        case store:
            return std::unique_ptr<PageWalk>(new PageWalk(openBlockReader, &sound->store, frame,
                                                          sound->store.findSegment(sound->start()), count, progress));
        case file: return std::unique_ptr<PageWalk>(new PageWalk(openBlockReader, plain, frame, 44, count, progress));
        default: return std::unique_ptr<PageWalk>(new PageWalk(openBlockReader, memory.data(), frame, count));
        }
    }

    std::vector<u8> bytes;
    std::vector<u8> memory;
    TempDir dir;
    GFile plain;
    std::unique_ptr<TestSound> sound;
};

const char* kindName(ThreeSources::Kind kind) {
    return kind == ThreeSources::store ? "store" : kind == ThreeSources::file ? "file" : "memory";
}

// Copies every step of the loop from the reader into a memory writer that ends it.
std::vector<u8> copyInStep(PageWalk& in, size_t length) {
    std::vector<u8> out(length, 0xEE);
    PageWalk writer(openBlockWriter, out.data(), frame, out.size());
    while (nextPages(writer, {&in})) {
        size_t n = std::min(in.left(), writer.left());
        memcpy(writer.take(n), in.take(n), n);
    }
    return out;
}

std::vector<u8> repeated(const std::vector<u8>& bytes, size_t length) {
    std::vector<u8> v;
    while (v.size() < length) v.insert(v.end(), bytes.begin(), bytes.begin() + std::min(bytes.size(), length - v.size()));
    return v;
}
}  // namespace

// One page interface over the three sources: a reader hands out the range in order in whole frames,
// starts again on restart, and, following the ender, hands out silence once dry or the range again
// when it repeats.
TEST(PageWalks, ReadersOfEverySourceFollowTheEnderDryOrRepeating) {
    const size_t length = 50004;  // whole frames, more than three pages
    ThreeSources sources(pattern(length, 1));
    for (ThreeSources::Kind kind : {ThreeSources::store, ThreeSources::file, ThreeSources::block}) {
        SCOPED_TRACE(kindName(kind));
        auto in = sources.reader(kind, length);
        std::vector<u8> got;
        while (in->next()) {
            ASSERT_EQ(0u, (size_t)(in->end - in->begin) % frame);
            got.insert(got.end(), in->begin, in->end);
        }
        EXPECT_TRUE(in->atEnd());
        EXPECT_EQ(sources.bytes, got);
        in->restart();
        EXPECT_EQ(0u, in->left());
        EXPECT_EQ(sources.bytes, copyInStep(*in, length));

        // Dry: silence to the end of the ender's range, and dry() says so.
        in = sources.reader(kind, length);
        std::vector<u8> want = sources.bytes;
        want.resize(length * 5 / 2 / frame * frame, 0);
        EXPECT_EQ(want, copyInStep(*in, want.size()));
        EXPECT_TRUE(in->dry());

        // Repeating: the range again from its first frame, the last repetition cut.
        in = sources.reader(kind, length);
        in->repeatAtEnd();
        EXPECT_EQ(repeated(sources.bytes, want.size()), copyInStep(*in, want.size()));
        EXPECT_FALSE(in->dry());
    }
}

// A set of any size in step, the ender named by the caller: walks of several lengths and sources
// summed byte by byte into one writer; only the ender's end ends the loop, and a cancel met by a
// walk that does not end the loop does not stop it.
TEST(PageWalks, ASetOfAnySizeEndsOnlyWithItsEnder) {
    const size_t length = 40002;
    ThreeSources sources(pattern(length, 2));
    CancellingProgress progress(2);
    progress.setTotal(length);
    std::vector<std::unique_ptr<PageWalk>> walks;
    walks.push_back(sources.reader(ThreeSources::store, length, &progress));
    walks.push_back(sources.reader(ThreeSources::file, length / 2 / frame * frame));
    walks.push_back(sources.reader(ThreeSources::block, length / 3 / frame * frame));
    walks.back()->repeatAtEnd();
    std::vector<PageWalk*> set;
    for (auto& w : walks) set.push_back(w.get());
    set.push_back(nullptr);  // left out

    std::vector<u8> out(length + 6000);
    PageWalk writer(openBlockWriter, out.data(), frame, out.size());
    while (nextPages(writer, set.data(), set.size())) {
        size_t n = writer.left();
        for (auto& w : walks) n = std::min(n, w->left());
        u8* o = writer.take(n);
        const u8* a = set[0]->take(n);
        const u8* b = set[1]->take(n);
        const u8* c = set[2]->take(n);
        for (size_t i = 0; i < n; ++i) o[i] = (u8)(a[i] + b[i] + c[i]);
    }
    EXPECT_TRUE(writer.atEnd());
    EXPECT_TRUE(progress.isCancelled());
    const size_t half = length / 2 / frame * frame, third = length / 3 / frame * frame;
    for (size_t i = 0; i < out.size(); ++i) {
        u8 want = (u8)((i < length ? sources.bytes[i] : 0) + (i < half ? sources.bytes[i] : 0) +
                       sources.bytes[i % third]);
        ASSERT_EQ(want, out[i]) << i;
    }
}

// Writers of every kind: the ender writes its whole range, pages handed out in order.
TEST(PageWalks, WritersOfEverySourceWriteTheirWholeRange) {
    const size_t length = 50004;
    const std::vector<u8> bytes = pattern(length, 3);
    std::vector<u8> memorySource(bytes);
    auto copyFrom = [&](PageWalk& out) {
        PageWalk in(openBlockReader, memorySource.data(), frame, length);
        while (nextPages(out, {&in})) {
            size_t n = std::min(in.left(), out.left());
            memcpy(out.take(n), in.take(n), n);
        }
        out.finish();
    };

    std::vector<u8> block(length);
    PageWalk toMemory(openBlockWriter, block.data(), frame, length);
    copyFrom(toMemory);
    EXPECT_EQ(bytes, block);

    TempDir dir;
    GFile target;
    ASSERT_TRUE(fileOpen(target, dir.file("out.raw").c_str(), FileMode::Write));
    {
        PageWalk toFile(openBlockWriter, target, frame, 10, length, nullptr);
        copyFrom(toFile);
    }
    ASSERT_TRUE(fileClose(target));
    EXPECT_EQ(std::string(10, '\0') + std::string(bytes.begin(), bytes.end()), dir.read("out.raw"));

    TestSound s(encodingInt16, 3, std::vector<f64>(length / 2, 0.0));
    auto p = bindProcessor(s, 0, length / frame);
    RangeChange change = p->openChange(s.start(), length, length);
    {
        PageWalk toStore(openBlockWriter, &s.store, frame, change, nullptr);
        copyFrom(toStore);
    }
    EXPECT_EQ(bytes, s.bytes(s.start(), s.end()));
}

// A writer of a change's new bytes that stops early, on a cancel, an exception or a loop left
// without finish(), fills what it did not reach: the pages it filled stay, then the old bytes up to
// the old length, then zeros. Bytes an undone change left in the work file never show.
TEST(PageWalks, AnAbandonedChangeWriterFillsTheRestOldBytesThenZeros) {
    const u64 oldLength = 60000;
    struct Case {
        const char* name;
        u64 newLength;
    };
    const Case cases[] = {{"same length", oldLength}, {"shorter", 30000}, {"longer", 150000}};
    enum Stop { cancel, exception, leftWithoutFinish };
    for (const Case& c : cases) {
        for (Stop stop : {cancel, exception, leftWithoutFinish}) {
            SCOPED_TRACE(testing::Message() << c.name << ", stop " << stop);
            const u32 frames = 100000;
            const std::vector<u8> original = pattern(frames * frame, 4);
            TestSound s(encodingInt16, 3, sampleValues(encodingInt16, original));
            const u64 at = s.start() + 600;
            // An undone change leaves its bytes where the next change's new bytes go.
            RecordingOwner owner(&s);
            auto p = bindProcessor(s, 0, frames, 0, &owner);
            RangeChange undone = p->openChange(at, 0, 200000);
            std::vector<u8> stale(200000, 0x77);
            s.store.writeRange(undone.newCursor, stale.size(), stale.data());
            owner.undoAll();
            ASSERT_EQ(original, s.bytes(s.start(), s.end()));

            CancellingProgress progress(3);
            progress.setTotal(c.newLength);
            RangeChange change = p->openChange(at, oldLength, c.newLength);
            u64 filled = 0;
            try {
                PageWalk out(openBlockWriter, &s.store, frame, change, stop == cancel ? &progress : nullptr);
                for (int pages = 1; out.next(); ++pages) {
                    memset(out.begin, 0xAB, out.end - out.begin);
                    // The page being filled when the walk stops is not taken as written.
                    if (pages == 2 && stop == exception) throw std::runtime_error("stop");
                    if (pages == 2 && stop == leftWithoutFinish) break;
                    filled += (u64)(out.end - out.begin);
                }
                if (stop == cancel) out.finish();
            } catch (const std::runtime_error&) {
            }
            ASSERT_GT(filled, 0u);
            ASSERT_LT(filled, c.newLength);
            std::vector<u8> want(original.begin(), original.begin() + 600);
            want.insert(want.end(), (size_t)filled, 0xAB);
            for (u64 i = filled; i < c.newLength; ++i) want.push_back(i < oldLength ? original[600 + i] : 0);
            want.insert(want.end(), original.begin() + 600 + oldLength, original.end());
            std::vector<u8> got = s.bytes(s.start(), s.end());
            ASSERT_EQ(want.size(), got.size());
            size_t i = 0;
            while (i < want.size() && want[i] == got[i]) ++i;
            EXPECT_EQ(want.size(), i) << "first wrong byte, " << filled << " filled: " << (u32)got[i] << " for "
                                      << (u32)want[i];
            EXPECT_TRUE(s.handler.reports.empty());
        }
    }
}
