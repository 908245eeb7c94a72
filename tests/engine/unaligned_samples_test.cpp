#include <gtest/gtest.h>

#include <vector>

#include "engine/processor.h"
#include "tests/engine/engine_fixture.h"

namespace {

struct SlotRun {
    Slot slot;
    f64 param;
    std::vector<u8> mask;
};

// Runs the slot over frames [1000, 9000) of 10000 stereo frames whose data starts at `header`, with
// edges of 50 frames, and gives the resulting samples.
std::vector<f64> resultAt(u32 encoding, u64 header, const SlotRun& run) {
    std::vector<f64> input(20000);
    for (size_t i = 0; i < input.size(); ++i) input[i] = (f64)((i * 7919) % 30001) - 15000.0;
    TestSound s(encoding, 2, input, header);
    s.select(run.mask);
    auto p = bindProcessor(s, 1000, 9000, 50);
    p->param1 = run.param;
    p->periodFrames = 300;
    p->runSlot(run.slot);
    return s.samples();
}
}  // namespace

// Page buffers keep file positions modulo 4096, so a data offset that is not a multiple of the
// sample size puts every sample off its natural alignment: each walk gives the same samples there
// as at offset 44.
TEST(UnalignedSamples, EveryWalkGivesTheSameResultsAtAnyDataOffset) {
    const std::vector<u8> both = {1, 1}, left = {1, 0};
    const SlotRun runs[] = {
        {Slot::amplify, 0.5, both},     {Slot::amplify, 0.5, left},        {Slot::changeMaxVolume, 20000, both},
        {Slot::center, 0, left},        {Slot::mirror, 0, both},           {Slot::mirror, 0, left},
        {Slot::fading, 0, both},        {Slot::crossfading, 0, left},      {Slot::pulsation, 0.5, both},
    };
    for (u32 encoding : allEncodings) {
        for (const SlotRun& run : runs) {
            SCOPED_TRACE(testing::Message() << encodingName(encoding) << ", slot " << (u32)run.slot);
            const std::vector<f64> aligned = resultAt(encoding, 44, run);
            for (u64 header : {45u, 46u}) EXPECT_EQ(aligned, resultAt(encoding, header, run)) << "offset " << header;
        }
    }
}
