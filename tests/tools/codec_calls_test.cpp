// The codec library's conversion calls with fake entries: the callback word before the target, the
// clamped and stepped progress, the stop, the busy byte refusing a second call on every path, and
// the library's message ended and mapped by result.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/progress.h"
#include "mm/mm_texts.h"
#include "tools/codec_calls.h"

namespace {
struct Recorder : JobProgress {
    bool report(u64 done, const char*) override {
        reports.push_back(done);
        return stopAt && done >= stopAt;
    }
    std::vector<u64> reports;
    u64 stopAt = 0;
};

std::vector<u8> answers;
GString nested;
CodecOutcome nestedOutcome;
i32 resultToGive = 0;

// Reports 0, 512 KiB, 1 MiB ... 5 MiB and past the end through the word before the target.
i32 __cdecl reportingEntry(const CodecSourceDescriptor* source, const CodecTargetDescriptor* target, char* message) {
    CodecProgress progress = reinterpret_cast<const CodecProgress*>(target)[-1];
    EXPECT_STREQ(source->fileName, "in.xyz");
    EXPECT_EQ(source->unused[4], -1);
    EXPECT_EQ(target->options[0], -1);
    answers.clear();
    for (u64 at = 0; at <= 6 * codecProgressStep; at += codecProgressStep / 2) {
        u8 stop = progress(at);
        answers.push_back(stop);
        if (stop) break;
    }
    // A second conversion while this one runs is refused.
    nestedOutcome = runCodecConvert(reportingEntry, *source, *target, 0, nullptr, nested);
    memset(message, 'm', codecMessageBytes);
    return resultToGive;
}

i32 __cdecl throwingEntry(const CodecSourceDescriptor*, const CodecTargetDescriptor*, char*) { throw 7; }
}  // namespace

TEST(CodecCalls, ProgressBusyAndResults) {
    CodecSourceDescriptor source{"in.xyz", "xyz"};
    CodecTargetDescriptor target{"out.tmp", "wav"};
    Recorder progress;
    GString message;
    EXPECT_EQ(runCodecConvert(reportingEntry, source, target, 5 * codecProgressStep, &progress, message),
              CodecOutcome::Done);
    // Every whole step up to the source's size, clamped there.
    EXPECT_EQ(progress.reports, (std::vector<u64>{codecProgressStep, 2 * codecProgressStep, 3 * codecProgressStep,
                                                  4 * codecProgressStep, 5 * codecProgressStep}));
    EXPECT_EQ(nestedOutcome, CodecOutcome::Busy);
    EXPECT_STREQ(nested.c_str(), mmText(MmText::CodecLibraryBusy));
    EXPECT_STREQ(message.c_str(), "");

    // The progress object asks to stop: the callback says so.
    Recorder stopping;
    stopping.stopAt = 2 * codecProgressStep;
    runCodecConvert(reportingEntry, source, target, 10 * codecProgressStep, &stopping, message);
    EXPECT_EQ(answers.back(), 1);
    EXPECT_EQ(answers.size(), 5u);

    struct Case {
        i32 result;
        CodecOutcome outcome;
        size_t messageLength;
    } cases[] = {
        {1, CodecOutcome::FailedWithText, codecMessageBytes - 1},
        {2, CodecOutcome::Failed, 0},
        {3, CodecOutcome::Done, 0},
        {-5, CodecOutcome::Done, 0},
    };
    for (const Case& c : cases) {
        resultToGive = c.result;
        EXPECT_EQ(runCodecConvert(reportingEntry, source, target, 1, nullptr, message), c.outcome);
        EXPECT_EQ(message.length, c.messageLength);
    }
    resultToGive = 0;

    // A call that ends by an exception still frees the busy byte.
    EXPECT_ANY_THROW(runCodecConvert(throwingEntry, source, target, 1, nullptr, message));
    EXPECT_EQ(runCodecConvert(reportingEntry, source, target, 1, nullptr, message), CodecOutcome::Done);
}

namespace {
bool __cdecl twoDecoders(uint32_t* cursor, const char* fileName, CodecDecoderEntry* out) {
    EXPECT_STREQ(fileName, "in.xyz");
    if (*cursor >= 2) return false;
    static char longText[5000];
    memset(longText, 'l', sizeof longText - 1);
    if (*cursor == 0) {
        *out = {"d0", "first", "", 1};
        // A name that fills its field without an end.
        memset(out->name, 'n', sizeof out->name);
    } else {
        *out = {nullptr, longText, "second", 0};
    }
    ++*cursor;
    return true;
}
bool __cdecl endlessEncoders(uint32_t* cursor, CodecEncoderEntry* out) {
    *out = {CodecFamilyVorbis, "ogg", "Ogg Vorbis"};
    ++*cursor;
    return true;
}
}  // namespace

TEST(CodecCalls, EnumerationsAreCopiedAndEnded) {
    std::vector<CodecDecoderInfo> decoders;
    listCodecDecoders(twoDecoders, "in.xyz", decoders);
    ASSERT_EQ(decoders.size(), 2u);
    EXPECT_EQ(decoders[0].name.length, 32u);
    EXPECT_EQ(decoders[0].flag, 1);
    EXPECT_STREQ(decoders[1].shortName.c_str(), "");
    EXPECT_EQ(decoders[1].longName.length, 4096u);
    EXPECT_EQ(decoders[1].flag, 0);
    // A library that never says it is done is cut off.
    std::vector<CodecEncoderInfo> encoders;
    listCodecEncoders(endlessEncoders, encoders);
    EXPECT_EQ(encoders.size(), 4096u);
    GString title;
    codecEncoderTitle(encoders[0], title);
    EXPECT_STREQ(title.c_str(), "Ogg Vorbis [ogg]");
    EXPECT_EQ(encoders[0].family, (u32)CodecFamilyVorbis);
    std::vector<CodecEncoderInfo> none;
    listCodecEncoders(nullptr, none);
    EXPECT_TRUE(none.empty());
}
