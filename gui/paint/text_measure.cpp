#include "gui/paint/text_measure.h"

#include <cstring>

#include "core/wide_text.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/saved_dc.h"

WideTextBuffer::WideTextBuffer(const char* text, i32 length) {
    local[0] = 0;
    if (!text) return;
    if (length < 0) length = (i32)strlen(text);
    if (length == 0) return;
    u32 codePage = processCodePage();
    i32 n = MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    if (n <= 0) return;
    if (n >= (i32)(sizeof local / sizeof local[0])) data = new wchar_t[n + 1];
    count = MultiByteToWideChar(codePage, 0, text, length, data, n);
    if (count < 0) count = 0;
    data[count] = 0;
}

WideTextBuffer::~WideTextBuffer() {
    if (data != local) delete[] data;
}

SIZE textExtentW(HDC dc, const char* text, i32 length) {
    WideTextBuffer wide(text, length);
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, wide.text(), wide.length(), &size);
    return size;
}

SIZE textWidth(HDC dc, const char* text) { return textExtentW(dc, text, -1); }

SIZE measureCharX(HDC dc) { return textExtentW(dc, "X", 1); }

SIZE fontMetrics(HDC dc) {
    TEXTMETRICW metrics;
    if (!GetTextMetricsW(dc, &metrics)) return {0, 0};
    return {metrics.tmAveCharWidth, metrics.tmHeight};
}

i32 textPrefixWidth(HDC dc, const char* text, i32 n) { return textExtentW(dc, text, n).cx; }

// ---- the shared screen DC ----

namespace {
struct ScreenContext {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    GSavedDC* saved = new GSavedDC(display);
    HFONT font = nullptr;  // selected by selectScreenFont; null: the default font
    ~ScreenContext() {
        delete saved;  // puts the default objects back before the DC goes
        DeleteDC(display);
    }
};

ScreenContext& screen() {
    static ScreenContext context;
    return context;
}

struct CharXCache {
    SIZE messageFont;
    SIZE defaultFont;
    bool messageFilled = false;
    bool defaultFilled = false;
} charX;
}  // namespace

GSavedDC& screenDC() { return *screen().saved; }

void selectScreenFont(HFONT font) {
    ScreenContext& s = screen();
    if (font == s.font) return;
    s.saved->drawSelectCleanup(GSavedDC::Font, font, false);
    s.font = font;
}

void resetSystemMetricsCache() { charX = CharXCache(); }

SIZE getUiFontMetrics(const FontHolder* font) {
    bool isMessage = font && font == getMessageFont();
    if (font && !isMessage) {
        selectScreenFont(font->font);
        return measureCharX(screenDC().dc());
    }
    SIZE& size = isMessage ? charX.messageFont : charX.defaultFont;
    bool& filled = isMessage ? charX.messageFilled : charX.defaultFilled;
    if (!filled) {
        selectScreenFont(font ? font->font : nullptr);
        size = measureCharX(screenDC().dc());
        filled = true;
    }
    return size;
}

SIZE textExtent(const FontHolder* font, const char* text, i32 length) {
    selectScreenFont(font ? font->font : nullptr);
    return textExtentW(screenDC().dc(), text, length);
}

SIZE measureTextBlock(HDC dc, const char* text, i32 length, i32 width) {
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN), brush = GetCurrentObject(dc, OBJ_BRUSH);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    RECT rect = {0, 0, width, 0};
    drawTextW(dc, &rect, text ? text : "", length, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    SelectObject(dc, font);
    i32 w = rect.right - rect.left;
    return {w > 0 ? w - 1 : w, rect.bottom - rect.top};
}

SIZE measureTextBlockIn(const FontHolder* font, const char* text, i32 length, i32 width) {
    selectScreenFont(font ? font->font : nullptr);
    return measureTextBlock(screenDC().dc(), text, length, width);
}
