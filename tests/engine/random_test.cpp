#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "engine/random.h"

namespace {
// Restores the shared state a test changed, so that tests do not depend on their order.
class RandomStateGuard {
public:
    RandomStateGuard() : saved(randomState()) { setRandomState(0); }
    ~RandomStateGuard() { setRandomState(saved); }

private:
    u64 saved;
};
}  // namespace

TEST(Random, FirstDrawsFromStateZero) {
    RandomStateGuard guard;
    // With the widest span every drawn 32 bits come out as they are.
    const u32 drawn[] = {0x361962E9, 0x7AB1B460, 0xE02A3A40, 0x23FF8062, 0xE18F2AD4, 0xA957F9E2};
    EXPECT_EQ(drawn[0], randomBelow(0, 0xFFFFFFFF));
    EXPECT_EQ(0x361962E9361962E9ull, randomState());
    for (size_t i = 1; i < sizeof drawn / sizeof drawn[0]; ++i) EXPECT_EQ(drawn[i], randomBelow(0, 0xFFFFFFFF)) << i;
}

TEST(Random, RandomBelowSequencesFromStateZero) {
    struct Case {
        u32 lo, hi;
        std::vector<u32> values;
        u64 stateAfter;  // tells how many steps the calls took, rejected draws included
    } cases[] = {
        // Span 4 is a power of two: the mask 3 never gives 14.
        {10, 14, {11, 10, 10, 12, 10, 12, 13, 11, 12, 10, 13, 10}, 0x653A4FBC1DB6D0B4ull},
        // Span 3 has the same mask and reaches 13.
        {10, 13, {11, 10, 10, 12, 10, 12, 13, 11, 12, 10, 13, 10}, 0x653A4FBC1DB6D0B4ull},
        // Span 5: mask 7, draws of 6 and 7 rejected (19 steps for 12 values).
        {20, 25, {21, 20, 20, 22, 24, 22, 21, 24, 24, 21, 24, 23}, 0x7681272B6A9649E7ull},
        {100, 101, {101, 100, 100, 100, 100, 100}, 0xA957F9E26F572712ull},
        {1000, 3000, {1745, 2120, 1576, 1098, 1724, 1482}, 0xA957F9E26F572712ull},
        // A span above 2^31 takes the mask of 2^32 (10 steps for 6 values).
        {5, 0x8000000A, {907633390, 2058466405, 603947111, 1571856950, 782741531, 167829857}, 0x0A00E15CCB3EA8EEull},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lo << ".." << c.hi);
        RandomStateGuard guard;
        std::vector<u32> values;
        for (size_t i = 0; i < c.values.size(); ++i) values.push_back(randomBelow(c.lo, c.hi));
        EXPECT_EQ(c.values, values);
        EXPECT_EQ(c.stateAfter, randomState());
    }
}

TEST(Random, RandomBelowKeepsWithinItsBounds) {
    RandomStateGuard guard;
    std::vector<int> seen(16, 0);
    for (int i = 0; i < 2000; ++i) ++seen[randomBelow(10, 14)];
    EXPECT_EQ(0, seen[14]);
    for (u32 v = 10; v < 14; ++v) EXPECT_GT(seen[v], 0) << v;
    std::fill(seen.begin(), seen.end(), 0);
    for (int i = 0; i < 2000; ++i) ++seen[randomBelow(10, 13)];
    for (u32 v = 10; v <= 13; ++v) EXPECT_GT(seen[v], 0) << v;
    EXPECT_EQ(0, seen[9] + seen[14]);
}

TEST(Random, RandomInRangeDrawsAndBothBounds) {
    RandomStateGuard guard;
    EXPECT_EQ(-0.5773502694390134, randomInRange(-1.0, 1.0));
    EXPECT_EQ(-0.041451886073092914, randomInRange(-1.0, 1.0));
    EXPECT_EQ(0.7512886826301199, randomInRange(-1.0, 1.0));
    EXPECT_EQ(-0.7187652130887763, randomInRange(-1.0, 1.0));
    EXPECT_EQ(0x23FF8062F77845FCull, randomState());
    // States whose next drawn 32 bits are 0 and 0xFFFFFFFF give the bounds exactly.
    setRandomState(0x90F1B2BBF52E1F6Bull);
    EXPECT_EQ(2.0, randomInRange(2.0, 5.0));
    setRandomState(0xC424E5EEF52E1F6Bull);
    EXPECT_EQ(5.0, randomInRange(2.0, 5.0));
}

TEST(Random, EmptyRangesReturnTheFirstBoundWithoutAStep) {
    RandomStateGuard guard;
    setRandomState(12345);
    EXPECT_EQ(5u, randomBelow(5, 5));
    EXPECT_EQ(7u, randomBelow(7, 3));
    EXPECT_EQ(2.0, randomInRange(2.0, 2.0));
    EXPECT_EQ(3.0, randomInRange(3.0, 1.0));
    EXPECT_EQ(4.0, randomInRange(4.0, std::nan("")));
    EXPECT_EQ(12345u, randomState());
}

TEST(Random, CallerHeldStateFollowsTheSameRules) {
    RandomStateGuard guard;
    u64 state = 0;
    EXPECT_EQ(21u, randomBelow(&state, 20, 25));
    EXPECT_EQ(0x361962E9361962E9ull, state);
    EXPECT_EQ(0u, randomState());  // the shared state is not touched
    u64 shared = 0;
    setRandomState(shared);
    EXPECT_EQ(randomInRange(-1.0, 1.0), randomInRange(&shared, -1.0, 1.0));
    EXPECT_EQ(shared, randomState());
}

// Jobs drawing at once: no step is lost or torn and no call's steps are split (the span rejects
// some draws), so together they drew exactly the values one job would have drawn alone.
TEST(Random, DrawsFromSeveralThreadsShareOneSequence) {
    RandomStateGuard guard;
    const int threads = 4, calls = 20000;
    std::vector<u32> alone;
    for (int i = 0; i < threads * calls; ++i) alone.push_back(randomBelow(0, 1000000));
    const u64 end = randomState();

    setRandomState(0);
    std::vector<std::vector<u32>> drawn(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&drawn, t] {
            for (int i = 0; i < calls; ++i) drawn[t].push_back(randomBelow(0, 1000000));
        });
    }
    for (std::thread& w : workers) w.join();
    std::vector<u32> together;
    for (auto& d : drawn) together.insert(together.end(), d.begin(), d.end());
    std::sort(alone.begin(), alone.end());
    std::sort(together.begin(), together.end());
    EXPECT_EQ(alone, together);
    EXPECT_EQ(end, randomState());
}
