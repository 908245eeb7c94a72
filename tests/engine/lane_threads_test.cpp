#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "engine/lane_threads.h"

// Every lane runs once per round, each always on the same thread, for any number of lanes.
TEST(LaneThreads, EachLaneOncePerRoundOnItsOwnThread) {
    for (u32 lanes : {1u, 2u, 3u, 5u, 16u}) {
        LaneThreads threads(lanes);
        EXPECT_GE(threads.threads(), 1u);
        EXPECT_LE(threads.threads(), lanes);
        std::vector<std::thread::id> owner(lanes);
        std::vector<std::atomic<u32>> runs(lanes);
        for (u32 round = 0; round < 50; ++round) {
            threads.run(lanes, [&](u32 i) {
                if (round == 0) owner[i] = std::this_thread::get_id();
                else EXPECT_EQ(owner[i], std::this_thread::get_id()) << lanes << " lanes, lane " << i;
                ++runs[i];
            });
            for (u32 i = 0; i < lanes; ++i) ASSERT_EQ(round + 1, runs[i].load()) << lanes << " lanes, lane " << i;
        }
    }
}

// A lane's exception reaches the caller of run, whichever thread threw it, and the threads go on.
// (With fewer cores than lanes some lanes share a thread; a throw ends that thread's round.)
TEST(LaneThreads, ExceptionsReachTheCaller) {
    LaneThreads threads(4);
    for (u32 failing = 0; failing < 4; ++failing) {
        std::atomic<u32> done{0};
        EXPECT_THROW(threads.run(4, [&](u32 i) {
            if (i == failing) throw std::runtime_error("lane");
            ++done;
        }), std::runtime_error) << failing;
        EXPECT_LE(done.load(), 3u);  // lanes after the failing one on its thread may not run
    }
    std::atomic<u32> done{0};
    threads.run(4, [&](u32) { ++done; });
    EXPECT_EQ(4u, done.load());
}
