#include <gtest/gtest.h>

#include <cmath>

#include "core/exceptions.h"
#include "gui/controls/geometric_scale.h"

TEST(GeometricScale, BandCounts) {
    struct Case {
        f64 start, end, factor;
        u32 count;
    } cases[] = {
        {50, 20000, 2.0, 9},  // 50 x 2^9 = 25600 is the first not below 20000
        {50, 25600, 2.0, 9},  // reaching the end exactly counts
        {50, 51, 2.0, 1},
        {100, 100, 2.0, 0},
        {200, 100, 2.0, 0},
        {NAN, 100, 2.0, 0},
        // A factor that cannot reach the end, or a start that cannot grow, gives no bands.
        {50, 20000, 1.0, 0},
        {50, 20000, 0.5, 0},
        {50, 20000, NAN, 0},
        {0, 20000, 2.0, 0},
        {-50, 20000, 2.0, 0},
    };
    for (const Case& c : cases) {
        GeometricScale scale;
        scale.set(c.start, c.end, c.factor);
        EXPECT_EQ(scale.count(), c.count) << c.start << " " << c.end << " " << c.factor;
        EXPECT_EQ(scale.values.data == nullptr, c.count == 0);
    }
    // set clears the values even when the count stays.
    GeometricScale scale;
    scale.set(50, 20000, 2.0);
    scale.values.data[3] = 7;
    scale.set(60, 20000, 2.0);
    EXPECT_EQ(scale.values.data[3], 0u);
}

TEST(GeometricScale, RoundTripAndTruncatedBags) {
    GeometricScale scale;
    scale.set(50, 20000, 2.0);
    for (u32 i = 0; i < scale.count(); ++i) scale.values.data[i] = 100 + i;
    GBag bag;
    scale.write(bag);
    EXPECT_EQ(bag.size, 3 * 8 + 4 + 9 * 4u);

    GeometricScale back;
    bag.pos = 0;
    back.read(bag);
    EXPECT_EQ(bag.pos, bag.size);
    EXPECT_EQ(back.start, 50.0);
    EXPECT_EQ(back.end, 20000.0);
    EXPECT_EQ(back.factor, 2.0);
    ASSERT_EQ(back.count(), 9u);
    for (u32 i = 0; i < 9; ++i) EXPECT_EQ(back.values.data[i], 100 + i);

    // Every shorter bag, and one whose count claims more than it holds, throws and keeps the old scale.
    GeometricScale kept;
    kept.set(1000, 1500, 1.5);
    kept.values.data[0] = 42;
    for (u32 size = 0; size < bag.size; ++size) {
        GBag cut;
        bagWriteBytes(cut, bag.data, size);
        cut.pos = 0;
        EXPECT_THROW(kept.read(cut), GBagException) << size;
        EXPECT_EQ(kept.start, 1000.0);
        EXPECT_EQ(kept.factor, 1.5);
        ASSERT_EQ(kept.count(), 1u);
        EXPECT_EQ(kept.values.data[0], 42u);
    }
    GBag lying;
    bagWriteF64(lying, 1);
    bagWriteF64(lying, 2);
    bagWriteF64(lying, 3);
    bagWriteU32(lying, 0x40000000);
    bagWriteU32(lying, 5);
    lying.pos = 0;
    EXPECT_THROW(kept.read(lying), GBagException);
    EXPECT_EQ(kept.count(), 1u);
}
