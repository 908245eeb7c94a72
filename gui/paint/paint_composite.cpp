#include "gui/paint/paint_composite.h"

#include "core/guard.h"
#include "gui/paint/alpha_blend.h"
#include "gui/paint/colors.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/drawable.h"
#include "gui/paint/drawing.h"
#include "gui/paint/gradients.h"
#include "gui/paint/memory_dc.h"

void GImageElement::paint(GSavedDC& dc, const RECT& rect) {
    if (!image) return;
    SIZE size = image->size();
    image->draw(dc, rect.left + (rect.right - rect.left - size.cx) / 2, rect.top + (rect.bottom - rect.top - size.cy) / 2);
}

void GCentredElement::paint(GSavedDC& dc, const RECT& rect) {
    if (!painter) return;
    i32 left = rect.left + (rect.right - rect.left - paintedWidth) / 2;
    RECT part = {left, rect.top, left + paintedWidth, rect.bottom};
    painter->paint(dc, part);
}

void GTextElement::paint(GSavedDC& dc, const RECT& rect) {
    char horizontal = alignment && alignment[0] ? alignment[0] : '|';
    char vertical = alignment && alignment[0] && alignment[1] ? alignment[1] : '-';
    int mode = SetBkMode(dc.dc(), TRANSPARENT);
    drawTextClipped(dc, rect, text, -1, horizontal, vertical, format);
    SetBkMode(dc.dc(), mode);
}

namespace {
void inset(RECT& r, i32 d) {
    r.left += d;
    r.top += d;
    r.right -= d;
    r.bottom -= d;
}

void outline(GSavedDC& dc, const RECT& r) { drawRectOutline(dc, r.left, r.right, r.top, r.bottom); }

// A rectangle in the class background with a dotted outline of the colour over it.
void dottedOutline(GSavedDC& dc, const RECT& r, COLORREF colour) {
    dc.selectPen(toolkitColors.classBackground);
    outline(dc, r);
    dc.selectStylePen(colour, PS_COSMETIC | PS_DOT);
    outline(dc, r);
}

// DrawState calls this with a DC of its own at (0, 0).
BOOL CALLBACK paintContentState(HDC hdc, LPARAM content, WPARAM, int cx, int cy) {
    return callGuarded(nullptr, FALSE, [&] {
        GSavedDC borrowed(hdc);
        reinterpret_cast<GPaintElement*>(content)->paint(borrowed, RECT{0, 0, cx, cy});
        return TRUE;
    });
}

void drawContentState(HDC dc, HBRUSH brush, GPaintElement* content, const RECT& r, UINT state) {
    DrawStateA(dc, brush, paintContentState, (LPARAM)content, 0, r.left, r.top, r.right - r.left,
               r.bottom - r.top, DST_COMPLEX | state);
}

void paintFill(GSavedDC& dc, const RECT& area, u32 flags) {
    bool vertical = !(flags & Composite::Horizontal), selected = (flags & Composite::Selected) != 0;
    bool reversed = (flags & Composite::Reversed) != 0;
    COLORREF first = kElementLight, second = kElementMid;
    if (selected) {
        first = setColorBrightness(toolkitColors.glass, 255);
        second = toolkitColors.glass;
    }
    switch (flags & Composite::FillMask) {
        case 0x2000: fillCurrentBrush(dc, area); break;
        case 0x3000: fillSolidRect(dc, area, selected ? toolkitColors.glass : toolkitColors.background); break;
        case 0x4000:
            if (reversed)
                drawGradientSteps(dc, area, first, second, vertical);
            else
                drawGradientSteps(dc, area, second, first, vertical);
            break;
        case 0x5000:
            if (reversed)
                gradientRect(dc, area, toolkitColors.classBackground, second, vertical, true);
            else
                gradientRect(dc, area, second, toolkitColors.classBackground, vertical, true);
            break;
        case 0x6000:
            // Reversed: the check marks' midline face.
            if (reversed)
                drawMidlineGradient(dc, area, first, second, vertical);
            else
                drawGlassBar(dc, area, kElementLight, kElementMid, vertical);
            break;
        default: break;
    }
}

void paintCornerMarks(GSavedDC& dc, const RECT& r) {
    dc.selectPen(kElementLight);
    i32 x2 = r.right - 1, y2 = r.bottom - 1;
    const POINT strokes[4][2] = {{{r.left, r.top}, {r.left + 5, r.top + 5}},
                                 {{x2, r.top}, {x2 - 5, r.top + 5}},
                                 {{r.left, y2}, {r.left + 5, y2 - 5}},
                                 {{x2, y2}, {x2 - 5, y2 - 5}}};
    for (const auto& s : strokes) {
        MoveToEx(dc.dc(), s[0].x, s[0].y, nullptr);
        LineTo(dc.dc(), s[1].x, s[1].y);
    }
    drawRectOutline(dc, r.left + 5, r.right - 5, r.top + 5, r.bottom - 5);
}

void paintFaces(GSavedDC& dc, const RECT& rect, GPaintElement* content, u32 flags) {
    ClipGuard clip;
    pushClipRect(clip, dc.dc(), rect);
    RECT area = rect;
    const ToolkitColors& c = toolkitColors;
    COLORREF frame = (flags & Composite::Disabled) ? c.darkShade : c.text;
    u32 outer = flags & Composite::OuterMask;
    switch (outer) {
        case 2: dc.selectPen(frame); outline(dc, area); break;
        case 3: dottedOutline(dc, area, frame); break;
        case 4: dc.selectPen(frame); drawCornerFrame(dc, area.left, area.top, area.right, area.bottom, 2); break;
        case 5: dc.selectPen(frame); drawCornerFrame(dc, area.left, area.top, area.right, area.bottom, -2); break;
        default: break;
    }
    if (outer >= 2) inset(area, outer >= 5 ? 2 : 1);

    u32 inner = flags & Composite::InnerMask;
    switch (inner) {
        case 0x20: dc.selectPen(c.lightShade); outline(dc, area); break;
        case 0x30: dottedOutline(dc, area, c.lightShade); break;
        case 0x40:
            dc.selectPen(mixColors(c.darkShade, c.text));
            drawCornerFrame(dc, area.left, area.top, area.right, area.bottom, 1);
            break;
        case 0x50: dc.selectPen(c.text); drawCornerFrame(dc, area.left, area.top, area.right, area.bottom, -1); break;
        default: break;
    }
    if (inner > 0x10) inset(area, 1);

    paintFill(dc, area, flags);
    if (flags & Composite::CornerMarks) paintCornerMarks(dc, area);

    RECT inside = area;
    if (flags & Composite::Inset) inset(inside, 4);
    if (flags & Composite::Pressed) OffsetRect(&inside, 1, 1);
    if (flags & Composite::Raised) OffsetRect(&inside, -1, -1);
    if (content) {
        if (flags & Composite::Disabled)
            drawContentState(dc.dc(), nullptr, content, inside, DSS_DISABLED);
        else if (flags & Composite::Shadow)
            drawImageState(2, dc, content, inside);
        else
            content->paint(dc, inside);
    }
    if (flags & Composite::Focus) {
        RECT focus = area;
        inset(focus, 1);
        DrawFocusRect(dc.dc(), &focus);
    }
}
}  // namespace

void paintComposite(GSavedDC& dc, const RECT& rect, GPaintElement* content, u32 flags) {
    if (!(flags & Composite::Buffered)) {
        paintFaces(dc, rect, content, flags);
        return;
    }
    GMemoryDC buffer(dc);
    if (!buffer.offscreenBuffer(rect, BufferFlag::FillBackground | BufferFlag::CopyState)) return;
    paintFaces(buffer, RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top}, content, flags & ~Composite::Buffered);
    buffer.copyOffscreen();
}

void drawImageState(i32 distance, GSavedDC& dc, GPaintElement* content, const RECT& rect) {
    if (!content) return;
    i32 width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (distance > 0 && distance < width && distance < height) {
        RECT shadow = rect;
        OffsetRect(&shadow, distance, distance);
        GMemoryDC buffer(dc);
        if (buffer.offscreenBuffer(shadow, BufferFlag::CopyState | BufferFlag::CopyPixels)) {
            bool blend = alphaBlendSupported();
            HBRUSH brush = CreateSolidBrush(blend ? 0 : 0xC0C0C0);
            drawContentState(buffer.dc(), brush, content, RECT{0, 0, width, height}, DSS_MONO);
            DeleteObject(brush);
            buffer.flushOffscreen(70);
        }
    }
    content->paint(dc, rect);
}

void drawImageAt(GSavedDC& dc, GDrawable* image, i32 x, i32 y) {
    if (!image) return;
    SIZE size = image->size();
    GImageElement element(image);
    drawImageState(0, dc, &element, RECT{x, y, x + size.cx, y + size.cy});
}

void drawImageInState(GSavedDC& dc, GDrawable* image, i32 x, i32 y, i32 width, i32 height) {
    if (!image) return;
    GImageElement element(image);
    drawImageState(2, dc, &element, RECT{x, y, x + width, y + height});
}
