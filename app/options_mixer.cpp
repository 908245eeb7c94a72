#include "app/options_mixer.h"

#include <windows.h>
#include <mmsystem.h>

#include "mm/mixer.h"
#include "mm/mixer_state.h"

namespace {

// The first destination of mixer 0, where the play device's volume lives.
class DeviceMixerLine : public OptionsMixerLine {
public:
    bool saveState(GBag& state) override { return writeLineSettings(state, mixer, ref); }
    bool applyState(GBag& state) override { return readLineSettings(state, mixer, ref); }
    bool volume(u32* value) override {
        u32 left, right;
        if (!accessLineVolume(mixer, left, right, false, ref)) return false;
        *value = left;
        return true;
    }
    bool setVolume(u32 value) override {
        u32 left = value, right = value;
        return accessLineVolume(mixer, left, right, true, ref);
    }

    Mixer mixer;
    MixerLineRef ref{0, -1};
};

}  // namespace

OptionsMixerLine* makeDeviceMixerLine() {
    if (!mixerApi.getNumDevs || mixerApi.getNumDevs() == 0) return nullptr;
    DeviceMixerLine* line = new DeviceMixerLine;
    MIXERLINEA info;
    u32 volume;
    if (!getMixerLineInfo(line->mixer, info, line->ref) || !line->volume(&volume)) {
        delete line;
        return nullptr;
    }
    return line;
}

OptionsMixerLine* (*makeOptionsMixerLine)() = makeDeviceMixerLine;
void (*buildOptionsMixerPanels)(GLayoutBuilder& builder, SoundSettings& sound) = nullptr;
