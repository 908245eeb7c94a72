// Edge crossfades: the old bytes at both ends of a range are kept before a change and blended into
// the new bytes after it, so that the range starts in the old sound and ends in it again.
#include <algorithm>
#include <memory>

#include "engine/sample_processor.h"

void SoundBlockProcessor::readContextSamples(u64 position) {
    if (edgeFadeBytes <= 0 || (i64)position <= (i64)soundStart || position >= soundEnd) return;
    u64 end = std::min(position + (u64)edgeFadeBytes, soundEnd);
    u32 n = (u32)(end - position);
    if (n == 0) return;
    resizeEdgeBuffer(savedStartEdge, n);
    store->readRange(store->findSegment(position), n, savedStartEdge.data);
}

void SoundBlockProcessor::readEndContextSamples(u64 position) {
    if (edgeFadeBytes <= 0 || position >= soundEnd || position <= soundStart) return;
    u64 from = position - soundStart > (u64)edgeFadeBytes ? position - (u64)edgeFadeBytes : soundStart;
    u32 n = (u32)(position - from);
    if (n == 0) return;
    resizeEdgeBuffer(savedEndEdge, n);
    store->readRange(store->findSegment(from), n, savedEndEdge.data);
}

void SoundBlockProcessor::readEdgeContextSamples(u64 start, u64 end) {
    if (edgeFadeBytes <= 0) return;
    readContextSamples(start);
    readEndContextSamples(end);
}

void SoundBlockProcessor::applyEdgeCrossfades(u64 from, u64 to) {
    if ((!savedStartEdge.data && !savedEndEdge.data) || to <= from) return;
    u64 length = to - from;
    if (!savedStartEdge.data) return blendEndEdge(to, length);
    if (!savedEndEdge.data) return blendStartEdge(from, length);
    // The end side gets half of the frames, rounded down.
    u64 half = frameBytes > 0 ? length / (u64)frameBytes / 2 * (u64)frameBytes : 0;
    blendStartEdge(from, length - half);
    blendEndEdge(to, half);
}

void SoundBlockProcessor::blendStartEdge(u64 position, u64 available) {
    u32 n = (u32)std::min<u64>(savedStartEdge.length, available);
    if (n == 0) return;
    std::unique_ptr<u8[]> bytes(new u8[n]);
    store->readRange(store->findSegment(position), n, bytes.get());
    crossfadeStart(savedStartEdge.data, bytes.get(), (i32)n);
    store->writeRange(store->findSegment(position), n, bytes.get());
}

void SoundBlockProcessor::blendEndEdge(u64 end, u64 available) {
    u32 n = (u32)std::min<u64>(savedEndEdge.length, available);
    if (n == 0) return;
    std::unique_ptr<u8[]> bytes(new u8[n]);
    store->readRange(store->findSegment(end - n), n, bytes.get());
    crossfadeEnd(savedEndEdge.data + (savedEndEdge.length - n), bytes.get(), (i32)n);
    store->writeRange(store->findSegment(end - n), n, bytes.get());
}

// The old weight falls from 1 at the first frame by one edge length's step per frame.
template <class Traits>
void SampleProcessor<Traits>::crossfadeStart(const u8* oldBytes, u8* newBytes, i32 byteCount) {
    if (frameBytes <= 0 || edgeFadeBytes <= 0) return;
    const Unaligned<Sample>* old = (const Unaligned<Sample>*)oldBytes;
    Unaligned<Sample>* now = (Unaligned<Sample>*)newBytes;
    i32 frames = byteCount / frameBytes;
    f64 step = (f64)frameBytes / (f64)edgeFadeBytes;
    for (i32 j = 0; j < frames; ++j) {
        f64 w = j * step;
        for (i32 c = 0; c < channelCount; ++c, ++old, ++now) {
            if (channelMask[c]) *now = Traits::truncated((f64)*old * (1.0 - w) + (f64)*now * w);
        }
    }
}

// The blended frames are the last ones of a full edge: the old weight rises toward 1 at the end.
template <class Traits>
void SampleProcessor<Traits>::crossfadeEnd(const u8* oldBytes, u8* newBytes, i32 byteCount) {
    if (frameBytes <= 0 || edgeFadeBytes <= 0) return;
    const Unaligned<Sample>* old = (const Unaligned<Sample>*)oldBytes;
    Unaligned<Sample>* now = (Unaligned<Sample>*)newBytes;
    i32 edgeFrames = edgeFadeBytes / frameBytes;
    i32 frames = byteCount / frameBytes;
    f64 step = (f64)frameBytes / (f64)edgeFadeBytes;
    for (i32 j = edgeFrames - frames; j < edgeFrames; ++j) {
        f64 w = j * step;
        for (i32 c = 0; c < channelCount; ++c, ++old, ++now) {
            if (channelMask[c]) *now = Traits::truncated((f64)*now * (1.0 - w) + (f64)*old * w);
        }
    }
}

#define INSTANTIATE_EDGES(T)                                                    \
    template void SampleProcessor<T>::crossfadeStart(const u8*, u8*, i32);      \
    template void SampleProcessor<T>::crossfadeEnd(const u8*, u8*, i32);
RAVO_FOR_EACH_SAMPLE_TYPE(INSTANTIATE_EDGES)
