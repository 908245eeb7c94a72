#include "gui/native_control.h"

#include <commctrl.h>

#include "gui/fonts.h"
#include "gui/text_measure.h"
#include "gui/window_procedure.h"

namespace {
WindowClassRecord classRecords[3];
const char* const classNames[3] = {"korvalen_static", "korvalen_button", "korvalen_progress"};
const char* const systemClasses[3] = {"STATIC", "BUTTON", PROGRESS_CLASSA};
}  // namespace

WindowClassRecord* GNativeControl::windowClassRecord() { return &classRecords[kind]; }

bool GNativeControl::create(const char* text, u32 style, u32 id) {
    if (kind == ProgressBar) {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
    }
    const void* name = registerSuperclass(classRecords[kind], classNames[kind], systemClasses[kind]);
    if (!createChildHandle(this, name, WS_CHILD | style, 0)) return false;
    SetWindowLongPtrA(hwnd, GWLP_ID, id);
    SendMessageA(hwnd, WM_SETFONT, (WPARAM)getMessageFont()->font, 0);
    if (text) SetWindowTextA(hwnd, text);
    return true;
}

void GNativeControl::setText(const char* text) { SetWindowTextA(hwnd, text ? text : ""); }

void GNativeControl::getPreferredSize(i32* outWidth, i32* outHeight) {
    const FontHolder* font = getMessageFont();
    if (*outWidth < 0) {
        char text[256] = "";
        if (width < 0) GetWindowTextA(hwnd, text, sizeof text);
        *outWidth = width >= 0 ? width : textExtent(font, text).cx + 8;
    }
    *outHeight = getUiFontMetrics(font).cy + (kind == Button ? 10 : 4);
}
