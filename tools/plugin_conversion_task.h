#pragma once
// A conversion through the codec library: the library writes a temporary file beside the target,
// which then replaces the target.
#include "mm/codec_interface.h"
#include "tools/conversion_task.h"

// The conversion entry the tasks call in place of the loaded library's; null: the library's.
extern CodecConvertEntry codecConvertFile;

class PluginConversionTask : public ConversionTask {
public:
    PluginConversionTask(const char* source, const char* target, const char* sourceFormat, const char* targetFormat);
    // Decompression of one stream of the library's parse of the source.
    PluginConversionTask(const char* source, i32 streamIndex, const char* target);

    void run(GWindow* window, JobProgress* progress) override;

    GString sourceFormat, targetFormat;
    intptr_t options[4] = {-1, -1, -1, -1};
    void* converter = nullptr;
    // The temporary output of the last run (deleted unless it became the target).
    GString temporaryName;
};
