#pragma once
// Text output in the program's byte encoding (converted to wide text in the language's code page)
// and the aligned placement of texts and images that consumes the width used from a rectangle.
#include <windows.h>

#include "core/types.h"

class GDrawable;
class GSavedDC;

// DrawTextW of a byte text (length -1: up to its NUL). A failure (0) clears the rectangle.
int drawTextW(HDC dc, RECT* rect, const char* text, i32 length, UINT format);
void drawTextOutW(GSavedDC& dc, i32 x, i32 y, const char* text);
// Alignment letters to DrawText flags: '<' left, '>' right, '|' centred; '-' centred on one line,
// 'v' bottom on one line, '^' top. A left-aligned text gets 2 more pixels on the right. A null text
// or an empty rectangle draws nothing.
void drawTextClipped(GSavedDC& dc, const RECT& rect, const char* text, i32 length, char horizontal,
                     char vertical, UINT format);
// One line ended by an ellipsis when too long, vertically centred, 2 more pixels on the right.
void drawTextEllipsis(GSavedDC& dc, const RECT& rect, const wchar_t* text, i32 length);
// Draws the whole text in its measured box placed by the letters, then takes the width used from
// the rectangle: '<' moves its left edge right, '>' its right edge left (neither past the other),
// any other letter leaves it empty. Nothing for an empty text or rectangle. `overhang`: how far the
// drawn ink passes the extent; right or centred text is placed with it inside the rectangle.
void drawTextAligned(GSavedDC& dc, RECT& rect, const char* text, char horizontal, char vertical, UINT format,
                     i32 overhang = 0);
// The same placement for an image, drawn clipped to the rectangle. Nothing without an image.
void clipToRectAligned(GSavedDC& dc, RECT& rect, GDrawable* image, char horizontal, char vertical = '-');
// A colour cell: black outline, white inner outline, the inside filled with the colour, or for
// colour -1 the text centred in the text colour.
void drawColorCell(GSavedDC& dc, const RECT& rect, COLORREF colour, const char* text);
