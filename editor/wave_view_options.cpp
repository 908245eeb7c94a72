#include "editor/wave_view_options.h"

#include "app/editor_settings.h"

WaveViewOptions waveViewOptions;

void loadWaveViewOptions(const EditorSettings& settings) {
    waveViewOptions.viewFlags = settings.Pane.drawFlags;
    waveViewOptions.styleFlags = settings.Pane.funcFlags;
    waveViewOptions.peakCache = settings.Performance.cache2Level;
    waveViewOptions.detailThreshold = settings.Performance.cacheScaleLimit;
    waveViewOptions.overlapLimit = (i32)settings.Performance.visibleTrackLimit;
}

void storeWaveViewOptions(EditorSettings& settings) {
    settings.Pane.drawFlags = waveViewOptions.viewFlags;
    settings.Pane.funcFlags = waveViewOptions.styleFlags;
    settings.Performance.cache2Level = waveViewOptions.peakCache;
    settings.Performance.cacheScaleLimit = waveViewOptions.detailThreshold;
    settings.Performance.visibleTrackLimit = (u32)waveViewOptions.overlapLimit;
}
