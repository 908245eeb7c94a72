#pragma once
// Keeps the colours and loaded flags of the two pane colour groups for a test's length: reading a
// stored settings record marks them loaded.
#include <cstring>

#include "app/pane_color_groups.h"

class PaneColorsKept {
public:
    PaneColorsKept() {
        keep(wavePaneColors.colours, wave);
        keep(spectrumPaneColors.colours, spectrum);
    }
    ~PaneColorsKept() {
        put(wavePaneColors.colours, wave);
        put(spectrumPaneColors.colours, spectrum);
    }
    PaneColorsKept(const PaneColorsKept&) = delete;
    PaneColorsKept& operator=(const PaneColorsKept&) = delete;

private:
    struct Kept {
        u8 flag;
        u32 values[9];
    };
    static void keep(const CommandRange& r, Kept& k) {
        k.flag = r.flag;
        memcpy(k.values, r.values, sizeof k.values);
    }
    static void put(CommandRange& r, const Kept& k) {
        r.flag = k.flag;
        memcpy(r.values, k.values, sizeof k.values);
    }
    Kept wave, spectrum;
};
