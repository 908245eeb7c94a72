#include <gtest/gtest.h>

#include <cmath>

#include "engine/curve_points.h"

TEST(CurvePoints, InterpolatesThroughItsPoints) {
    CurvePoints none;
    EXPECT_EQ(0.0, none.interpolate(3));
    EXPECT_EQ(0.0, none.minValue());  // the first slot's x
    EXPECT_EQ(0.0, none.maxValue());

    CurvePoints one;
    one.addPoint(5, 42);
    EXPECT_EQ(42.0, one.interpolate(-100));
    EXPECT_EQ(42.0, one.interpolate(1e6));
    EXPECT_EQ(5.0, one.minValue());
    EXPECT_EQ(5.0, one.maxValue());

    CurvePoints line;
    line.addPoint(20, 100);
    line.addPoint(10, 0);
    EXPECT_DOUBLE_EQ(50.0, line.interpolate(15));
    EXPECT_DOUBLE_EQ(-100.0, line.interpolate(0));
    EXPECT_EQ(10.0, line.minValue());
    EXPECT_EQ(20.0, line.maxValue());

    // y = x^2 - 3x + 1, through three points given out of order.
    CurvePoints parabola;
    parabola.addPoint(4, 5);
    parabola.addPoint(-1, 5);
    parabola.addPoint(2, -1);
    for (f64 x : {-3.0, 0.0, 1.5, 2.0, 7.0}) EXPECT_NEAR(x * x - 3 * x + 1, parabola.interpolate(x), 1e-9) << x;
    EXPECT_EQ(-1.0, parabola.minValue());
    EXPECT_EQ(4.0, parabola.maxValue());
}

TEST(CurvePoints, FullRecordAndRepeatedXLeaveItUnchanged) {
    CurvePoints curve;
    for (i32 k = 0; k < 10; ++k) curve.addPoint(k, k * 2.0);
    curve.addPoint(50, 7);
    EXPECT_EQ(10, curve.count);
    EXPECT_EQ(9.0, curve.maxValue());
    EXPECT_NEAR(30.0, curve.interpolate(15), 1e-6);  // the line y = 2x

    CurvePoints repeated;
    repeated.addPoint(0, 0);
    repeated.addPoint(10, 100);
    repeated.addPoint(10, 500);
    EXPECT_EQ(2, repeated.count);
    EXPECT_DOUBLE_EQ(50.0, repeated.interpolate(5));
}

// A record copied in with one x twice (zero weights) is fitted without the repeated point, not
// turned into infinities.
TEST(CurvePoints, RepeatedXFilledByHandIsDropped) {
    CurvePoints curve;
    curve.addPoint(0, 0);
    curve.addPoint(10, 100);
    curve.xs[2] = 10;
    curve.ys[2] = 500;
    curve.weights[2] = 0;
    curve.weights[1] = 0;
    curve.count = 3;
    EXPECT_DOUBLE_EQ(50.0, curve.interpolate(5));
    EXPECT_DOUBLE_EQ(100.0, curve.interpolate(10));
}
