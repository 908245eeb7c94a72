#include "mm/store_range_source.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>

PlaybackRangeSource::PlaybackRangeSource(const WAVEFORMATEX* sourceFormat, u64 start, u64 end)
    : RangeSource(start, end) {
    sound.assignFromWaveFormat(sourceFormat);
    WAVEFORMATEX w = {};
    sound.playbackFormat(&w);
    memcpy(&playFormat, &w, sizeof playFormat);
}

bool PlaybackRangeSource::read(void* buffer, u32* bytes) {
    const u32 inFrame = sound.bytesPerFrame ? sound.bytesPerFrame : 1;
    const u32 outFrame = playFormat.nBlockAlign ? playFormat.nBlockAlign : 1;
    u64 left = current < end ? end - current : 0;
    u32 frames = (u32)std::min<u64>(*bytes / outFrame, left / inFrame);
    *bytes = 0;
    if (left < inFrame) current = end;
    if (!frames) return true;

    u32 inBytes = frames * inFrame;
    const bool copy = (sound.flags & formatPcm) && sound.encoding == encodingInt16;
    u8* raw = static_cast<u8*>(buffer);
    if (!copy) {
        if (scratch.size() < inBytes) scratch.resize(inBytes);
        raw = scratch.data();
    }
    if (!readRaw(current, inBytes, raw)) return false;
    current += inBytes;

    u32 outBytes = frames * outFrame;
    if (sound.flags & formatPcm) {
        if (!copy) {
            i16* out = static_cast<i16*>(buffer);
            for (u32 i = 0; i < inBytes; ++i) out[i] = (i16)((raw[i] - 128) << 8);
        }
    } else {
        bool over = false;
        mixTracks(&sound, static_cast<u16*>(buffer), outBytes, playFormat.nChannels, raw, &over);
        clipped = clipped || over;
    }
    *bytes = outBytes;
    return true;
}

bool StoreRangeSource::readRaw(u64 pos, u32 n, u8* to) {
    if (!filesOpen) filesOpen = openFilePair(*store, files, handler);
    if (!filesOpen) return false;
    u64 at = store->dataOffset + pos;
    return store->readPages(to, at, at + n, files);
}

bool StoreRangeSource::close(u32) {
    if (filesOpen) closeFilePair(files);
    filesOpen = false;
    return true;
}

bool OwnFileRangeSource::readRaw(u64 pos, u32 n, u8* to) {
    return fileSeek(file, (i64)(base + pos), SEEK_SET) && fileRead(file, to, n);
}

bool OwnFileRangeSource::close(u32) { return !file.isOpen() || fileClose(file); }
