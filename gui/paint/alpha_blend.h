#pragma once
// Constant-alpha blending, probed once per process; where the system cannot blend, plain copies
// stand in.
#include <windows.h>

#include "core/types.h"

// Whether AlphaBlend works: the first call probes it with two 1x1 memory DCs, later calls answer
// from the cache.
bool alphaBlendSupported();
// Blends the source DC's pixels from (sourceX, sourceY) onto the destination rectangle with a
// constant alpha and no per-pixel alpha; a plain copy when blending is unsupported.
void alphaBlendImage(HDC target, const RECT& destination, HDC source, i32 sourceX, i32 sourceY, u8 alpha);

// The blending call; tests put a counting or failing one in place (null restores the system's).
// Replacing it forgets the probe's answer.
typedef BOOL(WINAPI* AlphaBlendFunction)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
void setAlphaBlendFunction(AlphaBlendFunction function);
