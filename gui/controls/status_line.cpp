#include "gui/controls/status_line.h"

#include <cstdarg>
#include <cstdio>

#include "core/gstring.h"
#include "gui/layout/layout_builder.h"
#include "gui/paint/colors.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/drawing.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"

GStatusLine::~GStatusLine() {
    destroyNative();
    clear();
}

GStatusLine* GStatusLine::create(GLayoutBuilder& builder) {
    GStatusLine* line = new GStatusLine(builder.owner);
    line->create();
    builder.add(line, "UC");
    return line;
}

StatusField* GStatusLine::field(u32 n) {
    while (fields.count <= n) appendSlot(fields, nullptr);
    StatusField*& record = reinterpret_cast<StatusField*&>(fields.data[n]);
    if (!record) {
        record = new StatusField;
        record->background = toolkitColors.background;
        record->textColour = toolkitColors.text;
    }
    return record;
}

void GStatusLine::setFieldText(u32 n, const char* text) {
    assignHeapText(&field(n)->text, text);
    invalidate();
}

void GStatusLine::setFieldTextF(u32 n, const char* format, ...) {
    char buffer[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    setFieldText(n, buffer);
}

void GStatusLine::clearTexts() {
    for (u32 i = 0; i < fields.count; i++)
        if (StatusField* record = static_cast<StatusField*>(fields.data[i])) assignHeapText(&record->text, nullptr);
    invalidate();
}

void GStatusLine::clear() {
    for (u32 i = 0; i < fields.count; i++) {
        StatusField* record = static_cast<StatusField*>(fields.data[i]);
        if (!record) continue;
        delete[] record->text;
        delete record;
    }
    arrayFree(fields);
    invalidate();
}

void GStatusLine::reserveWidthFor(std::initializer_list<const char*> texts) {
    reserved.clear();
    for (const char* t : texts)
        if (t) reserved.emplace_back(t);
}

void GStatusLine::getPreferredSize(i32* width, i32* height) {
    SIZE size = getUiFontMetrics(getMessageFont());
    if (*width < 0) {
        *width = size.cx + 4;
        if (!reserved.empty()) {
            // Each field as paint lays it out, plus the two edge pixels.
            *width = 2;
            for (const std::string& t : reserved) *width += textExtent(getMessageFont(), t.c_str()).cx + 6;
        }
    }
    *height = size.cy + 4;
}

void GStatusLine::paint(HDC handle, const RECT&, bool) {
    GSavedDC dc(handle);
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(handle, &r, backgroundBrush());
    dc.selectFont(getMessageFont()->font);
    DrawEdge(handle, &r, BDR_SUNKENOUTER, BF_RECT);
    r.top += 1;
    r.bottom -= 1;
    u32 drawn = 0;
    for (u32 i = 0; i < fields.count; i++) {
        StatusField* record = static_cast<StatusField*>(fields.data[i]);
        if (!record || !record->text || !*record->text) continue;
        RECT measured = {0, 0, 0, 0};
        drawTextW(handle, &measured, record->text, -1, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
        // The text keeps its whole measured width inside the 3-pixel margins.
        i32 w = measured.right - measured.left + 6;
        RECT f = r;
        if (r.right - r.left > w) {
            switch (record->align) {
            case 'U':
                break;
            case '<':
                f.right = r.left + w;
                break;
            case '>':
                f.left = r.right - w;
                break;
            case '|':
                f.left = r.left + ((r.right - r.left - w) >> 1);
                f.right = f.left + w;
                break;
            default:
                f.left = 0;
                f.right = w;
                break;
            }
        }
        if (record->align == '>')
            r.right = f.left;
        else
            r.left = f.right;
        if (record->align == '<' || drawn >= 1) {
            dc.selectPen(toolkitColors.lightShade);
            drawLine(dc, f.left - 1, f.top, f.bottom - 1);
            dc.selectPen(toolkitColors.darkShade);
            drawLine(dc, f.left, f.top, f.bottom - 1);
        }
        drawn++;
        SetTextColor(handle, record->textColour);
        SetBkMode(handle, TRANSPARENT);
        SetBkColor(handle, record->background);
        f.left += 1;
        f.right -= 1;
        if (record->background != toolkitColors.background && f.left < f.right) fillSolidRect(dc, f, record->background);
        f.left += 2;
        f.right -= 2;
        if (f.left < f.right)
            drawTextW(handle, &f, record->text, -1, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}
