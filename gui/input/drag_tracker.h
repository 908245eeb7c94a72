#pragma once
// GDragTracker: the pointer overlay of a window that shows data along an axis (a marker line under
// the pointer), drawn with self-inverse drawing over the window without repainting it. It follows
// the window's mouse messages from the head of its chain, keeps the clean client area in a buffer
// for flicker-free moves and chooses the cursor. One tracker at a time is the current painter. The
// window owns it (GWindowListener); its paint calls paintInto at the end. The tracker owns the
// painter that draws the overlay; a window that draws it itself hands over a GOverlayForwarder.
#include <windows.h>

#include "gui/kernel/window_listener.h"

// The painter of the overlay.
class GOverlaySource {
public:
    virtual ~GOverlaySource() = default;
    // Draws the overlay at the point; drawing twice at one place must restore the pixels.
    virtual void drawOverlay(HDC dc, i32 x, i32 y) = 0;
    // Whether the overlay is wanted at the point, and the cursor to show there.
    virtual bool overlayAt(i32 x, i32 y, HCURSOR* cursor) = 0;
    // The overlay moved to a new point.
    virtual void overlayMoved() {}
};

// Forwards every request to a painter it does not own (the window itself).
class GOverlayForwarder : public GOverlaySource {
public:
    explicit GOverlayForwarder(GOverlaySource* target) : target(target) {}
    void drawOverlay(HDC dc, i32 x, i32 y) override { target->drawOverlay(dc, x, y); }
    bool overlayAt(i32 x, i32 y, HCURSOR* cursor) override { return target->overlayAt(x, y, cursor); }
    void overlayMoved() override { target->overlayMoved(); }
    GOverlaySource* const target;
};

// A memory DC with a bitmap compatible with a window's DC, kept between updates.
class OverlayBuffer {
public:
    OverlayBuffer() = default;
    ~OverlayBuffer() { drop(); }
    OverlayBuffer(const OverlayBuffer&) = delete;
    OverlayBuffer& operator=(const OverlayBuffer&) = delete;

    // A buffer of the size (kept when it has it already); false when none could be made.
    bool ensure(HDC like, i32 width, i32 height);
    void drop();
    HDC dc() const { return memory; }
    bool exists() const { return memory != nullptr; }

private:
    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    i32 width = 0, height = 0;
};

class GDragTracker : public GWindowListener {
public:
    // The painter is taken over.
    GDragTracker(GWindow* window, GOverlaySource* source);
    // Stops being the current painter and deletes the painter.
    ~GDragTracker() override;
    GDragTracker(const GDragTracker&) = delete;
    GDragTracker& operator=(const GDragTracker&) = delete;

    void show();
    void hide();
    // Becomes the current painter and draws at the point.
    void enter(i32 x, i32 y);
    // Stops being the current painter and erases.
    void leave();
    // The end of the window's painting: the overlay drawn anew into the paint DC.
    void paintInto(HDC dc);

    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;

    i32 showLevel = 1;
    bool drawn = false;
    i32 lastX = -1, lastY = -1;
    GOverlaySource* const source;

private:
    void update(i32 x, i32 y, bool erase, bool draw);
    void drawBuffered(HDC window, const RECT& client, i32 x, i32 y);
    bool lastPointInside();

    OverlayBuffer background;  // the client area without the overlay
    OverlayBuffer scratch;     // the next frame
    bool scratchValid = false;  // scratch holds the clean area but for overlayBounds
    RECT overlayBounds = {0, 0, 0, 0};
};

// The tracker that draws its overlay now, or null.
extern GDragTracker* currentOverlayPainter;
