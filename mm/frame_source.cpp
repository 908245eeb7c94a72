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
    for (u32 t = 0; t < frames; ++t) {
        const f64 gain = first - t / total;
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
    case encodingInt32: fadeAs<i32>(data, frames, channels, interleaved, first, total); break;
    case encodingFloat: fadeAs<f32>(data, frames, channels, interleaved, first, total); break;
    case encodingDouble: fadeAs<f64>(data, frames, channels, interleaved, first, total); break;
    default: fadeAs<i16>(data, frames, channels, interleaved, first, total); break;
    }
}

FadeOutSource::FadeOutSource(FrameSource* inner, bool owned, u32 total)
    : inner(inner), owned(owned), total(std::max<u32>(total, 1)), remaining(this->total) {}

FadeOutSource::~FadeOutSource() {
    if (owned) delete inner;
}

void FadeOutSource::restart() {
    remaining = total;
    inner->restart();
}

u32 FadeOutSource::read(SampleBuffer& buffer, u32 frames) {
    if (!remaining) return 0;
    u32 k = std::min(frames, remaining);
    const f64 first = (f64)remaining / total;
    remaining -= k;
    buffer.reserve(k * inner->channels() * inner->bytesPerSample());
    u32 got = inner->read(buffer, k);
    if (got < k) {
        k = got;
        remaining = 0;
    }
    fadeFrames(buffer.data, inner->encoding(), k, inner->channels(), inner->interleaved(), first, total);
    return k;
}
