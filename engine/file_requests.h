#pragma once
// The parameter object of changeTracks (the processor's auxObject, owned and deleted by it): the
// new track layout and the file it is written to, which stays open in the object for the Editor.
#include "core/arrays.h"
#include "core/gfile.h"
#include "mm/sound_format.h"

struct SoundFormatParams : GCommonObject {
    // trackOrder gives, per new track, the old track it takes its samples from; negative: silent.
    SoundFormat format;
    GFile file;
};
