#include "mm/pcm16_source.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

namespace {
u32 containerBytes(const WAVEFORMATEX* f) { return f->nChannels ? f->nBlockAlign / f->nChannels : 0; }

// A sample scaled to the full 32-bit range, rounded to 16 bits; the top step is held at 32767.
i16 narrowSample(i32 v) {
    if (v > 0x7FFF7FFF) return 32767;
    return (i16)(((i64)v + 0x8000) >> 16);
}
}  // namespace

bool Pcm16Source::converts(const WAVEFORMATEX* f) {
    if (!f || f->wFormatTag != WAVE_FORMAT_PCM) return false;
    const u32 bytes = containerBytes(f);
    return bytes == 3 || bytes == 4;
}

Pcm16Source::Pcm16Source(const WAVEFORMATEX* f) : sampleBytes(containerBytes(f)), inFrame(f->nBlockAlign) {
    narrowed.wFormatTag = WAVE_FORMAT_PCM;
    narrowed.nChannels = f->nChannels;
    narrowed.nSamplesPerSec = f->nSamplesPerSec;
    narrowed.wBitsPerSample = 16;
    narrowed.nBlockAlign = (u16)(f->nChannels * 2);
    narrowed.nAvgBytesPerSec = narrowed.nBlockAlign * f->nSamplesPerSec;
    narrowed.cbSize = 0;
}

Pcm16Source::~Pcm16Source() { close(1); }

bool Pcm16Source::setInner(SoundSource* source) {
    if (inner != source) {
        if (inner) inner->close(1);
        delete inner;
    }
    inner = source;
    carried = 0;
    return true;
}

bool Pcm16Source::close(u32) {
    bool ok = true;
    if (inner) {
        ok = inner->close(1);
        delete inner;
        inner = nullptr;
    }
    carried = 0;
    return ok;
}

bool Pcm16Source::seek(u64 start, u64 length) {
    carried = 0;
    return inner && inner->seek(start, length);
}

bool Pcm16Source::rewind() {
    carried = 0;
    return inner && inner->rewind();
}

bool Pcm16Source::read(void* buffer, u32* bytes) {
    const u32 frames = inFrame ? *bytes / narrowed.nBlockAlign : 0;
    *bytes = 0;
    if (!inner || !frames) return true;
    const u32 want = frames * inFrame;
    if (scratch.size() < want) scratch.resize(want);
    u32 got = carried;
    while (got < want) {
        u32 n = want - got;
        if (!inner->read(scratch.data() + got, &n)) return false;
        if (!n) break;
        got += n;
    }
    const u32 whole = got / inFrame;
    const u32 samples = whole * narrowed.nChannels;
    const u8* in = scratch.data();
    i16* out = static_cast<i16*>(buffer);
    for (u32 i = 0; i < samples; ++i, in += sampleBytes) {
        i32 v = sampleBytes == 3 ? (i32)((u32)in[0] << 8 | (u32)in[1] << 16 | (u32)in[2] << 24)
                                 : (i32)((u32)in[0] | (u32)in[1] << 8 | (u32)in[2] << 16 | (u32)in[3] << 24);
        out[i] = narrowSample(v);
    }
    carried = got - whole * inFrame;
    memmove(scratch.data(), scratch.data() + whole * inFrame, carried);
    *bytes = whole * narrowed.nBlockAlign;
    return true;
}
