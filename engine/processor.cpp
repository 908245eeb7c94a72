#include "engine/processor.h"

#include "core/progress.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "core/error.h"
#include "mm/mm_texts.h"
#include "mm/sound_format.h"

void resizeEdgeBuffer(EdgeBuffer& buffer, u32 n) {
    if (buffer.length == n) return;
    delete[] buffer.data;
    buffer.data = n ? new u8[n] : nullptr;
    buffer.length = n;
}

SoundBlockProcessor::~SoundBlockProcessor() {
    delete auxObject;
    delete ownedUndoRecord;
}

void SoundBlockProcessor::notifyRangeChanged(u64 position, u64 oldLength, u64 newLength) {
    if (owner) owner->onRangeChanged(undoRecord, position, oldLength, newLength);
}

void SoundBlockProcessor::notifyChangeFinished() {
    if (owner) owner->onChangeFinished();
}

void SoundBlockProcessor::bind(u32 newActionId, SoundFormat* format, SoundStore* newStore, u64 newSoundStart,
                               u64 newRangeStart, u64 newRangeEnd, u64 newSoundEnd, i32 newEdgeFadeBytes) {
    actionId = newActionId;
    soundFormat = format;
    store = newStore;
    soundStart = newSoundStart;
    rangeStart = newRangeStart;
    rangeEnd = newRangeEnd;
    soundEnd = newSoundEnd;
    edgeFadeBytes = newEdgeFadeBytes;
    rangeLength = rangeEnd - rangeStart;
    progress = nullptr;
    sampleType = format->encoding;
    channelCount = (i32)format->trackCount();
    maskAtBind.assign((size_t)std::max(channelCount, 0), 0);
    if (format->selectionMask) std::copy_n(format->selectionMask, maskAtBind.size(), maskAtBind.begin());
    channelMask = maskAtBind.data();
    sampleRate = format->sampleRate;
    frameBytes = (i32)format->bytesPerFrame;
    selectedChannelCount = 0;
    for (u8 selected : maskAtBind) selectedChannelCount += selected != 0;
    peakLimit = sampleType == encodingInt32                                       ? 1e9
                : (sampleType == encodingFloat || sampleType == encodingDouble) ? 1e10
                                                                                  : 32767.0;
    resizeEdgeBuffer(savedStartEdge, 0);
    resizeEdgeBuffer(savedEndEdge, 0);
    workBuffer = GString();
    flags = 0;
    undoRecord = nullptr;
    setAuxObject(nullptr);
    std::fill(extraPositions, extraPositions + 4, unsetPosition);
}

u64 SoundBlockProcessor::scaledRangeLength() const {
    if (frameBytes <= 0) return 0;
    i64 frames = (i64)(rangeEnd - rangeStart) / frameBytes;
    f64 scaled = std::floor((f64)frames / param1 + 0.5);
    // A factor of 0 or NaN gives no sensible length: nothing.
    if (!(scaled >= 0) || scaled > 9.0e15) return 0;
    return (u64)scaled * (u64)frameBytes;
}

u64 SoundBlockProcessor::resultRangeLength() const {
    if (param1 >= 1.0 && selectedChannelCount != channelCount) return rangeEnd - rangeStart;
    return scaledRangeLength();
}

void SoundBlockProcessor::setAuxObject(GCommonObject* object) {
    if (object == auxObject) return;
    delete auxObject;
    auxObject = object;
}

RangeChange SoundBlockProcessor::openChange(u64 position, u64 oldLength, u64 newLength) {
    RangeChange change;
    change.position = position;
    change.oldLength = oldLength;
    change.newLength = newLength;
    if (ownerRollsBackStops) change.rolledBackWhenStopped = progress;
    if (!store->beginChange(&change.oldCursor, position, oldLength, newLength, &change.newCursor)) {
        // Refused (the work file said why): the walks and edge blends of the operation cover nothing.
        change.oldLength = change.newLength = 0;
        rangeEnd = rangeStart;
        return change;
    }
    notifyRangeChanged(position, oldLength, newLength);
    return change;
}

RangeChange SoundBlockProcessor::openSameLengthChange(u32 edges) {
    if (edges & savedEdgeStart) readContextSamples(rangeStart);
    if (edges & savedEdgeEnd) readEndContextSamples(rangeEnd);
    u64 length = rangeEnd - rangeStart;
    RangeChange change = openChange(rangeStart, length, length);
    notifyChangeFinished();
    return change;
}

void fillNewBytes(SoundStore& store, const RangeChange& change, u64 written) {
    if (change.rolledBackWhenStopped && change.rolledBackWhenStopped->isCancelled()) return;
    const u64 oldEnd = std::min(change.oldLength, change.newLength), end = change.newLength;
    if (written >= end) return;
    const u64 chunk = 1 << 18;
    std::unique_ptr<u8[]> buffer(new u8[chunk]);
    SegmentCursor from = change.oldCursor, to = change.newCursor;
    from.advance(written);
    to.advance(written);
    for (u64 at = written; at < end;) {
        u64 n = std::min(chunk, (at < oldEnd ? oldEnd : end) - at);
        if (at < oldEnd) {
            store.readRange(from, n, buffer.get());
            from.advance(n);
        } else if (at == oldEnd || at == written) {
            memset(buffer.get(), 0, (size_t)chunk);
        }
        store.writeRange(to, n, buffer.get());
        to.advance(n);
        at += n;
    }
}

void SoundBlockProcessor::runSlot(ProcessorSlot slot, u32 argument, u32 argument2) {
    switch (slot) {
    case ProcessorSlot::zero: return zero();
    case ProcessorSlot::amplify: return amplify();
    case ProcessorSlot::changeMaxVolume: return changeMaxVolume();
    case ProcessorSlot::assign: return assign();
    case ProcessorSlot::add: return add();
    case ProcessorSlot::mirror: return mirror();
    case ProcessorSlot::invert: return invert();
    case ProcessorSlot::center: return center();
    case ProcessorSlot::nlPrefading: return nlPrefading();
    case ProcessorSlot::nlFading: return nlFading();
    case ProcessorSlot::prefading: return prefading();
    case ProcessorSlot::fading: return fading();
    case ProcessorSlot::crossfading: return crossfading();
    case ProcessorSlot::crescendo: return crescendo();
    case ProcessorSlot::diminuendo: return diminuendo();
    case ProcessorSlot::pulsation: return pulsation();
    case ProcessorSlot::pulsationPositive: return pulsationPositive();
    case ProcessorSlot::pulsationNegative: return pulsationNegative();
    case ProcessorSlot::pulsationDissymetric: return pulsationDissymetric();
    case ProcessorSlot::pulsationRandom: return pulsationRandom();
    case ProcessorSlot::lowCutFilter: return lowCutFilter();
    case ProcessorSlot::highCutFilter: return highCutFilter();
    case ProcessorSlot::bandCutFilter: return bandCutFilter();
    case ProcessorSlot::bandPassFilter: return bandPassFilter();
    case ProcessorSlot::biquadFilter: return biquadFilter(argument);
    case ProcessorSlot::echo: return echo();
    case ProcessorSlot::equalizer: return equalizer();
    case ProcessorSlot::chorus: return chorus();
    case ProcessorSlot::pitch: return pitch();
    case ProcessorSlot::pitchScale: return pitchScale();
    case ProcessorSlot::tempo: return tempo();
    case ProcessorSlot::vibrato: return vibrato();
    case ProcessorSlot::vibratoRandom: return vibratoRandom();
    case ProcessorSlot::find: return find();
    case ProcessorSlot::copy: return copy();
    case ProcessorSlot::cut: return cut();
    case ProcessorSlot::paste: return paste(argument, argument2);
    case ProcessorSlot::pasteInsert: return pasteInsert();
    case ProcessorSlot::drawPoints: return drawPoints();
    case ProcessorSlot::drawLine: return drawLine();
    case ProcessorSlot::drawCurve: return drawCurve();
    case ProcessorSlot::saveFragment: return saveFragment();
    case ProcessorSlot::changeTracks: return changeTracks();
    case ProcessorSlot::insertWave: return insertWave();
    case ProcessorSlot::growTo: return growTo();
    case ProcessorSlot::shrinkTo: return shrinkTo();
    case ProcessorSlot::cutOut: return cutOut();
    case ProcessorSlot::crop: return crop();
    case ProcessorSlot::setSize: return setSize();
    case ProcessorSlot::fftRepeat: return fftRepeat();
    case ProcessorSlot::mix: return mix();
    case ProcessorSlot::fftGenerate: return fftGenerate(argument);
    case ProcessorSlot::sineGenerate: return sineGenerate(argument);
    case ProcessorSlot::applyPluginEffect: return applyPluginEffect();
    default: return;
    }
}

// ---- the actions that reach the slots ----

namespace {
struct ActionSlot {
    u32 firstId, lastId;
    ProcessorSlot slot;
    u32 argument, argument2;
};
typedef ProcessorSlot S;
const ActionSlot actionSlots[] = {
    {394, 394, S::zero, 0, 0},             // ZERO
    {429, 429, S::zero, 0, 0},             // DELETE
    {396, 396, S::amplify, 0, 0},          // MUL
    {523, 523, S::amplify, 0, 0},          // AMPLIFY
    {397, 397, S::changeMaxVolume, 0, 0},  // CHANGE_MAX_VOLUME
    {398, 398, S::assign, 0, 0},           // ASSIGN
    {395, 395, S::add, 0, 0},              // ADD
    {400, 400, S::mirror, 0, 0},           // MIRROR
    {399, 399, S::invert, 0, 0},           // INVERT
    {401, 401, S::center, 0, 0},           // CENTER
    {544, 544, S::nlPrefading, 0, 0},      // NLPREFADING
    {489, 489, S::nlFading, 0, 0},         // NLFADING
    {543, 543, S::prefading, 0, 0},        // PREFADING
    {488, 488, S::fading, 0, 0},           // FADING
    {545, 546, S::crossfading, 0, 0},      // CROSSFADING, CROSSFADING_BACK
    {491, 491, S::crescendo, 0, 0},        // CRESCENDO
    {490, 490, S::diminuendo, 0, 0},       // DIMINUENDO
    {506, 506, S::pulsation, 0, 0},
    {507, 507, S::pulsationPositive, 0, 0},
    {508, 508, S::pulsationNegative, 0, 0},
    {509, 509, S::pulsationDissymetric, 0, 0},
    {510, 510, S::pulsationRandom, 0, 0},
    {518, 518, S::lowCutFilter, 0, 0},
    {519, 519, S::highCutFilter, 0, 0},
    {521, 521, S::bandCutFilter, 0, 0},
    {520, 520, S::bandPassFilter, 0, 0},
    {524, 531, S::biquadFilter, 0, 0},  // BQF_LOW_PASS .. BQF_PHASER: type = id - 524
    {595, 595, S::biquadFilter, 3, 0},  // REMOVE_HUM
    {596, 598, S::biquadFilter, 6, 0},  // REMOVE_NOISE_3000 / _5000 / _7000
    {503, 504, S::echo, 0, 0},          // ECHO, REVERBERATION
    {617, 622, S::echo, 0, 0},          // the echo and reverberation presets
    {522, 522, S::equalizer, 0, 0},
    {532, 532, S::chorus, 0, 0},
    {403, 403, S::pitch, 0, 0},
    {402, 402, S::pitchScale, 0, 0},  // PITCH_SCALE
    {511, 511, S::pitchScale, 0, 0},  // CHANGE_RATE
    {404, 405, S::tempo, 0, 0},       // TEMPO, STRETCH
    {515, 515, S::vibrato, 0, 0},
    {516, 516, S::vibratoRandom, 0, 0},
    {454, 455, S::find, 0, 0},  // FIND, FINDNEXT
    {410, 410, S::copy, 0, 0},
    {411, 411, S::cut, 0, 0},
    {414, 414, S::paste, pasteCombineNone, 0},
    {415, 415, S::paste, pasteCombineAdd, 0},
    {416, 416, S::paste, pasteCombineSubtract, 0},
    {418, 418, S::paste, pasteCombineNone, 1},
    {419, 419, S::paste, pasteCombineAdd, 1},
    {420, 420, S::paste, pasteCombineSubtract, 1},
    {417, 417, S::pasteInsert, 0, 0},
    {571, 571, S::drawPoints, 0, 0},
    {572, 572, S::drawLine, 0, 0},
    {573, 573, S::drawCurve, 0, 0},
    {309, 309, S::saveFragment, 0, 0},
    {562, 562, S::changeTracks, 0, 0},
    {484, 484, S::insertWave, 0, 0},
    {485, 485, S::cutOut, 0, 0},
    {425, 425, S::crop, 0, 0},
    {483, 483, S::setSize, 0, 0},
    {446, 447, S::fftRepeat, 0, 0},  // FFT, FFT_REPEAT
    {589, 589, S::mix, 0, 0},
    {449, 449, S::fftGenerate, 0, 0},
    {450, 450, S::fftGenerate, 1, 0},
    {451, 451, S::sineGenerate, 0, 0},
    {452, 452, S::sineGenerate, 1, 0},
};
}  // namespace

bool slotForAction(u32 actionId, SlotCall* call) {
    if (actionId >= firstPluginActionId) {
        *call = {ProcessorSlot::applyPluginEffect, 0, 0};
        return true;
    }
    for (const ActionSlot& a : actionSlots) {
        if (actionId < a.firstId || actionId > a.lastId) continue;
        call->slot = a.slot;
        call->argument = a.slot == ProcessorSlot::biquadFilter && a.firstId == 524 ? actionId - 524 : a.argument;
        call->argument2 = a.argument2;
        return true;
    }
    return false;
}

i32 edgeFadeBytesFor(bool smoothing, f64 seconds, u32 sampleRate, u32 bytesPerFrame) {
    if (!smoothing || bytesPerFrame == 0) return 0;
    f64 frames = std::floor((f64)sampleRate * seconds + 0.5);
    if (!(frames > 0)) return 0;
    f64 limit = (f64)(0x7FFFFFFF / bytesPerFrame);
    return (i32)std::min(frames, limit) * (i32)bytesPerFrame;
}
