#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "engine/draw_strokes.h"
#include "engine/processor.h"
#include "tests/engine/engine_fixture.h"

namespace {

// A drawn value as the type stores it: integers truncated toward zero, floats converted.
f64 drawnAs(u32 encoding, f64 x) {
    switch (encoding) {
    case encodingInt16:
    case encodingInt32: return std::trunc(x);
    case encodingFloat: return (f64)(f32)x;
    default: return x;
    }
}

f64 limitOf(u32 encoding) {
    return encoding == encodingInt16 ? 32767 : encoding == encodingInt32 ? 1e9 : 1e10;
}

CurvePoints curveThrough(std::initializer_list<std::pair<f64, f64>> points) {
    CurvePoints curve;
    for (const auto& xy : points) curve.addPoint(xy.first, xy.second);
    return curve;
}

// One stroke on a sound of 7s: the fields set as the Editor sets them, the slot, and the drawn
// samples (frame, track, exact value; nan: the type's peak limit, with the sign of `limitSign`).
struct Drawn {
    u64 frame;
    u32 track;
    f64 value;
};
const f64 atLimit = NAN;

struct StrokeCase {
    const char* name;
    u32 channels;
    std::vector<u8> mask;
    u64 frames;
    std::function<void(SoundBlockProcessor&)> stroke;
    Slot slot;
    std::vector<Drawn> drawn;
    i64 shownFrame;  // showPosition, or -1
    f64 limitSign = 1;
};

std::vector<StrokeCase> strokeCases() {
    auto line = [](u64 x1, f64 y1, u64 x2, f64 y2) {
        return [=](SoundBlockProcessor& p) { setLineStroke(p, x1, y1, x2, y2); };
    };
    auto curve = [](CurvePoints c) { return [=](SoundBlockProcessor& p) { setCurveStroke(p, c); }; };
    std::vector<Drawn> ramp;
    for (u64 i = 0; i <= 10; ++i) ramp.push_back({10 + i, 0, 10.0 * i});
    return {
        {"a point on the left track", 2, {1, 0}, 4, [](SoundBlockProcessor& p) { setPointStroke(p, 2, -1234.7); },
         Slot::drawPoints, {{2, 0, -1234.7}}, -1},
        {"a line from 0 to 100 over frames 10..20", 1, {1}, 25, line(10, 0, 20, 100), Slot::drawLine, ramp, 21},
        {"a fractional slope", 1, {1}, 6, line(1, 0, 5, 10), Slot::drawLine,
         {{1, 0, 0}, {2, 0, 2.5}, {3, 0, 5}, {4, 0, 7.5}, {5, 0, 10}}, 6},
        {"a line on one frame writes y1", 2, {0, 1}, 8, line(5, 300, 5, 900), Slot::drawLine, {{5, 1, 300}}, 6},
        {"a curve y = x^2 on the right track", 2, {0, 1}, 9, curve(curveThrough({{3, 9}, {7, 49}, {5, 25}})),
         Slot::drawCurve, {{3, 1, 9}, {4, 1, 16}, {5, 1, 25}, {6, 1, 36}, {7, 1, 49}}, 8},
        // Points and lines past full scale are held there too; 16 bits do not wrap.
        {"a point held to the peak limit", 1, {1}, 3, [](SoundBlockProcessor& p) { setPointStroke(p, 1, 4e10); },
         Slot::drawPoints, {{1, 0, atLimit}}, -1},
        {"a point held to the negative limit", 1, {1}, 3, [](SoundBlockProcessor& p) { setPointStroke(p, 1, -4e10); },
         Slot::drawPoints, {{1, 0, atLimit}}, -1, -1},
        {"a line held to the peak limit", 1, {1}, 4, line(0, 0, 2, 4e10), Slot::drawLine,
         {{0, 0, 0}, {1, 0, atLimit}, {2, 0, atLimit}}, 3},
        {"a curve held to the peak limit", 1, {1}, 4, curve(curveThrough({{0, 0}, {2, 4e10}})), Slot::drawCurve,
         {{0, 0, 0}, {1, 0, atLimit}, {2, 0, atLimit}}, 3},
        {"a curve held to the negative limit", 1, {1}, 4, curve(curveThrough({{1, -4e10}, {3, 0}})), Slot::drawCurve,
         {{1, 0, atLimit}, {2, 0, atLimit}, {3, 0, 0}}, 4, -1},
        {"curve frames rounded to the nearest", 1, {1}, 6, curve(curveThrough({{0.6, 10}, {3.4, 10}})),
         Slot::drawCurve, {{1, 0, 10}, {2, 0, 10}, {3, 0, 10}}, 4},
    };
}
}  // namespace

TEST(DrawOperations, StrokesInEachType) {
    for (const StrokeCase& c : strokeCases()) {
        for (u32 encoding : allEncodings) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << encodingName(encoding));
            std::vector<f64> input(c.frames * c.channels, 7.0);
            TestSound sound(encoding, c.channels, input);
            sound.select(c.mask);
            RecordingOwner owner(&sound);
            auto p = bindProcessor(sound, 0, c.frames, 4, &owner);
            c.stroke(*p);
            p->runSlot(c.slot);

            std::vector<f64> want = input;
            for (const Drawn& d : c.drawn) {
                want[d.frame * c.channels + d.track] =
                    std::isnan(d.value) ? c.limitSign * limitOf(encoding) : drawnAs(encoding, d.value);
            }
            EXPECT_EQ(want, sound.samples());
            EXPECT_EQ(c.shownFrame < 0 ? unsetPosition : sound.at((u64)c.shownFrame), p->extraPositions[showPosition]);
            EXPECT_EQ(unsetPosition, p->extraPositions[newCursor]);
            EXPECT_EQ(0u, p->flags & clippedFlag);
            // One undo step, announced before anything is written.
            ASSERT_EQ(2u, owner.events.size());
            EXPECT_EQ("finished", owner.events[1]);
            owner.undoAll();
            EXPECT_EQ(input, sound.samples());
            owner.redoAll();
            EXPECT_EQ(want, sound.samples());
        }
    }
}

TEST(DrawOperations, LineDrawnRightToLeftEqualsLeftToRight) {
    for (u32 encoding : allEncodings) {
        std::vector<f64> input(40, 7.0);
        TestSound forward(encoding, 2, input), backward(encoding, 2, input);
        auto p = bindProcessor(forward, 0, 20);
        setLineStroke(*p, 3, -50, 16, 1000);
        p->runSlot(Slot::drawLine);
        auto q = bindProcessor(backward, 0, 20);
        setLineStroke(*q, 16, 1000, 3, -50);
        q->runSlot(Slot::drawLine);
        EXPECT_EQ(forward.samples(), backward.samples()) << encodingName(encoding);
        EXPECT_NE(input, forward.samples());
        EXPECT_EQ(p->extraPositions[showPosition], q->extraPositions[showPosition]);
    }
}

// Straight from the fields: a point over several frames draws the first and keeps the others, and
// a one-frame line with an endless slope still draws its first value.
TEST(DrawOperations, SlotsKeepEveryByteOfAnOddRange) {
    for (u32 encoding : allEncodings) {
        SCOPED_TRACE(encodingName(encoding));
        TestSound sound(encoding, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        auto p = bindProcessor(sound, 1, 4);
        p->param1 = -9;
        p->runSlot(Slot::drawPoints);
        EXPECT_EQ((std::vector<f64>{1, 2, -9, -9, 5, 6, 7, 8, 9, 10}), sound.samples());

        auto q = bindProcessor(sound, 4, 5);
        q->param1 = 40;
        q->param2 = INFINITY;
        q->runSlot(Slot::drawLine);
        EXPECT_EQ((std::vector<f64>{1, 2, -9, -9, 5, 6, 7, 8, 40, 40}), sound.samples());
    }
}

TEST(DrawOperations, StrokesStopAtTheSoundsEnd) {
    TestSound sound(encodingInt16, 1, {1, 2, 3, 4});
    auto p = bindProcessor(sound, 0, 4);
    setLineStroke(*p, 2, 100, 9, 800);
    EXPECT_EQ(sound.at(2), p->rangeStart);
    EXPECT_EQ(sound.at(4), p->rangeEnd);
    p->runSlot(Slot::drawLine);
    EXPECT_EQ((std::vector<f64>{1, 2, 100, 200}), sound.samples());
}
