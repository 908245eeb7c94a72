#include "gui/paint/colors.h"

ToolkitColors toolkitColors = {0xC0C0C0, 0xF2F2F2, 0x8E8E8E, kDefaultGlass, 0xFFFFFF, 0, kDefaultGlass, 0xFFFFFF, 0xF2F2F2};

namespace {
const u32 kSysColorCount = 30;
COLORREF sysColors[kSysColorCount];
bool sysColorsRead = false;
}  // namespace

COLORREF sysColor(u32 index) {
    if (!sysColorsRead) {
        for (u32 i = 0; i < kSysColorCount; ++i) sysColors[i] = GetSysColor((int)i);
        sysColorsRead = true;
    }
    return index < kSysColorCount ? sysColors[index] : 0;
}

void resetSysColorCache() { sysColorsRead = false; }

u32 colorBrightness(COLORREF c) {
    u32 r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    u32 m = r > g ? r : g;
    return m > b ? m : b;
}

COLORREF setColorBrightness(COLORREF c, i32 target) {
    u32 t = target < 0 ? 0 : target > 255 ? 255 : (u32)target;
    u32 m = colorBrightness(c);
    if (t == m) return c;
    COLORREF high = c & 0xFF000000u;
    if (t == 0) return high;
    if (m == 0) return high | RGB(t, t, t);
    return high | RGB(GetRValue(c) * t / m, GetGValue(c) * t / m, GetBValue(c) * t / m);
}

COLORREF mixColors(COLORREF a, COLORREF b) {
    return RGB((GetRValue(a) + GetRValue(b)) >> 1, (GetGValue(a) + GetGValue(b)) >> 1,
               (GetBValue(a) + GetBValue(b)) >> 1);
}

COLORREF blendColor(i32 steps, COLORREF from, COLORREF to, i32 step) {
    if (steps < 2) return from;
    auto channel = [&](int shift) {
        i32 f = (i32)((from >> shift) & 0xFF), t = (i32)((to >> shift) & 0xFF);
        return (u32)(f + (t - f) * step / (steps - 1)) & 0xFF;
    };
    return channel(0) | channel(8) << 8 | channel(16) << 16;
}

void initToolkitColors() {
    COLORREF face = sysColor(COLOR_BTNFACE);
    i32 m = (i32)colorBrightness(face);
    ToolkitColors& c = toolkitColors;
    c.background = face;
    c.lightShade = setColorBrightness(face, m + 50);
    c.darkShade = setColorBrightness(face, m - 50);
    c.glass = kDefaultGlass;
    c.selection = kDefaultGlass;
    c.window = sysColor(COLOR_WINDOW);
    c.text = sysColor(COLOR_BTNTEXT);
    c.selectionText = sysColor(COLOR_HIGHLIGHTTEXT);
}
