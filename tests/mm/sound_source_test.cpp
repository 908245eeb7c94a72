#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "mm/ogg_range_source.h"
#include "mm/store_range_source.h"
#include "tests/mm/format_blocks.h"
#include "tests/mm/memory_source.h"
#include "tests/mm/store_fixture.h"

namespace {
// An Ogg-like stream: 100 bytes of header pages, filler without a capture pattern, and a page whose
// pattern starts at `page`.
struct OggBytes {
    static const u32 headerLength = 100;
    std::vector<u8> bytes;
    u64 page;

    OggBytes(u64 size, u64 page) : bytes(size, 'x'), page(page) {
        memcpy(bytes.data(), "OggS", 4);
        for (u32 i = 4; i < headerLength; ++i) bytes[i] = (u8)('A' + i % 26);
        memcpy(bytes.data() + page, "OggS", 4);
        for (u64 i = page + 4; i < size; ++i) bytes[i] = (u8)(i * 7);
    }
    std::vector<u8> slice(u64 from, u64 to) const { return std::vector<u8>(bytes.begin() + from, bytes.begin() + to); }
    std::vector<u8> headerThen(u64 from, u64 to) const {
        std::vector<u8> v = slice(0, headerLength);
        std::vector<u8> rest = slice(from, to);
        v.insert(v.end(), rest.begin(), rest.end());
        return v;
    }
};

OggRangeSource* oggOver(const OggBytes& ogg, u64 from, u64 to, u32 chunk = 0xFFFFFFFF) {
    OggRangeSource* s = new OggRangeSource(0, OggBytes::headerLength, from, to);
    s->setInner(new MemorySource(ogg.bytes, chunk));
    return s;
}
}  // namespace

TEST(OggRangeSource, HeadersFirstThenTheNextPage) {
    const u64 from = 200;
    // The pattern spans the end of the first 4096-byte chunk the search reads.
    OggBytes ogg(12000, from + OggRangeSource::searchChunk - 2);
    for (u32 chunk : {0xFFFFFFFFu, 1000u}) {
        SCOPED_TRACE(chunk);
        std::unique_ptr<OggRangeSource> s(oggOver(ogg, from, 9000, chunk));
        EXPECT_TRUE(s->atStart());
        std::vector<u8> first = readAll(*s, 777);
        EXPECT_EQ(first, ogg.headerThen(ogg.page, 9000));
        EXPECT_TRUE(s->atEnd());
        EXPECT_EQ(s->position(), 9000u);

        // A rewind delivers the header pages again before the data.
        ASSERT_TRUE(s->rewind());
        EXPECT_TRUE(s->atStart());
        EXPECT_EQ(readAll(*s, 64), first);
    }
}

TEST(OggRangeSource, WhereTheRangeStarts) {
    OggBytes ogg(6000, 3000);
    struct Case {
        u64 from;
        std::vector<u8> expected;
    } cases[] = {
        // Inside the header pages: on right after them, no search.
        {40, ogg.headerThen(OggBytes::headerLength, 6000)},
        {OggBytes::headerLength, ogg.headerThen(OggBytes::headerLength, 6000)},
        // On a page: from there.
        {3000, ogg.headerThen(3000, 6000)},
        // No page after the start: the headers and nothing else.
        {3001, ogg.headerThen(6000, 6000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        std::unique_ptr<OggRangeSource> s(oggOver(ogg, c.from, 6000));
        EXPECT_EQ(readAll(*s, 4096), c.expected);
        // A seek starts the same way over a new range.
        ASSERT_TRUE(s->seek(c.from, 6000 - c.from));
        EXPECT_EQ(readAll(*s, 50), c.expected);
    }
}

TEST(OggRangeSource, HeaderLengthOfAStream) {
    // Pages: two header pages (granule 0), then one of sound.
    auto page = [](u64 granule, u32 body) {
        std::string p("OggS", 4);
        p += std::string(2, '\0');
        p.append(reinterpret_cast<const char*>(&granule), 8);
        p += std::string(12, '\0');
        p += (char)1;
        p += (char)body;
        p += std::string(body, 'b');
        return p;
    };
    std::string stream = page(0, 30) + page(0, 200) + page(4410, 100);
    TempDir dir;
    dir.write("s.ogg", "lead" + stream);
    GFile file;
    ASSERT_TRUE(fileOpen(file, dir.file("s.ogg").c_str(), FileMode::Read));
    EXPECT_EQ(oggHeaderLength(file, 4, 4 + stream.size()), 28u + 30 + 28 + 200);
    EXPECT_EQ(oggHeaderLength(file, 0, 4 + stream.size()), 0u);  // no page there
}

TEST(StoreRangeSource, DeliversThePlaybackFormat) {
    StoreFixture f(4000, 44, 4);
    std::vector<u8> data = f.sound();
    WAVEFORMATEX stereo16 = pcmFormat(2, 44100, 16), mono8 = pcmFormat(1, 8000, 8);
    std::vector<u8> own = ownBlockBytes(2);  // left and right tracks: a plain copy

    auto widened = [&](u64 from, u64 to) {
        std::vector<u8> v;
        for (u64 i = from; i < to; ++i) {
            i16 s = (i16)((data[i] - 128) << 8);
            v.insert(v.end(), reinterpret_cast<u8*>(&s), reinterpret_cast<u8*>(&s) + 2);
        }
        return v;
    };
    struct Case {
        const char* name;
        const WAVEFORMATEX* format;
        u64 from, to;
        std::vector<u8> expected;
        u64 endPosition;
    } cases[] = {
        {"pcm16", &stereo16, 400, 1200, std::vector<u8>(data.begin() + 400, data.begin() + 1200), 1200},
        {"partial frame", &stereo16, 400, 1203, std::vector<u8>(data.begin() + 400, data.begin() + 1200), 1203},
        {"pcm8", &mono8, 11, 2011, widened(11, 2011), 2011},
        {"own", wave(own), 0, 4000, data, 4000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoreRangeSource s(&f.store, c.format, c.from, c.to, &f.handler);
        ASSERT_NE(s.format(), nullptr);
        EXPECT_EQ(s.format()->wBitsPerSample, 16);
        EXPECT_EQ(readAll(s, 1001), c.expected);
        EXPECT_TRUE(s.atEnd());
        EXPECT_EQ(s.position(), c.endPosition);
        ASSERT_TRUE(s.rewind());
        EXPECT_EQ(readAll(s, 4096), c.expected);
    }
    EXPECT_TRUE(f.handler.reports.empty());
}

// The three kinds of playback source over one window: a read asking past it delivers only the
// whole frames left and says how many; a rewind after the end makes the source readable again.
TEST(PlaybackSources, ReadsPastTheWindowAndRewindAfterTheEnd) {
    StoreFixture f(4000, 44);
    std::vector<u8> data = f.sound();
    std::vector<u8> own = ownBlockBytes(2, encodingFloat);  // 8-byte frames, mixed to 4-byte ones
    std::vector<u8> ownInt = ownBlockBytes(2);               // 4-byte frames
    struct Case {
        const char* name;
        std::function<SoundSource*()> make;
        u32 delivered;  // bytes a read of 4096 gives over the window [8, 811)
    } cases[] = {
        {"raw file window",
         [&] {
             auto* s = new FileRangeSource(8, 811, &f.handler, f.header);
             EXPECT_TRUE(s->open(f.sourcePath.c_str()));
             return s;
         },
         803},
        {"own file, float",
         [&] {
             auto* s = new OwnFileRangeSource(wave(own), 8, 811, &f.handler, f.header);
             EXPECT_TRUE(s->open(f.sourcePath.c_str()));
             return s;
         },
         100 * 4},
        {"own file, 16-bit",
         [&] {
             auto* s = new OwnFileRangeSource(wave(ownInt), 8, 811, &f.handler, f.header);
             EXPECT_TRUE(s->open(f.sourcePath.c_str()));
             return s;
         },
         200 * 4},
        {"store, float", [&] { return new StoreRangeSource(&f.store, wave(own), 8, 811, &f.handler); }, 100 * 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<SoundSource> s(c.make());
        std::vector<u8> first(4096, 0xEE);
        u32 n = (u32)first.size();
        ASSERT_TRUE(s->read(first.data(), &n));
        EXPECT_EQ(n, c.delivered);
        // Nothing is left but a part of a frame: no bytes, the buffer stays as it was, and the end
        // is reached.
        std::vector<u8> more(64, 0xEE);
        u32 m = (u32)more.size();
        s->read(more.data(), &m);
        EXPECT_EQ(m, 0u);
        EXPECT_EQ(more, std::vector<u8>(64, 0xEE));
        EXPECT_TRUE(s->atEnd());

        ASSERT_TRUE(s->rewind());
        EXPECT_FALSE(s->atEnd());
        EXPECT_TRUE(s->atStart());
        std::vector<u8> again(4096, 0xEE);
        n = (u32)again.size();
        ASSERT_TRUE(s->read(again.data(), &n));
        EXPECT_EQ(n, c.delivered);
        EXPECT_EQ(again, first);
    }
    // The raw window is the file's bytes.
    FileRangeSource raw(8, 811, &f.handler, f.header);
    ASSERT_TRUE(raw.open(f.sourcePath.c_str()));
    EXPECT_EQ(readAll(raw, 100), std::vector<u8>(data.begin() + 8, data.begin() + 811));
    EXPECT_TRUE(f.handler.reports.empty());
}
