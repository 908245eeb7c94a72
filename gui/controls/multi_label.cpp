#include "gui/controls/multi_label.h"

#include <algorithm>

#include "gui/controls/label.h"
#include "gui/kernel/clipboard_text.h"
#include "gui/layout/layout_builder.h"
#include "gui/paint/colors.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"

namespace {
COLORREF orDefault(COLORREF colour, COLORREF fallback) { return colour == (COLORREF)-1 ? fallback : colour; }

// The monitor of the label's top-level window.
RECT desktopOf(GLayoutCell* cell) {
    GWindow* top = cell->topLevelWindow();
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(top && top->hwnd ? top->hwnd : nullptr, MONITOR_DEFAULTTOPRIMARY);
    if (!GetMonitorInfoA(monitor, &info)) return RECT{0, 0, 1024, 768};
    return info.rcMonitor;
}
}  // namespace

GMultiLabel::~GMultiLabel() {
    destroyNative();
    if (ownsFont && font) DeleteObject(font);
}

void GMultiLabel::setMargins(i32 margin) {
    horizontal.leadingInset = horizontal.trailingInset = margin;
    vertical.leadingInset = vertical.trailingInset = margin;
}

GMultiLabel* GMultiLabel::create(GLayoutBuilder& builder, const char* text, i32 widthValue, i32 heightValue,
                                 u32 style, const char* alignment) {
    GMultiLabel* label = new GMultiLabel(builder.owner);
    stringAssignText(label->text, text ? text : "");
    label->font = getMessageFont()->font;
    label->widthValue = widthValue;
    label->heightValue = heightValue;
    label->style = style;
    label->setMargins(style & (MultiBorder | MultiMargins) ? 4 : 0);
    label->drawStyle |= DrawRepaintOnScroll;
    label->GUserImage::create(0, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    builder.add(label, alignment);
    setTextAlignment(label->textAlign, alignment);
    label->layoutText();
    return label;
}

void GMultiLabel::setText(const char* newText) {
    if (stringEquals(text, newText ? newText : "")) return;
    stringAssignText(text, newText ? newText : "");
    layoutText();
    invalidate();
}

void GMultiLabel::setFont(HFONT newFont, bool owned) {
    if (ownsFont && font && font != newFont) DeleteObject(font);
    font = newFont;
    ownsFont = owned;
    layoutText();
    invalidate();
}

void GMultiLabel::resetSpacing() {
    setMargins(20);
    layoutText();
}

SIZE GMultiLabel::wrap(i32 width) {
    FontHolder holder{font, false};
    return measureTextBlockIn(&holder, text.c_str(), -1, std::max(width, 1));
}

void GMultiLabel::layoutText() {
    if (!hwnd || laying) return;
    RECT window;
    GetWindowRect(hwnd, &window);
    i32 margins = horizontal.leadingInset + horizontal.trailingInset;
    i32 availW = window.right - window.left - margins;
    i32 availH = window.bottom - window.top - vertical.leadingInset - vertical.trailingInset;
    const i32 bar = GetSystemMetrics(SM_CXVSCROLL), hbar = GetSystemMetrics(SM_CYHSCROLL);
    bool noV = (style & MultiNoVerticalBar) != 0;
    wrapWidth = availW;
    SIZE size = wrap(wrapWidth);
    bool needV = !noV && size.cy > availH;
    if (needV) size = wrap(wrapWidth = availW - bar);
    bool needH = size.cx > wrapWidth;
    if (needH && !needV && !noV && size.cy > availH - hbar) {
        needV = true;
        size = wrap(wrapWidth = availW - bar);
    }
    textSize = size;
    LONG old = GetWindowLongA(hwnd, GWL_STYLE);
    LONG now = (old & ~(WS_VSCROLL | WS_HSCROLL)) | (needV ? WS_VSCROLL : 0) | (needH ? WS_HSCROLL : 0);
    laying = true;
    if (now != old) {
        bool saved = styleChangeInProgress;
        styleChangeInProgress = true;
        SetWindowLongA(hwnd, GWL_STYLE, now);
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        styleChangeInProgress = saved;
    }
    GScrollRange h = horizontal, v = vertical;
    h.setTotalAndStep(size.cx, 1);
    v.setTotalAndStep(size.cy, 1);
    setScrollState(h, v);
    laying = false;
}

bool GMultiLabel::onSize(i32 width, i32 height) {
    layoutText();
    return GUserImage::onSize(width, height);
}

void GMultiLabel::getPreferredSize(i32* width, i32* height) {
    const i32 ml = horizontal.leadingInset, mr = horizontal.trailingInset;
    const i32 mt = vertical.leadingInset, mb = vertical.trailingInset;
    const bool given = *width >= 0;
    selectScreenFont(font);
    SIZE metrics = fontMetrics(screenDC().dc());
    RECT desk = desktopOf(this);
    i32 w;
    if (given) {
        w = *width - ml - mr;
    } else {
        switch (style & (MultiWidthPixels | MultiWidthChars)) {
        case 0: w = (desk.right - desk.left) * widthValue / 100; break;
        case MultiWidthPixels: w = widthValue; break;
        default: w = widthValue * metrics.cx; break;
        }
    }
    SIZE size = wrap(w);
    // The measured block is one pixel narrower than the width it needs to stay on its lines.
    if (style & MultiShrink) w = std::min<i32>(w, size.cx + 1);
    if ((style & MultiWiden) && !given) w = std::max<i32>(w, size.cx);
    i32 limit;
    switch (style & (MultiHeightPixels | MultiHeightChars)) {
    case 0: limit = (desk.bottom - desk.top) * heightValue / 100; break;
    case MultiHeightPixels: limit = heightValue; break;
    default: limit = heightValue * metrics.cy; break;
    }
    i32 h = size.cy + mt + mb + (size.cx > w ? GetSystemMetrics(SM_CYHSCROLL) : 0);
    i32 extra = 0;
    if (h > limit) {
        if (!(style & MultiNoVerticalBar)) {
            h = limit;
            extra = GetSystemMetrics(SM_CXVSCROLL);
        }
    } else if (!(style & MultiNoGrow)) {
        h = limit;
    }
    *width = given ? *width : w + ml + mr + extra;
    *height = h;
}

void GMultiLabel::paint(HDC handle, const RECT&, bool) {
    GSavedDC dc(handle);
    RECT client;
    GetClientRect(hwnd, &client);
    COLORREF back = orDefault(background, toolkitColors.classBackground);
    fillRectSolid(handle, client, back);
    SetBkColor(handle, back);
    SetTextColor(handle, orDefault(textColour, toolkitColors.text));
    SetBkMode(handle, TRANSPARENT);
    if (style & MultiBorder) DrawEdge(handle, &client, BDR_SUNKENOUTER, BF_RECT);
    dc.selectFont(font);
    RECT inside{horizontal.leadingInset, vertical.leadingInset, client.right - horizontal.trailingInset,
                client.bottom - vertical.trailingInset};
    if (rectEmpty(inside) || !text.length) return;
    ClipGuard guard;
    pushClipRect(guard, handle, inside);
    RECT r{inside.left - (i32)horizontal.origin, inside.top - (i32)vertical.origin, 0, 0};
    // The width the text was wrapped at, so that the lines break where they were measured.
    r.right = r.left + std::max<i32>(wrapWidth, (i32)textSize.cx);
    r.bottom = r.top + textSize.cy;
    i32 room = inside.bottom - inside.top;
    if (textSize.cy < room) OffsetRect(&r, 0, textAlign[1] == 'v' ? room - textSize.cy : textAlign[1] == '-' ? (room - textSize.cy) / 2 : 0);
    UINT across = textAlign[0] == '>' ? DT_RIGHT : textAlign[0] == '|' ? DT_CENTER : DT_LEFT;
    drawTextW(handle, &r, text.data, -1, DT_WORDBREAK | across);
    popClipRect(guard);
}

bool GMultiLabel::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    bool mouse = (message >= WM_LBUTTONDOWN && message <= WM_MBUTTONDBLCLK);
    if (mouse && (style & MultiCopy)) {
        if (message == WM_RBUTTONUP) copyTextToClipboard(text.c_str());
        *result = 0;
        return true;
    }
    if (mouse && message != WM_MOUSEMOVE && GetFocus() != hwnd) SetFocus(hwnd);
    return GUserImage::handleMessage(message, wParam, lParam, result);
}
