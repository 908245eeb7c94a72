#pragma once
// A conversion between 16-bit PCM RIFF/WAVE and the own sound format: WAVE to the own format in a
// chosen sample encoding, the own format to a WAVE of its playback format.
#include "tools/conversion_task.h"

class NativeConversionTask : public ConversionTask {
public:
    // encoding: of the own-format target (2 to 5); not used for a WAVE target.
    NativeConversionTask(const char* source, const char* target, u32 encoding);

    void run(GWindow* window, JobProgress* progress) override;

    u32 encoding;
};
