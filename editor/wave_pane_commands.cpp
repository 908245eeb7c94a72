// The wave pane's commands: selection and cursor moves, bookmarks, saved selections, the shared
// view options, track modes and colours, with their enabled, checked and value states.
#include <algorithm>
#include <cmath>

#include "editor/wave_pane.h"
#include "editor/wave_view_options.h"
#include "gui/dialogs/choose_color.h"
#include "gui/menus/command_range.h"
#include "gui/menus/pane_color_group.h"

namespace {
enum : u32 {
    SelectNone = 321,
    SelectAll = 322,
    VGrid = 323,
    Milliseconds = 324,
    ColorDefault = 387,
    BeginSelect = 390,
    EndSelect = 391,
    ExpandBeginSelect = 392,
    ExpandEndSelect = 393,
    NoDraw = 421,
    PointDraw = 422,
    LineDraw = 423,
    CurveDraw = 424,
    DrawMenu = 480,
    SelectToLeft = 499,
    SelectToRight = 500,
    MarkerToLeft = 501,
    MarkerToRight = 502,
    StyleToggleStrokes = 533,
    StyleToggleLines = 534,
    StyleTogglePoints = 535,
    StyleStrokes = 536,
    StyleLines = 537,
    StylePoints = 538,
    HGrid = 556,
    Decibels = 557,
    RulerOnOff = 559,
    RulerUpDown = 560,
    BeginSelToMarker = 579,
    EndSelToMarker = 580,
    SaveSelectionMenu = 581,
    SaveSelection1 = 582,
    SaveSelection3 = 584,
    LoadSelectionMenu = 585,
    LoadSelection1 = 586,
    LoadSelection3 = 588,
    AddBookmark = 600,
    RemoveBookmark = 601,
    RemoveAllBookmarks = 602,
    NextBookmark = 603,
    PrevBookmark = 604,
    NextSelection = 605,
    PrevSelection = 606,
    SelectAround = 607,
    BookmarkSelection = 608,
    TrackModes = 626,
    TrackModeOverlap = 627,
    TrackModeActive = 628,
    TrackModeShrink = 629,
    TrackModeAll = 630,
    NewPeaks = 1000,
};

const u32 kU32Max = 0xFFFFFFFFu;

void changeView(u32 flags) {
    waveViewOptions.viewFlags = flags;
    WavePane::recalculateAll();
}

void changeStyle(u32 flags) {
    waveViewOptions.styleFlags = flags;
    WavePane::recalculateAll();
}
}  // namespace

bool WavePane::cursorStep(bool right, u64* to) const {
    u64 frame = cursor;
    if (scaleX >= 1.0 || !itemCount()) {
        frame = right ? std::min(cursor + 1, frameCount) : (cursor ? cursor - 1 : 0);
    } else {
        const GGraphItem& axis = *itemAt(0);
        double px = (double)pixelOfFrame(cursor) + (right ? 1 : -1);
        double v = std::ceil((px - axis.pixelX) / axis.scaleX);
        if (right && v <= (double)cursor) v = (double)cursor + 1;
        if (!right && v >= (double)cursor) v = (double)cursor - 1;
        frame = v <= 0 ? 0 : std::min((u64)std::min(v, 1.8e19), frameCount);
    }
    *to = frame;
    return frame != cursor;
}

void WavePane::selectNeighbourStretch(bool next) {
    // The boundaries: 0, the bookmarks and the frame count.
    const BookmarkList& marks = positions.bookmarks;
    auto boundary = [&](u32 i) -> u64 { return i == 0 ? 0 : i <= marks.count ? marks[i - 1] : frameCount; };
    const u32 last = marks.count + 1;
    if (next) {
        u32 i = 0;
        while (i <= last && boundary(i) < selEnd) ++i;
        if (i >= last) return;
        setSelection(boundary(i), boundary(i + 1));
    } else {
        u32 i = last;
        while (i > 0 && boundary(i) > selStart) --i;
        if (i == 0) return;
        setSelection(boundary(i - 1), boundary(i));
    }
}

bool WavePane::onCommand(u32 command, GStateQuery* query) {
    if (command >= GraphScaleNormal && command <= GraphScaleMenu) return GGraph::onCommand(command, query);
    if (command == NewPeaks) {
        refreshData();
        invalidate();
        // The owner shows how far the reading got.
        notifyOwner(kNewPeaksNotification, nullptr);
        return true;
    }
    const u32 view = waveViewOptions.viewFlags, style = waveViewOptions.styleFlags;
    switch (command) {
    case ColorDefault:
        if (PaneColorGroup* group = paneColorGroup(0)) group->restoreDefaults();
        return true;
    case VGrid: changeView(view ^ WaveVerticalGrid); return true;
    case Milliseconds: changeView(view ^ WaveMilliseconds); return true;
    case HGrid: changeView(view ^ WaveHorizontalGrid); return true;
    case Decibels: changeView(view ^ WaveDecibels); return true;
    case RulerOnOff: changeView(view ^ WaveRulerShown); return true;
    case RulerUpDown: changeView((view ^ WaveRulerOther) | WaveRulerShown); return true;
    case StyleToggleStrokes: changeStyle(style ^ WaveStyleStrokes); return true;
    case StyleToggleLines: changeStyle(style ^ WaveStyleLines); return true;
    case StyleTogglePoints: changeStyle(style ^ WaveStylePoints); return true;
    case StyleStrokes: changeStyle((style & ~WaveStyleMask) | WaveStyleStrokes); return true;
    case StyleLines: changeStyle((style & ~WaveStyleMask) | WaveStyleLines); return true;
    case StylePoints: changeStyle((style & ~WaveStyleMask) | WaveStylePoints); return true;
    case TrackModeOverlap: changeView((view & ~WaveTrackModeMask) | WaveTrackOverlap); return true;
    case TrackModeActive: changeView((view & ~WaveTrackModeMask) | WaveTrackActive); return true;
    case TrackModeShrink: changeView((view & ~WaveTrackModeMask) | WaveTrackShrink); return true;
    case TrackModeAll: changeView((view & ~WaveTrackModeMask) | WaveTrackAll); return true;
    default: break;
    }
    if (command >= WaveColorBackground && command <= WaveColorAxis) {
        PaneColorGroup* group = paneColorGroup(0);
        if (!group) return true;
        COLORREF chosen = colour(command);
        chooseColor(this, &chosen, chosen);
        group->range()->valueOf((i32)command) = chosen;
        group->apply();
        return true;
    }
    if (!hasSound()) return false;
    currentItem = 0;
    auto scrollTo = [&](u64 frame) { scrollToValue(0, (double)frame); };
    u64 to;
    switch (command) {
    case SelectNone: setSelection(0, 0); invalidate(); return true;
    case SelectAll:
        if (selStart == 0 && selEnd == frameCount)
            setSelection(0, 0);
        else
            setSelection(0, frameCount);
        return true;
    case BeginSelect: setCursor(selStart); scrollTo(cursor); return true;
    case EndSelect: setCursor(selEnd); scrollTo(cursor); return true;
    case ExpandBeginSelect: setSelection(0, selEnd); setCursor(0); scrollTo(0); return true;
    case ExpandEndSelect: setSelection(selStart, frameCount); setCursor(frameCount); scrollTo(frameCount); return true;
    case SelectToLeft:
    case SelectToRight: {
        cursorStep(command == SelectToRight, &to);
        if (cursor == selStart && selStart != selEnd)
            setSelection(to, selEnd);
        else if (cursor == selEnd && selStart != selEnd)
            setSelection(selStart, to);
        else
            setSelection(cursor, to);
        setCursor(to);
        scrollTo(cursor);
        return true;
    }
    case MarkerToLeft:
    case MarkerToRight:
        if (cursorStep(command == MarkerToRight, &to)) setCursor(to);
        scrollTo(cursor);
        return true;
    case BeginSelToMarker: setSelection(cursor, std::max(selEnd, cursor)); scrollTo(cursor); return true;
    case EndSelToMarker: setSelection(std::min(selStart, cursor), cursor); scrollTo(cursor); return true;
    case SaveSelectionMenu:
    case LoadSelectionMenu: return true;
    case AddBookmark: addBookmarkAt(cursor); return true;
    case RemoveBookmark: {
        i32 i = nearestBookmark(cursor);
        if (i >= 0 && std::llabs(pixelOfFrame(positions.bookmarks[(u32)i]) - pixelOfFrame(cursor)) <= 10) removeBookmark(i);
        return true;
    }
    case RemoveAllBookmarks: arrayFree(positions.bookmarks); invalidate(); return true;
    case NextBookmark:
    case PrevBookmark: {
        const BookmarkList& marks = positions.bookmarks;
        u32 c = (u32)std::min<u64>(cursor, kU32Max);
        if (command == NextBookmark) {
            const u32* next = std::upper_bound(marks.data, marks.data + marks.count, c);
            if (next != marks.data + marks.count) setCursor(*next);
        } else {
            const u32* below = std::lower_bound(marks.data, marks.data + marks.count, c);
            if (below != marks.data) setCursor(*(below - 1));
        }
        scrollTo(cursor);
        return true;
    }
    case NextSelection:
    case PrevSelection:
        if (selStart == 0 && selEnd == 0)
            selectAround(cursor);
        else
            selectNeighbourStretch(command == NextSelection);
        showRange(selStart, selEnd);
        return true;
    case SelectAround: selectAround(cursor); return true;
    case BookmarkSelection:
        addBookmarkAt(selStart);
        addBookmarkAt(selEnd);
        return true;
    default: break;
    }
    if (command >= SaveSelection1 && command <= SaveSelection3) {
        SavedSelection& s = positions.saved[command - SaveSelection1];
        s.start = (u32)std::min<u64>(selStart, kU32Max);
        s.end = (u32)std::min<u64>(selEnd, kU32Max);
        return true;
    }
    if (command >= LoadSelection1 && command <= LoadSelection3) {
        const SavedSelection& s = positions.saved[command - LoadSelection1];
        setSelection(s.start, s.end);
        showRange(s.start, s.end);
        invalidate();
        return true;
    }
    return false;
}

i32 WavePane::commandState(u32 command) {
    if (command >= GraphScaleNormal && command <= GraphScaleMenu) {
        i32 state = GGraph::commandState(command);
        if (state != CommandUnknown) return state;
    }
    auto enabledIf = [](bool on) { return on ? CommandEnabled : CommandDisabled; };
    const bool shown = hasSound(), samples = dataKind == WaveSamples;
    const bool marks = positions.bookmarks.count > 0;
    if (command == ColorDefault || (command >= WaveColorBackground && command <= WaveColorAxis) || command == NewPeaks)
        return CommandEnabled;
    switch (command) {
    case SelectNone:
    case SelectAll:
    case VGrid:
    case Milliseconds:
    case BeginSelect:
    case EndSelect:
    case ExpandBeginSelect:
    case ExpandEndSelect:
    case SelectToLeft:
    case SelectToRight:
    case RulerOnOff:
    case RulerUpDown:
    case BeginSelToMarker:
    case EndSelToMarker:
    case AddBookmark: return enabledIf(shown);
    case MarkerToLeft: return enabledIf(shown && cursor > 0);
    case MarkerToRight: return enabledIf(shown && cursor < frameCount);
    case StyleToggleStrokes:
    case StyleToggleLines:
    case StyleTogglePoints:
    case StyleStrokes:
    case StyleLines:
    case StylePoints:
    case HGrid:
    case Decibels:
    case TrackModes:
    case TrackModeOverlap:
    case TrackModeActive:
    case TrackModeShrink:
    case TrackModeAll: return enabledIf(samples);
    case RemoveBookmark:
    case RemoveAllBookmarks:
    case NextBookmark:
    case PrevBookmark:
    case NextSelection:
    case PrevSelection:
    case SelectAround: return enabledIf(shown && marks);
    case BookmarkSelection: return enabledIf(shown && (selStart != 0 || selEnd != 0));
    default: break;
    }
    if (command >= SaveSelectionMenu && command <= LoadSelection3) return enabledIf(shown);
    return CommandUnknown;
}

i32 WavePane::commandChecked(u32 command) {
    const u32 view = waveViewOptions.viewFlags, style = waveViewOptions.styleFlags & WaveStyleMask;
    const u32 mode = view & WaveTrackModeMask;
    switch (command) {
    case VGrid: return (view & WaveVerticalGrid) ? 1 : 0;
    case Milliseconds: return (view & WaveMilliseconds) ? 1 : 0;
    case HGrid: return (view & WaveHorizontalGrid) ? 1 : 0;
    case Decibels: return (view & WaveDecibels) ? 1 : 0;
    case RulerOnOff: return (view & WaveRulerShown) ? 1 : 0;
    case NoDraw:
    case PointDraw:
    case LineDraw:
    case CurveDraw: return drawMode == command - NoDraw ? 1 : 0;
    case StyleToggleStrokes: return (style & WaveStyleStrokes) ? 1 : 0;
    case StyleToggleLines: return (style & WaveStyleLines) ? 1 : 0;
    case StyleTogglePoints: return (style & WaveStylePoints) ? 1 : 0;
    case StyleStrokes: return style == WaveStyleStrokes ? 1 : 0;
    case StyleLines: return style == WaveStyleLines ? 1 : 0;
    case StylePoints: return style == WaveStylePoints ? 1 : 0;
    case TrackModeOverlap: return mode == WaveTrackOverlap ? 1 : 0;
    case TrackModeActive: return mode == WaveTrackActive ? 1 : 0;
    case TrackModeAll: return mode == WaveTrackAll ? 1 : 0;
    case TrackModeShrink: return mode == WaveTrackShrink ? 1 : 0;
    default: return GGraph::commandChecked(command);
    }
}

i32 WavePane::commandValue(u32 command) {
    if (command == DrawMenu) return drawMode <= WaveCurveDraw ? (i32)(NoDraw + drawMode) : (i32)NoDraw;
    if (command == TrackModes) {
        switch (waveViewOptions.trackMode()) {
        case WaveTrackOverlap: return TrackModeOverlap;
        case WaveTrackActive: return TrackModeActive;
        case WaveTrackAll: return TrackModeAll;
        default: return TrackModeShrink;
        }
    }
    return GGraph::commandValue(command);
}
