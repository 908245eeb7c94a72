#include "mm/sound_source.h"

#include <algorithm>

bool RangeSource::seek(u64 from, u64 length) {
    start = current = from;
    end = from + length;
    return true;
}

bool RangeSource::rewind() {
    current = start;
    return true;
}

u32 RangeSource::clampToRange(u32 n) const { return current >= end ? 0 : (u32)std::min<u64>(n, end - current); }

bool FileRangeSource::read(void* buffer, u32* bytes) {
    u32 n = clampToRange(*bytes);
    *bytes = 0;
    if (!n) return true;
    if (!fileSeek(file, (i64)(base + current), SEEK_SET) || !fileRead(file, buffer, n)) return false;
    current += n;
    *bytes = n;
    return true;
}

bool FileRangeSource::close(u32) { return !file.isOpen() || fileClose(file); }
