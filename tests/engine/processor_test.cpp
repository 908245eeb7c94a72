#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine/processor.h"
#include "mm/mm_texts.h"
#include "mm/sound_format.h"
#include "tests/support/test_support.h"

namespace {
// Counts its deletions.
struct Tracked : GCommonObject {
    explicit Tracked(int* deleted) : deleted(deleted) {}
    ~Tracked() override { ++*deleted; }
    int* deleted;
};
}  // namespace

TEST(Processor, FactoryMakesTheFourSampleTypesAndRefusesOtherEncodings) {
    struct Case {
        u32 encoding;
        bool made;
        f64 peakLimit;
    } cases[] = {
        {encodingCompressed, false, 0}, {encodingPcm8, false, 0},      {encodingInt16, true, 32767.0},
        {encodingInt32, true, 1e9},     {encodingFloat, true, 1e10},   {encodingDouble, true, 1e10},
        {6, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoding);
        RecordingHandler handler;
        std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(c.encoding, &handler));
        ASSERT_EQ(c.made, p != nullptr);
        if (!p) {
            ASSERT_EQ(1u, handler.reports.size());
            EXPECT_NE(std::string::npos, handler.lastText().find("must be converted"));
            continue;
        }
        EXPECT_TRUE(handler.reports.empty());
        EXPECT_EQ(100u, p->rangeLength);
        SoundFormat format;
        format.setPlain(2, 44100, c.encoding);
        p->bind(523, &format, nullptr, 44, 44 + 8 * format.bytesPerFrame, 44 + 20 * format.bytesPerFrame,
                44 + 100 * format.bytesPerFrame, 0);
        EXPECT_EQ(c.peakLimit, p->peakLimit);
        EXPECT_EQ(c.encoding, p->sampleType);
        EXPECT_EQ(12u * format.bytesPerFrame, p->rangeLength);
        EXPECT_EQ((i32)format.bytesPerFrame, p->frameBytes);
        EXPECT_EQ(44100u, p->sampleRate);
        EXPECT_EQ(2, p->channelCount);
    }
}

TEST(Processor, BindResetsWhatAnEarlierRunLeft) {
    SoundFormat format;
    format.setPlain(4, 8000, encodingInt16);
    format.selectionMask[1] = 0;
    format.selectionMask[3] = 0;
    std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(encodingInt16, nullptr));
    int deleted = 0;
    p->setAuxObject(new Tracked(&deleted));
    p->flags = 3;
    p->extraPositions[2] = 5;
    resizeEdgeBuffer(p->savedStartEdge, 16);
    resizeEdgeBuffer(p->savedEndEdge, 8);
    stringAssignText(p->workBuffer, "target.wav");
    p->undoRecord = p->auxObject;

    p->bind(397, &format, nullptr, 0, 0, 800, 8000, 64);
    EXPECT_EQ(1, deleted);
    EXPECT_EQ(nullptr, p->auxObject);
    EXPECT_EQ(nullptr, p->undoRecord);
    EXPECT_EQ(0u, p->flags);
    for (u64 position : p->extraPositions) EXPECT_EQ(unsetPosition, position);
    EXPECT_EQ(nullptr, p->savedStartEdge.data);
    EXPECT_EQ(0u, p->savedEndEdge.length);
    EXPECT_EQ(0u, p->workBuffer.length);
    EXPECT_EQ(2, p->selectedChannelCount);
    ASSERT_NE(format.selectionMask, p->channelMask);
    EXPECT_EQ(0, memcmp(format.selectionMask, p->channelMask, 4));
    EXPECT_EQ(64, p->edgeFadeBytes);
    EXPECT_EQ(397u, p->actionId);
}

TEST(Processor, AuxObjectIsOwnedAndReplacedOnlyByAnotherObject) {
    int deleted = 0;
    {
        std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(encodingFloat, nullptr));
        Tracked* first = new Tracked(&deleted);
        p->setAuxObject(first);
        p->setAuxObject(first);
        EXPECT_EQ(0, deleted);
        p->setAuxObject(new Tracked(&deleted));
        EXPECT_EQ(1, deleted);
        p->ownedUndoRecord = new Tracked(&deleted);
    }
    EXPECT_EQ(3, deleted);
}

TEST(Processor, ResultRangeLengthIn64Bits) {
    struct Case {
        u32 tracks, selected;
        u64 frames;
        f64 factor;
        u64 resultFrames, scaledFrames;
    } cases[] = {
        {4, 2, 1000, 2.0, 1000, 500},
        {4, 4, 1000, 2.0, 500, 500},
        {4, 2, 1001, 0.5, 2002, 2002},
        {2, 2, 3, 2.0, 2, 2},  // 1.5 rounds up
        // Byte lengths beyond 32 bits.
        {2, 2, 1500000000, 0.5, 3000000000, 3000000000},
        {2, 1, 1500000000, 2.0, 1500000000, 750000000},
        {1, 1, 1000, 0.0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frames << " frames by " << c.factor);
        SoundFormat format;
        format.setPlain(c.tracks, 44100, encodingInt16);
        for (u32 t = c.selected; t < c.tracks; ++t) format.selectionMask[t] = 0;
        std::unique_ptr<SoundBlockProcessor> p(createProcessorForEncoding(encodingInt16, nullptr));
        u64 frameBytes = format.bytesPerFrame;
        p->bind(402, &format, nullptr, 0, 0, c.frames * frameBytes, c.frames * frameBytes, 0);
        p->param1 = c.factor;
        EXPECT_EQ(c.resultFrames * frameBytes, p->resultRangeLength());
        EXPECT_EQ(c.scaledFrames * frameBytes, p->scaledRangeLength());
    }
}

TEST(Processor, ActionsReachTheirSlotsWithTheirArguments) {
    struct Case {
        u32 action;
        bool served;
        ProcessorSlot slot;
        u32 argument, argument2;
    } cases[] = {
        {394, true, ProcessorSlot::zero, 0, 0},         {429, true, ProcessorSlot::zero, 0, 0},
        {523, true, ProcessorSlot::amplify, 0, 0},      {396, true, ProcessorSlot::amplify, 0, 0},
        {397, true, ProcessorSlot::changeMaxVolume, 0, 0}, {401, true, ProcessorSlot::center, 0, 0},
        {546, true, ProcessorSlot::crossfading, 0, 0},  {524, true, ProcessorSlot::biquadFilter, 0, 0},
        {531, true, ProcessorSlot::biquadFilter, 7, 0}, {595, true, ProcessorSlot::biquadFilter, 3, 0},
        {597, true, ProcessorSlot::biquadFilter, 6, 0}, {622, true, ProcessorSlot::echo, 0, 0},
        {511, true, ProcessorSlot::pitchScale, 0, 0},   {416, true, ProcessorSlot::paste, pasteCombineSubtract, 0},
        {419, true, ProcessorSlot::paste, pasteCombineAdd, 1}, {450, true, ProcessorSlot::fftGenerate, 1, 0},
        {451, true, ProcessorSlot::sineGenerate, 0, 0}, {309, true, ProcessorSlot::saveFragment, 0, 0},
        {10000, true, ProcessorSlot::applyPluginEffect, 0, 0}, {123456, true, ProcessorSlot::applyPluginEffect, 0, 0},
        {109, false, ProcessorSlot::destroy, 0, 0},     {999, false, ProcessorSlot::destroy, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        SlotCall call;
        ASSERT_EQ(c.served, slotForAction(c.action, &call));
        if (!c.served) continue;
        EXPECT_EQ(c.slot, call.slot);
        EXPECT_EQ(c.argument, call.argument);
        EXPECT_EQ(c.argument2, call.argument2);
    }
}

TEST(Processor, EdgeLengthFromTheSmoothingSettings) {
    EXPECT_EQ(0, edgeFadeBytesFor(false, 0.01, 44100, 4));
    EXPECT_EQ(441 * 4, edgeFadeBytesFor(true, 0.01, 44100, 4));
    EXPECT_EQ(3 * 6, edgeFadeBytesFor(true, 0.00025, 10000, 6));  // 2.5 frames round up
    EXPECT_EQ(0, edgeFadeBytesFor(true, -1.0, 44100, 4));
    // A length that would not fit the field is limited to whole frames below 2^31 bytes.
    i32 big = edgeFadeBytesFor(true, 1e9, 44100, 8);
    EXPECT_GT(big, 0);
    EXPECT_EQ(0, big % 8);
}
