#include "gui/controls/tool_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "gui/input/hot_tracker.h"
#include "gui/input/input_event.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/rect_list.h"
#include "gui/layout/strip_item.h"
#include "gui/menus/action_image.h"
#include "gui/menus/action_table.h"
#include "gui/menus/action_texts.h"
#include "gui/menus/grip_tracker.h"
#include "gui/menus/popup_menu.h"
#include "gui/paint/bitmaps.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/fonts.h"
#include "gui/paint/gui_settings.h"
#include "gui/paint/paint_composite.h"
#include "gui/paint/saved_dc.h"

u32 toolBarEffects() { return guiSettings.toolBarEffects; }

namespace {
// An action image (image list or swatch), centred.
class ActionImageElement : public GPaintElement {
public:
    explicit ActionImageElement(void* image) : image(image) {}
    void paint(GSavedDC& dc, const RECT& rect) override {
        SIZE size = actionImageSize(image);
        drawActionImage(dc.dc(), image, (rect.left + rect.right - size.cx) / 2, (rect.top + rect.bottom - size.cy) / 2,
                        ILD_TRANSPARENT);
    }
    void* image;
};

// The live bars, so that a deleted record can be taken out of the bars showing it.
std::vector<GToolBar*>& liveBars() {
    static std::vector<GToolBar*> bars;
    return bars;
}
}  // namespace

void forgetToolBarSpec(GToolBarSpec* spec) {
    for (GToolBar* bar : liveBars()) {
        if (bar->spec != spec) continue;
        bar->spec = nullptr;
        bar->name = "";
    }
}

GToolBar::GToolBar(GWindow* parent, const char* name, i32 width, i32 height)
    : GUserWindow(parent), name(name), buttonWidth(width < 1 ? 20 : width), buttonHeight(height < 1 ? 20 : height) {
    liveBars().push_back(this);
}

GToolBar* GToolBar::create(GWindow* parent, const char* name, i32 width, i32 height) {
    GToolBar* bar = new GToolBar(parent, name, width, height);
    if (!bar->GUserWindow::create(WS_CHILD | WS_VISIBLE)) {
        delete bar;
        return nullptr;
    }
    SendMessageA(bar->hwnd, WM_SETFONT, (WPARAM)getMessageFont()->font, FALSE);
    bar->hotTracker = new GHotTracker(bar);
    bar->gripTracker = new ToolBarGripTracker(bar);
    return bar;
}

GToolBar::~GToolBar() {
    std::vector<GToolBar*>& bars = liveBars();
    bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
    destroyNative();
    for (ToolBarButton* b : buttons) delete b;
    buttons.clear();
}

void GToolBar::changed() {
    layoutPending = true;
    prefWidth = prefHeight = -1;
    cellFlags &= ~CellSizeCached;
    invalidate();
}

void GToolBar::appendFromId(i32 id) {
    if (id < 1) {
        appendRecord(nullptr, -1, nullptr, 0);
        return;
    }
    GActionItem* action = actionById(id);
    if (!action) return;
    GString text;
    actionToolTipText(text, action, ownerWindow());
    appendRecord(actionImageList(action, ownerWindow()), id, text.c_str(), (action->flags & ActionPopup) ? (u32)ButtonDropDown : 0u);
}

void GToolBar::setSpec(GToolBarSpec* newSpec) {
    spec = newSpec;
    beginRedrawLock();
    deleteButtons();
    if (spec)
        for (i32 i = 0; i < spec->activeCount(); ++i) appendFromId(spec->activeIds()[i]);
    changed();
    endRedrawLock();
}

void GToolBar::setButtons(const i32* ids, i32 n) {
    beginRedrawLock();
    deleteButtons();
    for (i32 i = 0; i < n; ++i) appendFromId(ids[i]);
    changed();
    endRedrawLock();
}

void GToolBar::appendRecord(void* image, i32 id, const char* text, u32 style) {
    ToolBarButton* b = new ToolBarButton;
    b->id = id;
    b->image = image;
    b->style = style;
    if (text) stringAssignText(b->text, text);
    buttons.push_back(b);
}

void GToolBar::deleteButtons() {
    for (ToolBarButton* b : buttons) delete b;
    buttons.clear();
    hotIndex = -1;
}

void GToolBar::addButton(void* image, i32 id, const char* text, u32 style) {
    appendRecord(image, id, text, style);
    changed();
}

void GToolBar::clear() {
    deleteButtons();
    changed();
}

void GToolBar::setOrientation(u8 value) {
    orientation = value;
    changed();
}

bool GToolBar::refreshStates() {
    bool any = false;
    for (ToolBarButton* b : buttons) {
        GActionItem* action = b->id == -1 ? nullptr : actionById(b->id);
        if (!action) continue;
        any = true;
        u32 style = b->style & ~(ButtonDisabled | ButtonChecked);
        if (!isActionEnabledFor(action, ownerWindow())) style |= ButtonDisabled;
        if (isActionCheckedFor(action, ownerWindow())) style |= ButtonChecked;
        if (style & ButtonDropDown) b->image = actionImageList(action, ownerWindow());
        if (style != b->style) {
            b->style = style;
            invalidate();
        }
    }
    return any;
}

bool GToolBar::hasGrip() { return container && container->wantsGrip(); }

RECT GToolBar::gripRect() {
    RECT client = {0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    return orientation == 0 ? RECT{0, 0, GripDepth, client.bottom} : RECT{0, 0, client.right, GripDepth};
}

void GToolBar::getPreferredSize(i32* width, i32* height) {
    i32 n = 0;
    for (ToolBarButton* b : buttons)
        if (b->id != -1) ++n;
    if (buttons.empty()) {
        *width = *height = 0;
        return;
    }
    i32 grip = hasGrip() ? GripDepth : 0;
    if (orientation == 0) {
        *width = grip + n * (buttonWidth + 7);
        *height = buttonHeight + 6;
    } else {
        *width = buttonWidth + 6;
        *height = grip + n * (buttonHeight + 7);
    }
}

void GToolBar::layout() {
    if (!layoutPending) return;
    layoutPending = false;
    i32 p = hasGrip() ? GripDepth : 0;
    for (ToolBarButton* b : buttons) {
        if (orientation == 0) {
            if (b->id == -1) {
                b->rect = RECT{p - 1, 0, p - 1, buttonHeight + 6};
            } else {
                b->rect = RECT{p, 0, p + buttonWidth + 6, buttonHeight + 6};
                p += buttonWidth + 7;
            }
        } else {
            if (b->id == -1) {
                b->rect = RECT{0, p - 1, buttonWidth + 6, p - 1};
            } else {
                b->rect = RECT{0, p, buttonWidth + 6, p + buttonHeight + 6};
                p += buttonHeight + 7;
            }
        }
    }
}

i32 GToolBar::hitTest(i32 x, i32 y) {
    RECT client = {0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    if (x < client.left || y < client.top || x >= client.right || y >= client.bottom) return -1;
    layout();
    for (size_t i = 0; i < buttons.size(); ++i) {
        const RECT& r = buttons[i]->rect;
        if (buttons[i]->id != -1 && x >= r.left && x < r.right && y >= r.top && y < r.bottom) return (i32)i;
    }
    return -1;
}

bool GToolBar::hitPart(GHotTracker*, i32 x, i32 y, tagRECT* rect, u32* flags) {
    if (gripTracker && gripTracker->dragging()) return false;
    hotIndex = hitTest(x, y);
    if (hotIndex < 0) return false;
    const ToolBarButton* b = buttons[hotIndex];
    *flags = 0;
    if (b->style & ButtonDisabled) *flags |= HotDisabled;
    if (b->style & ButtonChecked) *flags |= HotChecked;
    *rect = b->rect;
    return true;
}

// Moving straight to another button leaves the old one after hitPart named the new one: only the
// button that was hot is cleared.
void GToolBar::redrawPart(GHotTracker* tracker) {
    if (hotIndex < 0 || hotIndex >= (i32)buttons.size()) return;
    if (rectsEqual(buttons[hotIndex]->rect, tracker->hotRect)) hotIndex = -1;
}

void GToolBar::clickPart(GHotTracker*) {
    if (hotIndex < 0 || hotIndex >= (i32)buttons.size()) return;
    const ToolBarButton* b = buttons[hotIndex];
    if (b->style & ButtonDropDown) {
        GWindow* owner = ownerWindow();
        POINT origin = {b->rect.left, b->rect.top};
        if (owner && owner->hwnd) MapWindowPoints(hwnd, owner->hwnd, &origin, 1);
        showActionPopup(owner, b->id, origin.x, origin.y);
        return;
    }
    GStateQuery query;
    query.command = (u32)b->id;
    routeCommandUp(this, QueryExecute, &query);
}

bool GToolBar::getToolTip(i32 x, i32 y, GString* text, tagRECT* tool, tagRECT* anchor) {
    if (!(toolBarEffects() & 1)) return false;
    i32 i = hitTest(x, y);
    if (i < 0) {
        *tool = RECT{0, 0, 0, 0};
        return false;
    }
    const RECT& r = buttons[i]->rect;
    if (orientation == 0) {
        tool->left = r.left;
        tool->right = r.right;
    } else {
        tool->top = r.top;
        tool->bottom = r.bottom;
    }
    *anchor = *tool;
    stringAssignText(*text, buttons[i]->text.c_str());
    return true;
}

bool GToolBar::handleMouse(GInputEvent* event) {
    if (event->button != ButtonRight || event->action != MouseRelease) return GUserWindow::handleMouse(event);
    ToolBarMenuRequest request;
    request.command = ToolBarMenuCommand;
    request.toolBar = this;
    i32 i = hitTest(event->x, event->y);
    request.clickedId = i >= 0 ? buttons[i]->id : -1;
    request.name = name;
    GWindow* owner = ownerWindow();
    routeCommandUp(owner ? owner->item() : this, QueryExecute, &request);
    return true;
}

void GToolBar::paint(HDC hdc, const RECT& update, bool) {
    layout();
    GSavedDC dc(hdc);
    RECT client;
    GetClientRect(hwnd, &client);
    fillSolidRect(dc, update, toolkitColors.background);
    if (hasGrip() && gripTracker) gripTracker->paintGrip(hdc, gripRect());
    const u32 e = toolBarEffects();
    const bool windowDisabled = !IsWindowEnabled(hwnd);
    for (size_t i = 0; i < buttons.size(); ++i) {
        ToolBarButton* b = buttons[i];
        if (b->id == -1) {
            if (i + 1 == buttons.size()) continue;
            // A dark line across the bar, etched by a light one after it; its own wrapper puts the
            // pen back before the next button paints.
            GSavedDC lines(hdc);
            auto line = [&](i32 at, COLORREF colour) {
                lines.selectPen(colour);
                if (orientation == 0)
                    drawLine(lines, at, 0, client.bottom - 1);
                else
                    drawHLine(lines, 0, client.right - 1, at);
            };
            i32 at = orientation == 0 ? b->rect.left : b->rect.top;
            if (e & 2) line(at + 1, toolkitColors.lightShade);
            line(at, toolkitColors.darkShade);
            continue;
        }
        const bool disabled = windowDisabled || (b->style & ButtonDisabled);
        const bool checked = (b->style & ButtonChecked) != 0;
        const bool isHot = (i32)i == hotIndex;
        u32 state = (disabled ? (u32)HotDisabled : 0u) | (checked ? (u32)HotChecked : 0u);
        u32 style = 0;
        if ((e & 2) && !disabled) style |= 0x400000;
        if ((e & 4) && !checked && !(isHot && (e & 0x20))) style |= 0x1000;
        if (orientation == 1) style |= 0x2000000;
        u32 removed = 0;
        if (isHot) {
            if (!(e & 8)) removed |= 0x400000;
            if (!(e & 0x20)) removed |= 0x6000;
            if (!(e & 0x10)) removed |= 7;
        } else if (!(e & 2)) {
            removed |= 0x400000;
        }
        u32 flags = frameStateStyle(style, b->rect, hotTracker, removed, state);
        if (actionImageSize(b->image).cx > 0) {
            ActionImageElement content(b->image);
            paintComposite(dc, b->rect, &content, flags);
        } else {
            GImageElement content(getCachedImage(FallbackButtonBitmap));
            paintComposite(dc, b->rect, &content, flags);
        }
    }
}

void GToolBar::storePlacement() {
    GStripItem* strip = stripOf(container);
    if (!spec || !strip) return;
    int row = 0, index = 0;
    if (!strip->findCell(this, &row, &index)) row = index = 0;
    spec->p1 = (i32)strip->key;
    spec->p2 = index;
    spec->p3 = row;
    spec->p4 = (i32)(signed char)(strip->orientation == 1 ? vAlign : hAlign);
}
