#include "gui/controls/combo.h"

#include <algorithm>

#include "core/bag.h"
#include "gui/controls/combo_list.h"
#include "gui/input/hot_tracker.h"
#include "gui/input/input_event.h"
#include "gui/input/mouse_capture.h"
#include "gui/input/system_input.h"
#include "gui/kernel/window_placement.h"
#include "gui/layout/layout_builder.h"
#include "gui/menus/action_image.h"
#include "gui/paint/bitmaps.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/fonts.h"
#include "gui/paint/paint_composite.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"
#include "gui/views/cell_format.h"
#include "gui/views/list_rows.h"
#include "gui/views/string_list_model.h"

// Holds the mouse while the list is open: the combo routes what it catches. Losing the capture
// to another window and deactivation close the list without a choice.
class GComboCapture : public GMouseCapture {
public:
    explicit GComboCapture(GCombo* combo) : GMouseCapture(combo), combo(combo) {}
    ~GComboCapture() override {
        if (combo) combo->capture = nullptr;
    }

    bool handleMessage(u32 message, uintptr_t, intptr_t, intptr_t*) override {
        if (message == WM_CAPTURECHANGED && active && !paused && combo && combo->dropped()) combo->closeUp(false);
        return false;
    }
    // Escape while open is the combo's own key: it closes the list and is taken there.
    void cancel() override {
        if (!combo || !combo->dropped()) GMouseCapture::cancel();
    }
    void deactivate() override {
        if (combo && combo->dropped())
            combo->closeUp(false);
        else
            GMouseCapture::cancel();
    }

    // Takes the capture and the drag role at the pointer.
    void track() {
        if (!combo) return;
        POINT p;
        systemInput.cursorPos(&p);
        ScreenToClient(combo->hwnd, &p);
        begin(p.x, p.y);
        dragging = true;
    }
    // The drag ends through the owner's drop slot; the capture goes.
    void finish() {
        drop();
        end();
    }

    GCombo* combo;
    bool paused = false;
};

namespace {
// Draws the selected row through the model's cell formatter.
class SelectedRowElement : public GPaintElement {
public:
    explicit SelectedRowElement(GCombo* combo) : combo(combo) {}
    void paint(GSavedDC& dc, const RECT& rect) override {
        GTableModel* model = combo->model();
        if (combo->selection < 0 || combo->selection >= combo->rowCount()) return;
        GString scratch;
        u64 row = (u64)combo->selection;
        const char* text = model->cellText(scratch, row, 0);
        // A value is drawn as an image only when it is a live registered drawable.
        GDrawable* image = actionDrawable((void*)(uintptr_t)(u32)model->cellValue(row, 0));
        dc.selectFont(getMessageFont()->font);
        SetBkMode(dc.dc(), TRANSPARENT);
        SetTextColor(dc.dc(), IsWindowEnabled(combo->hwnd) ? toolkitColors.text : toolkitColors.darkShade);
        model->cellFormat(row, 0)->draw(dc, text, image, &rect, 0, 0, nullptr, nullptr);
    }
    GCombo* combo;
};

SIZE arrowSize() { return getCachedImage(ComboArrowBitmap)->size(); }

bool isPress(u32 message) {
    return message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN ||
           message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDOWN || message == WM_MBUTTONDBLCLK;
}

u32 nonClientMessage(u32 message) {
    switch (message) {
    case WM_LBUTTONDOWN:
        return WM_NCLBUTTONDOWN;
    case WM_LBUTTONUP:
        return WM_NCLBUTTONUP;
    case WM_LBUTTONDBLCLK:
        return WM_NCLBUTTONDBLCLK;
    default:
        return 0;
    }
}

RECT screenRect(HWND window, bool client) {
    RECT r = {0, 0, 0, 0};
    if (!client) {
        GetWindowRect(window, &r);
        return r;
    }
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, (POINT*)&r, 2);
    return r;
}

bool contains(const RECT& r, POINT p) { return rectContainsPoint(r, p.x, p.y); }
}  // namespace

GCombo::GCombo(GWindow* owner) : GUserWindow(owner), itemModel(new GStringListModel) {
    lineHeight = getUiFontMetrics(getMessageFont()).cy;
    itemHeight = lineHeight + 6;
    drawStyle = DrawRepaintOnResize;
}

GCombo::~GCombo() {
    destroyNative();
    // The capture may outlive this object on the window's chain.
    if (capture) capture->combo = nullptr;
    delete itemModel;
}

bool GCombo::createHandle(i32 minHeight) {
    if (!GUserWindow::create(comboStyle, comboExStyle)) return false;
    minTextHeight = minHeight;
    itemHeight = std::max(lineHeight, minTextHeight) + 6;
    tracker = new GHotTracker(this);
    capture = new GComboCapture(this);
    delete itemModel;
    itemModel = new GStringListModel;
    selection = -1;
    return true;
}

namespace {
GCombo* finishCreate(GLayoutBuilder& builder, GCombo* combo, const char* alignment) {
    builder.add(combo, alignment);
    return combo;
}
}  // namespace

GCombo* GCombo::create(GLayoutBuilder& builder, const GBag* items, i32 selection, i32 width, const char* alignment) {
    GCombo* combo = new GCombo(builder.owner);
    combo->widthInChars = width;
    if (!combo->createHandle(0)) {
        delete combo;
        return nullptr;
    }
    combo->setItems(items, selection);
    return finishCreate(builder, combo, alignment);
}

GCombo* GCombo::create(GLayoutBuilder& builder, GTableModel* model, i32 selection, i32 width, const char* alignment) {
    GCombo* combo = new GCombo(builder.owner);
    combo->widthInChars = width;
    if (!combo->createHandle(0)) {
        delete model;
        delete combo;
        return nullptr;
    }
    combo->setModel(model, selection);
    return finishCreate(builder, combo, alignment);
}

GCombo* GCombo::create(GLayoutBuilder& builder, ListRowArray& choices, i32 selection, i32 width,
                       const char* alignment) {
    ListRowModel* model = new ListRowModel;
    model->rows.insert(0, choices.data, choices.count);
    choices.count = 0;  // the rows belong to the model now
    return create(builder, model, selection, width, alignment);
}

i32 GCombo::rowCount() const {
    u64 n = itemModel ? itemModel->rowCount() : 0;
    return n > 0x7FFFFFFF ? 0x7FFFFFFF : (i32)n;
}

void GCombo::onLayoutEvent(u32) {
    if (container) container->requestRelayout(this);
}

void GCombo::relayout() { markDirty(0); }

void GCombo::repaint() {
    if (hwnd) invalidate();
}

void GCombo::setItems(const GBag* texts, i32 index) {
    beginRedrawLock();
    itemModel->clearRows();
    if (texts && texts->data) {
        const char* p = (const char*)texts->data;
        const char* end = p + texts->size;
        while (p < end) {
            const char* stop = (const char*)memchr(p, 0, end - p);
            if (!stop) stop = end;
            if (stop > p) {
                GString text;
                stringAssign(text, p, (u32)(stop - p));
                const char* row[] = {text.c_str()};
                itemModel->appendRows(row, 1);
            }
            p = stop + 1;
        }
    }
    relayout();
    repaint();
    endRedrawLock();
    select(index);
}

void GCombo::addItem(const char* text) {
    const char* row[] = {text};
    itemModel->appendRows(row, 1);
    relayout();
    repaint();
}

void GCombo::clear() {
    itemModel->clearRows();
    relayout();
    repaint();
}

void GCombo::select(i32 index) {
    if (index < -1) return;
    setCurrentIndex(index);
}

void GCombo::setCurrentIndex(i32 index) {
    if (index >= rowCount()) return;
    selection = index < 0 ? -1 : index;
    relayout();
    repaint();
}

void GCombo::userSelect(i32 index) {
    if (index == selection || index < 0 || index >= rowCount()) return;
    select(index);
    GControlNotification notification;
    notification.source = this;
    notification.code = ComboSelectionChanged;
    notification.value = index;
    notifyUp(this, &notification);
}

void GCombo::setModel(GTableModel* model, i32 index) {
    if (model != itemModel) {
        delete itemModel;
        itemModel = model ? model : new GStringListModel;
    }
    if (openList) openList->setModel(itemModel);
    select(index);
    // An ignored index must not leave the old selection beyond the new rows.
    if (selection >= rowCount()) clampSelection();
}

void GCombo::clampSelection() {
    i32 n = rowCount();
    if (n == 0)
        selection = -1;
    else if (selection >= n)
        selection = n - 1;
    else if (selection < 0)
        selection = 0;
    relayout();
}

i32 GCombo::widestText() {
    FontHolder* font = getMessageFont();
    GString scratch;
    i32 widest = 0, n = std::min(rowCount(), 100);
    for (i32 row = 0; row < n; ++row) {
        const char* text = itemModel->cellText(scratch, (u64)row, 0);
        if (text && *text) widest = std::max(widest, (i32)textExtent(font, text).cx);
    }
    return widest;
}

void GCombo::dropDown() {
    if (isDropped || !hwnd || !comboListFactory) return;
    GComboList* list = comboListFactory();
    if (!list) return;
    RECT combo;
    GetWindowRect(hwnd, &combo);
    i32 n = rowCount(), shown = std::min(n, visibleRows);
    ComboListPlace place = placeComboList(combo, workAreas.ofWindow(hwnd), itemHeight, shown, widestText(),
                                          systemComboListMetrics(), n > shown);
    isDropped = true;
    LifeGuard guard(lifeRecord());
    if (!list->open(this, itemModel, selection, itemHeight, place.rect, place.verticalBar)) {
        delete list;
        if (guard.alive()) isDropped = false;
        return;
    }
    if (!guard.alive()) {
        list->destroy();
        delete list;
        return;
    }
    openList = list;
    if (capture) capture->track();
    repaint();
}

void GCombo::dropList() {
    isDropped = false;
    if (capture) capture->finish();
    if (GComboList* list = openList) {
        openList = nullptr;
        list->destroy();
        delete list;
    }
}

void GCombo::closeUp(bool takeChoice) {
    if (!isDropped) return;
    i32 row = openList ? openList->currentRow() : -1;
    LifeGuard guard(lifeRecord());
    dropList();
    if (!guard.alive()) return;
    HWND top = GetAncestor(hwnd, GA_ROOT);
    if (top && systemInput.activeWindow() != top) SetActiveWindow(top);
    if (!guard.alive()) return;
    if (takeChoice && row >= 0) userSelect(row);
    repaint();
}

void GCombo::onDestroy() {
    if (isDropped) {
        dropList();
        if (GetFocus() == hwnd) SetFocus(GetAncestor(hwnd, GA_ROOT));
    }
    GUserWindow::onDestroy();
}

RECT GCombo::textZone() const {
    RECT c = {0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &c);
    InflateRect(&c, -1, -1);
    c.right = std::max(c.left, c.right - arrowSize().cx - 3);
    return c;
}

RECT GCombo::arrowZone() const {
    RECT c = {0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &c);
    InflateRect(&c, -1, -1);
    c.left = std::max(c.left, c.right - arrowSize().cx - 2);
    return c;
}

u32 GCombo::frameState() const {
    return (!IsWindowEnabled(hwnd) || selection < 0 ? (u32)HotDisabled : 0u) | (isDropped ? (u32)HotChecked : 0u);
}

bool GCombo::hitPart(GHotTracker*, i32 x, i32 y, RECT* rect, u32* flags) {
    RECT text = textZone(), arrow = arrowZone();
    u32 state = frameState();
    if (rectContainsPoint(arrow, x, y)) {
        *rect = arrow;
        *flags = state;
        return true;
    }
    if (rectContainsPoint(text, x, y)) {
        *rect = text;
        *flags = state & ~HotChecked;
        return true;
    }
    return false;
}

void GCombo::paint(HDC hdc, const RECT&, bool) {
    GSavedDC dc(hdc);
    RECT client;
    GetClientRect(hwnd, &client);
    u32 state = frameState();
    GEmptyElement empty;
    paintComposite(dc, client, &empty, frameStateStyle(0x11, client, tracker, 0, state));

    RECT text = textZone();
    SelectedRowElement row(this);
    u32 fieldStyle = GetFocus() == hwnd ? 0x1000011 : 0x11;
    paintComposite(dc, text, &row, frameStateStyle(fieldStyle, text, tracker, 0, state & ~HotChecked));

    RECT arrow = arrowZone();
    GBitmap* image = getCachedImage(ComboArrowBitmap);
    if (image->bitmap) {
        GImageElement element(image);
        element.paint(dc, arrow);
    }
    dc.selectPen(toolkitColors.darkShade);
    if (arrow.right - arrow.left >= 5 && arrow.bottom - arrow.top >= 5)
        drawCornerFrame(dc, arrow.left, arrow.top, arrow.right, arrow.bottom, 2);
    drawLine(dc, text.right, 1, client.bottom - 2);
}

void GCombo::getPreferredSize(i32* width, i32* height) {
    selectScreenFont(getMessageFont()->font);
    SIZE metrics = fontMetrics(screenDC().dc());
    SIZE arrow = arrowSize();
    *width = widthInChars * metrics.cx + arrow.cx + 10;
    // The field shows a row as the list does: the text and the cell's margins, 6 in all.
    *height = std::max((i32)arrow.cy, std::max(lineHeight, minTextHeight) + 6) + 2;
}

i32 GCombo::handleKey(GInputEvent* e) {
    if (e->mouse || e->kind != KeyDown) return 0;
    if (e->isKeyDown(VK_SPACE)) {
        if (isDropped)
            closeUp(true);
        else
            dropDown();
        return 2;
    }
    if (e->isKeyDown(VK_F4) || e->isKeyDown(VK_DOWN, ModAlt)) {
        if (isDropped)
            closeUp(false);
        else
            dropDown();
        return 2;
    }
    if (isDropped) {
        if (e->key == VK_ESCAPE) {
            closeUp(false);
            return 2;
        }
        GInputEvent copy = *e;
        if (e->key == VK_HOME || e->key == VK_END) copy.modifiers |= ModCtrl;
        return openList ? openList->forwardKey(&copy) : 0;
    }
    i32 n = rowCount();
    if (n == 0) return 0;
    switch (e->key) {
    case VK_HOME:
        userSelect(0);
        return 2;
    case VK_END:
        userSelect(n - 1);
        return 2;
    case VK_LEFT:
    case VK_UP:
    case VK_PRIOR:
        userSelect(std::max(selection - 1, 0));
        return 2;
    case VK_RIGHT:
    case VK_DOWN:
    case VK_NEXT:
        userSelect(std::min(selection + 1, n - 1));
        return 2;
    default:
        return 0;
    }
}

bool GCombo::onWheel(i32 delta, u32, bool) {
    if (isDropped && openList) {
        POINT p;
        systemInput.cursorPos(&p);
        HWND list = openList->listWindow();
        ScreenToClient(list, &p);
        openList->forwardWheel(delta, p.x, p.y);
        i32 row = openList ? openList->rowAtPoint(p.x, p.y) : -1;
        if (row >= 0) openList->setCurrentRow(row);
        return true;
    }
    if (rowCount() == 0 || delta == 0) return true;
    userSelect(delta > 0 ? std::max(selection - 1, 0) : std::min(selection + 1, rowCount() - 1));
    return true;
}

bool GCombo::onFocus(bool gained, HWND other) {
    bool taken = GUserWindow::onFocus(gained, other);
    repaint();
    return taken;
}

bool GCombo::handleMouse(GInputEvent* e) {
    if (isDropped || !(e->isPress() || e->isDoubleClick()) || e->button != ButtonLeft) return false;
    LifeGuard guard(lifeRecord());
    setFocusSafe();
    if (guard.alive()) dropDown();
    return true;
}

bool GCombo::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (isDropped && isMouseMessage(message)) {
        routeOpenMouse(message, wParam, lParam);
        *result = 0;
        return true;
    }
    return GUserWindow::handleMessage(message, wParam, lParam, result);
}

void GCombo::routeOpenMouse(u32 message, uintptr_t wParam, intptr_t lParam) {
    if (!openList) return;
    POINT p = {(i16)LOWORD(lParam), (i16)HIWORD(lParam)};
    ClientToScreen(hwnd, &p);
    HWND list = openList->listWindow();
    if (contains(screenRect(list, true), p)) {
        POINT q = p;
        ScreenToClient(list, &q);
        i32 row = openList->rowAtPoint(q.x, q.y);
        if (message == WM_MOUSEMOVE) {
            if (row >= 0) openList->setCurrentRow(row);
        } else if (message == WM_LBUTTONUP && row >= 0) {
            openList->setCurrentRow(row);
            closeUp(true);
            return;
        }
        openList->forwardMouse(message, wParam, q.x, q.y);
        return;
    }
    if (contains(screenRect(list, false), p)) {
        // The list's scroll bars run their own capture: ours pauses around them.
        u32 nc = nonClientMessage(message);
        if (!nc) return;
        LRESULT hit = SendMessageA(list, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
        LifeGuard guard(lifeRecord());
        if (capture) capture->paused = true;
        ReleaseCapture();
        SendMessageA(list, nc, (WPARAM)hit, MAKELPARAM(p.x, p.y));
        if (!guard.alive()) return;
        if (capture) capture->paused = false;
        if (isDropped) SetCapture(hwnd);
        return;
    }
    if (isPress(message) && !contains(screenRect(openList->popupWindow(), false), p)) closeUp(false);
}
