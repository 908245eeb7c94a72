// The repair dialogs' sounds: the looping test tune and the ring between record and play device.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gui/controls/notes.h"
#include "tools/loopback_ring.h"
#include "tools/test_melody.h"

TEST(TestMelody, PlaysEveryNoteForItsLengthAndLoopsAfterTheTenth) {
    TestMelody tune(repairMelody, 10, 44100);
    std::vector<i16> block(100);
    std::vector<u32> order{tune.current};
    std::vector<u32> framesOf(10, 0);
    u32 nonZero = 0;
    // Pulled until the tune starts again (and not forever).
    for (int pulls = 0; pulls < 5000 && order.size() < 11; ++pulls) {
        u32 before = tune.current;
        ASSERT_EQ(tune.readFrames(block.data(), 100), 100u);
        for (i16 s : block) nonZero += s != 0;
        framesOf[before] += 100;
        if (tune.current != order.back()) order.push_back(tune.current);
    }
    EXPECT_EQ(order, (std::vector<u32>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0}));
    EXPECT_GT(nonZero, 100000u);
    // Each note lasts as long as its voice alone (counted by the block it started in); the long
    // ninth the longest.
    for (u32 i = 0; i < 10; ++i) {
        const MelodyNote& n = repairMelody[i];
        NoteVoice alone(44100, noteToFrequency((i32)(n.octave * 12 + n.semitone)), n.level * 32767, 0, n.duration);
        u32 length = 0;
        while (u32 got = alone.readFrames(block.data(), 100)) length += got;
        EXPECT_NEAR(framesOf[i], length, 100) << i;
        if (i != 8) EXPECT_LT(framesOf[i], framesOf[8]);
    }

    tune.rewind();
    EXPECT_EQ(tune.current, 0u);
    EXPECT_FALSE(tune.voice);
}

TEST(LoopbackRing, SizeAndStartHalfARingApart) {
    EXPECT_EQ(LoopbackRing::sizeFor(0.5), 88200u);
    EXPECT_EQ(LoopbackRing::sizeFor(0.1) % 4, 0u);
    LoopbackRing r;
    r.prepare(88200);
    EXPECT_EQ(r.writePosition, 44100u);
    EXPECT_EQ(r.readPosition, 0u);
    EXPECT_EQ(r.ring.size(), 88200u);
}

TEST(LoopbackRing, WritesAndReadsWrapAndAnOvertakenSideMovesHalfARingAway) {
    struct Step {
        bool write;
        u32 bytes;
        u32 writeAfter, readAfter;
    };
    // A ring of 16: write at 8, read at 0.
    const Step steps[] = {
        {true, 4, 12, 0},   // 8..11
        {false, 8, 12, 8},  // 0..7
        {true, 8, 4, 8},    // 12..15, 0..3: wraps, does not reach read
        {true, 6, 10, 2},   // 4..9 passes read at 8: read goes to 10 - 8
        {false, 10, 4, 12}, // 2..11 passes write at 10: write goes to 12 - 8
    };
    LoopbackRing r;
    r.prepare(16);
    u8 next = 1;
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << (s.write ? "write " : "read ") << s.bytes);
        std::vector<u8> data(s.bytes);
        if (s.write) {
            for (u8& b : data) b = next++;
            r.write(data.data(), s.bytes);
        } else {
            r.read(data.data(), s.bytes);
        }
        EXPECT_EQ(r.writePosition, s.writeAfter);
        EXPECT_EQ(r.readPosition, s.readAfter);
    }
    // What the wrapped write left: bytes 5..12 at 12..15 and 0..3, then 13..18 at 4..9.
    const u8 expected[16] = {9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(0, memcmp(r.ring.data(), expected, 16));
}

TEST(LoopbackRing, PeakOfEachBlockWhileMetering) {
    const i16 block[] = {100, -300, 2000, -1000};
    const i16 quiet[] = {5, 5};
    EXPECT_EQ(LoopbackRing::blockPeak(block, sizeof block), 1500);
    EXPECT_EQ(LoopbackRing::blockPeak(quiet, sizeof quiet), 0);
    EXPECT_EQ(LoopbackRing::blockPeak(block, 0), 0);
    LoopbackRing r;
    r.prepare(64);
    r.write(block, sizeof block);
    EXPECT_EQ(r.peak, 1500);
    r.metering = false;
    r.write(quiet, sizeof quiet);
    EXPECT_EQ(r.peak, 1500);
}
