#pragma once
// Colour arithmetic, the cached system colours and the effective toolkit colours that every drawing
// routine reads. The colours are process-wide and belong to the interface thread.
#include <windows.h>

#include "core/types.h"

// The system colour of index 0..29; all 30 are read on first use and then served from the cache.
COLORREF sysColor(u32 index);
// Forgets the cached system colours; the next request reads them again.
void resetSysColorCache();

// The colour scaled so that its largest channel equals the target (clamped to 0..255): black for
// target 0, grey (target, target, target) for black; the fourth byte is kept.
COLORREF setColorBrightness(COLORREF colour, i32 target);
// Largest of the red, green and blue bytes.
u32 colorBrightness(COLORREF colour);
// Channel-wise mean, high byte 0.
COLORREF mixColors(COLORREF a, COLORREF b);
// Colour at `step` of a linear gradient of `steps` colours from `from` to `to`; high byte 0.
COLORREF blendColor(i32 steps, COLORREF from, COLORREF to, i32 step);

// The effective colours derived from the appearance record.
struct ToolkitColors {
    COLORREF background;
    COLORREF lightShade;
    COLORREF darkShade;
    COLORREF glass;
    COLORREF window;
    COLORREF text;
    COLORREF selection;
    COLORREF selectionText;
    COLORREF classBackground;  // the background brush of the toolkit's window classes
};
extern ToolkitColors toolkitColors;

// The tint of selections before any record is read.
const COLORREF kDefaultGlass = 0x0064A019;
// The fixed element colours of the frame painter.
const COLORREF kElementLight = 0xEFEFEF;
const COLORREF kElementMid = 0xB0B0B0;

// Fills toolkitColors from the system colours alone (start of the common controls).
void initToolkitColors();
