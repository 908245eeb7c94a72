#include "gui/paint/system_metrics.h"

#include <cstring>

SystemMetrics systemMetrics;

static_assert(sizeof(NONCLIENTMETRICSA) >= kNonClientMetricsSize, "room for the newer structure");

namespace {
SystemParametersFunction systemParameters = SystemParametersInfoA;

SIZE bitmapSize(int id, int across, int down) {
    SIZE size = {0, 0};
    HBITMAP bitmap = LoadBitmapA(nullptr, MAKEINTRESOURCEA(id));
    BITMAP info;
    if (bitmap && GetObjectA(bitmap, sizeof info, &info)) size = {info.bmWidth / across, info.bmHeight / down};
    if (bitmap) DeleteObject(bitmap);
    return size;
}
}  // namespace

void setSystemParametersFunction(SystemParametersFunction function) {
    systemParameters = function ? function : SystemParametersInfoA;
}

void initSystemMetrics() {
    SystemMetrics& m = systemMetrics;
    static const int ids[] = {SM_CXBORDER, SM_CYBORDER, SM_CXCURSOR, SM_CYCURSOR, SM_CXDLGFRAME, SM_CYDLGFRAME,
                              SM_CXEDGE, SM_CYEDGE, SM_CXFRAME, SM_CYFRAME, SM_CXHSCROLL, SM_CYHSCROLL,
                              SM_CXVSCROLL, SM_CYVSCROLL, SM_CXSCREEN, SM_CYSCREEN, SM_CXHTHUMB, SM_CYVTHUMB,
                              SM_CYMENU, SM_CYCAPTION, SM_CXMENUCHECK, SM_CYMENUCHECK, SM_CXMENUSIZE, SM_CYMENUSIZE};
    i32* fields = &m.cxBorder;
    for (int id : ids) *fields++ = GetSystemMetrics(id);
    RECT work = {0, 0, m.cxScreen, m.cyScreen};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    m.workArea = {work.left, work.top, work.right - work.left, work.bottom - work.top};
    m.checkBox = bitmapSize(32759 /* OBM_CHECKBOXES */, 4, 3);
    m.combo = bitmapSize(32738 /* OBM_COMBO */, 1, 1);

    memset(&m.nonClient, 0, sizeof m.nonClient);
    m.nonClient.cbSize = kNonClientMetricsSize;
    if (!systemParameters(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &m.nonClient, 0)) {
        memset(&m.nonClient, 0, sizeof m.nonClient);
        m.nonClient.cbSize = kNonClientMetricsOldSize;
        systemParameters(SPI_GETNONCLIENTMETRICS, kNonClientMetricsOldSize, &m.nonClient, 0);
    }
    m.nonClient.lfCaptionFont.lfQuality = 6;  // natural ClearType
    m.nonClient.lfSmCaptionFont.lfQuality = 6;
    m.filled = true;
}

const NONCLIENTMETRICSA& nonClientMetrics() {
    if (!systemMetrics.filled) initSystemMetrics();
    return systemMetrics.nonClient;
}
