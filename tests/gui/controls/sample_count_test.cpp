#include <gtest/gtest.h>

#include <stdexcept>

#include "core/exceptions.h"
#include "gui/controls/sample_count.h"

namespace {
const SampleCountRange anyLength{0, 0, 10000000, -1};
}

TEST(SampleCount, TimeAndSamples) {
    SampleCountRecord record{44100, 44100};
    SampleCountParts parts(&record, anyLength, 44100);
    EXPECT_EQ(parts.ms, 1000u);
    EXPECT_EQ(parts.msMaximum, 226757u);  // 10000000 x 1000 / 44100, truncated
    EXPECT_TRUE(parts.timeChanged(1500));
    EXPECT_EQ(parts.count, 66150u);
    EXPECT_TRUE(parts.samplesChanged(22051));
    EXPECT_EQ(parts.ms, 500u) << "truncated toward zero";

    // A rate change keeps the time; the count follows.
    EXPECT_TRUE(parts.timeChanged(1000));
    parts.setSampleRate(48000);
    EXPECT_EQ(parts.ms, 1000u);
    EXPECT_EQ(parts.count, 48000u);

    // Out of range while typing converts nothing.
    SampleCountParts narrow(&record, {0, 100, 44100, -1}, 44100);
    EXPECT_FALSE(narrow.samplesChanged(44101));
    EXPECT_FALSE(narrow.timeChanged(1001));
    EXPECT_EQ(narrow.count, 44100u);
    EXPECT_EQ(narrow.ms, 1000u);

    // Large counts at low rates stay inside the u32 range instead of wrapping.
    EXPECT_EQ(samplesToMs(0xFFFFFFFFu, 1000), 0xFFFFFFFFu);
    EXPECT_EQ(msToSamples(0xFFFFFFFFu, 1000000), 0xFFFFFFFFu);
}

TEST(SampleCount, RecordsTakenAtAnotherRate) {
    // A record taken at 22050 opens at 44100 as 44100 samples; the store keeps the field's rate with
    // the count, so the next opening does not rescale again.
    SampleCountRecord record{22050, 22050};
    for (int opening = 0; opening < 3; ++opening) {
        SampleCountParts parts(&record, anyLength, 44100);
        EXPECT_EQ(parts.count, 44100u) << opening;
        parts.check();
        parts.commit();
        EXPECT_EQ(record.rate, 44100u);
    }
    // The second factory keeps the count as it is.
    SampleCountRecord other{22050, 22050};
    EXPECT_EQ(SampleCountParts(&other, anyLength, 44100, false).count, 22050u);
    // A record of no known rate is taken at the field's rate.
    SampleCountRecord unknown{1000, 0};
    EXPECT_EQ(SampleCountParts(&unknown, anyLength, 44100).count, 1000u);

    // A rate of 0 has no conversion.
    EXPECT_THROW(SampleCountParts(&record, anyLength, 0), std::invalid_argument);
    SampleCountParts parts(&record, anyLength, 44100);
    EXPECT_THROW(parts.setSampleRate(0), std::invalid_argument);
    EXPECT_EQ(parts.rate, 44100u);
}

TEST(SampleCount, CheckRefusesOutOfRange) {
    SampleCountRecord record{50, 44100};
    SampleCountParts parts(&record, {0, 100, 1000, -1}, 44100);
    EXPECT_THROW(parts.check(), GVerifyException);
    EXPECT_TRUE(parts.samplesChanged(100));
    EXPECT_NO_THROW(parts.check());
    parts.commit();
    EXPECT_EQ(record.count, 100u);
}
