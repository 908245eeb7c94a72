#pragma once
// A sound store over a source file of the test's own, with helpers to look at its segments and bytes.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "mm/sound_store.h"
#include "tests/support/test_support.h"

// Deterministic bytes that do not repeat with a period of 4096 or of any frame size in use.
inline u8 patternByte(u64 i, u32 seed = 0) { return (u8)((i * 131 + (i >> 9) * 7 + seed * 97 + 11) & 0xFF); }

inline std::vector<u8> patternBytes(u64 n, u32 seed, u64 from = 0) {
    std::vector<u8> v((size_t)n);
    for (u64 i = 0; i < n; ++i) v[(size_t)i] = patternByte(from + i, seed);
    return v;
}

class StoreFixture {
public:
    // A source file holding `header` bytes, then `size` data bytes of the pattern with seed 1.
    StoreFixture(u64 size, u64 header = 44, u32 frameSize = 1) : header(header) {
        std::string bytes((size_t)header, 'H');
        std::vector<u8> data = patternBytes(size, 1);
        bytes.append(data.begin(), data.end());
        dir.write("source.raw", bytes);
        sourcePath = dir.file("source.raw");
        StoreSource source;
        source.dataOffset = header;
        source.size = size;
        source.frameSize = frameSize;
        EXPECT_TRUE(store.open(sourcePath.c_str(), source, &handler));
        EXPECT_TRUE(store.lock(&handler));
    }
    ~StoreFixture() { store.unlock(); }

    std::vector<u8> sound() {
        std::vector<u8> v((size_t)store.length);
        EXPECT_TRUE(store.readRange(store.findSegment(store.dataOffset), store.length, v.data()));
        return v;
    }
    std::vector<u8> read(u64 pos, u64 n) {
        std::vector<u8> v((size_t)n);
        store.readRange(store.findSegment(pos), n, v.data());
        return v;
    }
    void write(const SegmentCursor& at, const std::vector<u8>& bytes) {
        EXPECT_TRUE(store.writeRange(at, bytes.size(), bytes.data()));
    }

    TempDir dir;
    std::string sourcePath;
    RecordingHandler handler;
    SoundStore store;
    u64 header;
};

typedef std::vector<std::pair<i64, i64>> SegmentLayout;

inline SegmentLayout layoutOf(const SegmentList& list) {
    SegmentLayout layout;
    for (StoreSegment* s = list.head; s; s = s->next) layout.emplace_back(s->start, s->end);
    return layout;
}

// The list's links agree both ways, no segment is empty, the lengths add up to the store's length,
// and no two neighbours could have been merged.
inline void expectSoundList(const SoundStore& store) {
    u64 total = 0;
    StoreSegment* previous = nullptr;
    for (StoreSegment* s = store.segments.head; s; s = s->next) {
        ASSERT_EQ(s->previous, previous);
        ASSERT_LT(s->start, s->end);
        if (previous) {
            ASSERT_FALSE(previous->end == s->start && s->start != 0) << "unmerged at " << s->start;
        }
        total += s->length();
        previous = s;
    }
    ASSERT_EQ(store.segments.tail, previous);
    ASSERT_EQ(total, store.length);
}
