#include "gui/kernel/system_window.h"

#include "gui/kernel/window_procedure.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"

bool GSystemWindow::createNative(u32 style, u32 exStyle) {
    GString name;
    stringAssignText(name, "korvalen_");
    stringAppend(name, className());
    stringAppend(name, "_");
    stringAppend(name, systemClassName());
    const void* registered = registerSuperclass(*windowClassRecord(), name.c_str(), systemClassName());
    if (!registered || !createChildHandle(this, registered, style, exStyle)) return false;
    if (style & ES_MULTILINE) controlStyle |= ControlMultiLine;
    if (style & ES_READONLY) controlStyle |= ControlReadOnly;
    return true;
}

namespace {
// A window DC with the control's font selected.
class ControlFontDC : public GSavedDC {
public:
    explicit ControlFontDC(HWND hwnd) : GSavedDC(hwnd) {
        HFONT font = (HFONT)SendMessageA(hwnd, WM_GETFONT, 0, 0);
        if (font) selectFont(font);
    }
};
}  // namespace

SIZE GSystemWindow::textExtent(const char* text) {
    ControlFontDC dc(hwnd);
    return textWidth(dc.dc(), text);
}

SIZE GSystemWindow::textExtentWrapped(const char* text, i32 width) {
    ControlFontDC dc(hwnd);
    return measureTextBlock(dc.dc(), text, -1, width);
}

SIZE GSystemWindow::charMetrics() {
    ControlFontDC dc(hwnd);
    return fontMetrics(dc.dc());
}
