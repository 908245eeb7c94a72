// The wave pane's recalculation: its graph items from the sound's format and the view options,
// the lanes of the tracks, and the refresh of the visible data.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/program_texts.h"
#include "core/window_map.h"
#include "editor/wave_pane.h"
#include "editor/wave_pane_items.h"
#include "editor/wave_view_options.h"
#include "gui/kernel/window_procedure.h"
#include "gui/paint/colors.h"
#include "gui/views/graph_axis.h"
#include "mm/sound_format.h"

void WaveFrameAxis::place(GGraph& graph) {
    GGraphCurve::place(graph);
    WavePane& pane = static_cast<WavePane&>(graph);
    FrameAxisView& view = pane.frameView;
    view.pixelsPerFrame = scaleX;
    view.origin = pixelX;
    view.firstFrame = std::max(firstValue, 0.0);
    if (scaleX > 1.0) {
        view.firstColumn = (i32)std::floor(firstValue * scaleX + pixelX);
        view.endFrame = firstValue + columnCount;
    } else {
        view.firstColumn = firstPixel;
        view.endFrame = scaleX == 1.0 ? firstValue + columnCount : lastValue;
    }
    view.endFrame = std::min(view.endFrame, (double)pane.frameCount);
    view.columnCount = columnCount > 0 ? (u32)columnCount : 0;
}

// The buffer's frame index of curve value i (mode 0), or its column index of curve column i.
static i64 bufferIndex(const WaveTrackCurve& c, i32 i) {
    const WavePane& pane = *c.pane;
    if (pane.viewData.readMode == WaveReadMode::EveryFrame) return (i64)(c.firstValue + i - pane.frameView.firstFrame);
    return (i64)c.firstPixel + i - pane.frameView.firstColumn;
}

double WaveTrackCurve::valueAt(i32 i) {
    const WaveViewData& data = pane->viewData;
    i64 k = bufferIndex(*this, i);
    u64 at = (u64)k * stride + offset;
    if (k < 0 || !data.values || at >= data.count) return 0.0;
    return data.values[at];
}

void WaveTrackCurve::rangeAt(i32 i, float* low, float* high) {
    const WaveViewData& data = pane->viewData;
    i64 k = bufferIndex(*this, i);
    u64 at = (u64)k * stride + offset;
    if (k < 0 || !data.values || at + 1 >= data.count) {
        *low = *high = 0.0f;
        return;
    }
    *low = data.values[at];
    *high = data.values[at + 1];
}

void WaveLevelAxis::labelText(char* out, u32 size, double value) const {
    if (!decibels) {
        GGraphAxis::labelText(out, size, value);
        return;
    }
    double level = std::fabs(value) / (kWaveLaneSpan / 2);
    if (level <= 0)
        snprintf(out, size, "-inf");
    else
        snprintf(out, size, "%.1f", 20.0 * std::log10(level));
}

void WaveRuler::paint(GSavedDC& dc, GGraph& graph, const RECT& clip) { static_cast<WavePane&>(graph).paintOverlays(dc, clip); }

namespace {
// A vertical item of one lane: anchored at the lane's middle, spanning its values.
void placeInLane(GGraphItem* item, const GraphPair& top) {
    item->anchorY.pixels = top.pixels;
    item->anchorY.factor = top.factor + kWaveLaneSpan / 2;
    item->extentAbove.factor = item->extentBelow.factor = kWaveLaneSpan / 2;
}

}  // namespace

COLORREF waveTrackColour(const TrackRecord& record, u32 track, u32 tracks) {
    if (record.color != 0xFFFFFFFFu) return record.color & 0xFFFFFF;
    return blendColor((i32)tracks, WavePane::colour(WaveColorFirstVoice), WavePane::colour(WaveColorLastVoice), (i32)track);
}

void WavePane::recalculate(bool relayout) {
    titleHeight = std::max<i32>(17, graphMeasureText("Ag").cy);
    clearToolPoints();
    for (u32 i = 0; i < itemCount(); ++i) delete itemAt(i);
    arrayFree(items);
    delete[] lanes;
    lanes = nullptr;
    laneCount = 0;
    firstCurve = endCurve = 0;
    currentItem = 0;
    const u32 view = waveViewOptions.viewFlags;
    if (format && hasSound()) {
        const u32 tracks = format->trackCount();
        u32 active = 0;
        for (u32 t = 0; t < tracks; ++t) active += (format->tracks[t].flags & trackSelected) ? 1 : 0;
        const double rate = format->sampleRate ? format->sampleRate : 1;

        WaveFrameAxis* frames = new WaveFrameAxis;
        frames->extentRight.factor = (double)frameCount;
        addItem(frames);
        addItem(new WaveRuler);
        GGraphAxis* time = new GGraphAxis;
        time->lineColour = time->tickColour = colour(WaveColorStrokes);
        time->labelColour = time->titleColour = colour(WaveColorDigits);
        if (!(view & WaveRulerShown))
            time->flags |= 1;  // hidden
        else if (view & WaveRulerOther)
            time->flags |= GraphDockTop | AxisLabels | AxisShortTicks | AxisTicksFar | AxisLabelsFar;
        else
            time->flags |= GraphDockBottom | AxisLabels | AxisShortTicks;
        if (dataKind == WaveSamples) {
            time->zoomX = rate;
            time->extentRight.factor = (double)frameCount / rate;
            if (view & WaveMilliseconds) time->flags |= AxisTime;
        } else {
            time->extentRight.factor = (double)frameCount;
        }
        addItem(time);

        // Tracks in the order of their layers.
        u32* order = new u32[tracks];
        for (u32 t = 0; t < tracks; ++t) order[t] = t;
        std::stable_sort(order, order + tracks, [&](u32 a, u32 b) { return format->tracks[a].layer < format->tracks[b].layer; });

        const u32 mode = view & WaveTrackModeMask;
        lanes = new WaveLane[std::max<u32>(tracks, 1)];
        GraphPair top{titleHeight, 0.0};
        auto addLane = [&](i32 track, bool folded) -> WaveLane& {
            WaveLane& lane = lanes[laneCount++];
            lane.track = track;
            lane.top = top;
            lane.folded = folded;
            lane.shown = track >= 0 && (format->tracks[(u32)track].flags & trackSelected) != 0;
            return lane;
        };
        firstCurve = itemCount();
        if (dataKind != WaveSamples) {
            addLane(0, false);
            GGraphItem* span = new GGraphRangeItem;
            placeInLane(span, top);
            span->extentRight.factor = (double)frameCount;
            addItem(span);
        } else if (mode == WaveTrackOverlap) {
            WaveLane& lane = addLane(-1, false);
            lane.shown = active > 0;
            i32 drawn = 0;
            for (u32 k = 0; k < tracks && drawn < waveViewOptions.overlapLimit; ++k) {
                u32 t = order[k];
                if (!(format->tracks[t].flags & trackSelected)) continue;
                WaveTrackCurve* curve = new WaveTrackCurve(this, (i32)t);
                placeInLane(curve, top);
                curve->extentRight.factor = (double)frameCount;
                curve->flags = waveViewOptions.styleFlags & WaveStyleMask;
                curve->colour = waveTrackColour(format->tracks[t], t, tracks);
                if (lane.curve < 0) lane.curve = (i32)itemCount();
                addItem(curve);
                ++drawn;
            }
        } else {
            for (u32 k = 0; k < tracks; ++k) {
                u32 t = order[k];
                bool on = (format->tracks[t].flags & trackSelected) != 0;
                if (mode == WaveTrackActive && !on) continue;
                if (mode == WaveTrackShrink && !on) {
                    // Only its title strip, which lies above `top`.
                    WaveLane& lane = addLane((i32)t, true);
                    GGraphItem* strip = new GGraphItem;
                    strip->anchorY = lane.top;
                    addItem(strip);
                    top.pixels += titleHeight;
                    continue;
                }
                WaveLane& lane = addLane((i32)t, false);
                WaveTrackCurve* curve = new WaveTrackCurve(this, (i32)t);
                placeInLane(curve, top);
                curve->extentRight.factor = (double)frameCount;
                curve->flags = waveViewOptions.styleFlags & WaveStyleMask;
                curve->colour = waveTrackColour(format->tracks[t], t, tracks);
                lane.curve = (i32)itemCount();
                addItem(curve);
                top.pixels += titleHeight;
                top.factor += kWaveLaneSpan;
            }
        }
        endCurve = itemCount();

        // Level axes, one per lane that holds values.
        char label[160];
        for (i32 i = 0; i < laneCount; ++i) {
            const WaveLane& lane = lanes[i];
            if (lane.folded || (dataKind == WaveSamples && lane.curve < 0 && mode != WaveTrackOverlap)) continue;
            WaveLevelAxis* level = new WaveLevelAxis;
            level->decibels = dataKind == WaveSamples && (view & WaveDecibels);
            level->flags |= GraphDockLeft | AxisVertical | AxisLabels | AxisShortTicks;
            level->lineColour = level->tickColour = colour(WaveColorAxis);
            level->labelColour = level->titleColour = colour(WaveColorGrid);
            placeInLane(level, lane.top);
            if (dataKind == WaveSamples) {
                if (mode == WaveTrackOverlap && active > 1) {
                    snprintf(label, sizeof label, ravoText(RavoText::WaveShownTracks), (int)active, (int)tracks);
                } else {
                    u32 t = lane.track >= 0 ? (u32)lane.track : order[0];
                    if (mode == WaveTrackOverlap)
                        for (u32 k = 0; k < tracks; ++k)
                            if (format->tracks[order[k]].flags & trackSelected) {
                                t = order[k];
                                break;
                            }
                    int n = snprintf(label, sizeof label, ravoText(RavoText::WaveTrackLabel), (int)t + 1);
                    const char* info = format->tracks[t].info;
                    if (n > 0 && info[0] && (size_t)n < sizeof label)
                        snprintf(label + n, sizeof label - (size_t)n, ": %.32s", info);
                }
                level->setTitles(nullptr, label);
            }
            addItem(level);
        }
        delete[] order;
        addItem(new WaveGrid);
    }
    if (relayout) {
        invalidateLayout();
        if (hwnd) invalidate();
        if (!redrawLock) notifyOwner(WavePaneChanged, nullptr);
    }
}

void WavePane::setScrollState(const GScrollRange& h, const GScrollRange& v) {
    GGraph::setScrollState(h, v);
    refreshData();
}

void WavePane::refreshData() {
    if (dataKind != WaveSamples || !source || !itemCount()) return;
    if (suspension) {
        viewData.release();
        return;
    }
    // The redraw lock hides the window meanwhile.
    if (!hwnd || (!IsWindowVisible(hwnd) && !redrawLock)) return;
    source->fill(frameView, viewData);
    if (viewData.values) hadFill = true;
    const u32 mode = viewData.readMode;
    const u32 tracks = format->trackCount();
    const u32 width = mode == WaveReadMode::EveryFrame ? 1 : 2;
    for (u32 i = firstCurve; i < endCurve; ++i) {
        WaveTrackCurve* curve = dynamic_cast<WaveTrackCurve*>(itemAt(i));
        if (!curve) continue;
        curve->flags = (curve->flags & ~(u32)CurvePairs) | (mode & CurvePairs);
        curve->stride = tracks * width;
        curve->offset = (u32)curve->trackIndex * width;
    }
}

void WavePane::recalculateAll() {
    GWindowMap::Iterator walk(childWindowMap());
    while (GWindowMapEntry* entry = walk.next()) {
        GWindow* window = static_cast<GWindow*>(entry);
        if (!window->destroyed() && window->hwnd && window->typeId() == TypeWavePane)
            static_cast<WavePane*>(window)->recalculate(true);
    }
}
