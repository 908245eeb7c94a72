#include "gui/paint/alpha_blend.h"

namespace {
enum class Probe { NotYet, No, Yes };
Probe probe = Probe::NotYet;
AlphaBlendFunction blend = AlphaBlend;

BLENDFUNCTION constantAlpha(u8 alpha) { return {AC_SRC_OVER, 0, alpha, 0}; }
}  // namespace

void setAlphaBlendFunction(AlphaBlendFunction function) {
    blend = function ? function : AlphaBlend;
    probe = Probe::NotYet;
}

bool alphaBlendSupported() {
    if (probe == Probe::NotYet) {
        HDC screen = GetDC(nullptr);
        HDC source = CreateCompatibleDC(screen), target = CreateCompatibleDC(screen);
        HBITMAP sourceBitmap = CreateCompatibleBitmap(screen, 1, 1), targetBitmap = CreateCompatibleBitmap(screen, 1, 1);
        HGDIOBJ oldSource = SelectObject(source, sourceBitmap), oldTarget = SelectObject(target, targetBitmap);
        probe = blend(target, 0, 0, 1, 1, source, 0, 0, 1, 1, constantAlpha(70)) ? Probe::Yes : Probe::No;
        SelectObject(source, oldSource);
        SelectObject(target, oldTarget);
        DeleteObject(sourceBitmap);
        DeleteObject(targetBitmap);
        DeleteDC(source);
        DeleteDC(target);
        ReleaseDC(nullptr, screen);
    }
    return probe == Probe::Yes;
}

void alphaBlendImage(HDC target, const RECT& d, HDC source, i32 sourceX, i32 sourceY, u8 alpha) {
    i32 width = d.right - d.left, height = d.bottom - d.top;
    if (width <= 0 || height <= 0) return;
    if (alphaBlendSupported() &&
        blend(target, d.left, d.top, width, height, source, sourceX, sourceY, width, height, constantAlpha(alpha)))
        return;
    BitBlt(target, d.left, d.top, width, height, source, sourceX, sourceY, SRCCOPY);
}
