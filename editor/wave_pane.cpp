// The wave pane's model: the sound, selection, cursor, bookmarks, suspension and saved state.
#include "editor/wave_pane.h"

#include <algorithm>
#include <cmath>

#include "core/bag.h"
#include "core/exceptions.h"
#include "gui/input/system_input.h"
#include "gui/input/mouse_capture.h"
#include "gui/layout/layout_cell.h"
#include "gui/menus/command_range.h"
#include "gui/menus/pane_color_group.h"
#include "gui/paint/saved_dc.h"
#include "mm/sound_format.h"

namespace {
const u32 kSuspensionTick = 1000;
const u64 kU32Max = 0xFFFFFFFFull;

u32 clampU32(u64 v) { return (u32)std::min(v, kU32Max); }
}  // namespace

WavePane::WavePane(GWindow* owner) : GGraph(owner) {
    source = new WaveDataSource(this);
    tracker = new GMouseCapture(this);
    overlay = new GDragTracker(this, new GOverlayForwarder(this));
    ensurePaneColors(paneColorGroup(0));
    drawStyle |= DrawOffscreen;
    border = 0;
}

WavePane::~WavePane() {
    delete[] lanes;
    destroyNative();
}

bool WavePane::create(u32 style, u32 exStyle) {
    if (!GGraph::create(style, exStyle)) return false;
    recalculate(true);
    return true;
}

void WavePane::onDestroy() {
    removeTimer(&suspensionTimer);
    delete source;
    source = nullptr;
    GGraph::onDestroy();
}

COLORREF WavePane::colour(u32 id) {
    PaneColorGroup* group = paneColorGroup(0);
    CommandRange* range = group ? group->range() : nullptr;
    if (!range || !range->contains((i32)id)) return 0;
    return range->valueOf((i32)id) & 0xFFFFFF;
}

void WavePane::notifyOwner(u32 code, WavePaneNotice* notice) {
    GControlNotification n;
    n.source = this;
    n.code = code;
    n.value = (intptr_t)notice;
    notifyUp(this, &n);
}

void WavePane::setSound(SoundStore* soundStore, u64 start, u64 length, SoundFormat* soundFormat) {
    RedrawLockScope lock(this);
    bool attach = soundFormat && soundFormat->defined && soundFormat->trackCount() > 0;
    format = attach ? soundFormat : nullptr;
    store = soundStore;
    clearToolPoints();
    rangeStart = rangeEnd = ~0ull;
    if (source) source->close();
    arrayFree(positions.bookmarks);
    for (SavedSelection& s : positions.saved) s = SavedSelection{};
    positions.playStart = 0;
    dataStart = start;
    dataLength = length;
    viewData.release();
    hadFill = false;
    if (attach) {
        u32 encoding = format->encoding;
        dataKind = encoding >= encodingInt16 && encoding <= encodingDouble ? WaveSamples : WaveRawBytes;
        if (dataKind == WaveSamples) {
            u32 frameBytes = source ? source->setFormat(store, encoding, format->trackCount(), start, length) : 0;
            if (!frameBytes) frameBytes = std::max<u32>(format->bytesPerFrame, 1);
            frameCount = length / frameBytes;
            minScaleY = 0.0005;
            normalScaleY = 0.005;
            maxScaleY = 5.0;
        } else {
            frameCount = length;
            minScaleY = normalScaleY = maxScaleY = 1.0;
        }
        minScaleX = 1e-20;
        maxScaleX = 20.0;
    } else {
        dataKind = WaveNoSound;
        frameCount = 0;
        minScaleX = maxScaleX = normalScaleX = 1.0;
        minScaleY = maxScaleY = normalScaleY = 1.0;
    }
    cursor = std::min(cursor, frameCount);
    selEnd = std::min(selEnd, frameCount);
    selStart = std::min(selStart, selEnd);
    recalculate(false);
    scaleX = normalScaleX;
    scaleY = normalScaleY;
    // The whole sound across the plot at first.
    if (dataKind != WaveNoSound && frameCount) {
        computeGraphLayout(*this);
        RECT client{0, 0, 0, 0};
        if (hwnd) GetClientRect(hwnd, &client);
        double width = client.right - horizontal.leadingInset - horizontal.trailingInset;
        if (width > 0) normalScaleX = std::max(std::min(width / (double)frameCount, maxScaleX), minScaleX);
    }
    scaleX = normalScaleX;
    initialScaleY = normalScaleY;
    invalidateLayout();
    fitLanes();
    if (hwnd) invalidate();
}

void WavePane::fitLanes() {
    if (dataKind != WaveSamples || !hwnd || laneCount <= 0) return;
    RECT client;
    GetClientRect(hwnd, &client);
    // Every lane has its title strip above it; folded lanes have nothing else.
    double pixels = 0, factors = 0;
    for (i32 i = 0; i < laneCount; ++i) {
        pixels += titleHeight;
        if (!lanes[i].folded) factors += kWaveLaneSpan;
    }
    const double room = client.bottom - vertical.leadingInset - vertical.trailingInset - 2.0 * border - pixels - 2;
    if (room <= 0 || factors <= 0) return;
    scaleY = normalScaleY = std::max(std::min(room / factors, maxScaleY), minScaleY);
    invalidateLayout();
}

bool WavePane::onSize(i32 width, i32 height) {
    // At its normal height the lanes keep filling the plot.
    const bool fitted = scaleY == normalScaleY;
    GGraph::onSize(width, height);
    if (fitted) fitLanes();
    return false;
}

void WavePane::setLength(u64 length) {
    if (!hasSound()) return;
    RedrawLockScope lock(this);
    clearToolPoints();
    dataLength = length;
    u32 frameBytes = dataKind == WaveSamples ? std::max<u32>(source ? source->frameBytes : format->bytesPerFrame, 1) : 1;
    frameCount = length / frameBytes;
    recalculate(true);
    cursor = std::min(cursor, frameCount);
    selEnd = std::min(selEnd, frameCount);
    selStart = std::min(selStart, selEnd);
    u32 limit = clampU32(frameCount);
    for (SavedSelection& s : positions.saved) {
        s.end = std::min(s.end, limit);
        s.start = std::min(s.start, s.end);
    }
    BookmarkList& marks = positions.bookmarks;
    while (marks.count && marks[marks.count - 1] > frameCount) --marks.count;
    invalidate();
}

void WavePane::setSelection(u64 a, u64 b) {
    a = std::min(a, frameCount);
    b = std::min(b, frameCount);
    if (a > b) std::swap(a, b);
    if (a == selStart && b == selEnd) return;
    selStart = a;
    selEnd = b;
    if (hwnd) invalidate();
    if (!redrawLock) notifyOwner(WavePaneChanged, nullptr);
    selectionChanged = true;
}

void WavePane::drawCursorLine(GSavedDC& dc) {
    if (!hwnd || !hasSound() || drawMode == WaveRangeTool || suspension == 2) return;
    if (noticeShown()) return;
    background = colour(WaveColorBackground);
    currentItem = 0;
    drawXorLine(dc, colour(WaveColorMarker), (double)cursor);
}

void WavePane::setCursor(u64 frame) {
    if (!hasSound() || frame == cursor) return;
    frame = std::min(frame, frameCount);
    if (frame == cursor) return;
    if (hwnd && IsWindowVisible(hwnd)) {
        GSavedDC dc(hwnd);
        drawCursorLine(dc);
        cursor = frame;
        drawCursorLine(dc);
    } else {
        cursor = frame;
    }
    if (redrawLock)
        pendingCursor = true;
    else
        notifyOwner(WavePaneCursorMoved, nullptr);
}

void WavePane::showCursorAt(u64 frame) {
    if (showingCursor) return;
    showingCursor = true;
    setCursor(frame);
    i64 x = pixelOfFrame(cursor);
    RECT plot = plotAreaRect(*this);
    if (x < plot.left || x >= plot.right) {
        GScrollRange h = horizontal, v = vertical;
        h.setPosition(h.origin + (x - plot.left));
        setScrollState(h, v);
        invalidate();
    }
    showingCursor = false;
}

void WavePane::showRange(u64 from, u64 to) {
    currentItem = 0;
    scrollToRange((double)from, (double)to);
}

bool WavePane::valueAtMouse(u64* frame, f64* low, f64* high) {
    if (dataKind != WaveSamples || !viewData.values || !hwnd) return false;
    POINT p;
    systemInput.cursorPos(&p);
    ScreenToClient(hwnd, &p);
    f64 value;
    i32 lane = laneAt(p.y, &value);
    if (lane < 0 || lanes[lane].curve < 0 || !insidePlotX(p.x)) return false;
    *frame = frameAtX(p.x);
    *low = *high = value;
    if (viewData.readMode != WaveReadMode::EveryFrame) {
        u32 tracks = format->trackCount();
        i64 column = p.x - frameView.firstColumn;
        u64 index = ((u64)column * tracks + (u64)lanes[lane].track) * 2;
        if (column >= 0 && index + 1 < viewData.count) {
            *low = viewData.values[index];
            *high = viewData.values[index + 1];
        }
    }
    return true;
}

void WavePane::bookmarksInRange(u64 from, u64 to, BookmarkList& out) const {
    const BookmarkList& marks = positions.bookmarks;
    for (u32 i = 0; i < marks.count; ++i)
        if (marks[i] > from && marks[i] <= to) *out.append(1) = marks[i];
}

void WavePane::addBookmarks(const u32* frames, u32 count) {
    for (u32 i = 0; i < count; ++i) addBookmark(positions.bookmarks, frames[i]);
    invalidate();
}

void WavePane::addBookmarkAt(u64 frame) {
    addBookmark(positions.bookmarks, clampU32(std::min(frame, frameCount)));
    invalidate();
}

i32 WavePane::nearestBookmark(u64 frame) const {
    const BookmarkList& marks = positions.bookmarks;
    if (!marks.count) return -1;
    u32 i = (u32)(std::lower_bound(marks.data, marks.data + marks.count, (u32)std::min(frame, kU32Max)) - marks.data);
    if (i == marks.count) return (i32)i - 1;
    if (i == 0) return 0;
    u64 below = frame - marks[i - 1], above = marks[i] - frame;
    return below < above ? (i32)i - 1 : (i32)i;
}

void WavePane::removeBookmark(i32 index) {
    BookmarkList& marks = positions.bookmarks;
    if (index < 0 || (u32)index >= marks.count) return;
    marks.remove((u32)index);
    invalidate();
}

void WavePane::selectAround(u64 frame) {
    const BookmarkList& marks = positions.bookmarks;
    u64 low = 0, high = frameCount;
    u32 i = (u32)(std::upper_bound(marks.data, marks.data + marks.count, (u32)std::min(frame, kU32Max)) - marks.data);
    if (i > 0) low = marks[i - 1];
    if (i < marks.count) high = marks[i];
    if (cursor > low && cursor < frame) low = cursor;
    if (cursor > frame && cursor < high) high = cursor;
    setSelection(low, high);
}

void WavePane::suspendReading() {
    if (suspension != 0) return;
    suspension = 1;
    if (source) source->pauseCache();
    addTimer(&suspensionTimer, kSuspensionTick, this, nullptr);
}

void WavePane::onTimer(TimerRecord* record) {
    if (record != &suspensionTimer) return;
    removeTimer(&suspensionTimer);
    if (suspension == 1) {
        suspension = 2;
        invalidate();
    }
}

void WavePane::resumeReading() {
    removeTimer(&suspensionTimer);
    bool was = suspension != 0;
    suspension = 0;
    if (was && source) source->resumeCache();
    refreshData();
    invalidate();
}

void WavePane::saveState(GBag& bag) {
    if (!hasSound()) return;
    bagWriteF64(bag, scaleX);
    bagWriteF64(bag, initialScaleY != 0 ? scaleY / initialScaleY : scaleY);
    bagWriteU64(bag, (u64)horizontal.origin);
    bagWriteU64(bag, (u64)vertical.origin);
    bagWriteU32(bag, clampU32(selStart));
    bagWriteU32(bag, clampU32(selEnd));
    bagWriteU32(bag, clampU32(cursor));
    bagWriteI32(bag, -1);
    bagWriteBlob(bag, positions.bookmarks.data, positions.bookmarks.count);
    for (const SavedSelection& s : positions.saved) {
        bagWriteU32(bag, s.start);
        bagWriteU32(bag, s.end);
    }
}

bool WavePane::restoreState(GBag& bag) {
    if (!hasSound()) return true;
    f64 zoomX = 0, zoomY = 0;
    u64 originX = 0, originY = 0;
    u32 start = 0, end = 0, at = 0, count = 0;
    i32 marker = 0;
    BookmarkList marks;
    SavedSelection saved[3];
    try {
        bagReadF64(bag, &zoomX);
        bagReadF64(bag, &zoomY);
        bagReadU64(bag, &originX);
        bagReadU64(bag, &originY);
        bagReadU32(bag, &start);
        bagReadU32(bag, &end);
        bagReadU32(bag, &at);
        bagReadI32(bag, &marker);
        if (marker == -1) {
            bagReadU32(bag, &count);
            // Each bookmark takes four bytes, and the saved selections follow.
            if ((u64)count * 4 + 24 > (u64)(bag.size - bag.pos)) return false;
            for (u32 i = 0; i < count; ++i) {
                u32 frame;
                bagReadU32(bag, &frame);
                if (frame <= frameCount) addBookmark(marks, frame);
            }
        }
        for (SavedSelection& s : saved) {
            bagReadU32(bag, &s.start);
            bagReadU32(bag, &s.end);
        }
    } catch (const GBagException&) {
        return false;
    }
    if (!(zoomX > 0) || !std::isfinite(zoomX) || !(zoomY > 0) || !std::isfinite(zoomY)) return false;
    GGraphView view;
    view.scaleX = std::max(std::min(zoomX, maxScaleX), minScaleX);
    view.scaleY = zoomY;
    view.originX = originX;
    view.originY = originY;
    applyView(view);
    setSelection(start, end);
    cursor = std::min<u64>(at, frameCount);
    arrayFree(positions.bookmarks);
    for (u32 i = 0; i < marks.count; ++i) addBookmark(positions.bookmarks, marks[i]);
    u32 limit = clampU32(frameCount);
    for (i32 i = 0; i < 3; ++i) {
        positions.saved[i].end = std::min(saved[i].end, limit);
        positions.saved[i].start = std::min(saved[i].start, positions.saved[i].end);
    }
    invalidate();
    return true;
}
