#pragma once
// The cached system metrics of the toolkit: the sizes layouts and painters read, the work area and
// the non-client metrics whose fonts the toolkit's fonts are made from. Filled once at start on the
// interface thread.
#include <windows.h>

#include "core/types.h"

struct SystemMetrics {
    i32 cxBorder, cyBorder, cxCursor, cyCursor, cxDlgFrame, cyDlgFrame, cxEdge, cyEdge;
    i32 cxFrame, cyFrame, cxHScroll, cyHScroll, cxVScroll, cyVScroll, cxScreen, cyScreen;
    i32 cxHThumb, cyVThumb, cyMenu, cyCaption, cxMenuCheck, cyMenuCheck, cxMenuSize, cyMenuSize;
    struct { i32 left, top, width, height; } workArea;
    SIZE checkBox;  // one image of the system's check-box bitmap
    SIZE combo;     // the system's combo arrow bitmap
    NONCLIENTMETRICSA nonClient;
    bool filled;
};
extern SystemMetrics systemMetrics;

// Structure sizes the non-client metrics are asked with: the newer one first, then the older one.
const u32 kNonClientMetricsSize = 344;
const u32 kNonClientMetricsOldSize = 340;

// Fills systemMetrics; the caption fonts get natural ClearType quality.
void initSystemMetrics();
// The non-client metrics, filling the cache on first use.
const NONCLIENTMETRICSA& nonClientMetrics();

// The call that reads the non-client metrics; tests put a refusing one in place (null restores).
typedef BOOL(WINAPI* SystemParametersFunction)(UINT action, UINT param, void* data, UINT winIni);
void setSystemParametersFunction(SystemParametersFunction function);
