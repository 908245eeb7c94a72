// The cached reader: hits inside what the last fill delivered, refills, short fills near the end,
// growth for large reads and the ends of the source.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/block_data_source.h"

namespace {
struct Bytes {
    std::vector<u8> data;
    explicit Bytes(u32 n) : data(n) {
        for (u32 i = 0; i < n; ++i) data[i] = (u8)(i * 7 + i / 256);
    }
};
}  // namespace

TEST(BlockDataSource, ReadsInsideTheCachedWindowFillOnce) {
    Bytes b(10000);
    MemoryDataSource source(b.data.data(), b.data.size());
    const u8* p = source.readAt(100, 16);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(0, memcmp(p, &b.data[100], 16));
    EXPECT_EQ(source.bytesFilled, 4096u);
    p = source.readAt(110, 16);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(0, memcmp(p, &b.data[110], 16));
    EXPECT_EQ(source.fills, 1u);
    // Ending past the window refills from the new position.
    p = source.readAt(100 + 4090, 16);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(0, memcmp(p, &b.data[4190], 16));
    EXPECT_EQ(source.fills, 2u);
    // Before the window refills too.
    p = source.readAt(50, 4);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(0, memcmp(p, &b.data[50], 4));
    EXPECT_EQ(source.fills, 3u);
}

TEST(BlockDataSource, EndOfTheSource) {
    Bytes b(1000);
    MemoryDataSource source(b.data.data(), b.data.size());
    // Near the end only the bytes left are filled.
    const u8* p = source.readAt(900, 16);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(source.bytesFilled, 100u);
    EXPECT_EQ(0, memcmp(p, &b.data[900], 16));
    // The last byte is a hit of that short fill.
    p = source.readAt(999, 1);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(*p, b.data[999]);
    EXPECT_EQ(source.fills, 1u);
    // One past it, or a range passing it, is null without a fill (no underflowed count).
    EXPECT_EQ(source.readAt(1000, 1), nullptr);
    EXPECT_EQ(source.readAt(~0ull, 1), nullptr);
    EXPECT_EQ(source.readAt(995, 16), nullptr);
    EXPECT_EQ(source.readAt(0, 0), nullptr);
    EXPECT_EQ(source.fills, 1u);
}

TEST(BlockDataSource, HitsOnlyWhatTheLastFillDelivered) {
    // A short fill of 10 bytes at 990: the buffer beyond them holds nothing of the source.
    Bytes b(1000);
    MemoryDataSource source(b.data.data(), 1000);
    ASSERT_NE(source.readAt(990, 4), nullptr);
    EXPECT_EQ(source.bytesFilled, 10u);
    const u8* p = source.readAt(992, 8);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(0, memcmp(p, &b.data[992], 8));
    EXPECT_EQ(source.readAt(995, 16), nullptr);
    EXPECT_EQ(source.fills, 1u);
}

TEST(BlockDataSource, LargeReadsGrowTheBuffer) {
    Bytes b(20000);
    MemoryDataSource source(b.data.data(), b.data.size(), false, 512);
    const u8* p = source.readAt(10, 5000);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(source.capacity(), 5000u);
    EXPECT_EQ(0, memcmp(p, &b.data[10], 5000));
    // Smaller reads keep the larger buffer.
    ASSERT_NE(source.readAt(15000, 16), nullptr);
    EXPECT_EQ(source.capacity(), 5000u);
    EXPECT_EQ(source.bytesFilled, 10000u);
}

TEST(BlockDataSource, FailedFillAndReset) {
    struct Failing : BlockDataSource {
        bool fail = true;
        u64 length = 100;
        u64 sourceSize() override { return length; }
        bool fill(u64, u32 count, u8* buffer) override {
            memset(buffer, 0xAB, count);
            return !fail;
        }
    } source;
    source.reset();
    EXPECT_EQ(source.readAt(0, 4), nullptr);
    // The failed fill is no cache.
    source.fail = false;
    const u8* p = source.readAt(0, 4);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[3], 0xAB);
    // A reset takes the new size.
    source.length = 2;
    source.reset();
    EXPECT_EQ(source.size(), 2u);
    EXPECT_EQ(source.readAt(0, 4), nullptr);
}
