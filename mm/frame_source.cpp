#include "mm/frame_source.h"

#include <algorithm>

#include "mm/sound_format.h"

void SampleBuffer::reset() {
    if (!borrowed) delete[] data;
    data = nullptr;
    capacity = 0;
    borrowed = true;
}

void SampleBuffer::reserve(u32 bytes) {
    if (capacity >= bytes) return;
    reset();
    data = new u8[bytes];
    capacity = bytes;
    borrowed = false;
}

namespace {
template <class T>
void fadeRun(T* s, u32 frames, u32 step, f64 first, f64 total) {
    f64 f = 0.0;
    for (u32 t = 0; t < frames; ++t, f += 1.0) {
        const f64 gain = first - f / total;
        for (u32 c = 0; c < step; ++c, ++s) *s = (T)(*s * gain);
    }
}

template <class T>
void fadeAs(void* data, u32 frames, u32 channels, bool interleaved, f64 first, f64 total) {
    T* s = static_cast<T*>(data);
    if (interleaved) return fadeRun(s, frames, channels, first, total);
    for (u32 c = 0; c < channels; ++c) fadeRun(s + (size_t)c * frames, frames, 1, first, total);
}
}  // namespace

void fadeFrames(void* data, u32 encoding, u32 frames, u32 channels, bool interleaved, f64 first, f64 total) {
    switch (encoding) {
    case encodingInt16: fadeAs<i16>(data, frames, channels, interleaved, first, total); break;
    case encodingInt32: fadeAs<i32>(data, frames, channels, interleaved, first, total); break;
    case encodingFloat: fadeAs<f32>(data, frames, channels, interleaved, first, total); break;
    case encodingDouble: fadeAs<f64>(data, frames, channels, interleaved, first, total); break;
    default: break;  // no fade for 8-bit or unknown samples
    }
}
