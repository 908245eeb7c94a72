#include "gui/views/columns.h"

#include <algorithm>
#include <cstring>

#include "core/paths.h"
#include "core/wide_text.h"
#include "gui/input/input_event.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/layout/layout_cell.h"
#include "gui/layout/rect_list.h"
#include "gui/layout/scroll_bar.h"
#include "gui/paint/colors.h"
#include "gui/paint/drawing.h"
#include "gui/paint/fonts.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"

namespace {
const i32 kColumnPadding = 5;  // added to the widest name of a column
const i32 kTextInset = 2;

GString lowerCopy(const char* text) {
    GString out(text);
    if (out.data && out.length) CharLowerBuffA(out.data, out.length);
    return out;
}
}  // namespace

// The full height of a line of the list font.
static i32 lineHeight() {
    selectScreenFont(getMessageFont()->font);
    return std::max<i32>(1, fontMetrics(screenDC().dc()).cy);
}

GColumns* GColumns::create(GWindow* owner) {
    GColumns* list = new GColumns(owner);
    list->createWindow();
    return list;
}

bool GColumns::createWindow() {
    if (!GUserImage::create(0, 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | WS_HSCROLL)) return false;
    SetWindowPos(hwnd, nullptr, 0, 0, 200, 200, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    itemHeight = lineHeight();
    return true;
}

void sortNames(std::vector<GString>& names) {
    // Each name is converted once; the order is compareTexts's.
    std::vector<WideString> wide(names.size());
    std::vector<u32> order(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        wide[i] = toWide(names[i].c_str());
        order[i] = (u32)i;
    }
    std::stable_sort(order.begin(), order.end(), [&](u32 a, u32 b) {
        return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wide[a].c_str(), (int)wide[a].length, wide[b].c_str(),
                              (int)wide[b].length) == CSTR_LESS_THAN;
    });
    std::vector<GString> sorted;
    sorted.reserve(names.size());
    for (u32 i : order) sorted.push_back(std::move(names[i]));
    names = std::move(sorted);
}

void GColumns::setNames(std::vector<GString> list) {
    names = std::move(list);
    sortNames(names);
    firstVisible = 0;
    typed = GString();
    arrange(true);
}

void GColumns::setPattern(const char* pattern) {
    std::vector<GString> list;
    if (pattern && *pattern) {
        // Every attribute counts: hidden, system and folder entries are listed too.
        DirIterator it(pattern);
        while (it.next()) list.emplace_back(it.entry().name);
    }
    setNames(std::move(list));
}

i32 GColumns::clientWidth() {
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    return client.right;
}

i32 GColumns::columnEdge(i32 column) {
    // Measures further on demand: callers may ask past the columns that fit the window.
    while ((i32)edges.size() <= column) {
        i32 start = firstVisible + (i32)edges.size() * rowsPerColumn;
        if (start >= count()) return -1;
        i32 end = std::min(count(), start + rowsPerColumn);
        i32 widest = 0;
        for (i32 i = start; i < end; ++i)
            widest = std::max<i32>(widest, textExtent(getMessageFont(), names[i].c_str()).cx);
        edges.push_back((edges.empty() ? 0 : edges.back()) + widest + kColumnPadding);
    }
    return edges[column];
}

i32 GColumns::rowsThatFit() {
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    return std::max<i32>(1, (client.bottom - topMargin - bottomMargin) / std::max<i32>(1, itemHeight));
}

void GColumns::arrange(bool force, bool revealCaret) {
    i32 before = caret;
    caret = names.empty() ? -1 : std::max(0, std::min(caret, count() - 1));
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    i32 rows = rowsThatFit();
    if (rows != rowsPerColumn) {
        rowsPerColumn = rows;
        force = true;
    }
    firstVisible = names.empty() ? 0 : std::min(firstVisible - firstVisible % rowsPerColumn,
                                                 (count() - 1) / rowsPerColumn * rowsPerColumn);
    if (firstVisible < 0) firstVisible = 0;
    if (force || edges.empty()) {
        edges.clear();
        for (i32 c = 0; columnEdge(c) >= 0 && edges.back() <= client.right; ++c) {
        }
    }
    if (caret != before || revealCaret) revealCaretColumn();
    updateScrollRanges();
    if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
}

void GColumns::updateScrollRanges() {
    i32 columns = names.empty() ? 0 : (count() + rowsPerColumn - 1) / rowsPerColumn;
    i32 width = clientWidth(), first = firstVisible / rowsPerColumn, fit = 0;
    while (first + fit < columns && columnEdge(fit) >= 0 && columnEdge(fit) <= width) ++fit;
    bool needBar = first > 0 || first + fit < columns;
    GScrollRange h = horizontal;
    h.step = rowsPerColumn;
    h.total = (i64)columns * rowsPerColumn;
    h.page = std::max(1, fit) * rowsPerColumn;
    h.origin = h.requestedOrigin = firstVisible;
    h.caret = caret > 0 ? caret - caret % rowsPerColumn : 0;
    horizontal = h;
    vertical.total = vertical.page = vertical.step = 1;
    vertical.origin = vertical.requestedOrigin = vertical.caret = 0;
    if (!hwnd) return;
    if (((GetWindowLongA(hwnd, GWL_STYLE) & WS_HSCROLL) != 0) != needBar) {
        // The bar takes or gives back height: lay out again for the rows that now fit.
        ShowScrollBar(hwnd, SB_HORZ, needBar);
        if (rowsThatFit() != rowsPerColumn) {
            arrange(true);
            return;
        }
    }
    if (needBar) GScrollBar{hwnd, SB_HORZ}.sync(horizontal);
}

void GColumns::setScrollState(const GScrollRange& h, const GScrollRange&) {
    i64 last = std::max<i64>(0, h.total - h.page);
    i64 origin = std::max<i64>(0, std::min(h.origin, last));
    origin -= origin % std::max(1, rowsPerColumn);
    if ((i32)origin != firstVisible) {
        firstVisible = (i32)origin;
        edges.clear();
    }
    arrange(false);
}

bool GColumns::onWheel(i32 delta, u32, bool) {
    // Either wheel runs along the columns.
    GScrollRange h = horizontal, v = vertical;
    if (!scrollRangesOnWheel(h, v, delta, false, ScrollHorizontal)) return false;
    setScrollState(h, v);
    return true;
}

void GColumns::revealCaretColumn() {
    if (caret < 0) return;
    i32 width = clientWidth();
    i32 caretStart = caret - caret % rowsPerColumn;
    if (caret < firstVisible) {
        firstVisible = caretStart;
        edges.clear();
        return;
    }
    // Whole columns off the left until the caret's column ends inside the view (or is the first).
    while (firstVisible < caretStart && columnEdge((caret - firstVisible) / rowsPerColumn) > width) {
        firstVisible += rowsPerColumn;
        edges.clear();
    }
}

void GColumns::setCaret(i32 index) {
    caret = index;
    arrange(false, true);
}

bool GColumns::findTyped(const char* text) {
    GString wanted = lowerCopy(text);
    if (wanted.length) {
        for (i32 i = 0; i < count(); ++i) {
            if (!strstr(lowerCopy(names[i].c_str()).c_str(), wanted.c_str())) continue;
            typed = std::move(wanted);
            setCaret(i);
            return true;
        }
    }
    typed = GString();
    if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
    return false;
}

i32 GColumns::hitTest(i32 x, i32 y) {
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    if (x < 0 || x >= client.right || y < topMargin || y >= client.bottom - bottomMargin) return -1;
    i32 row = (y - topMargin) / std::max<i32>(1, itemHeight);
    if (row >= rowsPerColumn) return -1;
    for (i32 c = 0;; ++c) {
        i32 edge = columnEdge(c);
        if (edge < 0) return -1;
        if (edge > x) {
            i32 item = firstVisible + c * rowsPerColumn + row;
            return item < count() ? item : -1;
        }
    }
}

void GColumns::paint(HDC handle, const RECT&, bool) {
    GSavedDC dc(handle);
    RECT client{0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    fillRectSolid(handle, client, toolkitColors.window);
    if (names.empty()) return;
    dc.selectFont(getMessageFont()->font);
    SetBkMode(handle, TRANSPARENT);
    dc.selectPen(toolkitColors.darkShade);
    bool focused = GetFocus() == hwnd;
    for (i32 c = 0;; ++c) {
        i32 left = c ? columnEdge(c - 1) : 0;
        i32 right = columnEdge(c);
        if (right < 0 || left > client.right) break;
        MoveToEx(handle, right - 1, topMargin, nullptr);
        LineTo(handle, right - 1, client.bottom - bottomMargin);
        for (i32 row = 0; row < rowsPerColumn; ++row) {
            i32 item = firstVisible + c * rowsPerColumn + row;
            if (item >= count()) break;
            const char* name = names[item].c_str();
            i32 top = topMargin + row * itemHeight;
            if (item == caret) {
                RECT cell{left, top, right - 1, top + itemHeight};
                FillRect(handle, &cell, getSelectionBrush());
                if (focused) DrawFocusRect(handle, &cell);
            }
            SetTextColor(handle, item == caret ? toolkitColors.selectionText : toolkitColors.text);
            TextOutA(handle, left + kTextInset, top, name, (int)strlen(name));
            if (!typed.length) continue;
            GString lower = lowerCopy(name);
            const char* found = strstr(lower.c_str(), typed.c_str());
            if (!found) continue;
            // The match sits at the same byte offset in the name as in its lower-case copy.
            i32 at = (i32)(found - lower.c_str());
            i32 x = left + kTextInset + textPrefixWidth(handle, name, at);
            SetBkMode(handle, OPAQUE);
            SetBkColor(handle, toolkitColors.glass);
            SetTextColor(handle, toolkitColors.selectionText);
            TextOutA(handle, x, top, name + at, (int)typed.length);
            SetBkMode(handle, TRANSPARENT);
        }
    }
}

i32 GColumns::handleKey(GInputEvent* e) {
    if (e->mouse || caret < 0) return GUserImage::handleKey(e);
    if (e->kind == KeyCharacter) {
        if (e->key < 32) return GUserImage::handleKey(e);
        GString text(typed.c_str());
        stringAppendChar(text, (char)e->key);
        findTyped(text.c_str());
        return 2;
    }
    if (e->kind != KeyDown) return GUserImage::handleKey(e);
    if (e->isKeyDown(VK_RETURN)) {
        sendUp(ColumnsActivated, caret);
        return 2;
    }
    i32 last = count() - 1;
    switch (e->key) {
    case VK_END:
        setCaret(last);
        return 2;
    case VK_HOME:
        firstVisible = 0;
        arrange(true);
        return 2;
    case VK_RIGHT:
        setCaret(std::min(last, caret + rowsPerColumn));
        return 2;
    case VK_LEFT:
        setCaret(std::max(0, caret - rowsPerColumn));
        return 2;
    case VK_NEXT:
        firstVisible += rowsPerColumn;
        arrange(true);
        return 2;
    case VK_PRIOR:
        firstVisible = std::max(0, firstVisible - rowsPerColumn);
        arrange(true);
        return 2;
    default:
        return GUserImage::handleKey(e);
    }
}

void GColumns::sendUp(u32 code, i32 item) {
    GControlNotification n;
    n.source = this;
    n.code = code;
    n.value = item;
    notifyUp(this, &n);
}

bool GColumns::onSize(i32, i32) {
    arrange(true);
    return false;
}

bool GColumns::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_RBUTTONUP) {
        i32 item = hitTest((i16)LOWORD(lParam), (i16)HIWORD(lParam));
        if (item >= 0 && item != caret) setCaret(item);
        if (item >= 0 && message == WM_LBUTTONDBLCLK) sendUp(ColumnsActivated, item);
        if (item >= 0 && message == WM_RBUTTONUP) sendUp(ColumnsContext, item);
    }
    return GUserImage::handleMessage(message, wParam, lParam, result);
}
