#pragma once
// Placing a box of a given size in a rectangle by two alignment letters.
#include <windows.h>

// Horizontal: 'U' the whole width, '<' left, '>' right, '|' centred. Vertical: 'C' the whole
// height, '^' top, 'v' bottom, '-' centred. Any other letter keeps the rectangle's extent.
RECT alignRect(SIZE size, const RECT& rect, char horizontal, char vertical);

// Layout placement: r holds a size on entry and its place in room on return. On each axis a room
// not larger than the size, or a fill letter, is used whole; any other unknown letter leaves r's
// extent on that axis as it came.
void alignRect(RECT& r, const RECT& room, char horizontal, char vertical);
