#include "gui/controls/button.h"

#include <algorithm>

#include "core/wide_text.h"
#include "gui/controls/label.h"
#include "gui/input/hot_tracker.h"
#include "gui/input/input_event.h"
#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/layout/layout_builder.h"
#include "gui/paint/colors.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/paint_composite.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"

namespace {
GParentWindow* topParent(GChildWindow* window) { return static_cast<GParentWindow*>(window->topLevelWindow()); }

// The text of a button drawn inside the frame.
class ButtonText : public GPaintElement {
public:
    ButtonText(const char* text, HFONT font) : text(text), font(font) {}
    void paint(GSavedDC& dc, const RECT& rect) override {
        if (rectEmpty(rect)) return;
        dc.selectFont(font);
        SetBkMode(dc.dc(), TRANSPARENT);
        SetTextColor(dc.dc(), toolkitColors.text);
        RECT r = rect;
        drawTextW(dc.dc(), &r, text, -1, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    const char* text;
    HFONT font;
};
}  // namespace

// ---- user button ----

bool GUserButton::createHandle(u32 newStyle, u32 id) {
    style |= newStyle | ButtonMade;
    if (!create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS)) return false;
    SetWindowLongA(hwnd, GWL_ID, (LONG)id);
    tracker = new GHotTracker(this);
    return true;
}

u32 GUserButton::command() const { return hwnd ? (u32)GetWindowLongA(hwnd, GWL_ID) : 0; }

void GUserButton::click() {
    LifeGuard guard(lifeRecord());
    if (style & ButtonToggle) setChecked(!checked(), true);
    if (!guard.alive()) return;
    GStateQuery query{command(), 0};
    routeCommandUp(this, QueryExecute, &query);
}

void GUserButton::setChecked(bool value, bool notify) {
    if (value)
        style |= ButtonChecked;
    else
        style &= ~ButtonChecked;
    invalidate();
    if (notify) markDirty(0);
}

void GUserButton::onLayoutEvent(u32 kind) {
    if (kind != 0) return;
    GControlNotification n{this, 0, checked()};
    notifyUp(this, &n);
}

void GUserButton::makeDefault() {
    if (!visible()) return;
    GParentWindow* top = topParent(this);
    for (GChildWindow* w = top ? firstChildWindow(top) : nullptr; w; w = nextWindow(w))
        if (w != this && w->hwnd && IsWindowVisible(w->hwnd) && w->isDefaultButton() && w->isKindOf(TypeUserButton))
            static_cast<GUserButton*>(w)->style &= ~ButtonDefault;
    style |= ButtonDefault;
    markOwnerDirty(owner);
}

void GUserButton::clearDefault() {
    if (!(style & ButtonDefault)) return;
    style &= ~ButtonDefault;
    markOwnerDirty(owner);
}

void GUserButton::updateHighlight() {
    if (!hwnd || !IsWindowVisible(hwnd)) return;
    bool show;
    if (GetFocus() == hwnd) {
        show = true;
    } else {
        GParentWindow* top = topParent(this);
        bool active = top && top->hwnd && GetActiveWindow() == top->hwnd;
        GChildWindow* focus = focusWindow;
        bool focusClaims = focus && focus != this && focus->isKindOf(TypeUserButton);
        show = active && IsWindowEnabled(hwnd) && (style & ButtonDefault) && !focusClaims;
    }
    if (show == ((style & ButtonHighlight) != 0)) return;
    style ^= ButtonHighlight;
    invalidate();
}

i32 GUserButton::handleKey(GInputEvent* e) {
    if (e->modifiers & 7) return 0;
    if (e->key == VK_SPACE && e->kind == KeyDown) {
        spaceDown = true;
        if (tracker) tracker->setPressed(true);
        if (GetFocus() != hwnd) giveFocus(this);
        return 2;
    }
    if (e->key == VK_SPACE && e->kind == KeyUp) {
        // The key's own press: a pointer that moves meanwhile does not cancel it.
        if (!spaceDown) return 0;
        spaceDown = false;
        if (tracker) tracker->setPressed(false);
        click();
        return 2;
    }
    if (e->key == VK_RETURN && e->kind == KeyDown) {
        click();
        return 2;
    }
    return 0;
}

bool GUserButton::hitPart(GHotTracker*, i32, i32, tagRECT* rect, u32* partFlags) {
    GetClientRect(hwnd, rect);
    if (checked()) *partFlags |= HotChecked;
    return true;
}

bool GUserButton::pressed() const { return tracker && tracker->pressed(); }

u32 GUserButton::frameFlags() {
    bool flat = (style & ButtonFlat) != 0;
    u32 base = flat ? 0x20000002 : 0x20000004;
    if (style & ButtonHighlight) base += flat ? 0x20 : 0x40;
    u32 state = 0;
    if (style & ButtonChecked) {
        base = 0x20000015;
        state = HotChecked;
    }
    if (hwnd && !IsWindowEnabled(hwnd)) state |= HotDisabled;
    if (hwnd && GetFocus() == hwnd) base |= Composite::Focus;
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    return frameStateStyle(base, client, tracker, 0, state);
}

void GUserButton::paint(HDC handle, const RECT&, bool) {
    GSavedDC dc(handle);
    RECT client;
    GetClientRect(hwnd, &client);
    fillRectSolid(handle, client, toolkitColors.classBackground);
    struct Content : GPaintElement {
        GUserButton* button;
        void paint(GSavedDC& d, const RECT& r) override { button->paintContent(d.dc(), r); }
    } content;
    content.button = this;
    paintComposite(dc, client, &content, frameFlags());
}

// ---- text button ----

GButton::~GButton() {
    destroyNative();
    if (ownsFont && font) DeleteObject(font);
}

GButton* GButton::create(GLayoutBuilder& builder, const char* text, u32 style, u32 command, const char* alignment) {
    GButton* button = new GButton(builder.owner);
    stringAssignText(button->text, text ? text : "");
    button->font = getMessageFont()->font;
    button->createHandle(style, command);
    builder.add(button, alignment);
    return button;
}

void GButton::setText(const char* newText) {
    stringAssignText(text, newText ? newText : "");
    invalidate();
}

void GButton::setFont(HFONT newFont, bool owned) {
    if (newFont == font) return;
    if (ownsFont && font) DeleteObject(font);
    font = newFont;
    ownsFont = owned;
    invalidate();
}

void GButton::getPreferredSize(i32* width, i32* height) {
    RECT r{0, 0, 0, 0};
    selectScreenFont(font);
    drawTextW(screenDC().dc(), &r, text.length ? text.data : " ", -1, DT_SINGLELINE | DT_CALCRECT);
    i32 w = r.right - r.left, h = r.bottom - r.top;
    if (style & ButtonCompact) {
        *width = w + 5;
        *height = h + 4;
    } else if (style & ButtonFlat) {
        *width = w + 12;
        *height = h + 8;
    } else {
        *width = std::max<i32>(w + 25, 70);
        *height = h + 12;
    }
}

void GButton::paintContent(HDC handle, const RECT& rect) {
    GSavedDC dc(handle);
    ButtonText(text.c_str(), font).paint(dc, rect);
}

bool GButton::matchesMnemonic(u32 character) {
    u32 letter = mnemonicOf(text.data);
    if (!letter || letter != upperCharacter(character)) return false;
    if (hwnd && IsWindowEnabled(hwnd)) click();
    return true;
}
