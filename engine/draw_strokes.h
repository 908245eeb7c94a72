#pragma once
// The fields of the pencil strokes, set on a processor bound to the sound as the Editor's handler
// does before drawPoints, drawLine and drawCurve. Frames count from the start of the sound; a range
// reaching past the sound's end is cut at the end.
#include "engine/curve_points.h"
#include "engine/processor.h"

// The one frame x; param1 = y.
void setPointStroke(SoundBlockProcessor& p, u64 x, f64 y);
// The frames between x1 and x2 inclusive, in either order; param1 = the y of the left point, param2
// the change per frame (0 when both points fall on one frame).
void setLineStroke(SoundBlockProcessor& p, u64 x1, f64 y1, u64 x2, f64 y2);
// The frames from the nearest to the smallest x to the nearest to the largest, inclusive; a copy of
// the points becomes the auxiliary object.
void setCurveStroke(SoundBlockProcessor& p, const CurvePoints& curve);
