#include "tools/plugin_conversion_task.h"

#include <cstring>

#include "core/exceptions.h"
#include "core/paths.h"
#include "core/progress.h"
#include "gui/kernel/message_box.h"
#include "mm/codec_plugin.h"
#include "mm/mm_texts.h"
#include "tools/codec_calls.h"

CodecConvertEntry codecConvertFile = nullptr;

PluginConversionTask::PluginConversionTask(const char* source, const char* target, const char* from, const char* to)
    : ConversionTask(source, target) {
    stringAssignText(sourceFormat, from ? from : "");
    stringAssignText(targetFormat, to ? to : "");
}

PluginConversionTask::PluginConversionTask(const char* source, i32 streamIndex, const char* target)
    : ConversionTask(source, target) {
    // The stream travels as the first option; the library picks the formats.
    options[0] = streamIndex;
}

void PluginConversionTask::run(GWindow* owner, JobProgress* progress) {
    window = owner;
    errors.window = owner;
    GString folder(targetName.c_str());
    if (!pathRemoveLastComponent(folder)) stringClear(folder);
    tempConvertName(folder.c_str(), temporaryName);
    const char* extension = pathExtension(targetName);
    if (*extension) {
        stringAppend(temporaryName, ".");
        stringAppend(temporaryName, extension);
    }
    try {
        if (progress && progress->report(0, nullptr)) throw GException();
        CodecSourceDescriptor source{sourceName.c_str(), sourceFormat.c_str()};
        CodecTargetDescriptor target{temporaryName.c_str(), targetFormat.c_str()};
        memcpy(target.options, options, sizeof options);
        target.converter = converter;
        GString message;
        CodecConvertEntry entry = codecConvertFile ? codecConvertFile : codecPlugin().convert;
        CodecOutcome outcome = runCodecConvert(entry, source, target, sourceSize, progress, message);
        if (outcome == CodecOutcome::Busy) fail(message.c_str());
        if (outcome == CodecOutcome::FailedWithText) {
            GString text;
            stringFormat(text, mmText(MmText::ConvertFailed), message.c_str());
            fail(text.c_str());
        }
        if (outcome == CodecOutcome::Failed) throw GException();
        // Done: only real output replaces the target.
        if (fileSizeByName(temporaryName.c_str()) <= 0) {
            GString text;
            stringFormat(text, mmText(MmText::ConvertFailed), mmText(MmText::ConvertNoOutput));
            fail(text.c_str());
        }
        endSource();
        fileCloseQuietly(targetFile);
        assignHeapText(&targetFile.name, temporaryName.c_str());
        targetFile.flags = 0;
        commitTarget();
    } catch (...) {
        if (pathExists(temporaryName.c_str())) deleteFile(temporaryName.c_str());
        throw;
    }
}
