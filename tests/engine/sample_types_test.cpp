#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/gain_sse2.h"
#include "engine/sample_types.h"

namespace {
const f64 notANumber = std::numeric_limits<f64>::quiet_NaN();
const f64 infinity = std::numeric_limits<f64>::infinity();

// A value and what each store makes of it.
struct StoreCase {
    f64 x;
    i16 rounded16;
    bool clipped16;
    i16 truncated16;
    i32 rounded32;
    i32 truncated32;
    f64 roundedFloat;  // also the rounded double
    f64 truncatedDouble;
};

const StoreCase storeCases[] = {
    {2.5, 3, false, 2, 3, 2, 3.0, 2.5},
    {-2.5, -2, false, -2, -2, -2, -2.0, -2.5},
    {-2.7, -3, false, -2, -3, -2, -3.0, -2.7},
    {0.4, 0, false, 0, 0, 0, 0.0, 0.4},
    {32767.0, 32767, false, 32767, 32767, 32767, 32767.0, 32767.0},
    {32767.2, 32767, true, 32767, 32767, 32767, 32767.0, 32767.2},
    {32767.5, 32767, true, 32767, 32768, 32767, 32768.0, 32767.5},
    {-32767.5, -32767, true, -32767, -32767, -32767, -32767.0, -32767.5},
    {-32768.0, -32767, true, -32768, -32768, -32768, -32768.0, -32768.0},
    {-40000.0, -32767, true, 25536, -40000, -40000, -40000.0, -40000.0},
    {40000.7, 32767, true, -25536, 40001, 40000, 40001.0, 40000.7},
    {-70000.9, -32767, true, -4464, -70001, -70000, -70001.0, -70000.9},
    // Beyond 32 bits: the low 16 bits of the whole number, and the 32-bit limits.
    {4294967301.0, 32767, true, 5, 2147483647, 2147483647, 4294967301.0, 4294967301.0},
    {-3.0e9, -32767, true, (i16)(u16)((u64)(i64)-3000000000LL & 0xFFFF), (-2147483647 - 1), (-2147483647 - 1),
     -3.0e9, -3.0e9},
    {2147483647.2, 32767, true, -1, 2147483647, 2147483647, 2147483647.0, 2147483647.2},
    {-2147483648.6, -32767, true, 0, (-2147483647 - 1), (-2147483647 - 1), -2147483649.0, -2147483648.6},
    {1e300, 32767, true, 0, 2147483647, 2147483647, 1e300, 1e300},
    {infinity, 32767, true, 0, 2147483647, 2147483647, infinity, infinity},
    {notANumber, 0, true, 0, 0, 0, notANumber, notANumber},
};

void expectSame(f64 expected, f64 actual, const char* what) {
    if (std::isnan(expected)) EXPECT_TRUE(std::isnan(actual)) << what;
    else EXPECT_EQ(expected, actual) << what;
}
}  // namespace

TEST(SampleStores, RoundedAndTruncatedStoresOfEachType) {
    for (const StoreCase& c : storeCases) {
        SCOPED_TRACE(testing::Message() << "x = " << c.x);
        i16 s16 = 1;
        u32 flags = 0;
        storeSampleInt16(c.x, &s16, &flags);
        EXPECT_EQ(c.rounded16, s16);
        EXPECT_EQ(c.clipped16 ? clippedFlag : 0u, flags);
        EXPECT_EQ(c.truncated16, SampleInt16::truncated(c.x));

        i32 s32 = 1;
        storeSampleInt32(c.x, &s32);
        EXPECT_EQ(c.rounded32, s32);
        EXPECT_EQ(c.truncated32, SampleInt32::truncated(c.x));

        f32 sf = 1;
        storeSampleFloat(c.x, &sf);
        expectSame((f64)(f32)c.roundedFloat, sf, "rounded float");
        expectSame((f64)(f32)c.truncatedDouble, SampleFloat::truncated(c.x), "truncated float");

        f64 sd = 1;
        storeSampleDouble(c.x, &sd);
        expectSame(c.roundedFloat, sd, "rounded double");
        expectSame(c.truncatedDouble, SampleDouble::truncated(c.x), "truncated double");
    }
}

TEST(SampleStores, FloorIsExactAcrossTheDoubleRange) {
    const f64 cases[] = {0.0,  0.5,   -0.5,  0.49999999999999994, -1e-300, 1.5, -1.5, 4503599627370495.5,
                         -4503599627370495.5, 4503599627370497.0, -9007199254740993.0, 123456789.99999, 1e308};
    for (f64 y : cases) EXPECT_EQ(std::floor(y), floorExact(y)) << y;
}

TEST(SampleStores, NegationKeepsTheWidthOfTheType) {
    EXPECT_EQ(-32768, SampleInt16::negate(-32768));
    EXPECT_EQ(-32767, SampleInt16::negate(32767));
    EXPECT_EQ(-2147483647 - 1, SampleInt32::negate(-2147483647 - 1));
    EXPECT_EQ(5, SampleInt32::negate(-5));
    EXPECT_EQ(32768, SampleInt16::magnitude(-32768));
    EXPECT_EQ(2147483648LL, SampleInt32::magnitude(-2147483647 - 1));
}

// The four-at-a-time gain gives the rounded store of every 16-bit value exactly, clips included.
TEST(SampleStores, BlockGainMatchesTheRulePerSample) {
    std::vector<i16> all;
    for (i32 v = -32768; v <= 32767; ++v) all.push_back((i16)v);
    all.push_back(5);  // a length that leaves a remainder
    const f64 factors[] = {0.5, 2.0, -1.0, 0.999, 1.0000153, 1.5, 3e-5, 0.0, -0.5, notANumber, infinity};
    for (f64 g : factors) {
        SCOPED_TRACE(g);
        std::vector<i16> block(all.size()), single(all.size());
        u32 blockFlags = 0, singleFlags = 0;
        gainInt16Block(all.data(), block.data(), all.size(), g, &blockFlags);
        for (size_t i = 0; i < all.size(); ++i) storeSampleInt16(all[i] * g, &single[i], &singleFlags);
        EXPECT_EQ(single, block);
        EXPECT_EQ(singleFlags, blockFlags);
    }
}
