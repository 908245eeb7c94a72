#include "gui/controls/label.h"

#include <algorithm>
#include <cstdio>

#include "core/wide_text.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/rect_list.h"
#include "gui/paint/colors.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/drawing.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"

namespace {
const u32 kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

COLORREF orDefault(COLORREF colour, COLORREF fallback) { return colour == (COLORREF)-1 ? fallback : colour; }

// Edge insets: the border width, then 2 by 1 for the text; (0, 0) without an edge.
i32 borderWidth(u32 style) { return (style & LabelEdges) == LabelThinBorder ? 1 : 2; }

UINT edgeKind(u32 style) {
    switch (style & LabelEdges) {
    case LabelSunken: return EDGE_SUNKEN;
    case LabelBump: return EDGE_BUMP;
    case LabelEtched: return EDGE_ETCHED;
    case LabelRaised: return EDGE_RAISED;
    case LabelThinBorder: return BDR_SUNKENOUTER;
    default: return 0;
    }
}

// A rectangle inset on each side, never past its own centre.
RECT insetToCentre(const RECT& r, i32 dx, i32 dy) {
    RECT out = r;
    i32 cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    out.left = std::min<i32>(r.left + dx, cx);
    out.right = std::max<i32>(r.right - dx, out.left);
    out.top = std::min<i32>(r.top + dy, cy);
    out.bottom = std::max<i32>(r.bottom - dy, out.top);
    return out;
}

void applyAlignment(GLabel* label, GLayoutBuilder& builder, const char* alignment) {
    builder.add(label, alignment);
    setTextAlignment(label->textAlign, alignment);
}
}  // namespace

void setTextAlignment(char textAlign[2], const char* alignment) {
    if (!alignment || !alignment[0] || !alignment[1] || !alignment[2]) return;
    textAlign[0] = alignment[2];
    if (alignment[3]) textAlign[1] = alignment[3];
}

u32 mnemonicOf(const char* text) {
    if (!text) return 0;
    for (const char* p = text; *p; ++p) {
        if (*p != '&') continue;
        if (p[1] == '&') {
            ++p;
            continue;
        }
        return p[1] ? upperCharacter((u8)p[1]) : 0;
    }
    return 0;
}

GLabel::~GLabel() {
    destroyNative();
    if (ownsFont && font) DeleteObject(font);
}

bool GLabel::setup(const char* newText, u32 newStyle) {
    stringAssignText(text, newText ? newText : "");
    style |= newStyle | LabelOwnerDrawn;
    FontHolder* holder = getMessageFont();
    font = holder->font;
    ownsFont = false;
    background = textColour = (COLORREF)-1;
    return GUserWindow::create(kChildStyle);
}

GLabel* GLabel::create(GLayoutBuilder& builder, const char* text, u32 style, const char* alignment) {
    GLabel* label = new GLabel(builder.owner);
    label->setup(text, style);
    applyAlignment(label, builder, alignment);
    return label;
}

GLabel* GLabel::createVariant(GLayoutBuilder& builder, const char* alignment, const char* sample) {
    GLabel* label = new GLabel(builder.owner);
    stringAssignText(label->sample, sample ? sample : "");
    label->setup("", 0);
    applyAlignment(label, builder, alignment);
    return label;
}

GLabel* GLabel::createWithLayout(GLayoutBuilder& builder, i32 count, u32 style) {
    GLabel* label = new GLabel(builder.owner);
    label->charCount = std::max(count, 1);
    label->setup("", style);
    label->textAlign[0] = '|';
    label->textAlign[1] = '-';
    builder.add(label, "U-");
    return label;
}

void GLabel::repaint() {
    if (hwnd && (redrawLock != 0 || IsWindowVisible(hwnd))) invalidate();
}

bool GLabel::setText(const char* newText) {
    if (!newText) newText = "";
    if (newText == text.data || stringEquals(text, newText)) return false;
    stringAssignText(text, newText);
    repaint();
    return true;
}

void GLabel::setTextF(const char* format, ...) {
    char buffer[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    setText(buffer);
}

bool GLabel::setValue(COLORREF back, COLORREF fore) {
    if (text.length == 0 && back == background && fore == textColour) return false;
    stringClear(text);
    background = back;
    textColour = fore;
    repaint();
    return true;
}

void GLabel::setFont(HFONT newFont, bool owned) {
    if (newFont == font) return;
    if (ownsFont && font) DeleteObject(font);
    font = newFont;
    ownsFont = owned;
    repaint();
}

SIZE GLabel::measure(const char* what) {
    FontHolder holder{font, false};
    return drawnTextExtent(&holder, what && *what ? what : "WQ", DT_SINGLELINE);
}

i32 GLabel::textOverhang() {
    if (overhang < 0 || overhangFont != font || !stringEquals(overhangText, text.data)) {
        FontHolder holder{font, false};
        overhang = drawnTextOverhang(&holder, text.data, DT_SINGLELINE);
        stringAssignText(overhangText, text.data);
        overhangFont = font;
    }
    return overhang;
}

void GLabel::getPreferredSize(i32* width, i32* height) {
    bool thin = (style & LabelEdges) == LabelThinBorder;
    bool edge = (style & LabelEdges) != 0;
    SIZE s;
    if (charCount > 0) {
        selectScreenFont(font);
        SIZE metrics = fontMetrics(screenDC().dc());
        s.cx = charCount * metrics.cx;
        s.cy = metrics.cy;
        if (edge) {
            s.cx += thin ? 6 : 8;
            s.cy += thin ? 2 : 4;
        }
    } else {
        s = measure(sample.length ? sample.data : text.data);
        if (edge) {
            s.cx += thin ? 6 : 8;
            s.cy += thin ? 4 : 6;
        }
    }
    *width = s.cx;
    *height = s.cy;
}

void GLabel::paint(HDC handle, const RECT&, bool) {
    GSavedDC dc(handle);
    dc.selectFont(font);
    RECT r;
    GetClientRect(hwnd, &r);
    RECT textRect = r;
    if (style & LabelEdges) {
        if (UINT kind = edgeKind(style)) DrawEdge(handle, &r, kind, BF_RECT);
        i32 b = borderWidth(style);
        r = insetToCentre(r, b, b);
        textRect = insetToCentre(r, 2, 1);
    }
    COLORREF back = orDefault(background, toolkitColors.classBackground);
    SetBkColor(handle, back);
    dc.selectSolidBrush(back);
    fillCurrentBrush(dc, r);
    SetTextColor(handle, orDefault(textColour, toolkitColors.text));
    SetBkMode(handle, TRANSPARENT);
    if (!text.length) return;
    // Right or centred text keeps the ink that passes its extent inside.
    i32 ink = textAlign[0] == '>' || textAlign[0] == '|' ? textOverhang() : 0;
    drawTextAligned(dc, textRect, text.data, textAlign[0], textAlign[1], DT_SINGLELINE, ink);
}

bool GLabel::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (message == WM_SETTEXT) {
        if (!lParam)
            stringClear(text);
        else if (flags & WindowAnsi)
            stringAssignText(text, (const char*)lParam);
        else
            stringAssignCopy(text, (const wchar_t*)lParam);
    }
    return GUserWindow::handleMessage(message, wParam, lParam, result);
}

bool GLabel::matchesMnemonic(u32 character) {
    u32 letter = mnemonicOf(text.data);
    if (!letter || letter != upperCharacter(character)) return false;
    GChildWindow* next = nextWindow(this);
    if (next && next->hwnd) {
        LONG s = GetWindowLongA(next->hwnd, GWL_STYLE);
        if ((s & WS_VISIBLE) && (s & WS_TABSTOP) && !(s & WS_DISABLED)) giveFocus(next);
    }
    return true;
}

// ---- separators ----

void GLine1::paint(HDC handle, const RECT&, bool) {
    RECT r;
    GetClientRect(hwnd, &r);
    fillRectSolid(handle, r, toolkitColors.darkShade);
}

GLine1* GLine1::create(GLayoutBuilder& builder) {
    GLine1* line = new GLine1(builder.owner);
    line->GUserWindow::create(kChildStyle);
    builder.add(line, nullptr);
    return line;
}

void GLine2::paint(HDC handle, const RECT&, bool) {
    RECT r;
    GetClientRect(hwnd, &r);
    if (r.right < 2 || r.bottom < 2) {
        FillRect(handle, &r, (HBRUSH)GetCurrentObject(handle, OBJ_BRUSH));
        return;
    }
    fillRectSolid(handle, r, toolkitColors.classBackground);
    DrawEdge(handle, &r, EDGE_ETCHED, r.right == 2 ? BF_LEFT : BF_TOP);
}

GLine2* GLine2::create(GLayoutBuilder& builder) {
    GLine2* line = new GLine2(builder.owner);
    line->GUserWindow::create(kChildStyle);
    builder.add(line, nullptr);
    return line;
}
