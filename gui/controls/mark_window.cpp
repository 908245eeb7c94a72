#include "gui/controls/mark_window.h"

#include <algorithm>

#include "gui/input/input_event.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/layout/layout_builder.h"
#include "gui/paint/bitmaps.h"
#include "gui/paint/colors.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/drawing.h"
#include "gui/paint/gradients.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"

namespace {
const u32 kMarkWindowStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | WS_CLIPSIBLINGS;
}

// ---- mark window ----

GMarkWindow::~GMarkWindow() {
    destroyNative();
    if (ownsFont && font) DeleteObject(font);
}

bool GMarkWindow::setup(const char* caption, u32 newStyle) {
    stringAssignText(text, caption ? caption : "");
    style = newStyle | MarkMade;
    font = getMessageFont()->font;
    return create(kMarkWindowStyle);
}

void GMarkWindow::geometry(RECT* mark, RECT* textRect) {
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    const i32 s = markSize(), w = client.right, h = client.bottom;
    const bool right = (style & MarkTextLeft) != 0;
    RECT m;
    if (w <= s) {
        m.left = 0;
        m.right = w;
    } else {
        m.left = right ? w - s : 0;
        m.right = m.left + s;
    }
    if (h <= s) {
        m.top = 0;
        m.bottom = h;
    } else {
        m.top = (h - s) / 2;
        m.bottom = m.top + s;
    }
    if (mark) *mark = m;
    if (!textRect) return;
    RECT room{0, 0, w, h};
    if (right)
        room.right = std::max<i32>(m.left - 4, 0);
    else
        room.left = std::min<i32>(m.right + 4, w);
    FontHolder holder{font, false};
    SIZE t = textExtent(&holder, text.c_str());
    RECT r = room;
    if (room.right - room.left > t.cx) {
        if (right)
            r.left = room.right - t.cx;
        else
            r.right = room.left + t.cx;
    }
    if (room.bottom - room.top > t.cy) {
        r.top = room.top + (room.bottom - room.top - t.cy) / 2;
        r.bottom = r.top + t.cy;
    }
    *textRect = RECT{r.left - 2, r.top - 2, r.right + 2, r.bottom + 2};
}

bool GMarkWindow::hitTest(i32 x, i32 y) {
    RECT mark, caption;
    geometry(&mark, &caption);
    POINT p{x, y};
    return PtInRect(&mark, p) || PtInRect(&caption, p);
}

void GMarkWindow::getPreferredSize(i32* width, i32* height) {
    FontHolder holder{font, false};
    SIZE t = textExtent(&holder, text.length ? text.data : "WQ");
    const i32 s = markSize();
    *width = s + (text.length ? t.cx + 6 : 0);
    *height = std::max<i32>(t.cy, s) + 4;
}

i32 GMarkWindow::handleKey(GInputEvent* e) {
    if (e->key != VK_SPACE || (e->modifiers & 7)) return 0;
    if (e->kind == KeyDown) {
        geometry(&markRect, nullptr);
        spacePressed = true;
        if (GetFocus() != hwnd) giveFocus(this);
        invalidate();
        return 2;
    }
    if (e->kind == KeyUp && spacePressed) {
        spacePressed = false;
        geometry(&markRect, nullptr);
        invalidate();
        click();
        return 2;
    }
    return 0;
}

bool GMarkWindow::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    i32 x = (i16)LOWORD(lParam), y = (i16)HIWORD(lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (GetFocus() != hwnd) giveFocus(this);
        mousePressed = true;
        SetCapture(hwnd);
        *result = 0;
        return true;
    case WM_LBUTTONUP:
        if (!mousePressed) break;
        mousePressed = false;
        if (GetCapture() == hwnd) ReleaseCapture();
        if (hitTest(x, y)) click();
        *result = 0;
        return true;
    case WM_CAPTURECHANGED:
        mousePressed = false;
        break;
    default:
        break;
    }
    return GUserWindow::handleMessage(message, wParam, lParam, result);
}

void GMarkWindow::changed() {
    if (redrawLock != 0) {
        flags |= WindowRepaintPending;
        markDirty(0);
        return;
    }
    LifeGuard guard(lifeRecord());
    onLayoutEvent(0);
    if (guard.alive() && hwnd && IsWindowVisible(hwnd)) invalidate();
}

void GMarkWindow::onLayoutEvent(u32 kind) {
    if (kind != 0) return;
    GControlNotification n{this, MarkChanged, markState()};
    notifyUp(this, &n);
}

void GMarkWindow::paint(HDC handle, const RECT&, bool) {
    GSavedDC dc(handle);
    RECT client;
    GetClientRect(hwnd, &client);
    fillRectSolid(handle, client, toolkitColors.classBackground);
    RECT mark, caption;
    geometry(&mark, &caption);
    paintMark(handle, mark);
    dc.selectFont(font);
    SetBkMode(handle, TRANSPARENT);
    bool enabled = IsWindowEnabled(hwnd) != 0;
    SetTextColor(handle, enabled ? toolkitColors.text : GetSysColor(COLOR_GRAYTEXT));
    RECT inner{caption.left + 2, caption.top + 2, caption.right - 2, caption.bottom - 2};
    UINT side = (style & MarkTextLeft) ? DT_RIGHT : DT_LEFT;
    if (text.length) drawTextW(handle, &inner, text.data, -1, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | side);
    if (GetFocus() == hwnd && text.length) {
        RECT focus = caption;
        if (style & MarkTextLeft)
            focus.right += 2;
        else
            focus.left -= 2;
        OffsetRect(&focus, 0, 1);
        DrawFocusRect(handle, &focus);
    }
}

// ---- binding ----

GMarkBinding::GMarkBinding(GMarkWindow* mark) : mark(mark), life(mark->lifeRecord()) { life->addRef(); }

GMarkBinding::~GMarkBinding() { life->release(); }

void GMarkBinding::commit() {
    if (life->alive()) mark->store();
}

// ---- check box ----

void GCheckBox::click() {
    if (hwnd && !IsWindowEnabled(hwnd)) return;
    if (style & MarkThreeState)
        state = state == 0 ? 1 : state == 1 ? -1 : 0;
    else
        state = 1 - (state != 0);
    changed();
}

void GCheckBox::setChecked(i32 newState) {
    state = newState != 0;
    invalidate();
}

void GCheckBox::store() {
    if (variable) *variable = state != 0;
}

void GCheckBox::paintMark(HDC handle, const RECT& mark) {
    GSavedDC dc(handle);
    bool enabled = IsWindowEnabled(hwnd) != 0;
    RECT inner{mark.left + 1, mark.top + 1, mark.right - 1, mark.bottom - 1};
    if (enabled)
        drawMidlineGradient(dc, inner, toolkitColors.window, toolkitColors.lightShade, true);
    else
        fillSolidRect(dc, inner, toolkitColors.background);
    dc.selectPen(spacePressed ? toolkitColors.text : toolkitColors.darkShade);
    drawRectOutline(dc, mark.left, mark.right, mark.top, mark.bottom);
    if (!state) return;
    GBitmap* image = getCachedImage(state == 1 ? 9030 : 9031);
    if (!image || !image->bitmap) return;
    i32 x = (mark.left + mark.right - image->width) / 2, y = (mark.top + mark.bottom - image->height) / 2;
    if (state == -1 || !enabled) {
        DrawStateA(handle, nullptr, nullptr, (LPARAM)image->bitmap, 0, x, y, image->width, image->height,
                   DST_BITMAP | DSS_DISABLED);
        return;
    }
    HDC memory = CreateCompatibleDC(handle);
    HGDIOBJ old = SelectObject(memory, image->bitmap);
    BitBlt(handle, x, y, image->width, image->height, memory, 0, 0, SRCAND);
    SelectObject(memory, old);
    DeleteDC(memory);
}

GCheckBox* GCheckBoxItem::create(GLayoutBuilder& builder, const char* text, i32 state, const char* code, u32 style) {
    GCheckBox* box = new GCheckBox(builder.owner);
    box->state = state;
    box->setup(text, style);
    builder.add(box, code);
    return box;
}

GCheckBox* GCheckBoxItem::createAlt(GLayoutBuilder& builder, const char* text, u8* variable, const char* code,
                                    u32 style) {
    GCheckBox* box = create(builder, text, variable && *variable, code, style);
    box->variable = variable;
    builder.linkField(new GMarkBinding(box));
    return box;
}

// ---- radio box ----

GRadioBox::GRadioBox(GLayoutBuilder& builder, const char* caption, i32 group, bool checked, const char* code)
    : GMarkWindow(builder.owner), group(group), checked(checked) {
    setup(caption, 0);
    builder.add(this, code);
}

void GRadioBox::click() {
    if (checked || (hwnd && !IsWindowEnabled(hwnd))) return;
    if (hwnd && GetFocus() != hwnd) giveFocus(this);
    GParentWindow* top = static_cast<GParentWindow*>(topLevelWindow());
    for (GChildWindow* w = top ? firstChildWindow(top) : nullptr; w; w = nextWindow(w)) {
        if (w == this || w->destroyed() || !w->hwnd || !IsWindowVisible(w->hwnd) || !w->isKindOf(TypeMarkWindow))
            continue;
        GMarkWindow* other = static_cast<GMarkWindow*>(w);
        if (other->isChecked() && other->groupValue() == group) {
            other->uncheck();
            break;
        }
    }
    checked = true;
    changed();
}

void GRadioBox::uncheck() {
    checked = false;
    changed();
}

void GRadioBox::setChecked(bool value, bool notify) {
    checked = value;
    invalidate();
    if (!notify) return;
    GControlNotification n{this, MarkChanged, checked};
    notifyUp(this, &n);
}

void GRadioBox::store() {
    if (variable && checked) *variable = value;
}

void GRadioBox::paintMark(HDC handle, const RECT& mark) {
    GSavedDC dc(handle);
    bool enabled = IsWindowEnabled(hwnd) != 0;
    HRGN round = CreateEllipticRgn(mark.left, mark.top, mark.right + 1, mark.bottom + 1);
    {
        ClipGuard guard;
        pushClipRect(guard, handle, mark);
        ExtSelectClipRgn(handle, round, RGN_AND);
        if (enabled)
            drawMidlineGradient(dc, mark, toolkitColors.window, toolkitColors.lightShade, true);
        else
            fillSolidRect(dc, mark, toolkitColors.background);
        popClipRect(guard);
    }
    DeleteObject(round);
    dc.selectPen(spacePressed ? toolkitColors.text : toolkitColors.darkShade);
    SelectObject(handle, GetStockObject(NULL_BRUSH));
    Ellipse(handle, mark.left, mark.top, mark.right, mark.bottom);
    if (!checked) return;
    dc.selectSolidBrush(enabled ? toolkitColors.text : toolkitColors.darkShade);
    dc.selectPen(enabled ? toolkitColors.text : toolkitColors.darkShade);
    i32 cx = (mark.left + mark.right) / 2, cy = (mark.top + mark.bottom) / 2;
    Ellipse(handle, cx - 3, cy - 3, cx + 3, cy + 3);
}

GRadioBox* addRadioBox(GLayoutBuilder& builder, const char* text, i32 group, i32* variable, i32 value) {
    GRadioBox* box = new GRadioBox(builder, text, group, variable && *variable == value);
    box->variable = variable;
    box->value = value;
    builder.linkField(new GMarkBinding(box));
    return box;
}
