#include "gui/controls/edit_line.h"

#include "core/exceptions.h"
#include "gui/controls/value_text.h"
#include "gui/input/input_event.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/paint/fonts.h"
#include "gui/paint/system_metrics.h"

namespace {
WindowClassRecord editLineClass;

// Modifier bits beyond Shift and Ctrl count as Alt.
enum { Plain, ShiftOnly, CtrlOnly, Other };
int modifierClass(u32 m) { return m == 0 ? Plain : m == ModShift ? ShiftOnly : m == ModCtrl ? CtrlOnly : Other; }
}  // namespace

i32 editKeyFilter(u32 style, const GInputEvent* e) {
    bool readOnly = (style & ControlReadOnly) != 0;
    bool multiLine = (style & ControlMultiLine) != 0;
    u32 key = e->key;
    u32 mods = e->modifiers;
    bool alt = (mods & ~(u32)(ModShift | ModCtrl)) != 0;
    int m = modifierClass(mods);
    if (e->kind == KeyCharacter) {
        if (readOnly) return m == CtrlOnly && key == 3;
        if (m == Plain || m == ShiftOnly) return 1;
        return m == CtrlOnly && (key == 3 || key == 22 || key == 24 || key == 26);
    }
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return 0;
    if (key >= 48 && key <= 90) {
        if (m == Plain || m == ShiftOnly) return 1;
        return m == CtrlOnly && (key == 'C' || key == 'V' || key == 'X' || key == 'Z');
    }
    if (key >= VK_PRIOR && key <= VK_DOWN) {
        if (alt) return 0;
        if ((mods & ModCtrl) && (key == VK_PRIOR || key == VK_NEXT)) return 0;
        if (multiLine) return 1;
        return key == VK_END || key == VK_HOME || key == VK_LEFT || key == VK_RIGHT;
    }
    if (readOnly) return m == CtrlOnly && key == VK_INSERT;
    switch (m) {
    case Plain:
        if (key == VK_SPACE || key == VK_BACK || key == VK_DELETE) return 1;
        return multiLine && (key == VK_TAB || key == VK_RETURN);
    case ShiftOnly:
        return key == VK_DELETE || key == VK_INSERT;
    case CtrlOnly:
        return key == VK_DELETE || key == VK_INSERT || key == VK_BACK;
    default:
        return alt && !(mods & (ModShift | ModCtrl)) && key == VK_BACK;
    }
}

GEditLine::~GEditLine() { destroyNative(); }

WindowClassRecord* GEditLine::windowClassRecord() { return &editLineClass; }

bool GEditLine::createEdit(u32 style, u32 exStyle) {
    if (!createNative(style, exStyle)) return false;
    FontHolder* font = getMessageFont();
    if (font && font->font) SendMessageA(hwnd, WM_SETFONT, (WPARAM)font->font, TRUE);
    return true;
}

namespace {
GEditLine* makeLine(GLayoutBuilder& builder, const char* alignment) {
    GEditLine* line = new GEditLine(builder.owner);
    line->createEdit(WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
    builder.add(line, alignment);
    return line;
}
}  // namespace

GEditLine* GEditLine::create(GLayoutBuilder& builder, i32 characters, const char* alignment) {
    GEditLine* line = makeLine(builder, alignment);
    line->controlStyle |= EditSizedByChars;
    line->sizeChars = characters;
    line->sizeLines = 1;
    return line;
}

GEditLine* GEditLine::createAlt(GLayoutBuilder& builder, const char* sampleText, const char* alignment) {
    GEditLine* line = makeLine(builder, alignment);
    line->controlStyle |= EditSizedBySample;
    stringAssignText(line->sample, sampleText);
    return line;
}

GEditLine* GEditLine::createSecond(GLayoutBuilder& builder, const char* alignment) { return makeLine(builder, alignment); }

bool GEditLine::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    switch (message) {
    case WM_GETDLGCODE:
        *result = (controlStyle & ControlReadOnly) ? DLGC_WANTARROWS
                  : (controlStyle & ControlMultiLine) ? DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_WANTTAB
                                                      : DLGC_WANTCHARS | DLGC_WANTARROWS;
        return true;
    case WM_SETFOCUS:
        GChildWindow::onFocus(true, (HWND)wParam);
        *result = defaultProcessing(this, message, wParam, lParam);
        if (!(controlStyle & (ControlReadOnly | ControlMultiLine))) SendMessageA(hwnd, EM_SETSEL, 0, -1);
        return true;
    default:
        return GSystemWindow::handleMessage(message, wParam, lParam, result);
    }
}

bool GEditLine::onControlCommand(void* event) {
    GControlNotification* n = static_cast<GControlNotification*>(event);
    if (n->source != this || n->code != EN_CHANGE) return false;
    if (!(controlStyle & EditChangeGuard)) {
        controlStyle |= EditChangeGuard;
        if (redrawLock != 0)
            markDirty(0);
        else
            textChanged();
        controlStyle &= ~EditChangeGuard;
    }
    return true;
}

void GEditLine::onLayoutEvent(u32 kind) {
    if (kind == 0) textChanged();
}

void GEditLine::textChanged() {
    GControlNotification notification{this, 0, 0};
    notifyUp(this, &notification);
}

void GEditLine::getPreferredSize(i32* width, i32* height) {
    SIZE content;
    if (controlStyle & EditSizedByChars) {
        SIZE m = charMetrics();
        content = {sizeChars * m.cx, sizeLines * m.cy};
    } else {
        const char* measured = (controlStyle & EditSizedBySample) ? sample.c_str() : text();
        if (!*measured) measured = "XXXXXXXXXX";
        content = (controlStyle & ControlMultiLine) ? textExtentWrapped(measured, GetSystemMetrics(SM_CXSCREEN) / 4)
                                                    : textExtent(measured);
    }
    if (!systemMetrics.filled) initSystemMetrics();
    i32 w = content.cx + 2 * systemMetrics.cxEdge + 7;
    i32 h = content.cy + 2 * systemMetrics.cyEdge + 2;
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    if (style & WS_VSCROLL) w += systemMetrics.cxVScroll;
    if (style & WS_HSCROLL) h += systemMetrics.cyHScroll;
    if (*width < 0) *width = w;
    *height = h;
}

i32 GEditLine::getSelection() {
    DWORD start = 0;
    SendMessageA(hwnd, EM_GETSEL, (WPARAM)&start, 0);
    return (i32)start;
}

void GEditLine::setTextQuiet(const char* newText) {
    u32 saved = controlStyle & EditChangeGuard;
    controlStyle |= EditChangeGuard;
    setText(newText);
    controlStyle = (controlStyle & ~EditChangeGuard) | saved;
}

const char* GEditLine::text() {
    cachedText = getText();
    return cachedText.c_str();
}

void GEditLine::refuse() {
    GVerifyException e;
    e.text = cachedText;
    e.field = static_cast<GItemBase*>(this);
    throw e;
}

template <typename T>
T GEditLine::readValue(bool (*read)(const char*, T*)) {
    T v;
    if (!read(text(), &v)) refuse();
    return v;
}

i32 GEditLine::getI32() { return readValue(readI32Text); }
u32 GEditLine::getU32() { return readValue(readU32Text); }
i64 GEditLine::getI64() { return readValue(readI64Text); }
double GEditLine::getDouble() { return readValue(readDoubleText); }
u32 GEditLine::getTime() { return readValue(readTimeText); }

namespace {
template <typename T>
void setFormatted(GEditLine* line, void (*format)(GString&, T), T value) {
    GString s;
    format(s, value);
    line->setText(s.c_str());
}
}  // namespace

void GEditLine::setI32(i32 v) { setFormatted(this, formatI32Text, v); }
void GEditLine::setU32(u32 v) { setFormatted(this, formatU32Text, v); }
void GEditLine::setI64(i64 v) { setFormatted(this, formatI64Text, v); }
void GEditLine::setDouble(double v) { setFormatted(this, formatDoubleText, v); }
void GEditLine::setTime(u32 v) { setFormatted(this, formatTimeText, v); }
