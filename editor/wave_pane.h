#pragma once
// WavePane ("WavePane", type 1003): the graph window that shows a sound's wave, its selection,
// cursor and bookmarks, and the hand-drawing tools. Made by the Editor with its parent; deletes
// itself with its native window like every graph. It owns its data source (deleted on destroy),
// its mouse capture and overlay tracker (window listeners, deleted with the window) and its graph
// items (deleted by the graph).
#include "editor/wave_data_source.h"
#include "editor/wave_view.h"
#include "gui/input/drag_tracker.h"
#include "gui/kernel/timers.h"
#include "gui/menus/color_pane.h"
#include "gui/views/graph.h"

struct GBag;
class GMouseCapture;
struct SoundFormat;
struct TrackRecord;
class SoundStore;

// Draw modes.
enum : u32 { WaveNoDraw = 0, WavePointDraw = 1, WaveLineDraw = 2, WaveCurveDraw = 3, WavePlayback = 4, WaveRangeTool = 5 };
// Data kinds.
enum : u32 { WaveNoSound = 0, WaveSamples = 1, WaveRawBytes = 2 };
// Notifications to the owner; the value points at a WavePaneNotice.
enum : u32 {
    WavePaneChanged = 2,
    WavePaneCursorMoved = 3,
    WavePanePoint = 571,
    WavePaneLine = 572,
    WavePaneCurve = 573,
    WavePanePlayPick = 574,
    WavePaneTitleClick = 625,
};
// The pane colours, by action id.
enum : u32 {
    WaveColorBackground = 366,
    WaveColorFirstVoice = 367,
    WaveColorLastVoice = 368,
    WaveColorGrid = 369,
    WaveColorDigits = 370,
    WaveColorSelection = 371,
    WaveColorMarker = 372,
    WaveColorStrokes = 373,
    WaveColorAxis = 374,
};
// A track's colour: its own, or for 0xFFFFFFFF the default of track `track` of `tracks`.
COLORREF waveTrackColour(const TrackRecord& record, u32 track, u32 tracks);
// One lane's value span and the tool's point capacity.
const i32 kWaveLaneSpan = 65534;
const i32 kWaveToolPoints = 10;

struct WavePaneNotice {
    u64 frame = 0;
    i32 track = -1;
    i32 count = 0;
    f64 frames[kWaveToolPoints] = {};
    f64 values[kWaveToolPoints] = {};
};

// A lane of the stacked layout: its track, the content position of its top (below its title
// strip), and whether it shows a curve.
struct WaveLane {
    i32 track = 0;
    GraphPair top;
    bool folded = false;  // shrink mode: only the title strip
    bool shown = false;   // the track is active
    i32 curve = -1;       // item index of its curve
};

class WavePane : public GGraph, public GOverlaySource {
public:
    explicit WavePane(GWindow* owner);
    ~WavePane() override;

    bool isKindOf(u32 id) const override { return id == TypeWavePane || GGraph::isKindOf(id); }
    const char* className() const override { return "WavePane"; }
    u32 typeId() const override { return TypeWavePane; }

    bool create(u32 style, u32 exStyle = 0);

    // The model.
    void setSound(SoundStore* store, u64 dataStart, u64 dataLength, SoundFormat* format);
    void setLength(u64 dataLength);
    void setSelection(u64 a, u64 b);
    void setCursor(u64 frame);
    void showCursorAt(u64 frame);
    void showRange(u64 from, u64 to);
    void selectAllPlain() { setSelection(0, frameCount); }
    // Over a lane of sample data: the frame, and the level (or the column's pair) under the mouse.
    bool valueAtMouse(u64* frame, f64* low, f64* high);
    // Bookmarks in (from, to], appended to out.
    void bookmarksInRange(u64 from, u64 to, BookmarkList& out) const;
    void addBookmarks(const u32* frames, u32 count);
    void addBookmarkAt(u64 frame);
    // The index of the bookmark nearest to the frame (the earlier one only when strictly nearer); -1 without.
    i32 nearestBookmark(u64 frame) const;
    void removeBookmark(i32 index);
    void suspendReading();
    void resumeReading();
    void saveState(GBag& bag);
    // A state that does not read back leaves the pane at its defaults; false then.
    bool restoreState(GBag& bag);
    void setDrawMode(u32 mode);
    void selectAround(u64 frame);
    // The stretch between boundaries (0, bookmarks, frame count) after or before the selection.
    void selectNeighbourStretch(bool next);

    // The vertical scale at which the lanes fill the plot becomes the normal one.
    void fitLanes();
    bool onSize(i32 width, i32 height) override;

    // Recalculation.
    void recalculate(bool relayout);
    void refreshData();
    static void recalculateAll();

    // Geometry.
    u64 frameAtX(i32 x) const;
    i64 pixelOfFrame(u64 frame) const;
    // The lane under the y coordinate and its value there; -1 when none.
    i32 laneAt(i32 y, f64* value) const;
    // The value of a lane at a y coordinate, and the y of a value.
    f64 laneValueAt(i32 lane, i32 y) const;
    i32 laneY(i32 lane, f64 value) const;
    // The screen y of a lane's top (below its title strip).
    i32 laneTop(i32 lane) const;
    RECT laneRect(i32 lane) const;
    // A lane's title box (client coordinates).
    RECT titleBox(i32 lane) const;
    // The lane whose title box holds the point (track modes all and shrink); -1 when none.
    i32 titleBoxAt(i32 x, i32 y) const;
    // Hovering a title box makes its track the active one; a left press sends its click.
    bool titleBoxEvent(GInputEvent* event);
    // The bitmap of the notice shown instead of the overlays; 0 when none.
    u32 noticeShown() const;
    // A colour of the wave pane colour group.
    static COLORREF colour(u32 id);

    // Window and graph operations.
    void paint(HDC dc, const RECT& update, bool erase) override;
    void onDestroy() override;
    void setScrollState(const GScrollRange& h, const GScrollRange& v) override;
    void selection(double* low, double* high) override {
        *low = (double)selStart;
        *high = (double)selEnd;
    }
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    bool handleMouse(GInputEvent* event) override;
    // Moves: the title box under the pointer makes its track the active one.
    bool handleCapturedMouse(GInputEvent* event) override;
    // In the drawing modes a pointer beside the plot scrolls the view by its overshoot and is put
    // back on the same sample.
    void keepPenVisible(i32 x, i32 y);
    i32 handleKey(GInputEvent* event) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    i32 commandChecked(u32 command) override;
    i32 commandValue(u32 command) override;
    void onTimer(TimerRecord* record) override;
    bool dragBegin(GMouseCapture* capture, i32 x, i32 y) override;
    bool dragMove(GMouseCapture* capture, i32 fromX, i32 fromY, i32 x, i32 y) override;
    void dragDrop(GMouseCapture* capture, i32 x, i32 y) override;
    void dragCancel(GMouseCapture* capture, i32 x, i32 y) override;

    // The tools' overlay.
    void drawOverlay(HDC dc, i32 x, i32 y) override;
    bool overlayAt(i32 x, i32 y, HCURSOR* cursor) override;

    // The pane's overlays, drawn with the graph.
    void paintOverlays(GSavedDC& dc, const RECT& clip);
    void drawCursorLine(GSavedDC& dc);
    // Sends a notification to the owner.
    void notifyOwner(u32 code, WavePaneNotice* notice);
    // The tool's points as a notice; adds the point unless one lies at its frame.
    void sendToolPoints(bool addMouse);
    void addToolPoint(f64 frame, f64 value);
    void clearToolPoints();
    void pickInPlayback(i32 x);
    bool cursorStep(bool right, u64* to) const;
    bool hasSound() const { return dataKind != WaveNoSound; }
    // True when the frame is within the plot's horizontal extent.
    bool insidePlotX(i32 x) const;

    WaveDataSource* source = nullptr;
    GMouseCapture* tracker = nullptr;
    GDragTracker* overlay = nullptr;
    // The tools' points, in the order placed.
    i32 toolCount = 0;
    f64 toolFrames[kWaveToolPoints] = {};
    f64 toolValues[kWaveToolPoints] = {};
    u64 selStart = 0, selEnd = 0;
    u64 cursor = 0;
    u64 anchor = 0;
    u64 rangeStart = ~0ull, rangeEnd = ~0ull;
    u64 frameCount = 0;
    SoundFormat* format = nullptr;
    SoundStore* store = nullptr;
    u64 dataStart = 0, dataLength = 0;
    u32 dataKind = WaveNoSound;
    u32 drawMode = WaveNoDraw;
    bool thumbTracking = false;
    u32 suspension = 0;
    TimerRecord suspensionTimer;
    i32 titleHeight = 17;
    i32 activeTrack = -1;
    FrameAxisView frameView;
    WaveViewData viewData;
    u32 firstCurve = 0, endCurve = 0;
    WaveLane* lanes = nullptr;
    i32 laneCount = 0;
    WavePositions positions;
    double initialScaleY = 1.0;
    bool pendingCursor = false;
    bool showingCursor = false;  // the guard of showCursorAt
    bool selectionChanged = false;
    bool hadFill = false;  // visible data arrived since the sound was attached
    bool hintPressPending = false;  // the first press showed its hint and is consumed
};

// Bitmap resources of the two notices.
enum : u32 { WaveSuspendedBitmap = 3145, WaveLoadingBitmap = 3146 };
