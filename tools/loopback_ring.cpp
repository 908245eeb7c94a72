#include "tools/loopback_ring.h"

#include <cmath>
#include <cstring>

u32 LoopbackRing::sizeFor(f64 seconds) {
    u32 bytes = (u32)std::lround(2 * seconds * 88200);
    return bytes & ~3u;
}

void LoopbackRing::prepare(u32 bytes) {
    ring.assign(bytes, 0);
    writePosition = bytes / 2;
    readPosition = 0;
    peak = 0;
}

u32 LoopbackRing::halfAway(u32 position) const {
    u32 half = (u32)ring.size() / 2;
    return position > half ? position - half : position + half;
}

bool LoopbackRing::copy(u32& from, u32 other, u8* out, const u8* in, u32 bytes) {
    const u32 size = (u32)ring.size();
    bool passed = false;
    while (bytes) {
        u32 n = size - from < bytes ? size - from : bytes;
        if (other > from && other <= from + n) passed = true;
        if (in) {
            memcpy(&ring[from], in, n);
            in += n;
        } else {
            memcpy(out, &ring[from], n);
            out += n;
        }
        bytes -= n;
        from += n;
        if (from == size) from = 0;
    }
    return passed;
}

void LoopbackRing::write(const void* data, u32 bytes) {
    if (ring.empty()) return;
    if (metering) peak = blockPeak(data, bytes);
    if (copy(writePosition, readPosition, nullptr, static_cast<const u8*>(data), bytes))
        readPosition = halfAway(writePosition);
}

void LoopbackRing::read(void* out, u32 bytes) {
    if (ring.empty()) {
        memset(out, 0, bytes);
        return;
    }
    if (copy(readPosition, writePosition, static_cast<u8*>(out), nullptr, bytes))
        writePosition = halfAway(readPosition);
}

u16 LoopbackRing::blockPeak(const void* data, u32 bytes) {
    const u8* p = static_cast<const u8*>(data);
    i32 largest = -32767, smallest = 32767;
    for (u32 i = 0; i + 1 < bytes; i += 2) {
        i16 s;
        memcpy(&s, p + i, 2);
        if (s > largest) largest = s;
        if (s < smallest) smallest = s;
    }
    return largest < smallest ? 0 : (u16)((largest - smallest) / 2);
}
