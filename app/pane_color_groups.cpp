#include "app/pane_color_groups.h"

#include "app/window_kinds.h"
#include "core/window_map.h"
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

// Calls back for each live window of the type; the guarded walk lets windows go meanwhile.
template <class Visit>
void forEachPane(u32 type, Visit visit) {
    GWindowMap::Iterator walk(childWindowMap());
    while (GWindowMapEntry* entry = walk.next()) {
        GWindow* window = static_cast<GWindow*>(entry);
        if (!window->destroyed() && window->hwnd && window->isKindOf(type)) visit(static_cast<GColorPane*>(window));
    }
}
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
    forEachPane(TypeWavePane, [&](GColorPane* pane) {
        pane->backgroundColor = background;
        // A buffered pane redraws its buffer on the next paint; another is erased first.
        InvalidateRect(pane->hwnd, nullptr, (pane->drawStyle & DrawOffscreen) ? FALSE : TRUE);
        UpdateWindow(pane->hwnd);
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
    forEachPane(TypeSpectrumPane, [](GColorPane* pane) { PostMessageA(pane->hwnd, PaneColorsChanged, 0, 0); });
}
