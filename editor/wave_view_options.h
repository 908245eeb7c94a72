#pragma once
// The view options that every wave pane shares: view and style flags, the peak cache switch, the
// detail threshold and the overlap limit. Process-wide values of the interface thread; shell/
// fills them from the Editor's settings after loading and writes them back before saving.
#include "core/types.h"

class EditorSettings;

// View flag bits.
enum : u32 {
    WaveVerticalGrid = 0x01,
    WaveHorizontalGrid = 0x02,
    WaveMilliseconds = 0x04,
    WaveDecibels = 0x08,
    WaveRulerOther = 0x10,
    WaveRulerShown = 0x20,
    WaveTrackModeMask = 0xC0,
    WaveTrackOverlap = 0x00,
    WaveTrackActive = 0x40,
    WaveTrackAll = 0x80,
    WaveTrackShrink = 0xC0,
};
// Style flag bits (the curves' drawing styles).
enum : u32 { WaveStylePoints = 0x20, WaveStyleStrokes = 0x40, WaveStyleLines = 0x80, WaveStyleMask = 0xE0 };

struct WaveViewOptions {
    u32 viewFlags = 0xFD;
    u32 styleFlags = 0x80;
    u8 peakCache = 1;
    f64 detailThreshold = 0.001;
    i32 overlapLimit = 50;

    u32 trackMode() const { return viewFlags & WaveTrackModeMask; }
};

extern WaveViewOptions waveViewOptions;

void loadWaveViewOptions(const EditorSettings& settings);
void storeWaveViewOptions(EditorSettings& settings);
