#pragma once
// The processor that applies one edit or effect to a range of a sound. One object per action: it is
// made for the sound's sample type, bound to the sound's format, store and range, given its
// parameters in fields, run once through one of its 59 slots, and deleted.
//
// The base class holds the fields, the bodies shared by all sample types and empty defaults for every
// slot; SampleProcessor<Traits> (engine/sample_processor.h) holds the bodies written once over the
// sample type.
#include <vector>

#include "core/arrays.h"
#include "core/gfile.h"
#include "core/gstring.h"
#include "core/types.h"
#include "engine/sample_types.h"
#include "mm/sound_store.h"

class ErrorHandler;
class JobProgress;
struct SoundFormat;

// The processor's owner (the Editor): told of every range change before any new byte is written.
class ProcessorOwner {
public:
    // oldLength bytes at position are being replaced by newLength bytes (undoRecord: the run's record).
    virtual void onRangeChanged(GCommonObject* undoRecord, u64 position, u64 oldLength, u64 newLength) = 0;
    // The last change of the run has been announced.
    virtual void onChangeFinished() = 0;

protected:
    ~ProcessorOwner() = default;
};

// The slots in table order; the Editor's dispatch and the tests name operations by them.
enum class ProcessorSlot : u32 {
    destroy,
    notifyRangeChanged,
    notifyChangeFinished,
    zero,
    amplify,
    changeMaxVolume,
    assign,
    add,
    mirror,
    invert,
    center,
    nlPrefading,
    nlFading,
    prefading,
    fading,
    crossfading,
    crescendo,
    diminuendo,
    pulsation,
    pulsationPositive,
    pulsationNegative,
    pulsationDissymetric,
    pulsationRandom,
    lowCutFilter,
    highCutFilter,
    bandCutFilter,
    bandPassFilter,
    biquadFilter,
    echo,
    equalizer,
    chorus,
    pitch,
    pitchScale,
    tempo,
    vibrato,
    vibratoRandom,
    find,
    copy,
    cut,
    paste,
    pasteInsert,
    drawPoints,
    drawLine,
    drawCurve,
    saveFragment,
    changeTracks,
    insertWave,
    growTo,
    shrinkTo,
    cutOut,
    crop,
    setSize,
    fftRepeat,
    mix,
    fftGenerate,
    sineGenerate,
    applyPluginEffect,
    crossfadeStart,
    crossfadeEnd,
    count
};
static_assert((u32)ProcessorSlot::count == 59, "the processor has 59 slots");

// Bits of SoundBlockProcessor::flags besides clippedFlag (bit 0, engine/sample_types.h).
const u32 shortRangeFlag = 2;  // the range was shorter than the shortest echo delay

// Indexes of SoundBlockProcessor::extraPositions, read by the Editor after the run.
enum : u32 {
    newSelectionStart = 0,
    newSelectionEnd = 1,
    newCursor = 2,
    showPosition = 3,
};
const u64 unsetPosition = ~0ull;

// Which edges of the range a same-length change saves for the edge crossfades.
enum : u32 {
    savedEdgesNone = 0,
    savedEdgeStart = 1,
    savedEdgeEnd = 2,
    savedEdgesBoth = 3,
};

// An owned byte block {pointer, length}.
struct EdgeBuffer {
    u8* data = nullptr;
    u32 length = 0;

    EdgeBuffer() = default;
    EdgeBuffer(const EdgeBuffer&) = delete;
    EdgeBuffer& operator=(const EdgeBuffer&) = delete;
    ~EdgeBuffer() { delete[] data; }
};
// Makes the buffer exactly n bytes (none for 0); the old contents are not kept.
void resizeEdgeBuffer(EdgeBuffer& buffer, u32 n);

// The cursors of an opened store change: the old bytes stay readable at oldCursor, newLength new
// bytes are to be written at newCursor.
class ChangeGuard;
struct RangeChange {
    SegmentCursor oldCursor;
    SegmentCursor newCursor;
    u64 position = 0;
    u64 oldLength = 0;
    u64 newLength = 0;
    ChangeGuard* guard = nullptr;  // the slot's guard (engine/change_guard.h), told by a finished writer
    // Set when a stopped run is rolled back by its owner: once this progress is cancelled the new
    // bytes not written are left as they are instead of getting the fill rule.
    const JobProgress* rolledBackWhenStopped = nullptr;
};

// The fill rule of new bytes that a walk did not reach: new bytes [written, newLength) of the change
// get the old byte at the same offset while there is one (below oldLength), then zeros.
void fillNewBytes(SoundStore& store, const RangeChange& change, u64 written);

class SoundBlockProcessor {
public:
    SoundBlockProcessor() = default;
    SoundBlockProcessor(const SoundBlockProcessor&) = delete;
    SoundBlockProcessor& operator=(const SoundBlockProcessor&) = delete;
    virtual ~SoundBlockProcessor();

    // Slots 1 and 2: forwarded to the owner (nothing without one).
    virtual void notifyRangeChanged(u64 position, u64 oldLength, u64 newLength);
    virtual void notifyChangeFinished();
    // Slots 3 to 58. The defaults do nothing; the sample types override what they implement.
    virtual void zero() {}
    virtual void amplify() {}
    virtual void changeMaxVolume() {}
    virtual void assign() {}
    virtual void add() {}
    virtual void mirror() {}
    virtual void invert() {}
    virtual void center() {}
    virtual void nlPrefading() {}
    virtual void nlFading() {}
    virtual void prefading() {}
    virtual void fading() {}
    virtual void crossfading() {}
    virtual void crescendo() {}
    virtual void diminuendo() {}
    virtual void pulsation() {}
    virtual void pulsationPositive() {}
    // Negates param1 and runs this processor's own pulsationPositive: the gain only dips.
    virtual void pulsationNegative();
    virtual void pulsationDissymetric() {}
    virtual void pulsationRandom() {}
    virtual void lowCutFilter() {}
    virtual void highCutFilter() {}
    virtual void bandCutFilter() {}
    virtual void bandPassFilter() {}
    virtual void biquadFilter(u32 /*type*/) {}
    virtual void echo() {}
    virtual void equalizer() {}
    virtual void chorus() {}
    virtual void pitch() {}
    virtual void pitchScale() {}
    virtual void tempo() {}
    virtual void vibrato() {}
    virtual void vibratoRandom() {}
    virtual void find() {}
    // The clipboard operations (engine/clipboard_ops.cpp); cut is per sample type.
    virtual void copy();
    virtual void cut() {}
    virtual void paste(u32 combine, u32 repeat);
    virtual void pasteInsert();
    virtual void drawPoints() {}
    virtual void drawLine() {}
    virtual void drawCurve() {}
    // Files written from the sound, one body for every sample type (engine/file_ops.cpp).
    virtual void saveFragment();
    virtual void changeTracks();
    // Length changes, one body for every sample type (engine/size_ops.cpp).
    virtual void insertWave();
    virtual void growTo();
    virtual void shrinkTo();
    virtual void cutOut();
    virtual void crop();
    virtual void setSize();
    virtual void fftRepeat() {}
    virtual void mix();
    virtual void fftGenerate(u32 /*mix*/) {}
    virtual void sineGenerate(u32 /*mix*/) {}
    virtual void applyPluginEffect() {}
    // Blend byteCount bytes of saved old sound into new bytes in memory, at the start or the end of
    // the range.
    virtual void crossfadeStart(const u8* /*oldBytes*/, u8* /*newBytes*/, i32 /*byteCount*/) {}
    virtual void crossfadeEnd(const u8* /*oldBytes*/, u8* /*newBytes*/, i32 /*byteCount*/) {}

    // Takes the sound and the range; resets everything a previous run left.
    void bind(u32 actionId, SoundFormat* format, SoundStore* store, u64 soundStart, u64 rangeStart, u64 rangeEnd,
              u64 soundEnd, i32 edgeFadeBytes);
    // The range's byte length after resampling by param1 (unchanged when param1 >= 1 and not every
    // track is selected); scaledRangeLength without that exception. Whole frames, 64-bit.
    u64 resultRangeLength() const;
    u64 scaledRangeLength() const;
    // Replaces (and deletes) the auxiliary object unless it is the same one.
    void setAuxObject(GCommonObject* object);
    // Slot 1 for a change that keeps the length.
    void notifySameLength(u64 position, u64 length) { notifyRangeChanged(position, length, length); }

    // ---- the frame shared by the operations ----
    // SoundStore::beginChange for oldLength bytes at position replaced by newLength bytes, then slot 1.
    // A change the store refuses has both lengths 0 and leaves the range empty; slot 1 is not called.
    RangeChange openChange(u64 position, u64 oldLength, u64 newLength);
    // The edges named (savedEdges... bits) saved, the change of the whole range opened with equal
    // lengths, slots 1 and 2.
    RangeChange openSameLengthChange(u32 edges = savedEdgesBoth);
    // fillNewBytes over the processor's store: a walk that ended early leaves no byte of the new
    // region unwritten.
    void fillRestWithOld(const RangeChange& change, u64 written) { fillNewBytes(*store, change, written); }

    // Edge crossfades: the old bytes at the start and the end of a range, saved before the change
    // and blended into the new bytes after it.
    void readContextSamples(u64 position);
    void readEndContextSamples(u64 position);
    void readEdgeContextSamples(u64 start, u64 end);
    void applyEdgeCrossfades(u64 from, u64 to);
    void blendStartEdge(u64 position, u64 available);
    void blendEndEdge(u64 end, u64 available);

    // Runs an operation slot (3 to 56) with its u32 arguments; the other slots take more than
    // numbers or are not operations, and are not run here.
    void runSlot(ProcessorSlot slot, u32 argument = 0, u32 argument2 = 0);

    ProcessorOwner* owner = nullptr;
    // The owner undoes every change of a stopped run: a Stop skips filling what was not written.
    bool ownerRollsBackStops = false;
    u32 actionId = 0;
    u8 jobResult = 0;
    JobProgress* progress = nullptr;
    u64 rangeLength = 100;  // the progress total in bytes
    u32 sampleType = 0;     // the encoding code of the sound
    u64 soundStart = 0;
    u64 rangeStart = 0;
    u64 rangeEnd = 0;
    u64 soundEnd = 0;
    i32 channelCount = 0;
    const u8* channelMask = nullptr;  // per track, non-zero when selected (the copy taken at bind)
    f64 peakLimit = 32767.0;
    u32 sampleRate = 0;
    SoundFormat* soundFormat = nullptr;
    SoundStore* store = nullptr;
    i32 selectedChannelCount = 0;
    i32 frameBytes = 0;
    u64 extraPositions[4] = {unsetPosition, unsetPosition, unsetPosition, unsetPosition};
    u32 flags = 0;
    u32 paramInt = 0;
    f64 param1 = 0.0;
    f64 param2 = 0.0;
    f64 param3 = 0.0;
    u32 periodFrames = 0;
    u32 paramInt2 = 0;
    u32 paramInt3 = 0;
    GString workBuffer;                  // a text for some actions (the target file name of a fragment)
    GCommonObject* auxObject = nullptr;  // owned
    EdgeBuffer savedStartEdge;
    EdgeBuffer savedEndEdge;
    i32 edgeFadeBytes = 0;  // crossfade length at each edge; 0: no edge crossfades
    GFile file;             // for operations that read or write another file; closed quietly
    GCommonObject* undoRecord = nullptr;       // borrowed, handed to the owner with every change
    GCommonObject* ownedUndoRecord = nullptr;  // the same record, owned

private:
    // The format's selection mask as it was at bind: a track click during a background run
    // replaces the format's own.
    std::vector<u8> maskAtBind;
};

// The combine argument of paste.
enum : u32 {
    pasteCombineNone = 0,
    pasteCombineAdd = 1,
    pasteCombineSubtract = 2,
};
// Plug-in effects have action ids from here on.
const u32 firstPluginActionId = 10000;

// A slot and its arguments, as an action reaches it.
struct SlotCall {
    ProcessorSlot slot = ProcessorSlot::destroy;
    u32 argument = 0;
    u32 argument2 = 0;
};
// The slot that serves an action id (plug-in effects from 10000 on); false for an id no slot serves.
bool slotForAction(u32 actionId, SlotCall* call);

// The processor of a sample encoding, not yet bound: 16-bit and 32-bit integers, 32-bit and 64-bit
// floats. Any other encoding (compressed or 8-bit data, which must be converted first) is refused:
// the reason goes to handler and the answer is null.
SoundBlockProcessor* createProcessorForEncoding(u32 encoding, ErrorHandler* handler);
// The edge crossfade length in bytes: floor(rate x seconds + 0.5) frames when smoothing is on, else
// 0; limited so that it fits the field.
i32 edgeFadeBytesFor(bool smoothing, f64 seconds, u32 sampleRate, u32 bytesPerFrame);
