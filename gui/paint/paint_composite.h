#pragma once
// The frame painter of framed elements (buttons, tool-bar items, tabs, combo fields, headers,
// status fields): outer frame, inner frame, fill and content as a flags word says, and the content
// elements it paints. Elements are owned by their callers.
#include <windows.h>

#include "core/types.h"

class GDrawable;
class GSavedDC;

// What a composite paints inside its frames.
class GPaintElement {
public:
    virtual ~GPaintElement() = default;
    virtual void paint(GSavedDC& dc, const RECT& rect) = 0;
};

// Nothing inside.
class GEmptyElement : public GPaintElement {
public:
    void paint(GSavedDC&, const RECT&) override {}
};

// An image centred in the rectangle (nothing without one).
class GImageElement : public GPaintElement {
public:
    explicit GImageElement(GDrawable* image) : image(image) {}
    void paint(GSavedDC& dc, const RECT& rect) override;
    GDrawable* image;
};

// Another element painted in a part of the rectangle as wide as what it paints, centred: its left
// (width - painted width) / 2 from the rectangle's left, its top and bottom the rectangle's. The
// element is not owned.
class GCentredElement : public GPaintElement {
public:
    GCentredElement(GPaintElement* painter, i32 paintedWidth) : painter(painter), paintedWidth(paintedWidth) {}
    void paint(GSavedDC& dc, const RECT& rect) override;
    GPaintElement* painter;
    i32 paintedWidth;
};

// A whole text placed by two alignment letters ("|-" centred) with DrawText flags, drawn over the
// face without a background.
class GTextElement : public GPaintElement {
public:
    GTextElement(const char* text, const char* alignment = "|-", u32 format = 0)
        : text(text), alignment(alignment), format(format) {}
    void paint(GSavedDC& dc, const RECT& rect) override;
    const char* text;
    const char* alignment;
    u32 format;
};

namespace Composite {
enum : u32 {
    OuterMask = 0x7,           // 2 outline, 3 dotted, 4 bevelled, 5 bowed
    InnerMask = 0x70,          // 0x20 light outline, 0x30 dotted, 0x40 bevelled, 0x50 bowed
    FillMask = 0xF000,         // 0x2000 current brush, 0x3000 solid, 0x4000 steps, 0x5000 gradient, 0x6000 glass bar
                               // (midline face when Reversed)
    Pressed = 1u << 20,        // content one pixel right and down
    Raised = 1u << 21,         // content one pixel left and up
    Shadow = 1u << 22,         // content with a drop shadow
    Disabled = 1u << 23,       // content greyed, frames in the dark shade
    Focus = 1u << 24,          // focus rectangle inside the frames
    Horizontal = 1u << 25,     // gradients run left to right
    Selected = 1u << 26,       // gradients and solid fill in the glass colour
    CornerMarks = 1u << 27,    // diagonal strokes in the corners and an inset outline
    Reversed = 1u << 28,       // gradient colours exchanged
    Buffered = 1u << 29,       // painted off screen and copied in one step
    Inset = 1u << 30,          // content inset by 4
};
}

// Paints the element face and its content in the rectangle, clipped to it.
void paintComposite(GSavedDC& dc, const RECT& rect, GPaintElement* content, u32 flags);
// Paints the content with a drop shadow `distance` pixels down and right: a dark silhouette
// blended onto the target (grey and copied when blending is unsupported), then the content itself.
void drawImageState(i32 distance, GSavedDC& dc, GPaintElement* content, const RECT& rect);
// An image through the same painter: at its own size without a shadow, or centred in the given box
// with the shadow of distance 2. Nothing without an image.
void drawImageAt(GSavedDC& dc, GDrawable* image, i32 x, i32 y);
void drawImageInState(GSavedDC& dc, GDrawable* image, i32 x, i32 y, i32 width, i32 height);
