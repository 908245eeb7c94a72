#pragma once
// Text measuring. Texts are in the program's byte form and are measured as wide text in the code
// page of the interface language; measures in a font go through one shared screen DC.
#include <windows.h>

#include "core/types.h"
#include "gui/paint/fonts.h"

class GSavedDC;

// A byte text converted to wide text: short texts in the object itself, longer ones on the heap.
class WideTextBuffer {
public:
    // length -1: up to the NUL; a null text is empty.
    WideTextBuffer(const char* text, i32 length = -1);
    ~WideTextBuffer();
    WideTextBuffer(const WideTextBuffer&) = delete;
    WideTextBuffer& operator=(const WideTextBuffer&) = delete;

    const wchar_t* text() const { return data; }
    i32 length() const { return count; }

private:
    wchar_t local[128];
    wchar_t* data = local;
    i32 count = 0;
};

// Width and height of a text in the DC's current font.
SIZE textWidth(HDC dc, const char* text);
// The same for the first `length` bytes (-1: the whole text).
SIZE textExtentW(HDC dc, const char* text, i32 length);
// The size of the letter "X" in the DC's current font.
SIZE measureCharX(HDC dc);
// Height and average character width of the DC's current font.
SIZE fontMetrics(HDC dc);
// The width of the first n bytes of a text in the DC's current font.
i32 textPrefixWidth(HDC dc, const char* text, i32 n);

// The shared screen DC (made on first use, kept for the process) and the font selected into it.
GSavedDC& screenDC();
// Selects the font (null: the DC's default font) into the shared DC when it is not already there.
void selectScreenFont(HFONT font);
// The size of "X" in a font (null: the default font) on the shared DC; the message font's and the
// default font's sizes are measured once.
SIZE getUiFontMetrics(const FontHolder* font);
// The size of a text in a font on the shared DC.
SIZE textExtent(const FontHolder* font, const char* text, i32 length = -1);
// The size a one-line text takes when drawn with the format in a font: its extent, widened where
// the glyphs' ink reaches past it (the ink is drawn and scanned).
SIZE drawnTextExtent(const FontHolder* font, const char* text, UINT format);
// How far that ink reaches past the width the format measures (DT_CALCRECT), or 0.
i32 drawnTextOverhang(const FontHolder* font, const char* text, UINT format);
// The rectangle a word-wrapped text (null: empty) needs in the given width; the width returned is
// one less than the calculated one when positive. The DC's pen, brush and font are kept.
SIZE measureTextBlock(HDC dc, const char* text, i32 length, i32 width);
SIZE measureTextBlockIn(const FontHolder* font, const char* text, i32 length, i32 width);
// Forgets the cached "X" sizes; they are measured again on their next use.
void resetSystemMetricsCache();
