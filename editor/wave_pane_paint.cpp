// What the wave pane draws: the empty pane, the notices, the grid, bookmarks, range, selection,
// cursor and title boxes, and the hand-drawing tools' feedback by exclusive-or.
#include <algorithm>
#include <cmath>

#include "app/program_texts.h"
#include "editor/wave_pane.h"
#include "editor/wave_pane_items.h"
#include "editor/wave_view_options.h"
#include "engine/curve_points.h"
#include "gui/input/mouse_capture.h"
#include "gui/paint/bitmaps.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/saved_dc.h"
#include "gui/views/graph_axis.h"

u32 WavePane::noticeShown() const {
    if (suspension == 2) return WaveSuspendedBitmap;
    if (suspension == 0 && dataKind == WaveSamples && frameCount > 0 && !viewData.values) return WaveLoadingBitmap;
    return 0;
}

void WavePane::paint(HDC hdc, const RECT& update, bool erase) {
    if (!hasSound()) {
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH brush = GetSysColorBrush(COLOR_WINDOW);
        FillRect(hdc, &client, brush);
        return;
    }
    background = colour(WaveColorBackground);
    currentItem = 0;
    // A pane that was hidden when its window moved reads now.
    if (dataKind == WaveSamples && !viewData.values) refreshData();
    GGraph::paint(hdc, update, erase);
}

void WaveGrid::paint(GSavedDC& dc, GGraph& graph, const RECT& clip) {
    WavePane& pane = static_cast<WavePane&>(graph);
    const u32 view = waveViewOptions.viewFlags;
    if (!(view & (WaveVerticalGrid | WaveHorizontalGrid)) || pane.itemCount() < 3) return;
    RECT plot = plotAreaRect(pane);
    RECT r{std::max(plot.left, clip.left), std::max(plot.top, clip.top), std::min(plot.right, clip.right), std::min(plot.bottom, clip.bottom)};
    if (r.left >= r.right || r.top >= r.bottom) return;
    dc.selectStylePen(WavePane::colour(WaveColorGrid), PS_DOT);
    if (view & WaveVerticalGrid) {
        GGraphAxis* time = static_cast<GGraphAxis*>(pane.itemAt(2));
        double step = time->tickStep > 0 ? time->tickStep : time->chooseTickStep(60);
        double scale = time->scaleX;
        if (step > 0 && scale > 0 && step * scale >= 4) {
            double from = std::ceil((r.left - time->pixelX) / scale / step), to = (r.right - time->pixelX) / scale / step;
            for (double k = std::max(from, 0.0); k <= to && k * step <= time->extentRight.factor; k += 1) {
                i32 x = time->valueToPixelX(k * step);
                if (x >= r.left && x < r.right) drawLine(dc, x, r.top, r.bottom - 1);
            }
        }
    }
    if (view & WaveHorizontalGrid) {
        for (u32 i = pane.firstCurve; i < pane.endCurve; ++i) {
            GGraphItem* lane = pane.itemAt(i);
            for (i32 q = -2; q <= 2; ++q) {
                i32 y = lane->valueToPixelY(q * (kWaveLaneSpan / 4.0));
                if (y >= r.top && y < r.bottom) drawHLine(dc, r.left, r.right - 1, y);
            }
        }
    }
}

void WavePane::paintOverlays(GSavedDC& dc, const RECT& clip) {
    if (u32 notice = noticeShown()) {
        if (GBitmap* picture = getCachedImage((i32)notice)) {
            if (picture->bitmap) {
                RECT plot = plotAreaRect(*this);
                HDC memory = CreateCompatibleDC(dc.dc());
                HGDIOBJ old = SelectObject(memory, picture->bitmap);
                BitBlt(dc.dc(), plot.left + 10, plot.bottom - picture->height - 10, picture->width, picture->height, memory, 0, 0, SRCCOPY);
                SelectObject(memory, old);
                DeleteDC(memory);
            }
        }
        drawHintBox(dc, ravoText(notice == WaveSuspendedBitmap ? RavoText::WaveSuspendedNotice : RavoText::WaveLoadingNotice));
        return;
    }
    const COLORREF marker = colour(WaveColorMarker);
    currentItem = 0;
    for (u32 i = 0; i < positions.bookmarks.count; ++i) drawGridLine(dc, positions.bookmarks[i], marker, nullptr);
    if (drawMode == WaveRangeTool) {
        if (rangeStart != ~0ull) drawGridLine(dc, (double)rangeStart, marker, nullptr);
        if (rangeEnd != ~0ull) drawGridLine(dc, (double)rangeEnd, marker, nullptr);
    } else {
        if (selStart != 0 || selEnd != 0) {
            RECT plot = plotAreaRect(*this);
            i64 x1 = std::max<i64>(pixelOfFrame(selStart), plot.left);
            i64 x2 = std::min<i64>(std::max(pixelOfFrame(selEnd), pixelOfFrame(selStart) + 1), plot.right);
            if (x1 < x2 && plot.top < plot.bottom) {
                HBRUSH brush = CreateSolidBrush((colour(WaveColorSelection) ^ background) & 0xFFFFFF);
                HGDIOBJ old = SelectObject(dc.dc(), brush);
                PatBlt(dc.dc(), (i32)x1, plot.top, (i32)(x2 - x1), plot.bottom - plot.top, PATINVERT);
                SelectObject(dc.dc(), old);
                DeleteObject(brush);
            }
        }
        drawCursorLine(dc);
    }
    const u32 mode = waveViewOptions.trackMode();
    if (dataKind == WaveSamples && (mode == WaveTrackAll || mode == WaveTrackShrink) && laneCount) {
        RECT plot = plotAreaRect(*this);
        dc.selectPen(GetSysColor(COLOR_3DSHADOW));
        if (plot.left > 0) drawLine(dc, plot.left - 1, plot.top, plot.bottom - 1);
        for (i32 i = 0; i < laneCount; ++i) {
            RECT box = titleBox(i);
            if (box.bottom <= clip.top || box.top >= clip.bottom || box.bottom <= plot.top || box.top >= plot.bottom) continue;
            DrawFrameControl(dc.dc(), &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (lanes[i].shown ? DFCS_CHECKED : 0));
        }
    }
}

RECT WavePane::titleBox(i32 lane) const {
    i32 top = laneTop(lane) - (lanes[lane].folded ? 15 : 7);
    return RECT{2, top, 17, top + 15};
}

bool WavePane::overlayAt(i32 x, i32 y, HCURSOR* shape) {
    if (!hasSound()) return false;
    if (tracker && tracker->dragging) {
        i64 a = pixelOfFrame(selStart), b = pixelOfFrame(selEnd);
        if (std::llabs(x - a) <= 4 || std::llabs(x - b) <= 4) *shape = LoadCursorA(nullptr, (LPCSTR)IDC_SIZEWE);
        return false;
    }
    if (drawMode < WavePointDraw || drawMode > WaveCurveDraw || suspension) return false;
    f64 value;
    i32 lane = laneAt(y, &value);
    if (lane < 0 || lanes[lane].curve < 0 || !insidePlotX(x)) return false;
    *shape = nullptr;
    return true;
}

void WavePane::drawOverlay(HDC hdc, i32 x, i32 y) {
    if (tracker && tracker->dragging) return;
    f64 mouseValue;
    i32 lane = laneAt(y, &mouseValue);
    if (lane < 0 || lanes[lane].curve < 0) return;
    const COLORREF background = colour(WaveColorBackground);
    const COLORREF ink = (colour(WaveColorMarker) ^ background) & 0xFFFFFF;
    int oldRop = SetROP2(hdc, R2_XORPEN);
    COLORREF oldBk = SetBkColor(hdc, GetSysColor(COLOR_WINDOW));
    LOGBRUSH brush{BS_SOLID, ink, 0};
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_DOT | PS_ENDCAP_FLAT, 1, &brush, 0, nullptr);
    HGDIOBJ oldPen = SelectObject(hdc, pen);
    RECT client;
    GetClientRect(hwnd, &client);
    MoveToEx(hdc, x, client.top, nullptr);
    LineTo(hdc, x, client.bottom);
    MoveToEx(hdc, client.left, y, nullptr);
    LineTo(hdc, client.right, y);
    if (drawMode >= WavePointDraw && drawMode <= WaveCurveDraw) {
        RECT plot = plotAreaRect(*this), box = laneRect(lane);
        RECT clip{std::max(plot.left, box.left), std::max(plot.top, box.top), std::min(plot.right, box.right), std::min(plot.bottom, box.bottom)};
        HRGN saved = CreateRectRgn(0, 0, 0, 0);
        bool hadClip = GetClipRgn(hdc, saved) == 1;
        IntersectClipRect(hdc, clip.left, clip.top, clip.right, clip.bottom);
        // A fresh curve through the points; the mouse adds one unless a point lies at its frame.
        CurvePoints curve;
        f64 mouseFrame = (f64)frameAtX(x);
        bool atMouse = false;
        for (i32 i = 0; i < toolCount; ++i) atMouse = atMouse || toolFrames[i] == mouseFrame;
        for (i32 i = 0; i < toolCount; ++i) curve.addPoint(toolFrames[i], toolValues[i]);
        if (!atMouse) curve.addPoint(mouseFrame, mouseValue);
        if (curve.count > 0) {
            i64 left = std::max<i64>(pixelOfFrame((u64)curve.minValue()), 0);
            i64 right = std::min<i64>(pixelOfFrame((u64)curve.maxValue()), box.right);
            bool first = true;
            for (i64 px = left; px <= right; ++px) {
                f64 frame = (px - frameView.origin) / frameView.pixelsPerFrame;
                if (curve.count == 1) frame = curve.xs[0];
                i32 py = laneY(lane, curve.interpolate(frame));
                if (first)
                    MoveToEx(hdc, (i32)px, py, nullptr);
                else
                    LineTo(hdc, (i32)px, py);
                first = false;
            }
            if (!first) LineTo(hdc, (i32)right + 1, laneY(lane, curve.interpolate(curve.count == 1 ? curve.xs[0] : (right + 1 - frameView.origin) / frameView.pixelsPerFrame)));
        }
        for (i32 i = 0; i < toolCount; ++i) {
            i32 px = (i32)std::max<i64>(std::min<i64>(pixelOfFrame((u64)toolFrames[i]), 30000), -30000);
            i32 py = laneY(lane, toolValues[i]);
            MoveToEx(hdc, px - 1, py - 1, nullptr);
            LineTo(hdc, px + 1, py - 1);
            LineTo(hdc, px + 1, py + 1);
            LineTo(hdc, px - 1, py + 1);
            LineTo(hdc, px - 1, py - 1);
        }
        SelectClipRgn(hdc, hadClip ? saved : nullptr);
        DeleteObject(saved);
    }
    SelectObject(hdc, oldPen);
    DeleteObject(pen);
    SetBkColor(hdc, oldBk);
    SetROP2(hdc, oldRop ? oldRop : R2_COPYPEN);
}
