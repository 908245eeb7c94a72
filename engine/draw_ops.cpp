// Pencil strokes: each rewrites the selected tracks of its range with drawn values and copies the
// other tracks, as one change of unchanged length without edge crossfades.
#include <algorithm>
#include <cmath>

#include "engine/change_guard.h"
#include "engine/draw_strokes.h"
#include "engine/frame_walk.h"
#include "engine/sample_processor.h"

namespace {
void setStrokeFrames(SoundBlockProcessor& p, u64 first, u64 last) {
    const u64 frame = (u64)std::max(p.frameBytes, 0);
    const u64 frames = frame ? (p.soundEnd - p.soundStart) / frame : 0;
    first = std::min(first, frames);
    last = std::min(last + 1, frames);
    p.rangeStart = p.soundStart + first * frame;
    p.rangeEnd = p.soundStart + std::max(first, last) * frame;
    p.rangeLength = p.rangeEnd - p.rangeStart;
}

// A drawn value held to +-limit (the type's peak): 16-bit full scale does not wrap.
f64 heldTo(f64 v, f64 limit) { return v > limit ? limit : v < -limit ? -limit : v; }

// The nearest frame to x, none below 0.
u64 nearestFrame(f64 x) {
    f64 f = std::floor(x + 0.5);
    return f > 0 ? (f < 1e18 ? (u64)f : (u64)1e18) : 0;
}
}  // namespace

void setPointStroke(SoundBlockProcessor& p, u64 x, f64 y) {
    setStrokeFrames(p, x, x);
    p.param1 = y;
}

void setLineStroke(SoundBlockProcessor& p, u64 x1, f64 y1, u64 x2, f64 y2) {
    if (x2 < x1) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    setStrokeFrames(p, x1, x2);
    p.param1 = y1;
    p.param2 = x2 > x1 ? (y2 - y1) / (f64)(x2 - x1) : 0.0;
}

void setCurveStroke(SoundBlockProcessor& p, const CurvePoints& curve) {
    setStrokeFrames(p, nearestFrame(curve.minValue()), nearestFrame(curve.maxValue()));
    p.setAuxObject(new CurveRequest(curve));
}

// The first frame of the range gets the point; a longer range keeps its other frames.
template <class Traits>
void SampleProcessor<Traits>::drawPoints() {
    const Sample v = Traits::truncated(heldTo(param1, peakLimit));
    RangeChange change = openSameLengthChange(savedEdgesNone);
    ChangeGuard guard(store, change);
    mapPlacedSamples<Traits>(*this, change, [v](Sample x, i32, u64 frame) { return frame == 0 ? v : x; });
}

// Frame i gets param1 + i x param2, the first exactly param1 (also when the slope is not finite),
// held to +-peakLimit.
template <class Traits>
void SampleProcessor<Traits>::drawLine() {
    const f64 y = param1, slope = param2, limit = peakLimit;
    RangeChange change = openSameLengthChange(savedEdgesNone);
    ChangeGuard guard(store, change);
    walkFrames<Traits>(
        *this, change, [y, slope, limit](f64 i) { return heldTo(i == 0.0 ? y : y + i * slope, limit); },
        [](Sample, f64 v) { return Traits::truncated(v); });
    extraPositions[showPosition] = rangeEnd;
}

// Frame f of the sound gets the curve's value at f, held to +-peakLimit. Without a curve nothing
// is changed.
template <class Traits>
void SampleProcessor<Traits>::drawCurve() {
    const CurveRequest* request = dynamic_cast<const CurveRequest*>(auxObject);
    if (!request || frameBytes <= 0) return;
    const CurvePoints curve = request->points;
    const f64 limit = peakLimit;
    const f64 x0 = (f64)((i64)(rangeStart - soundStart) / frameBytes);
    RangeChange change = openSameLengthChange(savedEdgesNone);
    ChangeGuard guard(store, change);
    walkFrames<Traits>(
        *this, change,
        [&curve, limit, x0](f64 i) { return heldTo(curve.interpolate(x0 + i), limit); },
        [](Sample, f64 v) { return Traits::truncated(v); });
    extraPositions[showPosition] = rangeEnd;
}

#define INSTANTIATE_DRAWING(T)                      \
    template void SampleProcessor<T>::drawPoints(); \
    template void SampleProcessor<T>::drawLine();   \
    template void SampleProcessor<T>::drawCurve();
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_DRAWING)
