// The wave pane's geometry, mouse, keys and scrolling: selecting, the cursor, bookmarks, the
// hand-drawing tools, the range tool and the playback pick.
#include <algorithm>
#include <cmath>

#include "app/program_texts.h"
#include "editor/wave_pane.h"
#include "editor/wave_view_options.h"
#include "gui/input/input_event.h"
#include "gui/input/mouse_capture.h"
#include "gui/input/system_input.h"
#include "gui/kernel/message_boxes.h"

namespace {
enum : u32 { FirstClickHint = 20001, BookmarkHint = 20002, DrawHint = 20003 };
const i32 kEdgeTolerance = 4;
const i32 kBookmarkReach = 10;

bool keyDown(int key) { return (systemInput.keyState(key) & 0x8000) != 0; }
}  // namespace

u64 WavePane::frameAtX(i32 x) const {
    if (!itemCount()) return 0;
    const GGraphItem& axis = *itemAt(0);
    double v = (x - axis.pixelX) / axis.scaleX;
    if (!(v >= 0)) return 0;
    if (v >= (double)frameCount) return frameCount;
    return std::min((u64)std::floor(v + 0.5), frameCount);
}

i64 WavePane::pixelOfFrame(u64 frame) const {
    if (!itemCount()) return 0;
    double p = std::floor((double)frame * itemAt(0)->scaleX + itemAt(0)->pixelX);
    return (i64)std::max(std::min(p, 4e18), -4e18);
}

bool WavePane::insidePlotX(i32 x) const {
    RECT plot = plotAreaRect(*this);
    return x >= plot.left && x < plot.right;
}

i32 WavePane::laneTop(i32 lane) const {
    const GraphPair& top = lanes[lane].top;
    return (i32)std::floor(top.at(scaleY) + contentOffsetY - (double)vertical.origin + vertical.leadingInset + 0.5);
}

RECT WavePane::laneRect(i32 lane) const {
    RECT plot = plotAreaRect(*this);
    i32 top = laneTop(lane);
    i32 height = lanes[lane].folded ? 0 : (i32)std::floor(kWaveLaneSpan * scaleY + 0.5);
    return RECT{plot.left, top, plot.right, top + height};
}

f64 WavePane::laneValueAt(i32 lane, i32 y) const {
    double centre = laneTop(lane) + kWaveLaneSpan / 2 * scaleY;
    return (centre - y) / scaleY;
}

i32 WavePane::laneY(i32 lane, f64 value) const {
    double centre = laneTop(lane) + kWaveLaneSpan / 2 * scaleY;
    double y = std::floor(centre - value * scaleY + 0.5);
    return (i32)std::max(std::min(y, 30000.0), -30000.0);
}

i32 WavePane::laneAt(i32 y, f64* value) const {
    RECT plot = plotAreaRect(*this);
    if (y < plot.top || y >= plot.bottom) return -1;
    for (i32 i = 0; i < laneCount; ++i) {
        if (lanes[i].folded) continue;
        RECT r = laneRect(i);
        if (y >= r.top && y <= r.bottom) {
            *value = laneValueAt(i, y);
            return i;
        }
    }
    return -1;
}

void WavePane::clearToolPoints() {
    bool drawn = toolCount > 0 && overlay;
    if (drawn) overlay->hide();
    toolCount = 0;
    if (drawn) overlay->show();
}

void WavePane::addToolPoint(f64 frame, f64 value) {
    frame = std::floor(frame + 0.5);
    overlay->hide();
    bool placed = false;
    for (i32 i = 0; i < toolCount && !placed; ++i)
        if (toolFrames[i] == frame) {
            toolValues[i] = value;
            placed = true;
        }
    if (!placed && toolCount < kWaveToolPoints) {
        toolFrames[toolCount] = frame;
        toolValues[toolCount] = value;
        ++toolCount;
    }
    overlay->show();
}

void WavePane::sendToolPoints(bool addMouse) {
    if (dataKind != WaveSamples || suspension || (drawMode != WaveLineDraw && drawMode != WaveCurveDraw) || !hwnd) return;
    POINT p;
    systemInput.cursorPos(&p);
    ScreenToClient(hwnd, &p);
    f64 value;
    i32 lane = laneAt(p.y, &value);
    if (lane < 0 || lanes[lane].curve < 0 || std::fabs(value) > kWaveLaneSpan / 2 || !insidePlotX(p.x)) return;
    if (addMouse) addToolPoint((f64)frameAtX(p.x), value);
    if (toolCount < 1) return;
    WavePaneNotice notice;
    notice.track = lanes[lane].track;
    notice.count = toolCount;
    for (i32 i = 0; i < toolCount; ++i) {
        notice.frames[i] = toolFrames[i];
        notice.values[i] = toolValues[i];
    }
    notice.frame = (u64)toolFrames[0];
    u32 code = drawMode == WaveLineDraw ? WavePaneLine : WavePaneCurve;
    clearToolPoints();
    notifyOwner(code, &notice);
}

void WavePane::setDrawMode(u32 mode) {
    if (mode == drawMode) return;
    overlay->hide();
    toolCount = 0;
    drawMode = mode;
    overlay->show();
    dragCursor = mode >= WavePointDraw && mode <= WaveCurveDraw ? 1 : 0;
    if (!redrawLock) notifyOwner(WavePaneChanged, nullptr);
    invalidate();
    if (mode >= WavePointDraw && mode <= WaveCurveDraw) reportErrorOnce(DrawHint, ravoText(RavoText::WaveDrawHint));
}

void WavePane::pickInPlayback(i32 x) {
    if (drawMode != WavePlayback || !hasSound() || thumbTracking || !itemCount()) return;
    const GGraphItem& axis = *itemAt(0);
    double v = (x - axis.pixelX) / axis.scaleX;
    if (!std::isfinite(v)) return;
    v = axis.scaleX >= 1.0 ? std::floor(v + 0.5) : std::ceil(v);
    WavePaneNotice notice;
    notice.frame = v <= 0 ? 0 : std::min((u64)std::min(v, 1.8e19), frameCount);
    notifyOwner(WavePanePlayPick, &notice);
}

bool WavePane::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (message == WM_HSCROLL && hasSound()) {
        u32 code = LOWORD(wParam);
        if (code == SB_THUMBTRACK) thumbTracking = true;
        bool handled = GGraph::handleMessage(message, wParam, lParam, result);
        if (code == SB_THUMBPOSITION || code == SB_ENDSCROLL) {
            bool wasTracking = thumbTracking;
            thumbTracking = false;
            refreshData();
            if (wasTracking) pickInPlayback(plotAreaRect(*this).left);
        }
        return handled;
    }
    return GGraph::handleMessage(message, wParam, lParam, result);
}

bool WavePane::dragBegin(GMouseCapture*, i32 x, i32) {
    if (!hasSound() || suspension || drawMode != WaveNoDraw || toolCount) return false;
    if (keyDown(VK_SHIFT) || keyDown(VK_CONTROL) || keyDown(VK_MENU)) return false;
    HWND active = systemInput.activeWindow();
    if (!active || (active != hwnd && !IsChild(active, hwnd))) return false;
    if (reportErrorOnce(FirstClickHint, ravoText(RavoText::WaveFirstClickHint))) {
        hintPressPending = true;
        return false;
    }
    if (!insidePlotX(x)) return false;
    i64 start = pixelOfFrame(selStart), end = pixelOfFrame(selEnd);
    if (std::llabs(x - start) <= kEdgeTolerance)
        anchor = selEnd;
    else if (std::llabs(x - end) <= kEdgeTolerance)
        anchor = selStart;
    else
        anchor = frameAtX(x);
    return true;
}

bool WavePane::dragMove(GMouseCapture*, i32, i32, i32 x, i32) {
    setSelection(anchor, frameAtX(x));
    if (hwnd) UpdateWindow(hwnd);
    return true;
}

void WavePane::dragDrop(GMouseCapture*, i32, i32) {}
void WavePane::dragCancel(GMouseCapture*, i32, i32) {}

bool WavePane::handleMouse(GInputEvent* event) {
    if (!event->mouse) return GGraph::handleMouse(event);
    bool press = event->isPress(), doubleClick = event->isDoubleClick();
    if (!hasSound() || suspension) return true;
    HWND active = systemInput.activeWindow();
    if (!active || (active != hwnd && !IsChild(active, hwnd))) return true;
    if (press || doubleClick) {
        if (hintPressPending) {
            hintPressPending = false;
            return true;
        }
        if (reportErrorOnce(FirstClickHint, ravoText(RavoText::WaveFirstClickHint))) return true;
    }
    if (titleBoxEvent(event)) return true;
    if (!insidePlotX(event->x)) return GGraph::handleMouse(event);
    const u64 frame = frameAtX(event->x);
    const bool shift = event->isShift(), ctrl = event->isCtrl();
    const u8 button = event->button;
    if (press || doubleClick) {
        if (drawMode == WaveRangeTool) {
            if (shift && !ctrl) {
                if (button == ButtonLeft) {
                    rangeStart = frame;
                    if (rangeEnd < frame) rangeEnd = frame;
                } else if (button == ButtonRight) {
                    rangeEnd = frame;
                    if (rangeStart > frame) rangeStart = frame;
                }
                invalidate();
                return true;
            }
        } else if (shift && ctrl && press) {
            if (selStart || selEnd) {
                addBookmarkAt(selStart);
                addBookmarkAt(selEnd);
            }
            return true;
        } else if (shift && press && button == ButtonLeft) {
            setSelection(frame, selEnd);
            return true;
        } else if (shift && press && button == ButtonRight) {
            setSelection(selStart, frame);
            return true;
        } else if (ctrl && press && button == ButtonLeft) {
            addBookmarkAt(frame);
            reportErrorOnce(BookmarkHint, ravoText(RavoText::WaveBookmarkHint));
            return true;
        } else if (ctrl && press && button == ButtonRight) {
            i32 i = nearestBookmark(frame);
            if (i >= 0 && std::llabs(pixelOfFrame(positions.bookmarks[(u32)i]) - event->x) <= kBookmarkReach) removeBookmark(i);
            return true;
        }
        if (!shift && !ctrl) {
            if (drawMode == WaveNoDraw && doubleClick && button == ButtonLeft) {
                selectAround(frame);
                return true;
            }
            if (drawMode == WaveNoDraw && press && button == ButtonRight) {
                setCursor(frame);
                return true;
            }
            if (drawMode == WavePlayback && press && (button == ButtonLeft || button == ButtonRight)) {
                WavePaneNotice notice;
                notice.frame = frame;
                notifyOwner(WavePanePlayPick, &notice);
                return true;
            }
            if (dataKind == WaveSamples && press && drawMode >= WavePointDraw && drawMode <= WaveCurveDraw) {
                f64 value;
                i32 lane = laneAt(event->y, &value);
                bool onLane = lane >= 0 && lanes[lane].curve >= 0 && std::fabs(value) <= kWaveLaneSpan / 2;
                if (button == ButtonLeft && onLane && drawMode == WavePointDraw) {
                    WavePaneNotice notice;
                    notice.frame = frame;
                    notice.track = lanes[lane].track;
                    notice.count = 1;
                    notice.frames[0] = (f64)frame;
                    notice.values[0] = value;
                    notifyOwner(WavePanePoint, &notice);
                    return true;
                }
                if (button == ButtonLeft && onLane) {
                    addToolPoint((f64)frame, value);
                    if (drawMode == WaveLineDraw && toolCount >= 2) sendToolPoints(false);
                    return true;
                }
                if (button == ButtonRight && toolCount && drawMode != WavePointDraw) {
                    i32 nearest = 0;
                    for (i32 i = 1; i < toolCount; ++i)
                        if (std::fabs(toolFrames[i] - (f64)frame) < std::fabs(toolFrames[nearest] - (f64)frame)) nearest = i;
                    overlay->hide();
                    --toolCount;
                    toolFrames[nearest] = toolFrames[toolCount];
                    toolValues[nearest] = toolValues[toolCount];
                    overlay->show();
                    return true;
                }
            }
        }
    }
    return GGraph::handleMouse(event);
}

bool WavePane::handleCapturedMouse(GInputEvent* event) {
    i32 lane = hasSound() ? titleBoxAt(event->x, event->y) : -1;
    activeTrack = lane >= 0 ? lanes[lane].track : -1;
    if (drawMode >= WavePointDraw && drawMode <= WaveCurveDraw && dataKind == WaveSamples && !suspension) keepPenVisible(event->x, event->y);
    return false;
}

void WavePane::keepPenVisible(i32 x, i32 y) {
    if (!hwnd || !itemCount()) return;
    RECT plot = plotAreaRect(*this);
    if (y < plot.top || y >= plot.bottom || plot.left >= plot.right) return;
    i64 dx = x < plot.left ? x - plot.left : x >= plot.right ? x - (plot.right - 1) : 0;
    if (!dx) return;
    // The sample under the pointer stays under it: the view moves by the overshoot.
    const GGraphItem& axis = *itemAt(0);
    double frame = (x - axis.pixelX) / axis.scaleX;
    i64 before = horizontal.origin;
    GScrollRange h = horizontal, v = vertical;
    h.setPosition(h.origin + dx);
    setScrollState(h, v);
    if (horizontal.origin == before) return;
    invalidate();
    UpdateWindow(hwnd);
    POINT p{(i32)std::floor(frame * itemAt(0)->scaleX + itemAt(0)->pixelX), y};
    ClientToScreen(hwnd, &p);
    systemInput.setCursorPos(p.x, p.y);
}

i32 WavePane::titleBoxAt(i32 x, i32 y) const {
    const u32 mode = waveViewOptions.trackMode();
    if (dataKind != WaveSamples || (mode != WaveTrackAll && mode != WaveTrackShrink)) return -1;
    for (i32 i = 0; i < laneCount; ++i) {
        RECT box = titleBox(i);
        if (x >= box.left && x < box.right && y >= box.top && y < box.bottom) return i;
    }
    return -1;
}

bool WavePane::titleBoxEvent(GInputEvent* event) {
    i32 lane = titleBoxAt(event->x, event->y);
    activeTrack = lane >= 0 ? lanes[lane].track : -1;
    if (lane < 0 || !event->isPress() || event->button != ButtonLeft) return false;
    const i32 track = lanes[lane].track, before = laneTop(lane);
    WavePaneNotice notice;
    notice.track = track;
    notifyOwner(WavePaneTitleClick, &notice);
    // The owner may have folded or unfolded the lane: the pointer follows its box.
    if (waveViewOptions.trackMode() == WaveTrackShrink && hwnd) {
        for (i32 i = 0; i < laneCount; ++i)
            if (lanes[i].track == track && laneTop(i) != before) {
                RECT box = titleBox(i);
                POINT p{event->x, box.top + 7};
                ClientToScreen(hwnd, &p);
                systemInput.setCursorPos(p.x, p.y);
            }
    }
    return true;
}

i32 WavePane::handleKey(GInputEvent* event) {
    if (event->mouse || event->kind != KeyDown || (event->modifiers & (ModShift | ModCtrl | ModAlt)))
        return GGraph::handleKey(event);
    const bool tool = drawMode >= WavePointDraw && drawMode <= WaveCurveDraw;
    switch (event->key) {
    case VK_HOME: setCursor(0); return 2;
    case VK_END: setCursor(frameCount); return 2;
    case VK_NEXT:
    case VK_PRIOR: {
        GScrollRange h = horizontal, v = vertical;
        i64 step = (i64)std::floor(kWaveLaneSpan * scaleY + 0.5);
        v.setPosition(v.origin + (event->key == VK_NEXT ? step : -step));
        setScrollState(h, v);
        return 2;
    }
    case VK_ESCAPE:
        if (tool && toolCount) {
            clearToolPoints();
        } else if (zoomMode()) {
            toggleZoom();
        } else if (tool) {
            if (askYesNo(ravoText(RavoText::WaveLeaveDrawing))) setDrawMode(WaveNoDraw);
        } else {
            return GGraph::handleKey(event);
        }
        return 2;
    case VK_SPACE: sendToolPoints(true); return 2;
    default: return GGraph::handleKey(event);
    }
}
