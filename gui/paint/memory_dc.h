#pragma once
// GMemoryDC: a memory DC made compatible with a target wrapper, which doubles as the off-screen
// buffer of one painting step: painted at (0, 0) and copied or blended to its rectangle of the target.
// Made on the stack by the painter; the target outlives it.
#include <windows.h>

#include "core/types.h"
#include "gui/paint/saved_dc.h"

namespace BufferFlag {
enum : u32 {
    FillBackground = 0x1,    // fill with the background brush
    FillTabHighlight = 0x2,  // fill with the tab highlight brush
    CopyState = 0x4,         // take the target's pen, brush, font, colours and modes
    CopyPixels = 0x8,        // take the target's pixels under the rectangle
    OwnCompatible = 0x10,    // the bitmap is compatible with the memory DC rather than the target
};
}

class GMemoryDC : public GSavedDC {
public:
    // No bitmap yet.
    explicit GMemoryDC(GSavedDC& target);
    ~GMemoryDC() override;

    // Makes a bitmap of the rectangle's size (target coordinates), selects it and prepares it as the
    // flags say; false when no bitmap could be made.
    bool offscreenBuffer(const RECT& rect, u32 flags);
    // The whole buffer to its rectangle of the target, copied or blended with a constant alpha.
    void copyOffscreen();
    void flushOffscreen(u8 alpha);

    const RECT& area() const { return bufferRect; }
    GSavedDC& target() { return targetDC; }

private:
    // Deletes the bitmap, or gives the shared one back.
    void releaseBitmap();

    GSavedDC& targetDC;
    HBITMAP bitmap = nullptr;
    bool sharedBitmap = false;
    HGDIOBJ previousBitmap = nullptr;
    RECT bufferRect = {0, 0, 0, 0};
};

// A top-down 32-bit DIB section; *bits (when given) receives its pixels.
HBITMAP createTopDownDib(HDC dc, i32 width, i32 height, u32** bits);

// Selects the source's pen, brush and font into the destination (not owned there) and copies its
// text and background colours, background mode, ROP2, fill mode, character extra, text alignment
// and stretch mode.
void copyDCState(GSavedDC& source, GSavedDC& destination);
