#include "gui/controls/progress_bar.h"

#include <commctrl.h>

#include "gui/layout/layout_builder.h"

namespace {
WindowClassRecord progressBarClass;
}

WindowClassRecord* GProgressBar::windowClassRecord() { return &progressBarClass; }

GProgressBar* GProgressBar::create(GLayoutBuilder& builder, i32 maximum, const char* alignment) {
    GProgressBar* bar = new GProgressBar(builder.owner);
    bar->maximum = maximum;
    if (bar->createNative(WS_CHILD | WS_VISIBLE, 0)) SendMessageA(bar->hwnd, PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
    builder.add(bar, alignment);
    return bar;
}

void GProgressBar::setPosition(i32 value) {
    if (value > maximum) value = maximum;
    if (value < minimum) value = minimum;
    position = value;
    i32 native = 0;
    if (maximum > minimum) native = (i32)(((double)value - minimum) * 1000.0 / ((double)maximum - minimum));
    if (hwnd) SendMessageA(hwnd, PBM_SETPOS, native, 0);
}
