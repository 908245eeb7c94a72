#include "gui/paint/text_measure.h"

#include <algorithm>
#include <cstring>

#include "core/wide_text.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/memory_dc.h"
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

// The right edge of the ink of a one-line text drawn from 0; 0 when nothing is drawn.
static i32 inkRight(const FontHolder* font, const char* text, UINT format, SIZE extent) {
    // Room past the extent for any overhang.
    const i32 width = extent.cx + extent.cy + 8, height = extent.cy;
    u32* pixels = nullptr;
    HDC dc = CreateCompatibleDC(screenDC().dc());
    HBITMAP bitmap = dc ? createTopDownDib(dc, width, height, &pixels) : nullptr;
    if (!bitmap || !pixels) {
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
        return 0;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, font ? font->font : GetStockObject(SYSTEM_FONT));
    std::fill(pixels, pixels + (size_t)width * height, 0xFFFFFFu);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    RECT r = {0, 0, width, height};
    drawTextW(dc, &r, text, -1, (format & ~(UINT)(DT_CENTER | DT_RIGHT | DT_CALCRECT)) | DT_SINGLELINE);
    GdiFlush();
    i32 right = 0;
    for (i32 y = 0; y < height; ++y)
        for (i32 x = width - 1; x >= right; --x)
            if ((pixels[(size_t)y * width + x] & 0xFFFFFFu) != 0xFFFFFFu) {
                right = x + 1;
                break;
            }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return right;
}

SIZE drawnTextExtent(const FontHolder* font, const char* text, UINT format) {
    SIZE size = textExtent(font, text);
    if (!text || !*text || size.cy <= 0) return size;
    size.cx = std::max<i32>(size.cx, inkRight(font, text, format, size));
    return size;
}

i32 drawnTextOverhang(const FontHolder* font, const char* text, UINT format) {
    SIZE size = textExtent(font, text);
    if (!text || !*text || size.cy <= 0) return 0;
    RECT measured = {0, 0, 0, 0};
    UINT calc = (format & ~(UINT)(DT_CENTER | DT_RIGHT)) | DT_SINGLELINE | DT_CALCRECT;
    drawTextW(screenDC().dc(), &measured, text, -1, calc);
    return std::max<i32>(0, inkRight(font, text, format, size) - (measured.right - measured.left));
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
