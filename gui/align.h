#pragma once
// Placing a box of a given size in a rectangle by two alignment letters.
#include <windows.h>

// Horizontal: 'U' the whole width, '<' left, '>' right, '|' centred. Vertical: 'C' the whole
// height, '^' top, 'v' bottom, '-' centred. Any other letter keeps the rectangle's extent.
RECT alignRect(SIZE size, const RECT& rect, char horizontal, char vertical);
