#pragma once
// HeaderWindow: reads the small headers of a run of blocks through one window of the file, so that
// a run of small blocks costs no file access for each. The window never reaches past the end given.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/gfile.h"

class HeaderWindow {
public:
    // The n bytes at the position, which lie before end.
    bool read(GFile& file, u64 position, u64 end, void* out, u32 n) {
        if (position < from || position + n > from + bytes.size()) {
            if (position > end || n > end - position) return false;
            u32 want = (u32)std::min<u64>(kBytes, end - position);
            bytes.resize(want);
            if (!fileSeek(file, (i64)position, SEEK_SET) || !fileRead(file, bytes.data(), want)) return false;
            from = position;
        }
        memcpy(out, &bytes[(size_t)(position - from)], n);
        return true;
    }

private:
    static const u32 kBytes = 0x10000;
    std::vector<u8> bytes;
    u64 from = 0;
};
