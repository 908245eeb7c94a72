#include "app/pane_color_groups.h"

#include "app/window_kinds.h"
#include "gui/kernel/window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/menus/color_pane.h"
#include "gui/paint/colors.h"

WavePaneColors wavePaneColors;
SpectrumPaneColors spectrumPaneColors;

namespace {
struct Registrar {
    Registrar() {
        registerPaneColorGroup(WaveColorSlot, &wavePaneColors);
        registerPaneColorGroup(SpectrumColorSlot, &spectrumPaneColors);
    }
} registrar;
}  // namespace

const char* ProgramColorGroup::name() {
    char** title = windowKindTitle(kind);
    return title && *title ? *title : "";
}

void ProgramColorGroup::restoreDefaults() {
    writeDefaults();
    apply();
}

WavePaneColors::WavePaneColors() : ProgramColorGroup(366, 374, KindEditor) {}

void WavePaneColors::writeDefaults() {
    const ToolkitColors& t = toolkitColors;
    const u32 values[9] = {t.window, RGB(0, 128, 0), RGB(220, 30, 0), t.darkShade, t.text,
                           t.selection, RGB(0, 80, 0), t.darkShade, t.darkShade};
    for (i32 i = 0; i < 9; ++i) colours.values[i] = values[i];
}

void WavePaneColors::apply() {
    const u32 background = colours.valueOf(366);
    forEachChildWindow(TypeWavePane, [&](GWindow* window) {
        // A pane of another family reads its colours from the group when it paints.
        if (GColorPane* pane = dynamic_cast<GColorPane*>(window)) pane->backgroundColor = background;
        GUserWindow* drawn = dynamic_cast<GUserWindow*>(window);
        // A buffered pane redraws its buffer on the next paint; another is erased first.
        HWND hwnd = window->hwnd;
        InvalidateRect(hwnd, nullptr, drawn && (drawn->drawStyle & DrawOffscreen) ? FALSE : TRUE);
        UpdateWindow(hwnd);
    });
}

SpectrumPaneColors::SpectrumPaneColors() : ProgramColorGroup(377, 385, KindSpectrum) {}

void SpectrumPaneColors::writeDefaults() {
    const ToolkitColors& t = toolkitColors;
    const u32 values[9] = {t.window,     RGB(0, 128, 0), RGB(192, 121, 198), t.darkShade, t.darkShade,
                           t.text,       RGB(0, 80, 0),  t.darkShade,        t.text};
    for (i32 i = 0; i < 9; ++i) colours.values[i] = values[i];
}

void SpectrumPaneColors::apply() {
    forEachChildWindow(TypeSpectrumPane, [](GWindow* pane) { PostMessageA(pane->hwnd, PaneColorsChanged, 0, 0); });
}
