#include "mm/acm_file_writer.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "core/progress.h"
#include "mm/acm_stream.h"
#include "mm/sound_file.h"

bool acmConvertLoop(AcmStream& stream, GFile& target, JobProgress* progress) {
    bool ok = true;
    while (ok && stream.currentState() != acmClosed) {
        ok = stream.fillAndConvert();
        if (ok && stream.producedBytes()) ok = fileWrite(target, stream.producedData(), stream.producedBytes());
        if (ok && progress && progress->report(stream.sourceBytesUsed(), nullptr)) ok = false;
    }
    stream.close(1);
    return ok;
}

bool writeAcmDataBlock(AcmStream& stream, GFile& target, JobProgress* progress) {
    i64 start;
    if (!fileTell(target, &start) || !fileWrite(target, "data\0\0\0\0", 8)) {
        stream.close(1);
        return false;
    }
    if (!acmConvertLoop(stream, target, progress)) return false;
    i64 end;
    if (!fileTell(target, &end)) return false;
    u32 length = (u32)(end - start - 8);
    if (!fileWriteAtPosition(target, start + 4, &length, 4)) return false;
    if ((end - start) & 1) {
        if (!fileSeek(target, end, SEEK_SET) || !fileWrite(target, "", 1)) return false;
        ++end;
    }
    return fileSeek(target, end, SEEK_SET);
}

bool acmConvertToWaveFile(const char* name, AcmStream& stream, JobProgress* progress, ErrorHandler* handler) {
    AcmFormatBytes format = copyAcmFormat(stream.format());
    GFile file(handler);
    if (format.empty() || !fileOpen(file, name, FileMode::WriteReplace)) {
        stream.close(1);
        return false;
    }
    if (asFormat(format)->wFormatTag == WAVE_FORMAT_PCM) format.resize(16);
    u32 formatSize = (u32)format.size();
    bool ok = fileWrite(file, "RIFF\0\0\0\0WAVEfmt ", 16) && fileWrite(file, &formatSize, 4) &&
              fileWrite(file, format.data(), formatSize) && ((formatSize & 1) == 0 || fileWrite(file, "", 1));
    ok = ok ? writeAcmDataBlock(stream, file, progress) : (stream.close(1), false);
    i64 end = 0;
    if (ok && fileTell(file, &end)) {
        u32 riff = (u32)(end - 8);
        ok = fileWriteAtPosition(file, 4, &riff, 4);
    } else {
        ok = false;
    }
    return commitSavedFile(file, name, ok);
}
