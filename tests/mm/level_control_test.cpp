#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "mm/level_control.h"
#include "tests/mm/fake_wave_out.h"

TEST(LevelControl, GainIsTenToTheDecibelsOverTen) {
    struct Case {
        i32 gainDb;
        f64 gain;
    } cases[] = {{0, 1.0}, {10, 10.0}, {-10, 0.1}, {3, 1.9952623149688795}, {-20, 0.01}};
    LevelControl level;
    for (const Case& c : cases) {
        level.setLevels(c.gainDb, 0);
        EXPECT_NEAR(level.gain, c.gain, 1e-12) << c.gainDb;
    }
    TestEntry entry;
    entry.adjust1 = 10;
    entry.adjust2 = -10;
    level.reset(&entry);
    EXPECT_DOUBLE_EQ(level.gain, 10.0);
    EXPECT_DOUBLE_EQ(level.limit16(), 3276.7);
    EXPECT_DOUBLE_EQ(level.limit8(), 12.7);
}

TEST(LevelControl, LimiterLowersTheGainForGoodAtTheFirstSampleOverTheLimit) {
    LevelControl level;
    level.setLevels(3, 0);  // gain about 2, limit full scale
    std::vector<i16> s = {1000, -1000, 20000, 1000, -30000, 1000};
    level.limitLevel16(s.data(), (u32)s.size());
    f64 g = level.gain;
    EXPECT_EQ(s[0], (i16)(1000 * 1.9952623149688795));
    EXPECT_EQ(s[1], (i16)(-1000 * 1.9952623149688795));
    EXPECT_EQ(s[2], 32767);
    EXPECT_EQ(s[3], (i16)(1000 * 32767.0 / 20000)) << "later samples keep the lowered gain";
    EXPECT_EQ(s[4], -32767) << "a negative peak lowers it again";
    EXPECT_NEAR(g, 32767.0 / 30000, 1e-12);
    EXPECT_EQ(s[5], (i16)(1000 * g));

    // The lowered gain lasts into the next buffer until the levels are taken again.
    std::vector<i16> next = {1000};
    level.limitLevel16(next.data(), 1);
    EXPECT_EQ(next[0], (i16)(1000 * g));
    level.setLevels(3, 0);
    next[0] = 1000;
    level.limitLevel16(next.data(), 1);
    EXPECT_EQ(next[0], (i16)(1000 * 1.9952623149688795));
}

TEST(LevelControl, LimitAboveFullScaleClipsInsteadOfWrapping) {
    LevelControl level;
    level.setLevels(10, 3);  // gain 10, limit about 2 x full scale
    std::vector<i16> s = {5000, -5000, 100};
    level.limitLevel16(s.data(), 3);
    EXPECT_EQ(s, (std::vector<i16>{32767, -32768, 1000}));
    std::vector<u8> b = {200, 56, 129};
    level.limitLevel8(b.data(), 3);
    EXPECT_EQ(b, (std::vector<u8>{255, 0, (u8)(128 + level.limit8() / 72)})) << "the first byte lowered the gain";
}

TEST(LevelControl, EightBitSamplesAroundTheirCentre) {
    LevelControl level;
    level.setLevels(3, 0);
    // The centre stays put whatever the gain; 200 is 72 above it and passes the limit of 127.
    std::vector<u8> b = {128, 138, 200, 164, 20};
    level.limitLevel8(b.data(), (u32)b.size());
    f64 g = 127.0 / 72;
    EXPECT_EQ(b[0], 128);
    EXPECT_EQ(b[1], (u8)(10 * 1.9952623149688795 + 128));
    EXPECT_EQ(b[2], 255);
    EXPECT_EQ(b[3], (u8)(36 * g + 128));
    EXPECT_EQ(b[4], 1) << "-108 x gain passes -127: held there";

    level.flags = levelUnsigned8;
    std::vector<u8> quiet = {128, 128};
    level.limitBuffer(quiet.data(), 2);
    EXPECT_EQ(quiet, (std::vector<u8>{128, 128}));
}

TEST(LevelControl, ChangesOfTheEntryAreTakenBeforeTheNextBuffer) {
    TestEntry entry;
    entry.adjust1 = 10;
    LevelControl level;
    level.attach(&entry);
    level.reset(&entry);
    std::vector<i16> s = {1000, 5000, 1000};
    level.limitBuffer(s.data(), 6);
    EXPECT_EQ(s, (std::vector<i16>{10000, 32767, 6553})) << "the limiter lowered the gain";

    // A change while a buffer is limited is held back, so the limiter cannot overwrite it.
    entry.adjust1 = -10;
    entry.adjust2 = 3;
    entry.notifyListeners(nullptr, DeviceChange::Level);
    EXPECT_NEAR(level.gain, 32767.0 / 5000, 1e-12);
    entry.adjust1 = 0;
    entry.notifyListeners(nullptr, DeviceChange::Level | DeviceChange::Switches);
    s = {1000, -1000};
    level.limitBuffer(s.data(), 4);
    EXPECT_EQ(s, (std::vector<i16>{1000, -1000})) << "the latest change counts";
    EXPECT_EQ(level.limitDb, 3);

    // A reset drops what was posted.
    level.postLevels(-10, 0);
    level.reset(&entry);
    s = {1000};
    level.limitBuffer(s.data(), 2);
    EXPECT_EQ(s[0], 1000);
    level.attach(nullptr);
}

TEST(LevelControl, FadesRampOverTheWholeBuffer) {
    std::vector<i16> s(4, 1000);
    fadeOut16(s.data(), 8);
    EXPECT_EQ(s, (std::vector<i16>{1000, 750, 500, 250}));
    s.assign(4, -1000);
    fadeIn16(s.data(), 8);
    EXPECT_EQ(s, (std::vector<i16>{0, -250, -500, -750}));
    s.assign(3, 1000);
    fadeOut16(s.data(), 6);
    EXPECT_EQ(s, (std::vector<i16>{1000, 666, 333})) << "truncated";

    std::vector<u8> b = {228, 28, 228, 28};
    fadeOut8(b.data(), 4);
    EXPECT_EQ(b, (std::vector<u8>{228, 53, 178, 103}));
    b.assign(4, 28);
    fadeIn8(b.data(), 4);
    EXPECT_EQ(b, (std::vector<u8>{128, 103, 78, 53}));
}
