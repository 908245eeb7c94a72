#pragma once
// The parameters of the filter actions as the Editor's command handler sets them before the run:
// pass counts, the biquad presets and the equalizer's bands.
#include <vector>

#include "core/arrays.h"
#include "core/types.h"

class SoundBlockProcessor;

// The pass count of a cut or pass filter or a biquad filter (0 counts as 1) into paramInt, and the
// progress total: the range once per pass.
void setFilterPasses(SoundBlockProcessor& p, u32 passes);
// REMOVE_HUM (a 50 Hz notch of 1/6 octave) and REMOVE_NOISE_3000, _5000, _7000 (a high shelf of
// gain 0.1 from that frequency): gain, frequency, bandwidth and one pass. False for other actions.
bool setBiquadPreset(SoundBlockProcessor& p, u32 actionId);

// The equalizer's bands, the processor's auxObject for EQUALIZER (the processor deletes it): band i
// is centred at startFrequency x bandRatio^i and has the gain 10^(bandGains[i] / 10).
class EqParams : public GCommonObject {
public:
    f64 startFrequency = 50.0;
    f64 endFrequency = 20000.0;  // the dialog's upper end
    f64 bandRatio = 2.0;
    std::vector<i32> bandGains;
};
