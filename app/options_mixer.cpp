#include "app/options_mixer.h"

OptionsMixerLine* makeDeviceMixerLine() { return nullptr; }

OptionsMixerLine* (*makeOptionsMixerLine)() = makeDeviceMixerLine;
